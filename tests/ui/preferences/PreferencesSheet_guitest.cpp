#include <gtest/gtest.h>

#include <memory>

#include "session/parameters/CommonExportParameter.h"
#include "session/parameters/DiscBurnParameter.h"
#include "tests/support/Screenshots.h"
#include "tests/support/XInput.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/preferences/AudioPreferenceTab.h"
#include "ui/preferences/OthersPreferenceTab.h"
#include "ui/preferences/PreferencesSheet.h"

using Tavrel::AudioPreferenceTab;
using Tavrel::PreferencesSheet;
namespace xinput = qm::test::xinput;

namespace
{
class Preferences : public qm::test::ExportUiFixture
{
protected:
    explicit Preferences(const char* locale = qm::test::LanguageSwitch::kEnglish)
        : ExportUiFixture(locale)
    {
        // The device types list their devices when the manager is made: the
        // controller and the manager are made again over two devices.
        DestroyHost();
        CTVAudioDeviceManager::Release();
        world.devices = {qm::test::FakeDeviceSpec{"Main"}, qm::test::FakeDeviceSpec{"Second"}};
        for (auto& device : world.devices)
        {
            device.rates = {44100.0, 48000.0};
            device.outputChannels = {"1", "2", "3", "4"};
        }
        manager = CTVAudioDeviceManager::GetInstance();
        CreateHost();
        OpenDevice(44100.0);
        sheet = std::make_unique<PreferencesSheet>();
        sheet->setVisible(false);
        main.addChildComponent(*sheet);
    }
    ~Preferences() override
    {
        if (sheet->getState() == CBfcSheet::kOpen)
            sheet->close();
        qm::test::PumpPosted();
        sheet.reset();
    }
    void Open()
    {
        ASSERT_TRUE(sheet->open());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5));
        qm::test::PumpPosted();
    }
    void Press(juce::Button& button)
    {
        button.triggerClick();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    }
    static void Choose(juce::ComboBox& box, int id)
    {
        box.setSelectedId(id, juce::sendNotificationSync);
        qm::test::PumpPosted();
    }
    AudioPreferenceTab& Audio() { return sheet->getAudioTab(); }
    static juce::StringArray Items(juce::ComboBox& box)
    {
        juce::StringArray items;
        for (int i = 0; i < box.getNumItems(); ++i)
            items.add(box.getItemText(i));
        return items;
    }

    std::unique_ptr<PreferencesSheet> sheet;
};

TEST(PreferencesLatency, Text)
{
    qm::test::LanguageSwitch language(qm::test::LanguageSwitch::kEnglish);
    EXPECT_EQ(AudioPreferenceTab::describeLatency(512, 44100.0), "Latency : 11.6 ms");
    EXPECT_EQ(AudioPreferenceTab::describeLatency(512, 48000.0), "Latency : 10.7 ms");
    EXPECT_EQ(AudioPreferenceTab::describeLatency(256, 96000.0), "Latency : 2.7 ms");
}

// The page shows the manager's state; "--" leaves the device lists empty
// and disabled and hides the latency.
TEST_F(Preferences, AudioPageShowsTheDevice)
{
    Open();
    EXPECT_EQ(sheet->getX(), 189);
    EXPECT_EQ(Items(Audio().getDeviceList()), juce::StringArray({"--", "Main", "Second"}));
    EXPECT_EQ(Audio().getDeviceList().getText(), "Main");
    EXPECT_EQ(Audio().getDriverTypeList().getText(), "ALSA");
    EXPECT_EQ(Items(Audio().getSampleRateList()).joinIntoString("|"), "44.1 kHz|48.0 kHz");
    EXPECT_EQ(Audio().getSampleRateList().getText(), "44.1 kHz");
    EXPECT_EQ(Items(Audio().getBufferSizeList()), juce::StringArray({"256 samples", "512 samples", "1024 samples"}));
    EXPECT_EQ(Audio().getBufferSizeList().getText(), "512 samples");
    EXPECT_EQ(Audio().getChannelList().getNumItems(), 2);
    EXPECT_EQ(Audio().getLatencyDisplay().getText(), "Latency : 11.6 ms");
    EXPECT_TRUE(Audio().getLatencyDisplay().isVisible());
    EXPECT_FALSE(Audio().getControlPanelButton().isEnabled()) << "no device here has a control panel";

    Choose(Audio().getSampleRateList(), 2);
    EXPECT_EQ(manager->GetSampleRate(), 48000.0);
    EXPECT_EQ(Audio().getLatencyDisplay().getText(), "Latency : 10.7 ms");

    Choose(Audio().getDeviceList(), 1);
    EXPECT_EQ(manager->GetCurrentDevice(), nullptr);
    for (juce::ComboBox* box :
         {&Audio().getSampleRateList(), &Audio().getBufferSizeList(), &Audio().getChannelList()})
    {
        EXPECT_FALSE(box->isEnabled());
        EXPECT_EQ(box->getNumItems(), 0);
        EXPECT_EQ(box->getText(), "");
    }
    EXPECT_FALSE(Audio().getLatencyDisplay().isVisible());
}

