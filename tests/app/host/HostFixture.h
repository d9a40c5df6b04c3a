#pragma once

// What the controller's tests share: generated WAV songs, a listener that
// notes every call with its thread, a follower of song records, and a
// fixture with a real controller over the fake audio device type.

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/core/CTVPreferences.h"
#include "app/core/SessionMonitor.h"
#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHost.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "tests/app/FakeAudioDeviceType.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavWriter.h"

namespace qm::test
{
using Tavrel::TrackInfo;

// One call a listener got: its name, an integer argument and whether it
// came on the message thread.
struct Call
{
    std::string name;
    int value = 0;
    double level = 0.0;
    bool onMessageThread = false;
};

class RecordingListener : public CTVHostListener
{
public:
    void songListChanged(CTVHost*, int count) override { note("songListChanged", count); }
    void selectionChanged(CTVHost*, const juce::SparseSet<int>& rows, int) override
    {
        note("selectionChanged", rows.size());
    }
    void songListPathChanged(CTVHost*, const juce::File&) override { note("songListPathChanged", 0); }
    void currentTrackChanged(CTVHost*, int index) override { note("currentTrackChanged", index); }
    void transportStateChanged(CTVHost*, int state) override { note("transportStateChanged", state); }
    void windStateChanged(CTVHost*, int state) override { note("windStateChanged", state); }
    void hostMessage(CTVHost*, int cue) override { note("hostMessage", cue); }
    void levelChanged(CTVHost*, int channel, double level) override { note("levelChanged", channel, level); }
    void clipStateChanged(CTVHost*, int clip) override { note("clipStateChanged", clip); }
    void positionChanged(CTVHost*) override { note("positionChanged", 0); }
    void controlsEnabledChanged(CTVHost*, int mode) override { note("controlsEnabledChanged", mode); }
    void positionInsideSongChanged(CTVHost*, bool inside) override { note("positionInsideSongChanged", inside); }
    bool canAdvanceToNextTrack(CTVHost*) override
    {
        note("canAdvanceToNextTrack", 0);
        return allowAdvance;
    }

    std::vector<Call> take()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return std::exchange(m_calls, {});
    }
    std::vector<Call> calls() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }
    std::vector<int> values(const std::string& name) const
    {
        std::vector<int> out;
        for (const Call& c : calls())
            if (c.name == name)
                out.push_back(c.value);
        return out;
    }
    // Every call so far came on the message thread.
    bool allOnMessageThread() const
    {
        for (const Call& c : calls())
            if (!c.onMessageThread)
                return false;
        return true;
    }

    std::atomic<bool> allowAdvance{true};

private:
    void note(const char* name, int value, double level = 0.0)
    {
        const bool onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back({name, value, level, onMessageThread});
    }

    mutable std::mutex m_lock;
    std::vector<Call> m_calls;
};

// Follows song records through the controller and notes what it heard.
class RecordEvents : public Tavrel::TrackInfoListener
{
public:
    explicit RecordEvents(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)),
          m_log(log)
    {
    }
    void textChanged(TrackInfo*, int) override { m_log.push_back(m_name + " text"); }
    void controlChanged(TrackInfo*, int) override
    {
        m_log.push_back(m_name + " control");
        if (onControl)
            onControl();
    }
    std::function<void()> onControl;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

// A session monitor whose session kind, progress, time and levels the test
// sets; installed for its lifetime.
class FakeSessionMonitor : public Tavrel::SessionMonitor
{
public:
    FakeSessionMonitor() { install(this); }
    ~FakeSessionMonitor() override { uninstall(this); }

    void addSessionListener(Tavrel::ExportSessionListener* listener) override { listeners.push_back(listener); }
    void removeSessionListener(Tavrel::ExportSessionListener* listener) override
    {
        listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
    }
    int getCurrentSessionKind() override { return kind; }
    double getSessionProgress() override { return kind != 0 ? progress : 0.0; }
    bool getSessionPosition(int&, int&, float&) override { return false; }
    void getSessionLevels(float levels[2], int& clip) override
    {
        levels[0] = levels[1] = -100.0f;
        clip = 0;
    }

