#include "app/devices/CTVAudioDeviceManager.h"

#include "app/core/CTVPreferences.h"
#include "tests/app/FakeAudioDeviceType.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace
{
using qm::test::FakeAudioDevice;
using qm::test::FakeDeviceSpec;
using qm::test::FakeDeviceWorld;

std::vector<int> ToVector(const juce::Array<int>& sizes)
{
    return std::vector<int>(sizes.begin(), sizes.end());
}

// Records every listener call as a line of text.
class RecordingListener : public CTVAudioDeviceManagerListener
{
public:
    void deviceAboutToStart(CTVAudioDeviceManager*, double rate, int size) override
    {
        events.push_back("start " + std::to_string(static_cast<int>(rate)) + " " + std::to_string(size));
    }
    void deviceStopped(CTVAudioDeviceManager*) override { events.push_back("stopped"); }
    void driverTypeChanged(CTVAudioDeviceManager*, int kind) override
    {
        events.push_back("kind " + std::to_string(kind));
    }
    void deviceChanged(CTVAudioDeviceManager*, int index) override
    {
        events.push_back("device " + std::to_string(index));
    }

    std::vector<std::string> events;
};

// Writes a constant into every channel it is given and remembers what it saw.
class ConstantProcessor : public CTVAudioDeviceManagerProcessor
{
public:
    void processAudio(const float* const*, int, float* const* outputs, int outputCount, int sampleCount) override
    {
        ++calls;
        channelsSeen = outputCount;
        silentOnEntry = true;
        for (int c = 0; c < outputCount; ++c)
        {
            for (int i = 0; i < sampleCount; ++i)
            {
                silentOnEntry = silentOnEntry && outputs[c][i] == 0.0f;
                outputs[c][i] = 0.5f;
            }
        }
    }

    int calls = 0;
    int channelsSeen = 0;
    bool silentOnEntry = false;
};

class AudioDeviceManager : public ::testing::Test
{
protected:
    AudioDeviceManager()
    {
        FakeDeviceSpec main{"Main"};
        FakeDeviceSpec odd{"Odd"};
        odd.bufferSizes = {128, 192, 256};
        odd.defaultBufferSize = 192;
        FakeDeviceSpec unusual{"Unusual"};
        unusual.bufferSizes = {192, 384, 768};
        FakeDeviceSpec single{"Single"};
        single.bufferSizes = {480};
        single.defaultBufferSize = 480;
        FakeDeviceSpec four{"Four"};
        four.outputChannels = {"1", "2", "3", "4"};
        FakeDeviceSpec mono{"Mono"};
        mono.outputChannels = {"Mono"};
        FakeDeviceSpec rateless{"Rateless"};
        rateless.rates = {};
        FakeDeviceSpec busy{"Busy"};
        busy.openError = "Device busy";
        alsa.devices = {main, odd, unusual, single, four, mono, rateless, busy};
        jack.devices = {FakeDeviceSpec{"system"}};

        CTVAudioDeviceManager::SetDeviceTypeFactory([this](juce::OwnedArray<juce::AudioIODeviceType>& types) {
            types.add(new qm::test::FakeAudioDeviceType("ALSA", alsa));
            types.add(new qm::test::FakeAudioDeviceType("JACK", jack));
        });
        manager = CTVAudioDeviceManager::GetInstance();
        manager->AddListener(&listener);
    }

    ~AudioDeviceManager() override
    {
        manager->RemoveListener(&listener);
        CTVAudioDeviceManager::Release();
        CTVAudioDeviceManager::SetDeviceTypeFactory(nullptr);
    }

    // Replaces the instance by a new one, as a new start of the program would.
    void RecreateManager()
    {
        manager->RemoveListener(&listener);
        CTVAudioDeviceManager::Release();
        manager = CTVAudioDeviceManager::GetInstance();
        manager->AddListener(&listener);
    }

    FakeAudioDevice* Device() const { return alsa.current; }

    juce::ScopedJuceInitialiser_GUI m_juce;
    qm::test::TempFolder m_folder;
    qm::test::ScopedEnv m_config{"XDG_CONFIG_HOME", m_folder.path().string()};
    FakeDeviceWorld alsa;
    FakeDeviceWorld jack;
    CTVAudioDeviceManager* manager = nullptr;
    RecordingListener listener;
};
} // namespace

