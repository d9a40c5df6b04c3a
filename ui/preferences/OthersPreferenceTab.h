#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
class CommonExportParameter;
class ComboBoxLookAndFeel;

// The other preferences: the temporary folder (held in a private copy of
// the common export settings until OK) and the reset of the hidden burn
// warnings. Message thread.
class OthersPreferenceTab : public juce::Component, public juce::Button::Listener
{
public:
    static constexpr int kWidth = 288;
    static constexpr int kHeight = 256;

    OthersPreferenceTab();
    ~OthersPreferenceTab() override;

    // Loads the settings (the sheet opens).
    void reload();
    // Stores the temporary folder and the recent folders (OK). The other
    // common settings are left as they are stored: this page does not show
    // them, and writing back what it loaded would turn an export's
    // "Selected Songs" into "All Songs" whenever no song is selected.
    void apply();

    CommonExportParameter& getCommon() { return *m_common; }
    juce::FilenameComponent& getFolderChooser() { return *m_folder; }
    juce::TextButton& getResetButton() { return *m_reset; }

    void paint(juce::Graphics& g) override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;

private:
    std::unique_ptr<CommonExportParameter> m_common;
    std::unique_ptr<ComboBoxLookAndFeel> m_comboLook;
    std::unique_ptr<juce::FilenameComponent> m_folder;
    std::unique_ptr<juce::Label> m_folderCaption;
    std::unique_ptr<juce::TextButton> m_reset;
    std::unique_ptr<juce::Label> m_resetCaption;
};
} // namespace Tavrel
