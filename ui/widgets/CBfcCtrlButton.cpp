#include "ui/widgets/CBfcCtrlButton.h"

void CBfcCtrlButton::setImage(int stateCount, const juce::Image& image)
{
    const juce::MessageManagerLock lock;
    m_image = image;
    const int count = juce::jmax(1, stateCount);
    if (count != m_stateCount && m_state >= count)
    {
        m_stateCount = count;
        setState(count - 1);
    }
    m_stateCount = count;
    m_pressedFrames = false;
    updateFrameLayout();
}

void CBfcCtrlButton::setPressedFrames(bool used)
{
    const juce::MessageManagerLock lock;
    m_pressedFrames = used;
    updateFrameLayout();
}

void CBfcCtrlButton::updateFrameLayout()
{
    m_frameCount = m_stateCount * (m_pressedFrames ? 2 : 1);
    m_imageWidth = m_image.isValid() ? m_image.getWidth() : 0;
    m_frameHeight = m_image.isValid() ? m_image.getHeight() / m_frameCount : 0;
    setSize(m_imageWidth, m_frameHeight);
    resized();
    refresh();
}

void CBfcCtrlButton::setState(int index)
{
    index = juce::jlimit(0, m_stateCount - 1, index);
    if (index == m_state)
        return;
    m_state = index;
    m_painted = false;
    refresh();
}

void CBfcCtrlButton::setHitRectangle(juce::Rectangle<int> area)
{
    m_customHitRectangle = !area.isEmpty();
    if (m_customHitRectangle)
    {
        m_hitLeft = area.getX();
        m_hitTop = area.getY();
        m_hitRight = area.getRight();
        m_hitBottom = area.getBottom();
    }
    else
    {
        resized();
    }
}

void CBfcCtrlButton::resized()
{
    if (m_customHitRectangle)
        return;
    m_hitLeft = 0;
    m_hitTop = 0;
    m_hitRight = getWidth();
    m_hitBottom = getHeight();
}

void CBfcCtrlButton::refresh()
{
    setCachedComponentImage(nullptr);
    if (isVisible())
        repaint();
}

void CBfcCtrlButton::enablementChanged()
{
    const juce::MessageManagerLock lock;
    refresh();
}

bool CBfcCtrlButton::hitRectangleContains(juce::Point<int> point) const
{
    return point.x >= m_hitLeft && point.x < m_hitRight && point.y >= m_hitTop && point.y < m_hitBottom;
}

int CBfcCtrlButton::getCurrentFrame() const
{
    const int frame = m_pressedFrames ? m_state * 2 + ((m_pressed && m_pointerInside) ? 1 : 0) : m_state;
    return juce::jlimit(0, juce::jmax(0, m_frameCount - 1), frame);
}

void CBfcCtrlButton::paint(juce::Graphics& g)
{
    if (!m_image.isValid() || m_frameCount <= 0 || m_imageWidth <= 0 || m_frameHeight <= 0)
        return;
    g.setOpacity(isEnabled() ? 1.0f : 0.5f);
    g.drawImage(m_image, 0, 0, getWidth(), getHeight(), 0, getCurrentFrame() * m_frameHeight, m_imageWidth,
                m_frameHeight);
    m_painted = true;
}

void CBfcCtrlButton::mouseMove(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseMoveHook(this, e))
        return;
    m_pointerInside = hitRectangleContains(e.getPosition());
}

void CBfcCtrlButton::mouseEnter(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseEnterHook(this, e))
        return;
    m_pointerInside = hitRectangleContains(e.getPosition());
}

void CBfcCtrlButton::mouseExit(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseExitHook(this, e))
        return;
    m_pointerInside = hitRectangleContains(e.getPosition());
}

void CBfcCtrlButton::mouseDown(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseDownHook(this, e))
        return;
    if (e.mods.isRightButtonDown())
        return;
    m_pointerInside = hitRectangleContains(e.getPosition());
    if (!m_pointerInside || !isEnabled())
        return;
    m_pressed = true;
    if (m_pressedFrames)
        repaint();
    if (auto* listener = getListener())
        listener->pressed(this);
    if (m_clickMode == kClickOnPress)
    {
        if (auto* listener = getListener())
            listener->clicked(this);
    }
}

void CBfcCtrlButton::mouseDrag(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseDragHook(this, e))
        return;
    if (e.mods.isRightButtonDown() || !m_pressed)
        return;
    const bool inside = hitRectangleContains(e.getPosition());
    if (inside != m_pointerInside)
    {
        m_pointerInside = inside;
        repaint();
    }
}

void CBfcCtrlButton::mouseUp(const juce::MouseEvent& e)
{
    if (getListener() != nullptr && getListener()->mouseUpHook(this, e))
        return;
    // Only the release of a press of this button counts: a release after a
    // press that was refused (outside, disabled, right button) is no click.
    if (e.mods.isRightButtonDown() || !m_pressed || !isEnabled())
        return;
    // The release position decides, even when no drag reported the last move.
    m_pointerInside = hitRectangleContains(e.getPosition());
    m_pressed = false;
    if (m_pressedFrames)
        repaint();
    if (auto* listener = getListener())
        listener->released(this);
    if (m_clickMode == kClickOnRelease && m_pointerInside)
    {
        if (auto* listener = getListener())
            listener->clicked(this);
    }
}

void CBfcCtrlButton::mouseDoubleClick(const juce::MouseEvent& e)
{
    if (getListener() != nullptr)
        getListener()->mouseDoubleClickHook(this, e);
}

void CBfcCtrlButton::mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (getListener() != nullptr && getListener()->mouseWheelHook(this, e, wheel))
        return;
    juce::Component::mouseWheelMove(e, wheel);
}