TEST_F(AudioDeviceManager, ListsBothDriverKindsAndTheirDevices)
{
    EXPECT_EQ(manager->GetDriverTypeNames(), juce::StringArray({"ALSA", "JACK"}));
    EXPECT_EQ(manager->GetNumDevices(), 8);
    EXPECT_EQ(manager->GetDeviceNameAt(1), "Odd");
    EXPECT_EQ(manager->GetDeviceNameAt(8), "");
    EXPECT_EQ(manager->GetDeviceNameAt(-1), "");
    EXPECT_EQ(manager->GetCurrentDeviceName(), "");
    EXPECT_TRUE(manager->GetAvailableBufferSizes().isEmpty());
}

TEST_F(AudioDeviceManager, FitsTheRequestedBufferSizeToTheOfferedSizes)
{
    struct Case
    {
        const char* device;
        int request;
        double rate;
        int opened;
        std::vector<int> available;
    };
    const Case cases[] = {
        {"Main", 300, 44100.0, 512, {256, 512, 1024}},
        {"Main", 4096, 44100.0, 1024, {256, 512, 1024}},
        {"Main", 100, 44100.0, 256, {256, 512, 1024}},
        {"Main", 512, 44100.0, 512, {256, 512, 1024}},
        {"Main", 0, 44100.0, 1024, {256, 512, 1024}}, // 2048 by default, clamped
        {"Odd", 0, 44100.0, 256, {128, 256}},
        {"Odd", 129, 44100.0, 256, {128, 256}},
        // No offered size is a power of two: nothing to fit to, the request stays.
        {"Unusual", 300, 44100.0, 300, {}},
        {"Unusual", 0, 96000.0, 4096, {}},
        {"Unusual", 0, 192000.0, 8192, {}},
        // One offered size: that is the size.
        {"Single", 256, 44100.0, 480, {480}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.device) + " " + std::to_string(c.request));
        EXPECT_EQ(manager->OpenDevice(c.device, c.rate, 0, c.request, false), "");
        ASSERT_NE(Device(), nullptr);
        EXPECT_EQ(Device()->getCurrentBufferSizeSamples(), c.opened);
        EXPECT_EQ(ToVector(manager->GetAvailableBufferSizes()), c.available);
    }
}

TEST_F(AudioDeviceManager, AnUnknownNameReopensThePreviousDevice)
{
    ASSERT_EQ(manager->OpenDevice("Four", 48000.0, 1, 256, true), "");
    listener.events.clear();

    EXPECT_EQ(manager->OpenDevice("Nowhere", 44100.0, 0, 512, true), "Device not found.");
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Four");
    EXPECT_EQ(manager->GetCurrentDeviceIndex(), 4);
    EXPECT_EQ(manager->GetChannelIndex(), 1);
    EXPECT_EQ(Device()->getCurrentSampleRate(), 48000.0);
    EXPECT_EQ(Device()->getCurrentBufferSizeSamples(), 256);
    EXPECT_TRUE(Device()->HasCallback());
    EXPECT_EQ(listener.events, (std::vector<std::string>{"stopped", "device -1", "device 4", "start 48000 256"}));

    // The device's own error is returned, and the retry happens the same way.
    EXPECT_EQ(manager->OpenDevice("Busy", 44100.0, 0, 512, true), "Device busy");
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Four");

    // Without the retry nothing is left open.
    EXPECT_EQ(manager->OpenDevice("Nowhere", 44100.0, 0, 512, false), "Device not found.");
    EXPECT_EQ(Device(), nullptr);
    EXPECT_EQ(manager->GetCurrentDeviceIndex(), -1);
    EXPECT_EQ(manager->GetSampleRate(), 0.0);

    // With nothing open before, the retry takes the driver's default device.
    EXPECT_EQ(manager->OpenDevice("Nowhere", 44100.0, 0, 512, true), "Device not found.");
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Main");
}

TEST_F(AudioDeviceManager, ADeviceWithoutRatesCannotRun)
{
    EXPECT_EQ(manager->OpenDevice("Rateless", 44100.0, 0, 512, false), "Device cannot be running.");
    EXPECT_EQ(manager->GetCurrentDevice(), nullptr);
}

