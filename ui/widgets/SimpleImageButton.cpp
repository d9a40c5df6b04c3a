#include "ui/widgets/SimpleImageButton.h"

namespace Tavrel
{
SimpleImageButton::SimpleImageButton(const juce::Image& image, int frameCount, int overFrame, int disabledFrame,
                                     int disabledToggledFrame, float disabledOpacity)
    : juce::Button(juce::String()),
      m_image(image),
      m_disabledOpacity(disabledOpacity)
{
    m_frameHeight = image.isValid() ? image.getHeight() / juce::jmax(1, frameCount) : 0;
    m_over = overFrame * m_frameHeight;
    m_down = 2 * m_frameHeight;
    m_disabled = disabledFrame * m_frameHeight;
    m_disabledToggled = disabledToggledFrame * m_frameHeight;
    setSize(image.isValid() ? image.getWidth() : 0, m_frameHeight);
}

void SimpleImageButton::setImage(const juce::Image& image, float disabledOpacity)
{
    m_image = image;
    m_disabledOpacity = disabledOpacity;
    m_frameHeight = image.isValid() ? image.getHeight() / 2 : 0;
    m_over = 0;
    m_down = m_frameHeight;
    m_disabled = 0;
    m_disabledToggled = m_frameHeight;
    repaint();
}

void SimpleImageButton::drawFrame(juce::Graphics& g, int offset)
{
    g.drawImage(m_image, 0, 0, getWidth(), getHeight(), 0, offset, m_image.getWidth(), m_frameHeight);
}

void SimpleImageButton::paintButton(juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    if (!m_image.isValid() || m_frameHeight <= 0)
        return;
    if (!isEnabled())
    {
        g.setOpacity(m_disabledOpacity);
        drawFrame(g, getToggleState() ? m_disabledToggled : m_disabled);
    }
    else if (isButtonDown)
    {
        drawFrame(g, m_down);
    }
    else if (getToggleState())
    {
        drawFrame(g, m_disabledToggled);
    }
    else if (isMouseOver)
    {
        drawFrame(g, m_over);
    }
    else
    {
        drawFrame(g, 0);
    }
}
} // namespace Tavrel
