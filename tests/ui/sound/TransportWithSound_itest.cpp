// The transport strip and the level meter in a window over the controller
// and the device manager as the application builds them, playing through
// the JACK driver into a JACK server on its dummy back end; a capture client
// records what arrives. Needs an X display for the windows.

#include <gtest/gtest.h>

#include <cmath>

#include "app/commands/ActionManager.h"
#include "app/commands/CommandManager.h"
#include "app/core/CTVResourceManager.h"
#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHost.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "session/manager/ExportManager.h"
#include "tests/support/JackTestServer.h"
#include "tests/support/LanguageSwitch.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/MinimalApplication.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavWriter.h"
#include "ui/meter/LevelMeter.h"
#include "ui/transport/TransportComponent.h"

using qm::test::CaptureClient;
using qm::test::JackServer;

namespace
{
constexpr int kSongFrames = 3 * 44100;

int16_t SongSample(int channel, int frame)
{
    const double t = frame + 1;
    const double v = channel == 0 ? 0.5 * std::sin(t * 0.013) + 0.01 : -0.25 * std::cos(t * 0.007) - 0.3;
    return static_cast<int16_t>(std::lround(v * 32767.0));
}
} // namespace

TEST_F(JackServer, TheTransportStripPlaysASong)
{
    // Windows need an application object to name them.
    qm::test::InstallMinimalApplication();
    juce::ScopedJuceInitialiser_GUI framework;
    qm::test::TempFolder folder;
    qm::test::ScopedEnv config{"XDG_CONFIG_HOME", folder.path().string()};
    qm::test::LanguageSwitch language(qm::test::LanguageSwitch::kEnglish);
    CaptureClient capture;
    ASSERT_TRUE(capture.IsValid());

    // The application's order, released the other way round.
    CTVResourceManager::GetInstance();
    CTVAudioDeviceManager* manager = CTVAudioDeviceManager::GetInstance();
    Tavrel::ExportManager::GetInstance();
    CTVHost* host = CTVHost::GetInstance();
    Tavrel::CommandManager* commands = Tavrel::CommandManager::GetInstance();
    juce::Component target;
    auto actions = std::make_unique<Tavrel::ActionManager>(&target);
    commands->registerAllCommandsForTarget(actions.get());
    commands->setFirstCommandTarget(actions.get());
    struct Chain
    {
        Tavrel::CommandManager* commands;
        std::unique_ptr<Tavrel::ActionManager>& actions;
        ~Chain()
        {
            commands->setFirstCommandTarget(nullptr);
            commands->clearCommands();
            actions.reset();
            Tavrel::CommandManager::Release();
            CTVHost::Release();
            Tavrel::ExportManager::Release();
            CTVAudioDeviceManager::Release();
            CTVResourceManager::Release();
        }
    } chain{commands, actions};

    manager->SetDriverType(1);
    ASSERT_EQ(manager->OpenDevice("system", 44100.0, 0, 0, false), "");
    ASSERT_TRUE(manager->IsRunning());
    ASSERT_TRUE(capture.ConnectToDevice());

    const auto path = folder.file("song.wav");
    qm::test::WriteWav(path, 44100, 2, kSongFrames, false, [](int i, int c) { return SongSample(c, i) / 32767.0f; });
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(path.u16string().c_str(), false));
        ASSERT_NE(reader, nullptr);
        auto* track = new Tavrel::TrackInfo(*reader);
        host->tracks.push_back(track);
        track->addListener(host);
        host->RebuildNameIndex();
        host->NotifySongListChanged();
    }
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));

    juce::Component window("Player");
    TransportComponent strip(*host);
    LevelMeter meter(*host);
    window.setBounds(0, 0, 820, 240);
    window.addAndMakeVisible(strip);
    meter.setTopLeftPosition(705, 0);
    window.addAndMakeVisible(meter);
    window.addToDesktop(0);
    window.setVisible(true);
    qm::test::PumpPosted();

    // A period the loaded machine could not serve in time drops or repeats a
    // block for reasons of the machine; such a take is played again.
    int wrong = -1;
    for (int take = 0; take < 3 && wrong != 0; ++take)
    {
        ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return !host->GetPlayer()->IsPrebuffering(); }, 60));
        capture.StartRecording();
        strip.getPlayButton().triggerClick();
        std::vector<int> points;
        juce::StringArray counters;
        bool lit = false;
        ASSERT_TRUE(qm::test::PumpUntil(
            [&] {
                const int x = strip.getTimeBar().getPointX();
                if (points.empty() || points.back() != x)
                    points.push_back(x);
                const juce::String counter = strip.getInformationViewer().getCounter().getLabel().getText();
                if (counters.isEmpty() || counters[counters.size() - 1] != counter)
                    counters.add(counter);
                lit = lit || meter.getBar(0).getLitHeight() > 0;
                return host->GetTransportState() == CTVHost::kStopped && points.size() > 1;
            },
            20));
        EXPECT_GE(points.size(), 4u) << "the point moved at least three times";
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end() - 1));
        EXPECT_GE(counters.size(), 4);
        for (int i = 1; i + 1 < counters.size(); ++i)
            EXPECT_LT(counters[i - 1], counters[i]);
        EXPECT_TRUE(lit) << "the meter lit while the song played";
        ASSERT_TRUE(qm::test::PumpUntil(
            [&] { return meter.getBar(0).getDisplayedLevel() == CTVCtrlLevelMeter::kSilence; }, 5))
            << "the meter falls to nothing after the song";
        const int after = capture.Frames() + 4096;
        ASSERT_TRUE(qm::test::PumpUntil([&] { return capture.Frames() >= after; }, 60));
        capture.StopRecording();

        // The song arrived whole.
        const int frames = capture.Frames();
        const auto& left = capture.Channel(0);
        const auto& right = capture.Channel(1);
        int at = 0;
        while (at < frames && left[at] == 0.0f)
            ++at;
        ASSERT_LE(at + kSongFrames, frames);
        wrong = 0;
        for (int i = 0; i < kSongFrames; ++i)
        {
            wrong += left[at + i] != SongSample(0, i) / 32768.0f;
            wrong += right[at + i] != SongSample(1, i) / 32768.0f;
        }
    }
    EXPECT_EQ(wrong, 0) << capture.XRuns() << " xruns";
    window.removeFromDesktop();
}