TEST_F(AudioDeviceManager, OperationsThatNeedADeviceSaySoWithoutOne)
{
    EXPECT_EQ(manager->SetBufferSize(512), "No Device");
    EXPECT_EQ(manager->SetChannelIndex(1), "No Device");
    EXPECT_EQ(manager->SetSampleRate(48000.0), "No Device");
    EXPECT_EQ(manager->SetSampleRateAndBufferSize(512, 48000.0), "No Device");
    EXPECT_EQ(manager->Restart(), "Cannot Restart");
    EXPECT_EQ(manager->OpenDeviceByIndex(-1, 0, 0, 44100.0), "");
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(AudioDeviceManager, SettersReopenOnlyOnAChange)
{
    ASSERT_EQ(manager->OpenDeviceByIndex(4, 0, 512, 44100.0), "");
    const int created = alsa.created;

    EXPECT_EQ(manager->SetSampleRate(44100.0), "");
    EXPECT_EQ(manager->SetBufferSize(512), "");
    EXPECT_EQ(manager->SetChannelIndex(0), "");
    EXPECT_EQ(manager->SetSampleRateAndBufferSize(512, 44100.0), "");
    EXPECT_EQ(manager->Restart(), ""); // it plays
    EXPECT_EQ(alsa.created, created);

    EXPECT_EQ(manager->SetSampleRate(96000.0), "");
    EXPECT_EQ(Device()->getCurrentSampleRate(), 96000.0);
    EXPECT_EQ(manager->SetBufferSize(1024), "");
    EXPECT_EQ(Device()->getCurrentBufferSizeSamples(), 1024);
    EXPECT_EQ(manager->SetChannelIndex(1), "");
    EXPECT_EQ(Device()->getActiveOutputChannels().toInteger(), 0b1100);
    EXPECT_EQ(Device()->getCurrentSampleRate(), 96000.0);
    EXPECT_EQ(alsa.created, created + 3);
}

TEST_F(AudioDeviceManager, NamesEveryOutputPairOfTheOpenDevice)
{
    ASSERT_EQ(manager->OpenDevice("Four", 44100.0, 1, 512, false), "");
    EXPECT_EQ(manager->GetChannelPairNames(), juce::StringArray({"1/2", "3/4"}));
    EXPECT_EQ(Device()->getActiveOutputChannels().toInteger(), 0b1100);

    // Reopening lists the pairs once, not once more per open.
    ASSERT_EQ(manager->OpenDevice("Four", 44100.0, 5, 512, false), "");
    EXPECT_EQ(manager->GetChannelPairNames(), juce::StringArray({"1/2", "3/4"}));
    EXPECT_EQ(manager->GetChannelIndex(), 0); // out of range
    EXPECT_EQ(Device()->getActiveOutputChannels().toInteger(), 0b0011);

    ASSERT_EQ(manager->OpenDevice("Mono", 44100.0, 0, 512, false), "");
    EXPECT_TRUE(manager->GetChannelPairNames().isEmpty());

    manager->CloseCurrentDevice();
    EXPECT_TRUE(manager->GetChannelPairNames().isEmpty());
}

TEST_F(AudioDeviceManager, TheCallbackClearsEveryOutputAndCallsTheProcessor)
{
    ASSERT_EQ(manager->OpenDevice("Mono", 44100.0, 0, 512, false), "");

    // No processor: silence, never the stale buffer contents.
    for (const auto& channel : Device()->RunBlock(1, 64))
        EXPECT_EQ(channel, std::vector<float>(64, 0.0f));

    // A processor finds its outputs silent, whatever their count.
    ConstantProcessor processor;
    manager->SetProcessor(&processor);
    for (int channels : {1, 2, 4})
    {
        auto out = Device()->RunBlock(channels, 32);
        EXPECT_TRUE(processor.silentOnEntry);
        EXPECT_EQ(processor.channelsSeen, channels);
        EXPECT_EQ(out.back(), std::vector<float>(32, 0.5f));
    }
    EXPECT_EQ(processor.calls, 3);

    manager->SetProcessor(nullptr);
    EXPECT_EQ(Device()->RunBlock(2, 16)[0], std::vector<float>(16, 0.0f));
    EXPECT_EQ(processor.calls, 3);
}

TEST_F(AudioDeviceManager, DriverKindChangesCloseTheDeviceAndTellListeners)
{
    ASSERT_EQ(manager->OpenDevice("Main", 44100.0, 0, 512, false), "");
    listener.events.clear();

    manager->SetDriverType(2);
    manager->SetDriverType(0);
    manager->SetDriverType(-1);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_NE(Device(), nullptr);

    manager->SetDriverType(1);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"stopped", "device -1", "kind 1"}));
    EXPECT_EQ(Device(), nullptr);
    EXPECT_EQ(manager->GetDriverType(), 1);
    EXPECT_EQ(manager->GetDeviceNames(), juce::StringArray({"system"}));

    // Kind 1 defaults to 1024 frames.
    EXPECT_EQ(manager->OpenDevice("system", 44100.0, 0, 0, false), "");
    ASSERT_NE(jack.current, nullptr);
    EXPECT_EQ(jack.current->getCurrentBufferSizeSamples(), 1024);
    EXPECT_EQ(manager->OpenDevice("Main", 44100.0, 0, 512, false), "Device not found.");
}

