#include "ui/preferences/PreferencesSheet.h"

#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHost.h"
#include "ui/look/UiText.h"
#include "ui/preferences/AudioPreferenceTab.h"
#include "ui/preferences/OthersPreferenceTab.h"

namespace Tavrel
{
PreferencesSheet::PreferencesSheet()
    : m_audio(std::make_unique<AudioPreferenceTab>()),
      m_others(std::make_unique<OthersPreferenceTab>()),
      m_tabs(std::make_unique<juce::TabbedComponent>(juce::TabbedButtonBar::TabsAtTop)),
      m_ok(std::make_unique<juce::TextButton>(uiText("Button_Ok"))),
      m_cancel(std::make_unique<juce::TextButton>(uiText("Button_Cancel")))
{
    m_tabs->setTabBarDepth(kTabDepth);
    m_tabs->addTab(uiText("Pref_Tab_AudioDevice"), juce::Colours::white, m_audio.get(), false);
    m_tabs->addTab(uiText("Pref_Tab_Others"), juce::Colours::white, m_others.get(), false);
    m_tabs->setCurrentTabIndex(0);
    addAndMakeVisible(*m_tabs);
    for (juce::TextButton* button : {m_ok.get(), m_cancel.get()})
    {
        button->addListener(this);
        addAndMakeVisible(*button);
    }
    setSize(kWidth, kHeight);
}

PreferencesSheet::~PreferencesSheet()
{
    // The tabs hold the pages without owning them.
    m_tabs->clearTabs();
}

void PreferencesSheet::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(kBackgroundColour));
}

void PreferencesSheet::resized()
{
    m_tabs->setBounds(16, 16, 288, 304);
    m_cancel->setBounds(16, 336, 96, 24);
    m_ok->setBounds(208, 336, 96, 24);
}

void PreferencesSheet::sheetWillOpen()
{
    if (CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance())
        devices->SaveSettings();
    m_audio->refresh(false);
    m_others->reload();
    const juce::KeyPress ok = juce::KeyPress::createFromDescription("Ctrl+,");
    if (ok.isValid())
        m_ok->addShortcut(ok);
    m_cancel->addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
}

void PreferencesSheet::sheetWillClose()
{
    m_ok->clearShortcuts();
    m_cancel->clearShortcuts();
}

void PreferencesSheet::stopPlaybackUnlessRunning()
{
    CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance();
    if (devices != nullptr && devices->GetCurrentDevice() != nullptr && devices->IsRunning())
        return;
    if (CTVHost* host = CTVHost::GetStoredInstance())
        host->StopPlayback();
}

void PreferencesSheet::buttonClicked(juce::Button* button)
{
    CTVAudioDeviceManager* devices = CTVAudioDeviceManager::GetStoredInstance();
    if (button == m_ok.get())
    {
        if (devices != nullptr)
        {
            devices->SaveSettings();
            if (devices->GetCurrentDevice() == nullptr || !devices->IsRunning())
                (void)devices->Restart();
        }
        // Whether the restart reported an error or not, playback goes on
        // only on a running device.
        stopPlaybackUnlessRunning();
        m_others->apply();
        close();
    }
    else if (button == m_cancel.get())
    {
        if (devices != nullptr)
            devices->LoadSettings();
        stopPlaybackUnlessRunning();
        close();
    }
}
} // namespace Tavrel
