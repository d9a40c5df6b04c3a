#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// An image button with frames for off, on, off pressed, on pressed and
// disabled, taken from a vertical strip. Its mouse presses also go to the
// listener of its CBfcComponent part, after the button has handled them.
class FourStateImageButton : public juce::Button, public CBfcComponent
{
public:
    explicit FourStateImageButton(const juce::String& name = {});

    // frameCount frames in the strip, one frame high each; disabledFrame is
    // the frame drawn (at disabledOpacity) while the button is disabled.
    void setImage(const juce::Image& image, int frameCount, int disabledFrame, float disabledOpacity);

    void mouseDown(const juce::MouseEvent& e) override;

protected:
    void paintButton(juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

private:
    juce::Image m_image;
    int m_frameHeight = 0;
    int m_offToggle = 0;
    int m_onToggle = 0;
    int m_offPressed = 0;
    int m_onPressed = 0;
    int m_disabled = 0;
    float m_disabledOpacity = 1.0f;
};
} // namespace Tavrel
