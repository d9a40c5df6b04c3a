#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace Tavrel
{
class ExportParameter;

// A read-only grid of export settings: each row a caption and the current
// value of one item, kept up to date by a binding of the value label to the
// item. Only visible rows are laid out, one under another, 16 pixels high.
// The parameter sets must outlive the display (it unbinds its labels from
// them when it goes). Message thread.
class ExportParameterDisplay : public juce::Component
{
public:
    static constexpr int kRowHeight = 16;

    ExportParameterDisplay(int captionWidth, int valueWidth);
    ~ExportParameterDisplay() override;

    void addRow(const juce::String& caption, ExportParameter* parameter, int item);
    // Shows or hides every row of that item; lays out when asked. True when
    // a row changed.
    bool setRowVisible(ExportParameter* parameter, int item, bool visible, bool layOut);
    void layOut();

    int getRowCount() const { return static_cast<int>(m_rows.size()); }
    juce::Label& getValueLabel(int row) { return *m_rows[static_cast<size_t>(row)].value; }
    juce::Component& getRowComponent(int row) { return *m_rows[static_cast<size_t>(row)].component; }

private:
    struct Row
    {
        ExportParameter* parameter = nullptr;
        int item = -1;
        std::unique_ptr<juce::Component> component;
        std::unique_ptr<juce::Label> caption;
        std::unique_ptr<juce::Label> value;
    };

    int rowWidth() const { return m_captionWidth + m_gap + m_valueWidth; }

    std::vector<Row> m_rows;
    int m_captionWidth;
    int m_valueWidth;
    int m_gap = 0;
};
} // namespace Tavrel
