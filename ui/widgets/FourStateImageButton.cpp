#include "ui/widgets/FourStateImageButton.h"

namespace Tavrel
{
FourStateImageButton::FourStateImageButton(const juce::String& name)
    : juce::Button(name)
{
}

void FourStateImageButton::setImage(const juce::Image& image, int frameCount, int disabledFrame, float disabledOpacity)
{
    m_image = image;
    m_frameHeight = image.isValid() ? image.getHeight() / juce::jmax(1, frameCount) : 0;
    m_offToggle = 0;
    m_onToggle = m_frameHeight;
    m_offPressed = 2 * m_frameHeight;
    m_onPressed = 3 * m_frameHeight;
    m_disabled = disabledFrame * m_frameHeight;
    m_disabledOpacity = disabledOpacity;
    setSize(image.isValid() ? image.getWidth() : 0, m_frameHeight);
    repaint();
}

void FourStateImageButton::paintButton(juce::Graphics& g, bool, bool isButtonDown)
{
    if (!m_image.isValid() || m_frameHeight <= 0)
        return;
    int offset = 0;
    if (!isEnabled())
    {
        offset = m_disabled;
        g.setOpacity(m_disabledOpacity);
    }
    else if (getToggleState())
    {
        offset = isButtonDown ? m_onPressed : m_onToggle;
    }
    else
    {
        offset = isButtonDown ? m_offPressed : m_offToggle;
    }
    g.drawImage(m_image, 0, 0, getWidth(), getHeight(), 0, offset, m_image.getWidth(), m_frameHeight);
}

void FourStateImageButton::mouseDown(const juce::MouseEvent& e)
{
    juce::Button::mouseDown(e);
    if (auto* listener = getListener())
        listener->mouseDownHook(this, e);
}
} // namespace Tavrel
