#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace Tavrel
{
class ComboBoxLookAndFeel;
class ExportParameter;

// A modal message-box window with rows of controls bound to export settings,
// and OK and Cancel. A change in a row reaches its parameter set at once;
// revert puts every row's item back to its text when the row was added. The
// parameter sets must outlive the dialog (it unbinds its controls from them
// when it goes). Message thread.
class ExportParameterDialog : public juce::AlertWindow, public juce::Button::Listener
{
public:
    static constexpr int kRowWidth = 232;
    static constexpr int kControlHeight = 20;
    static constexpr int kCaptionHeight = 16;

    ExportParameterDialog(const juce::String& title, const juce::String& message);
    ~ExportParameterDialog() override;

    // A combo box for a choice item; item -1 leaves it unbound.
    void addComboBoxRow(const juce::String& caption, ExportParameter* parameter, int item);
    // An editable label for any item.
    void addLabelRow(const juce::String& caption, ExportParameter* parameter, int item);

    // Adds Cancel (Escape) and OK (Return) the first time, and runs the
    // window modally; true when it ended with OK.
    bool runModal();
    void revert();

    int getRowCount() const { return static_cast<int>(m_rows.size()); }
    juce::Component& getRowComponent(int row) { return *m_rows[static_cast<size_t>(row)].component; }
    juce::Component& getRowControl(int row) { return *m_rows[static_cast<size_t>(row)].control; }

    void buttonClicked(juce::Button*) override {}

private:
    struct Row
    {
        ExportParameter* parameter = nullptr;
        int item = -1;
        juce::String text;
        std::unique_ptr<juce::Component> component;
        std::unique_ptr<juce::Label> caption;
        std::unique_ptr<juce::Component> control;
    };

    void addRow(const juce::String& caption, ExportParameter* parameter, int item,
                std::unique_ptr<juce::Component> control);

    std::vector<Row> m_rows;
    std::unique_ptr<ComboBoxLookAndFeel> m_comboLook;
    bool m_buttonsAdded = false;
};
} // namespace Tavrel