    // Tells the listeners that a session of the kind starts or finishes.
    void start(int sessionKind)
    {
        kind = sessionKind;
        for (auto* l : listeners)
            l->exportSessionStarted(nullptr);
    }
    void finish()
    {
        for (auto* l : listeners)
            l->exportSessionFinished(nullptr, false);
        kind = 0;
    }

    int kind = 0;
    double progress = 0.0;
    std::vector<Tavrel::ExportSessionListener*> listeners;
};

// The song names of the list, in order.
inline std::vector<juce::String> SongNames(const CTVHost& host)
{
    std::vector<juce::String> names;
    for (const TrackInfo* record : host.tracks)
        names.push_back(record->getTextField(TrackInfo::kSongName));
    return names;
}

// A row set of the rows given.
inline juce::SparseSet<int> RowSet(std::initializer_list<int> rows)
{
    juce::SparseSet<int> set;
    for (int row : rows)
        set.addRange({row, row + 1});
    return set;
}

class Host : public ::testing::Test
{
protected:
    Host()
    {
        world.devices = {FakeDeviceSpec{"Main"}};
        CTVAudioDeviceManager::SetDeviceTypeFactory([this](juce::OwnedArray<juce::AudioIODeviceType>& types) {
            types.add(new qm::test::FakeAudioDeviceType("ALSA", world));
            types.add(new qm::test::FakeAudioDeviceType("JACK", jackWorld));
        });
        manager = CTVAudioDeviceManager::GetInstance();
    }

    ~Host() override
    {
        StopBlocks();
        DestroyHost();
        CTVAudioDeviceManager::Release();
        CTVAudioDeviceManager::SetDeviceTypeFactory(nullptr);
    }

    void OpenDevice(double rate = 48000.0)
    {
        ASSERT_EQ(manager->OpenDevice("Main", rate, 0, 512, false), "");
        ASSERT_TRUE(manager->IsRunning());
    }

    void CreateHost()
    {
        host = CTVHost::GetInstance();
        host->SetShuffleSeed(20261211u);
        host->AddListener(&listener);
    }

    void DestroyHost()
    {
        if (host == nullptr)
            return;
        host->RemoveListener(&listener);
        CTVHost::Release();
        host = nullptr;
    }

    // A song of a tone (or, for float files, of a constant value) as a WAV
    // file, appended to the list the way the open flow does it.
    int AddSong(const std::string& name, double seconds, int rate = 44100, int channels = 2, bool asFloat = false,
                float constant = 0.0f)
    {
        const auto path = folder.file(name);
        const int frames = static_cast<int>(seconds * rate);
        WriteWav(path, rate, channels, frames, asFloat, [&](int i, int c) {
            return asFloat ? constant : 0.5f * std::sin(2.0f * 3.14159265f * (440.0f + 110.0f * c) * i / rate);
        });
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(path.u16string().c_str(), false));
        EXPECT_NE(reader, nullptr) << name;
        if (reader == nullptr)
            return -1;
        auto* track = new TrackInfo(*reader);
        host->tracks.push_back(track);
        track->addListener(host);
        host->BuildShuffleOrder();
        return host->GetTrackCount() - 1;
    }

    // Runs device blocks on a thread of its own, as a device would.
    void StartBlocks()
    {
        m_running = true;
        m_blocks = std::thread([this] {
            while (m_running)
            {
                if (FakeAudioDevice* device = world.current)
                    device->RunBlock(2, 512);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }

    void StopBlocks()
    {
        m_running = false;
        if (m_blocks.joinable())
            m_blocks.join();
    }

    juce::ScopedJuceInitialiser_GUI m_juce;
    qm::test::TempFolder folder;
    qm::test::ScopedEnv m_config{"XDG_CONFIG_HOME", folder.path().string()};
    FakeDeviceWorld world;
    FakeDeviceWorld jackWorld;
    CTVAudioDeviceManager* manager = nullptr;
    CTVHost* host = nullptr;
    RecordingListener listener;
    std::atomic<bool> m_running{false};
    std::thread m_blocks;
};

} // namespace qm::test
