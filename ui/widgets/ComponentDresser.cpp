#include "ui/widgets/ComponentDresser.h"

#include "ui/widgets/FadeInProxyComponent.h"

namespace ComponentDresser
{
namespace
{
// A component that a helper may work on: not null, with the message manager
// still running.
bool isUsable(const juce::Component* component)
{
    return component != nullptr && juce::MessageManager::getInstanceWithoutCreating() != nullptr;
}
} // namespace

void fadeIn(juce::Component* component, int fadeMs, int verticalTravel, float startScale)
{
    if (!isUsable(component))
        return;
    auto& properties = component->getProperties();
    if (static_cast<bool>(properties[kFadingInProperty]))
        return;
    properties.set(kFadingInProperty, true);
    // The proxy owns itself: it deletes itself when the fade has ended.
    new FadeInProxyComponent(*component, fadeMs, verticalTravel, startScale);
}

void flash(juce::Component* component, juce::Colour colour)
{
    if (!isUsable(component) || !component->isVisible())
        return;
    auto label = std::make_unique<juce::Label>();
    label->setColour(juce::Label::backgroundColourId, colour);
    label->setBounds(0, 0, component->getWidth(), component->getHeight());
    component->addAndMakeVisible(label.get(), -1);
    // The animator fades out an image of the label that it owns, so the label
    // itself can go at once.
    juce::Desktop::getInstance().getAnimator().fadeOut(label.get(), 500);
    component->removeChildComponent(label.get());
}

// The framework has no input-method support on this platform's windows, so
// there is no input context to steer.
void cancelImeComposition(juce::Component*) {}
void setImeCompositionWindow(juce::Component*, int, int) {}
void setImeCompositionFont(juce::Component*, const juce::Font&) {}
void openIme(juce::Component*) {}
void enableIme(juce::Component*, bool) {}
} // namespace ComponentDresser
