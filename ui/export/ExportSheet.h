#pragma once

#include "session/parameters/ExportParameterListener.h"
#include "ui/export/ExportParameterDisplay.h"
#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
class ComboBoxLookAndFeel;
class CommonExportParameter;
class FileExportParameter;

// The sheet in which the user sets up a file export: which songs, the
// destination folder, format, file type, sample rate, bit depth or bit rate,
// and the options. It owns one common and one file-export parameter set and
// binds its controls to them; each opening loads both from the settings, and
// only a started export saves them. OK starts a file-export session through
// the export manager; the sheet's component property (named by its creator)
// is true after Cancel and false after a started export. Message thread.
class ExportSheet : public CBfcSheet,
                    public ExportParameterListener,
                    public juce::ComboBox::Listener,
                    public juce::Button::Listener
{
public:
    static constexpr juce::uint32 kFlashColour = 0x600000FF;

    explicit ExportSheet(const juce::String& propertyName);
    ~ExportSheet() override;

    CommonExportParameter& getCommon() { return *m_common; }
    FileExportParameter& getFile() { return *m_file; }
    juce::ComboBox& getSourceBox() { return *m_source; }
    juce::ComboBox& getFormatBox() { return *m_format; }
    juce::ComboBox& getFileTypeBox() { return *m_fileType; }
    juce::ComboBox& getSampleRateBox() { return *m_sampleRate; }
    juce::ComboBox& getBitDepthBox() { return *m_bitDepth; }
    juce::ComboBox& getBitRateBox() { return *m_bitRate; }
    juce::FilenameComponent& getDestination() { return *m_destination; }
    juce::TextButton& getOkButton() { return *m_ok; }
    juce::TextButton& getCancelButton() { return *m_cancel; }
    juce::TextButton& getEditButton() { return *m_edit; }
    ExportParameterDisplay& getOptionsDisplay() { return *m_options; }

    void paint(juce::Graphics& g) override;
    void resized() override;

    void buttonClicked(juce::Button* button) override;
    void comboBoxChanged(juce::ComboBox*) override {}
    void exportParameterChanged(ExportParameter* parameter, int item) override;
    void exportParameterComponentChanged(ExportParameter* parameter, int item, juce::Component* component) override;

protected:
    void sheetWillOpen() override;
    void sheetWillClose() override;

private:
    void confirm();
    void editOptions();
    // Shows the bit-rate row when its combo box is enabled, else the
    // bit-depth row.
    void updateBitRows();
    void hideUnusedOptions();
    static void resetToDefaults(ExportParameter& target, const ExportParameter& defaults);
    static bool isEnabledWithParent(const juce::Component& component);

    const juce::String m_propertyName;
    std::unique_ptr<CommonExportParameter> m_common;
    std::unique_ptr<FileExportParameter> m_file;
    std::unique_ptr<ComboBoxLookAndFeel> m_comboLook;
    std::unique_ptr<ComboBoxLookAndFeel> m_folderLook;
    std::unique_ptr<juce::Label> m_sourceCaption;
    std::unique_ptr<juce::Label> m_destinationCaption;
    std::unique_ptr<juce::FilenameComponent> m_destination;
    std::unique_ptr<juce::ComboBox> m_source;
    std::unique_ptr<juce::Label> m_formatCaption;
    std::unique_ptr<juce::Label> m_fileTypeCaption;
    std::unique_ptr<juce::ComboBox> m_format;
    std::unique_ptr<juce::ComboBox> m_fileType;
    std::unique_ptr<juce::Label> m_sampleRateCaption;
    std::unique_ptr<juce::ComboBox> m_sampleRate;
    std::unique_ptr<juce::Label> m_bitDepthCaption;
    std::unique_ptr<juce::ComboBox> m_bitDepth;
    std::unique_ptr<juce::TextButton> m_cancel;
    std::unique_ptr<juce::TextButton> m_ok;
    std::unique_ptr<juce::Label> m_bitRateCaption;
    std::unique_ptr<juce::ComboBox> m_bitRate;
    std::unique_ptr<juce::GroupComponent> m_optionsGroup;
    std::unique_ptr<ExportParameterDisplay> m_options;
    std::unique_ptr<juce::TextButton> m_edit;
};
} // namespace Tavrel
