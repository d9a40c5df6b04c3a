// The controller as the application builds it (device manager, export
// manager, controller) plays a list of two songs in list mode through the
// JACK driver into a JACK server on its dummy back end; a capture client
// records what arrives.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHost.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "session/manager/ExportManager.h"
#include "tests/support/JackTestServer.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavWriter.h"

using qm::test::CaptureClient;
using qm::test::JackServer;

namespace
{
constexpr int kSongFrames = 22050;

// Distinct, never-zero 16-bit shapes per song and channel.
int16_t SongSample(int song, int channel, int frame)
{
    const double t = frame + 1;
    const double v = song == 0 ? (channel == 0 ? 0.5 * std::sin(t * 0.013) + 0.01 : -0.25 * std::cos(t * 0.007) - 0.3)
                               : (channel == 0 ? 0.4 * std::cos(t * 0.021) - 0.45 : 0.3 * std::sin(t * 0.003) + 0.35);
    return static_cast<int16_t>(std::lround(v * 32767.0));
}

void WriteSong(const std::filesystem::path& path, int song)
{
    qm::test::WriteWav(path, 44100, 2, kSongFrames, false,
                       [song](int i, int c) { return SongSample(song, c, i) / 32767.0f; });
}

// Notes the current songs the controller reports.
class Reports : public CTVHostListener
{
public:
    void currentTrackChanged(CTVHost*, int index) override { events.push_back(index); }
    std::vector<int> events;
};

// Empty when the recording holds both songs whole and in order with their
// exact samples, silence only before, between and after them; else what is
// wrong.
std::string CheckTake(const CaptureClient& capture)
{
    const int frames = capture.Frames();
    const auto& left = capture.Channel(0);
    const auto& right = capture.Channel(1);
    int at = 0;
    for (int song = 0; song < 2; ++song)
    {
        const int silenceFrom = at;
        while (at < frames && left[at] == 0.0f)
            ++at;
        for (int i = silenceFrom; i < at; ++i)
            if (right[i] != 0.0f)
                return "noise before song " + std::to_string(song);
        if (at + kSongFrames > frames)
            return "song " + std::to_string(song) + " is not whole: it starts at frame " + std::to_string(at);
        int wrong = 0;
        for (int i = 0; i < kSongFrames; ++i)
        {
            wrong += left[at + i] != SongSample(song, 0, i) / 32768.0f;
            wrong += right[at + i] != SongSample(song, 1, i) / 32768.0f;
        }
        if (wrong != 0)
            return std::to_string(wrong) + " wrong samples in song " + std::to_string(song) + " at frame " +
                   std::to_string(at);
        at += kSongFrames;
    }
    for (int i = at; i < frames; ++i)
        if (left[i] != 0.0f || right[i] != 0.0f)
            return "noise after the songs";
    return {};
}
} // namespace

TEST_F(JackServer, TheControllerPlaysAListWholeAndInOrder)
{
    qm::test::TempFolder folder;
    qm::test::ScopedEnv config{"XDG_CONFIG_HOME", folder.path().string()};

    CaptureClient capture;
    ASSERT_TRUE(capture.IsValid());

    // The application's order: device manager, export manager, controller;
    // released the other way round on every way out of the test.
    CTVAudioDeviceManager* manager = CTVAudioDeviceManager::GetInstance();
    Tavrel::ExportManager::GetInstance();
    CTVHost* host = CTVHost::GetInstance();
    host->loadPlayerPreferences();
    Reports reports;
    host->AddListener(&reports);
    struct Chain
    {
        CTVHost* host;
        Reports* reports;
        ~Chain()
        {
            host->savePlayerPreferences();
            host->RemoveListener(reports);
            CTVHost::Release();
            Tavrel::ExportManager::Release();
            CTVAudioDeviceManager::Release();
        }
    } chain{host, &reports};

    manager->SetDriverType(1);
    ASSERT_EQ(manager->OpenDevice("system", 44100.0, 0, 0, false), "");
    ASSERT_TRUE(manager->IsRunning());
    ASSERT_TRUE(capture.ConnectToDevice());

    // The list as the open flow fills it.
    for (int song = 0; song < 2; ++song)
    {
        const auto path = folder.file("song" + std::to_string(song) + ".wav");
        WriteSong(path, song);
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(path.u16string().c_str(), false));
        ASSERT_NE(reader, nullptr);
        auto* track = new Tavrel::TrackInfo(*reader);
        host->tracks.push_back(track);
        track->addListener(host);
    }
    host->SetPlayMode(CTVHost::kPlayList);

    // A period the loaded machine could not serve in time drops or repeats a
    // block for reasons of the machine, not of the program; such a take is
    // played again. A fault of the program spoils every take.
    std::string problem;
    int takes = 0;
    do
    {
        ++takes;
        reports.events.clear();
        ASSERT_TRUE(host->SetCurrentTrack(0, true, true));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return !host->GetPlayer()->IsPrebuffering(); }, 60));
        capture.StartRecording();
        host->SetTransportState(CTVHost::kPlaying);
        ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
        ASSERT_TRUE(qm::test::PumpUntil(
            [&] { return reports.events.size() >= 3 && host->GetTransportState() == CTVHost::kStopped; }, 120))
            << "position " << host->GetPlayer()->GetPosition() << " s of song " << host->GetCurrentIndex();
        const int after = capture.Frames() + 4096;
        ASSERT_TRUE(qm::test::PumpUntil([&] { return capture.Frames() >= after; }, 60));
        capture.StopRecording();
        problem = CheckTake(capture);
    } while (!problem.empty() && takes < 5);
    EXPECT_EQ(problem, "") << takes << " takes, " << capture.XRuns() << " xruns";
    EXPECT_EQ(reports.events, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
}