// Cancel goes back to the device of the opening; OK with "--" keeps no
// device and stops playback.
TEST_F(Preferences, CancelRestoresAndOkKeeps)
{
    Choose(Audio().getBufferSizeList(), 3);
    Choose(Audio().getChannelList(), 2);
    Open();
    Choose(Audio().getDeviceList(), 3);
    ASSERT_NE(manager->GetCurrentDevice(), nullptr);
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Second");
    Press(sheet->getCancelButton());
    ASSERT_NE(manager->GetCurrentDevice(), nullptr);
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Main");
    EXPECT_EQ(manager->GetSampleRate(), 44100.0);
    EXPECT_EQ(manager->GetCurrentDevice()->getCurrentBufferSizeSamples(), 1024);
    EXPECT_EQ(manager->GetChannelIndex(), 1);

    AddSong("a.wav", 1.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPlaying);
    Open();
    Choose(Audio().getDeviceList(), 1);
    Press(sheet->getOkButton());
    EXPECT_EQ(manager->GetCurrentDevice(), nullptr);
    EXPECT_NE(host->GetTransportState(), CTVHost::kPlaying);
    auto* preferences = CTVPreferences::GetInstance();
    EXPECT_EQ(preferences->GetString("AudioDevice", "absent"), "") << "the settings were saved without a device";
    CTVPreferences::Release();
}

// The other page: the temporary folder is stored on OK and heads the recent
// folders; no other common setting is written; Reset shows hidden warnings.
TEST_F(Preferences, OthersPage)
{
    auto* preferences = CTVPreferences::GetInstance();
    preferences->SetInt("Export_Common_Source", 1);
    preferences->SetInt("Export_Num_Drives_Hides_Warnings", 1);
    preferences->SetString("Export_Drive_Hides_Warnings_0", "Drive A");
    const juce::File temp(juce::String(folder.file("scratch").string()));
    ASSERT_TRUE(temp.createDirectory().wasOk());

    Open();
    sheet->getTabs().setCurrentTabIndex(1);
    sheet->getOthersTab().getFolderChooser().setCurrentFile(temp, true, juce::sendNotificationSync);
    qm::test::PumpPosted();
    Press(sheet->getOkButton());
    EXPECT_EQ(preferences->GetString("Export_Disc_TempDirectory", ""), temp.getFullPathName());
    EXPECT_EQ(preferences->GetString("Export_Disc_TempDirectory_0", ""), temp.getFullPathName());
    EXPECT_EQ(preferences->GetInt("Export_Common_Source", -1), 1) << "no song is selected, yet the choice stays";

    Open();
    sheet->getOthersTab().getResetButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_EQ(preferences->GetInt("Export_Num_Drives_Hides_Warnings", -1), 0);
    Tavrel::DiscBurnParameter burn(nullptr);
    burn.loadFromRegistry();
    EXPECT_TRUE(burn.getHiddenWarningDrives().isEmpty());
    CTVPreferences::Release();
}

// Ctrl+, and Escape are the sheet's keys only while it is open.
TEST_F(Preferences, KeysOnlyWhileOpen)
{
    ASSERT_TRUE(xinput::focusWindow(*window));
    ASSERT_TRUE(xinput::key(*window, "Escape"));
    ASSERT_TRUE(xinput::key(*window, "ctrl+comma"));
    qm::test::PumpPosted();
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
    Open();
    ASSERT_TRUE(xinput::key(*window, "ctrl+comma"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    Open();
    ASSERT_TRUE(xinput::key(*window, "Escape"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    EXPECT_FALSE(sheet->getOkButton().isRegisteredForShortcut(juce::KeyPress::createFromDescription("Ctrl+,")));
}

// A device that fails to open leaves the lists empty and the program going.
TEST_F(Preferences, FailingDevice)
{
    world.devices[1].openError = "device is busy";
    Open();
    Choose(Audio().getDeviceList(), 3);
    // The lists show what the manager has open afterwards.
    juce::AudioIODevice* open = manager->GetCurrentDevice();
    EXPECT_EQ(Audio().getDeviceList().getText(), open != nullptr ? open->getName() : "--");
    EXPECT_EQ(Audio().getSampleRateList().getNumItems(), open != nullptr ? 2 : 0);
    Press(sheet->getCancelButton());
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Main");
}

TEST(PreferencesLooks, BothTabs)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        struct Scene final : public Preferences
        {
            explicit Scene(const char* l)
                : Preferences(l)
            {
            }
            void TestBody() override {}
            void Keep(const std::string& name)
            {
                qm::test::PumpFor(300);
                const std::string full = name + (language.isJapanese() ? "-ja" : "-en");
                qm::test::KeepRender(qm::test::screenshots::snapshot(main, "PreferencesLooks", full), full);
            }
            using Preferences::Open;
            using Preferences::sheet;
        } scene(locale);
        scene.Open();
        scene.Keep("audio-tab");
        scene.sheet->getTabs().setCurrentTabIndex(1);
        scene.Keep("others-tab");
    }
}
} // namespace