TEST_F(AudioDeviceManager, TheWatchdogRestartsADeviceThatStopsPlaying)
{
    ASSERT_EQ(manager->OpenDevice("Main", 48000.0, 0, 256, false), "");
    EXPECT_TRUE(manager->IsRunning());
    EXPECT_TRUE(manager->isTimerRunning());
    const int created = alsa.created;

    // Playing: checks change nothing.
    for (int i = 0; i < 5; ++i)
        manager->timerCallback();
    EXPECT_EQ(alsa.created, created);

    Device()->stalled = true;
    manager->timerCallback();
    manager->timerCallback();
    EXPECT_EQ(alsa.created, created);
    EXPECT_TRUE(manager->isTimerRunning());
    manager->timerCallback(); // the third check restarts
    EXPECT_EQ(alsa.created, created + 1);
    ASSERT_NE(Device(), nullptr);
    EXPECT_FALSE(Device()->stalled);
    EXPECT_TRUE(Device()->isPlaying());
    EXPECT_EQ(Device()->getCurrentSampleRate(), 48000.0);
    EXPECT_EQ(Device()->getCurrentBufferSizeSamples(), 256);
    EXPECT_TRUE(manager->IsRunning());
    EXPECT_TRUE(manager->isTimerRunning());

    // The count starts again after a restart.
    Device()->stalled = true;
    manager->timerCallback();
    manager->timerCallback();
    EXPECT_EQ(alsa.created, created + 1);

    // A restart that fails ends the watching.
    alsa.devices[0].openError = "Gone";
    manager->timerCallback();
    EXPECT_EQ(Device(), nullptr);
    EXPECT_FALSE(manager->IsRunning());
    EXPECT_FALSE(manager->isTimerRunning());
    EXPECT_EQ(manager->Restart(), "Cannot Restart");
}

TEST_F(AudioDeviceManager, SettingsRoundTripThroughThePreferences)
{
    ASSERT_EQ(manager->OpenDevice("Four", 48000.0, 1, 256, false), "");
    manager->SaveSettings();
    {
        CTVPreferences* prefs = CTVPreferences::GetInstance();
        EXPECT_EQ(prefs->GetInt("AudioDriverType", -1), 0);
        EXPECT_EQ(prefs->GetString("AudioDevice", {}), "Four");
        EXPECT_EQ(prefs->GetString("AudioSampleRate", {}), "48000");
        EXPECT_EQ(prefs->GetInt("AudioBufferSize", -1), 256);
        EXPECT_EQ(prefs->GetInt("AudioChannelIndex", -1), 1);
        CTVPreferences::Release();
    }

    RecreateManager();
    listener.events.clear();
    manager->LoadSettings();
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Four");
    EXPECT_EQ(manager->GetChannelIndex(), 1);
    EXPECT_EQ(Device()->getCurrentSampleRate(), 48000.0);
    EXPECT_EQ(Device()->getCurrentBufferSizeSamples(), 256);
    EXPECT_TRUE(Device()->isPlaying());

    // Loading the same settings again keeps the open device.
    const int created = alsa.created;
    manager->LoadSettings();
    EXPECT_EQ(alsa.created, created);

    // Without a device: the defaults of the settings.
    manager->CloseCurrentDevice();
    manager->SaveSettings();
    {
        CTVPreferences* prefs = CTVPreferences::GetInstance();
        EXPECT_EQ(prefs->GetString("AudioDevice", "x"), "");
        EXPECT_EQ(prefs->GetString("AudioSampleRate", {}), "44100");
        EXPECT_EQ(prefs->GetInt("AudioBufferSize", -1), 0);
        CTVPreferences::Release();
    }
}

TEST_F(AudioDeviceManager, LoadingWithoutSettingsOpensTheDefaultDevice)
{
    alsa.defaultIndex = 3;
    RecreateManager();
    manager->LoadSettings();
    EXPECT_EQ(manager->GetCurrentDeviceName(), "Single");
    ASSERT_NE(Device(), nullptr);
    EXPECT_TRUE(Device()->isPlaying());
    EXPECT_EQ(Device()->getCurrentSampleRate(), 44100.0);
}

TEST_F(AudioDeviceManager, LoadingTheJackKindWithAnUnknownDeviceFallsBackToItsDefault)
{
    {
        CTVPreferences* prefs = CTVPreferences::GetInstance();
        prefs->SetInt("AudioDriverType", 1);
        prefs->SetString("AudioDevice", "unplugged");
        CTVPreferences::Release();
    }
    manager->LoadSettings();
    EXPECT_EQ(manager->GetDriverType(), 1);
    EXPECT_EQ(manager->GetCurrentDeviceName(), "system");
    ASSERT_NE(jack.current, nullptr);
    EXPECT_TRUE(jack.current->isPlaying());
}
