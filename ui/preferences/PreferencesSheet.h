#pragma once

#include "ui/windows/CBfcSheet.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
class AudioPreferenceTab;
class OthersPreferenceTab;

// The preferences: the audio output page and the other settings, with OK
// and Cancel. Audio changes take effect at once; the device settings are
// saved when the sheet opens, Cancel returns to them and OK keeps and saves
// them. After either, playback stops when no device runs. Message thread.
class PreferencesSheet : public CBfcSheet, public juce::Button::Listener
{
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 376;
    static constexpr int kTabDepth = 30;
    static constexpr juce::uint32 kBackgroundColour = 0xC0FFFFFF;

    PreferencesSheet();
    ~PreferencesSheet() override;

    AudioPreferenceTab& getAudioTab() { return *m_audio; }
    OthersPreferenceTab& getOthersTab() { return *m_others; }
    juce::TabbedComponent& getTabs() { return *m_tabs; }
    juce::TextButton& getOkButton() { return *m_ok; }
    juce::TextButton& getCancelButton() { return *m_cancel; }

    void paint(juce::Graphics& g) override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;

protected:
    void sheetWillOpen() override;
    void sheetWillClose() override;

private:
    static void stopPlaybackUnlessRunning();

    std::unique_ptr<AudioPreferenceTab> m_audio;
    std::unique_ptr<OthersPreferenceTab> m_others;
    std::unique_ptr<juce::TabbedComponent> m_tabs;
    std::unique_ptr<juce::TextButton> m_ok;
    std::unique_ptr<juce::TextButton> m_cancel;
};
} // namespace Tavrel
