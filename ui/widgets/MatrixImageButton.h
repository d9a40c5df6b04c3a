#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A button that draws one cell of an image matrix: one column per state, and
// three rows (normal, pressed, disabled) one above the other. Its size is one
// cell; it does not take keyboard focus. The owner sets the state (a click
// does not change it). Message thread, except setState and advance, which
// repaint under the message-manager lock.
class MatrixImageButton : public juce::Button
{
public:
    // The image is shared, not copied. Cell width = image width / columns,
    // cell height = image height / 3.
    MatrixImageButton(const juce::String& name, const juce::Image& image, int columnCount);

    // The current column, clamped to 0 .. column count - 1.
    void setState(int column);
    int getState() const { return m_column; }
    // The next column, wrapping to 0 after the last.
    void advance();

    int getColumnCount() const { return m_columnCount; }

protected:
    void paintButton(juce::Graphics& g, bool isMouseOver, bool isButtonDown) override;

private:
    juce::Image m_image;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_pressedRowTop = 0;
    int m_disabledRowTop = 0;
    int m_columnCount = 1;
    int m_column = 0;
};
