#include "ui/preferences/OthersPreferenceTab.h"

#include "app/core/CTVPreferences.h"
#include "session/parameters/CommonExportParameter.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"

namespace Tavrel
{
namespace
{
constexpr const char* kHiddenWarningsValue = "Export_Num_Drives_Hides_Warnings";

std::unique_ptr<juce::Label> makeTabCaption(const char* key)
{
    auto label = std::make_unique<juce::Label>(juce::String(), uiText(key));
    label->setFont(juce::Font(15.0f));
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        look->setLabelFontKind(*label, 2);
    label->setJustificationType(juce::Justification::centredLeft);
    label->setColour(juce::Label::textColourId, juce::Colours::black);
    return label;
}
} // namespace

OthersPreferenceTab::OthersPreferenceTab()
    : m_common(std::make_unique<CommonExportParameter>())
{
    m_folder = std::make_unique<juce::FilenameComponent>("TempFolder", juce::File(), true, true, false, juce::String(),
                                                         juce::String(), juce::String());
    m_comboLook = std::make_unique<ComboBoxLookAndFeel>(m_folder.get(), 1);
    m_folder->setLookAndFeel(m_comboLook.get());
    m_folderCaption = makeTabCaption("Pref_TempFolder");
    m_reset = std::make_unique<juce::TextButton>(uiText("Button_Reset"));
    m_reset->addListener(this);
    m_resetCaption = makeTabCaption("Pref_ResetWarnings");
    for (juce::Component* child :
         {static_cast<juce::Component*>(m_folder.get()), static_cast<juce::Component*>(m_folderCaption.get()),
          static_cast<juce::Component*>(m_reset.get()), static_cast<juce::Component*>(m_resetCaption.get())})
        addAndMakeVisible(child);
    m_common->bindComponent(m_folder.get(), CommonExportParameter::kTempDirectory);
    setSize(kWidth, kHeight);
}

OthersPreferenceTab::~OthersPreferenceTab()
{
    m_common->unbindComponent(m_folder.get());
    m_folder->setLookAndFeel(nullptr);
}

void OthersPreferenceTab::reload()
{
    m_common->loadFromRegistry();
    m_folder->setRecentlyUsedFilenames(m_common->getRecentFolders());
}

void OthersPreferenceTab::apply()
{
    m_common->setRecentFolders(m_folder->getRecentlyUsedFilenames());
    m_common->saveItemToRegistry(CommonExportParameter::kTempDirectory);
    m_common->saveExtraToRegistry();
}

void OthersPreferenceTab::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::white);
}

void OthersPreferenceTab::resized()
{
    m_folderCaption->setBounds(8, 8, 272, 24);
    m_folder->setBounds(8, 32, 272, 24);
    m_resetCaption->setBounds(8, 64, 272, 24);
    m_reset->setBounds(184, 88, 96, 24);
}

void OthersPreferenceTab::buttonClicked(juce::Button* button)
{
    if (button != m_reset.get())
        return;
    CTVPreferences* preferences = CTVPreferences::GetInstance();
    if (preferences != nullptr && preferences->IsOpen())
        preferences->SetInt(kHiddenWarningsValue, 0);
    CTVPreferences::Release();
}
} // namespace Tavrel
