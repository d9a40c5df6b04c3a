#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Helpers that windows and sheets use to appear smoothly and that the inline
// text editors use to steer the input-method editor. All of them run on the
// message thread and do nothing for a null or deleted component or when the
// message manager does not exist.
namespace ComponentDresser
{
// Posted to a faded-in component that is also a juce::MessageListener when its
// fade-in has ended. It carries nothing.
class FadeInEndMessage final : public juce::Message
{
};

// The component property that is true while a fade-in of the component runs.
inline constexpr const char* kFadingInProperty = "isCurrentlyFadingIn";

// Hides the component and shows a snapshot of it in its place that fades in
// over fadeMs milliseconds, starting verticalTravel pixels above its place and
// at startScale; at the end the component itself is shown again. A component
// that is already fading in is left alone.
void fadeIn(juce::Component* component, int fadeMs, int verticalTravel, float startScale);

// Lays a layer of the colour over the whole component and fades it out over
// half a second, to draw the user's attention to the component. Only for a
// visible component.
void flash(juce::Component* component, juce::Colour colour);

// Input-method helpers. Input methods are not available to the framework's
// windows on this platform, so these only check their component and return.
void cancelImeComposition(juce::Component* component);
void setImeCompositionWindow(juce::Component* component, int x, int y);
void setImeCompositionFont(juce::Component* component, const juce::Font& font);
void openIme(juce::Component* component);
void enableIme(juce::Component* component, bool enable);
} // namespace ComponentDresser
