#include "ui/export/ExportSheet.h"

#include "app/core/CBJXResource.h"
#include "session/export/FileExportSession.h"
#include "session/manager/ExportManager.h"
#include "session/parameters/CommonExportParameter.h"
#include "session/parameters/FileExportParameter.h"
#include "ui/export/ExportParameterDialog.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/widgets/ComponentDresser.h"

namespace Tavrel
{
ExportSheet::ExportSheet(const juce::String& propertyName)
    : m_propertyName(propertyName),
      m_common(std::make_unique<CommonExportParameter>()),
      m_file(std::make_unique<FileExportParameter>())
{
    m_sourceCaption = makeCaption("Export_Source", 2);
    m_destinationCaption = makeCaption("Export_Destination", 2);
    m_destination = std::make_unique<juce::FilenameComponent>("Destination", juce::File(), true, true, false,
                                                              juce::String(), juce::String(), juce::String());
    m_source = std::make_unique<juce::ComboBox>("Source");
    m_formatCaption = makeCaption("Export_FileFormat", 2);
    m_fileTypeCaption = makeCaption("Export_FileType", 2);
    m_format = std::make_unique<juce::ComboBox>("Format");
    m_fileType = std::make_unique<juce::ComboBox>("FileType");
    m_sampleRateCaption = makeCaption("Export_SampleRate", 2);
    m_sampleRate = std::make_unique<juce::ComboBox>("SampleRate");
    m_bitDepthCaption = makeCaption("Export_BitDepth", 2);
    m_bitDepth = std::make_unique<juce::ComboBox>("BitDepth");
    m_cancel = std::make_unique<juce::TextButton>(uiText("Button_Cancel"));
    m_ok = std::make_unique<juce::TextButton>(uiText("Button_Ok"));
    m_bitRateCaption = makeCaption("Export_BitRate", 2);
    m_bitRate = std::make_unique<juce::ComboBox>("BitRate");
    m_optionsGroup = std::make_unique<juce::GroupComponent>("Option", uiText("Export_Option"));
    m_options = std::make_unique<ExportParameterDisplay>(120, 176);
    m_edit = std::make_unique<juce::TextButton>(uiText("Export_Edit"));

    m_comboLook = std::make_unique<ComboBoxLookAndFeel>(m_source.get(), 2);
    m_folderLook = std::make_unique<ComboBoxLookAndFeel>(m_destination.get(), 1);
    for (juce::ComboBox* box : {m_source.get(), m_format.get(), m_fileType.get(), m_sampleRate.get(),
                                m_bitDepth.get(), m_bitRate.get()})
    {
        box->setLookAndFeel(m_comboLook.get());
        box->addListener(this);
    }
    m_destination->setLookAndFeel(m_folderLook.get());

    for (juce::Component* child :
         {static_cast<juce::Component*>(m_sourceCaption.get()), static_cast<juce::Component*>(m_destinationCaption.get()),
          static_cast<juce::Component*>(m_destination.get()), static_cast<juce::Component*>(m_source.get()),
          static_cast<juce::Component*>(m_formatCaption.get()), static_cast<juce::Component*>(m_fileTypeCaption.get()),
          static_cast<juce::Component*>(m_format.get()), static_cast<juce::Component*>(m_fileType.get()),
          static_cast<juce::Component*>(m_sampleRateCaption.get()), static_cast<juce::Component*>(m_sampleRate.get()),
          static_cast<juce::Component*>(m_bitDepthCaption.get()), static_cast<juce::Component*>(m_bitDepth.get()),
          static_cast<juce::Component*>(m_cancel.get()), static_cast<juce::Component*>(m_ok.get()),
          static_cast<juce::Component*>(m_bitRateCaption.get()), static_cast<juce::Component*>(m_bitRate.get()),
          static_cast<juce::Component*>(m_optionsGroup.get()), static_cast<juce::Component*>(m_options.get()),
          static_cast<juce::Component*>(m_edit.get())})
        addAndMakeVisible(child);

    m_common->bindComponent(m_source.get(), CommonExportParameter::kSource);
    m_file->bindComponent(m_format.get(), FileExportParameter::kFormat);
    m_file->bindComponent(m_fileType.get(), FileExportParameter::kFileType);
    m_file->bindComponent(m_sampleRate.get(), FileExportParameter::kSampleRate);
    m_file->bindComponent(m_bitDepth.get(), FileExportParameter::kBitDepth);
    m_file->bindComponent(m_bitRate.get(), FileExportParameter::kBitRate);
    m_file->bindComponent(m_destination.get(), FileExportParameter::kDestination);

    m_options->addRow(uiText("Export_Filter") + ":", m_common.get(), CommonExportParameter::kDsdFilter);
    m_options->addRow(uiText("Export_Normalize") + ":", m_common.get(), CommonExportParameter::kNormalizeMode);
    m_options->addRow(uiText("Export_Dither") + ":", m_common.get(), CommonExportParameter::kDitherType);
    hideUnusedOptions();
    updateBitRows();
    setSize(360, 408);

    m_common->AddListener(this);
    m_file->AddListener(this);
    for (juce::Button* button : {static_cast<juce::Button*>(m_cancel.get()), static_cast<juce::Button*>(m_ok.get()),
                                 static_cast<juce::Button*>(m_edit.get())})
        button->addListener(this);
}

ExportSheet::~ExportSheet()
{
    m_common->RemoveListener(this);
    m_file->RemoveListener(this);
    // The display unbinds its labels from the sets, so it goes while they
    // exist; then the bound controls, then the sets, then the rest.
    m_options.reset();
    for (juce::ComboBox* box : {m_source.get(), m_format.get(), m_fileType.get(), m_sampleRate.get(),
                                m_bitDepth.get(), m_bitRate.get()})
    {
        m_common->unbindComponent(box);
        m_file->unbindComponent(box);
        box->setLookAndFeel(nullptr);
    }
    m_file->unbindComponent(m_destination.get());
    m_destination->setLookAndFeel(nullptr);
    m_common.reset();
    m_file.reset();
}

void ExportSheet::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xBFFFFFFF));
}

