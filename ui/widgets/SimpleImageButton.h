#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// An image button drawn from a vertical strip of frames: normal (the first
// frame), under the mouse, pressed, disabled and disabled while toggled on.
class SimpleImageButton : public juce::Button
{
public:
    SimpleImageButton(const juce::Image& image, int frameCount, int overFrame, int disabledFrame,
                      int disabledToggledFrame, float disabledOpacity);

    // A strip of two frames: normal and pressed.
    void setImage(const juce::Image& image, float disabledOpacity);

protected:
    void paintButton(juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

private:
    void drawFrame(juce::Graphics& g, int offset);

    juce::Image m_image;
    int m_frameHeight = 0;
    int m_over = 0;
    int m_down = 0;
    int m_disabled = 0;
    int m_disabledToggled = 0;
    float m_disabledOpacity = 1.0f;
};
} // namespace Tavrel
