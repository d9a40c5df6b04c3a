#include "ui/songlist/CTVCtrlIcon.h"

#include <algorithm>

CTVCtrlIcon::~CTVCtrlIcon()
{
    stopTimer();
}

void CTVCtrlIcon::setImage(const juce::Image& image, int frameCount)
{
    m_image = image;
    m_frameCount = frameCount;
    m_frameWidth = image.getWidth();
    m_frameHeight = frameCount > 0 ? image.getHeight() / frameCount : 0;
    const juce::MessageManagerLock lock;
    setSize(m_frameWidth, m_frameHeight);
    repaint();
}

void CTVCtrlIcon::startAnimation()
{
    m_animating = true;
    startTimer(kFrameIntervalMs);
}

void CTVCtrlIcon::stopAnimation()
{
    stopTimer();
    const juce::MessageManagerLock lock;
    m_done = true;
    if (m_animating)
    {
        m_animating = false;
        repaint();
    }
}

void CTVCtrlIcon::reset()
{
    m_animating = false;
    m_done = false;
    repaint();
}

int CTVCtrlIcon::getShownFrame() const
{
    if (!m_image.isValid() || m_frameCount <= 0 || m_frameWidth <= 0 || m_frameHeight <= 0)
        return -1;
    const int frame = m_animating ? m_frame : (m_done ? 1 : 0);
    return std::clamp(frame, 0, m_frameCount - 1);
}

void CTVCtrlIcon::paint(juce::Graphics& g)
{
    const int frame = getShownFrame();
    if (frame < 0)
        return;
    g.drawImage(m_image, 0, 0, getWidth(), getHeight(), 0, frame * m_frameHeight, m_frameWidth, m_frameHeight);
}

void CTVCtrlIcon::timerCallback()
{
    m_frame = m_frameCount > 0 ? (m_frame + 1) % m_frameCount : 0;
    const juce::MessageManagerLock lock;
    repaint();
}