void ExportSheet::resized()
{
    m_sourceCaption->setBounds(16, 16, 150, 24);
    m_destinationCaption->setBounds(16, 48, 150, 24);
    m_destination->setBounds(16, 72, 328, 24);
    m_source->setBounds(128, 16, 216, 24);
    m_formatCaption->setBounds(16, 112, 104, 24);
    m_fileTypeCaption->setBounds(16, 144, 104, 24);
    m_format->setBounds(128, 112, 216, 24);
    m_fileType->setBounds(128, 144, 216, 24);
    m_sampleRateCaption->setBounds(16, 176, 104, 24);
    m_sampleRate->setBounds(128, 176, 216, 24);
    m_bitDepthCaption->setBounds(16, 208, 104, 24);
    m_bitDepth->setBounds(128, 208, 216, 24);
    m_cancel->setBounds(48, 248, 96, 24);
    m_ok->setBounds(216, 248, 96, 24);
    m_bitRateCaption->setBounds(16, 208, 104, 24);
    m_bitRate->setBounds(128, 208, 216, 24);
    m_optionsGroup->setBounds(16, 288, 328, 104);
    m_options->setTopLeftPosition(32, 312);
    m_edit->setBounds(280, 360, 54, 24);
}

void ExportSheet::sheetWillOpen()
{
    m_common->updateBoundEnabledChoices(CommonExportParameter::kSource);
    // Loading keeps an item's current value where nothing is stored, so a
    // value changed and then cancelled would survive into the next opening:
    // the sets start from their defaults, then take what is stored.
    resetToDefaults(*m_common, CommonExportParameter());
    resetToDefaults(*m_file, FileExportParameter());
    m_common->loadFromRegistry();
    m_file->loadFromRegistry();
    m_destination->setRecentlyUsedFilenames(m_file->getRecentFolders());
    m_ok->addShortcut(juce::KeyPress('e', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0));
    m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}

void ExportSheet::resetToDefaults(ExportParameter& target, const ExportParameter& defaults)
{
    for (int item = 0; item < target.getItemCount(); ++item)
        if (target.getItemKind(item) != ExportParameter::kItemNone)
            (void)target.setItemText(defaults.getItemText(item), item);
}

void ExportSheet::sheetWillClose()
{
    m_ok->clearShortcuts();
    m_cancel->clearShortcuts();
}

void ExportSheet::buttonClicked(juce::Button* button)
{
    if (button == m_cancel.get())
    {
        getProperties().set(m_propertyName, true);
        close();
    }
    else if (button == m_ok.get())
    {
        confirm();
    }
    else if (button == m_edit.get())
    {
        editOptions();
    }
}

void ExportSheet::confirm()
{
    ExportManager* exports = ExportManager::GetStoredInstance();
    if (exports == nullptr)
        return;
    // A refused session is destroyed by the manager; the session reports its
    // own reasons, and nothing is saved.
    if (!exports->startSession(std::make_unique<FileExportSession>(*m_file, *m_common)))
        return;
    m_common->saveToRegistry();
    m_file->setRecentFolders(m_destination->getRecentlyUsedFilenames());
    m_file->saveToRegistry();
    getProperties().set(m_propertyName, false);
}

void ExportSheet::editOptions()
{
    ExportParameterDialog dialog(uiText("Export_Title"), uiText("Export_Option"));
    dialog.addComboBoxRow(uiText("Export_Normalize"), m_common.get(), CommonExportParameter::kNormalizeMode);
    if (!dialog.runModal())
        dialog.revert();
}

void ExportSheet::hideUnusedOptions()
{
    bool changed = m_options->setRowVisible(m_common.get(), CommonExportParameter::kDsdFilter, false, false);
    changed = m_options->setRowVisible(m_common.get(), CommonExportParameter::kDitherType, false, false) || changed;
    if (changed)
        m_options->layOut();
}

bool ExportSheet::isEnabledWithParent(const juce::Component& component)
{
    const juce::Component* parent = component.getParentComponent();
    return component.isEnabled() && (parent == nullptr || parent->isEnabled());
}

void ExportSheet::updateBitRows()
{
    const bool bitRate = isEnabledWithParent(*m_bitRate);
    m_bitRateCaption->setVisible(bitRate);
    m_bitRate->setVisible(bitRate);
    m_bitDepthCaption->setVisible(!bitRate);
    m_bitDepth->setVisible(!bitRate);
}

void ExportSheet::exportParameterChanged(ExportParameter*, int)
{
    hideUnusedOptions();
}

void ExportSheet::exportParameterComponentChanged(ExportParameter*, int, juce::Component* component)
{
    if (component == nullptr || !isParentOf(component))
        return;
    if (component == m_bitRate.get())
    {
        updateBitRows();
        if (m_bitDepth->isVisible())
            ComponentDresser::flash(m_bitDepth.get(), juce::Colour(kFlashColour));
    }
    if (dynamic_cast<juce::ComboBox*>(component) != nullptr && isEnabledWithParent(*component))
        ComponentDresser::flash(component, juce::Colour(kFlashColour));
}
} // namespace Tavrel
