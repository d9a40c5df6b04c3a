#include "ui/widgets/MatrixImageButton.h"

#include <algorithm>

MatrixImageButton::MatrixImageButton(const juce::String& name, const juce::Image& image, int columnCount)
    : juce::Button(name),
      m_image(image),
      m_columnCount(std::max(1, columnCount))
{
    m_cellWidth = m_image.getWidth() / m_columnCount;
    m_cellHeight = m_image.getHeight() / 3;
    m_pressedRowTop = m_cellHeight;
    m_disabledRowTop = 2 * m_cellHeight;
    setSize(m_cellWidth, m_cellHeight);
    setWantsKeyboardFocus(false);
}

void MatrixImageButton::setState(int column)
{
    m_column = std::clamp(column, 0, m_columnCount - 1);
    // The owner may set the state from another thread.
    const juce::MessageManagerLock lock;
    repaint();
}

void MatrixImageButton::advance()
{
    setState((m_column + 1) % m_columnCount);
}

void MatrixImageButton::paintButton(juce::Graphics& g, bool, bool isButtonDown)
{
    if (!m_image.isValid() || m_cellWidth <= 0 || m_cellHeight <= 0)
        return;
    const juce::Component* parent = getParentComponent();
    int top = 0;
    if (isButtonDown)
        top = m_pressedRowTop;
    else if (!isEnabled() || (parent != nullptr && !parent->isEnabled()))
        top = m_disabledRowTop;
    g.drawImage(m_image, 0, 0, getWidth(), getHeight(), m_column * m_cellWidth, top, m_cellWidth, m_cellHeight);
}
