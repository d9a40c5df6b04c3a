#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Stands in for a component while it fades in: shows a snapshot of it,
// growing more opaque (and, with a travel or a start scale, moving and
// growing) on every timer tick. When it has become fully opaque it shows the
// target again and deletes itself. Made by ComponentDresser::fadeIn.
class FadeInProxyComponent final : public juce::Component, private juce::Timer
{
public:
    FadeInProxyComponent(juce::Component& target, int fadeMs, int verticalTravel, float startScale);
    ~FadeInProxyComponent() override;

    void paint(juce::Graphics& g) override;

    // One step of the fade at the millisecond counter value now; the timer
    // calls it with the real counter. When the fade ends the proxy is deleted,
    // so the caller must not touch it afterwards.
    void advanceTo(juce::uint32 now);

    float getAlpha() const { return m_alpha; }
    juce::Component* getTarget() const { return m_target.getComponent(); }

private:
    void timerCallback() override;
    void finish();

    juce::Component::SafePointer<juce::Component> m_target;
    juce::Image m_snapshot;
    int m_snapshotWidth = 0;
    int m_snapshotHeight = 0;
    juce::uint32 m_fadeMs = 1;
    juce::uint32 m_lastTick = 0;
    juce::uint32 m_elapsedMs = 0;
    float m_alpha = 0.0f;
    float m_alphaPerMs = 0.0f;
    // The start values; the current ones follow from the time elapsed.
    float m_centreX = 0.0f;
    float m_xPerMs = 0.0f;
    float m_centreY = 0.0f;
    float m_yPerMs = 0.0f;
    float m_scale = 1.0f;
    float m_scalePerMs = 0.0f;
};
