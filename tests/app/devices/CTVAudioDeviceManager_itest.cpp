// Plays a generated song through the device manager into a JACK server that
// runs on its dummy back end, and captures what reaches the server.

#include "app/devices/CTVAudioDeviceManager.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "tests/support/JackTestServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using qm::test::CaptureClient;
using qm::test::JackServer;
using qm::test::WaitFor;

namespace
{
constexpr int kSongFrames = 22050;

std::vector<int> ToVector(const juce::Array<int>& sizes)
{
    return std::vector<int>(sizes.begin(), sizes.end());
}

float SongSample(int channel, int frame)
{
    // Distinct, never-zero shapes per channel, so order and channel swaps show.
    const double t = frame + 1;
    return channel == 0 ? static_cast<float>(0.5 * std::sin(t * 0.013) + 0.01)
                        : static_cast<float>(-0.25 * std::cos(t * 0.007) - 0.3);
}

// The song as a source of the file player: 44100 Hz stereo, computed
// samples. Reads come from the player's reader thread.
class SongSource : public CAudioPlayerInput
{
public:
    uint32_t GetSampleRate() override { return 44100; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint16_t GetChannelCount() override { return 2; }
    uint64_t GetLength() override { return kSongFrames; }
    uint64_t GetPosition() override { return m_position.load(); }
    uint64_t SetPosition(uint64_t frame) override
    {
        m_position.store(std::min<uint64_t>(frame, kSongFrames));
        return m_position.load();
    }
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override
    {
        const uint64_t position = m_position.load();
        const auto got = static_cast<uint32_t>(std::min<uint64_t>(frames, kSongFrames - position));
        for (int c = 0; c < 2; ++c)
        {
            if (channels[c] == nullptr)
                continue;
            for (uint32_t i = 0; i < frames; ++i)
                channels[c][offset + i] = i < got ? SongSample(c, static_cast<int>(position + i)) : 0.0f;
        }
        m_position.store(position + got);
        return got;
    }

private:
    std::atomic<uint64_t> m_position{0};
};

// The device's processor: every block comes from the file player.
class PlayerProcessor : public CTVAudioDeviceManagerProcessor
{
public:
    explicit PlayerProcessor(CAudioFileTransport& transport)
        : m_transport(transport)
    {
    }

    void processAudio(const float* const* inputs, int, float* const* outputs, int outputCount, int sampleCount) override
    {
        ++calls;
        if (outputCount >= 2 && sampleCount > 0)
            m_transport.ProcessBlock(inputs, outputs, static_cast<uint32_t>(sampleCount));
    }

    std::atomic<int> calls{0};

private:
    CAudioFileTransport& m_transport;
};

// Counts the ends of the song the player reports.
class EndListener : public CAudioFileTransportListener
{
public:
    void transportStateChanged(CAudioFileTransport*) override { ++ends; }
    void transportStopped(CAudioFileTransport*) override { ++failures; }
    std::atomic<int> ends{0};
    std::atomic<int> failures{0};
};

class StartListener : public CTVAudioDeviceManagerListener
{
public:
    void deviceAboutToStart(CTVAudioDeviceManager*, double sampleRate, int bufferSize) override
    {
        rate = sampleRate;
        size = bufferSize;
    }
    double rate = 0.0;
    int size = 0;
};

// Empty when the recording holds silence, the whole song in order on the
// right channels with its exact samples, then silence; else what is wrong.
std::string CheckTake(const CaptureClient& capture)
{
    const int frames = capture.Frames();
    const auto& left = capture.Channel(0);
    const auto& right = capture.Channel(1);
    int start = 0;
    while (start < frames && left[start] == 0.0f)
        ++start;
    if (start + kSongFrames > frames)
        return "the song is not whole: it starts at frame " + std::to_string(start) + " of " + std::to_string(frames);

    int wrong = 0;
    for (int i = 0; i < start; ++i)
        wrong += right[i] != 0.0f;
    for (int i = 0; i < kSongFrames; ++i)
    {
        wrong += left[start + i] != SongSample(0, i);
        wrong += right[start + i] != SongSample(1, i);
    }
    for (int i = start + kSongFrames; i < frames; ++i)
        wrong += left[i] != 0.0f || right[i] != 0.0f;
    if (wrong != 0)
        return std::to_string(wrong) + " wrong samples; the song starts at frame " + std::to_string(start);
    return {};
}

} // namespace

TEST_F(JackServer, ASongReachesTheDeviceWholeInOrderAndAtItsLevel)
{
    CaptureClient capture;
    ASSERT_TRUE(capture.IsValid());

    StartListener listener;
    // The song outlives the player, the player the processor.
    SongSource song;
    EndListener ends;
    CAudioFilePlayerPcmOutput player;
    player.AddListener(&ends);
    PlayerProcessor processor(player);
    CTVAudioDeviceManager* manager = CTVAudioDeviceManager::GetInstance();
    manager->AddListener(&listener);
    manager->SetProcessor(&processor);
    // Ends the registrations and the device on every way out of the test,
    // before the processor and the listener go away.
    struct Registration
    {
        CTVAudioDeviceManager* manager;
        StartListener* listener;
        ~Registration()
        {
            manager->SetProcessor(nullptr);
            manager->RemoveListener(listener);
            CTVAudioDeviceManager::Release();
        }
    } registration{manager, &listener};

    ASSERT_EQ(manager->GetDriverTypeNames(), juce::StringArray({"ALSA", "JACK"}));
    manager->SetDriverType(1);
    ASSERT_TRUE(manager->GetDeviceNames().contains("system"));
    // Kind 1 asks for 1024 frames; the server offers its period only.
    EXPECT_EQ(manager->OpenDevice("system", 44100.0, 0, 0, false), "");
    EXPECT_TRUE(manager->IsRunning());
    EXPECT_EQ(manager->GetSampleRate(), 44100.0);
    EXPECT_EQ(ToVector(manager->GetAvailableBufferSizes()), std::vector<int>{512});
    EXPECT_EQ(manager->GetChannelPairNames(), juce::StringArray({"playback_1/playback_2"}));
    EXPECT_EQ(listener.rate, 44100.0);
    EXPECT_EQ(listener.size, 512);

    // Our device's two outputs into the capture client.
    ASSERT_TRUE(capture.ConnectToDevice());

    // A period that the loaded machine could not serve in time (an xrun)
    // drops or repeats a block of the recording for reasons of the machine,
    // not of the program; such a take is played again. A fault of the program
    // spoils every take.
    std::string problem;
    int takes = 0;
    do
    {
        ++takes;
        // From the start of the song, buffered before the recording begins;
        // the stopped player plays silence meanwhile.
        player.SetSource(&song);
        ASSERT_TRUE(WaitFor([&] { return !player.IsPrebuffering(); }, std::chrono::seconds(60)));
        const int ended = ends.ends.load();
        capture.StartRecording();
        player.Play();
        // Generous: on a loaded machine the clients' threads get little time.
        ASSERT_TRUE(WaitFor([&] { return ends.ends.load() > ended; }, std::chrono::seconds(60)))
            << "the device called the processor " << processor.calls.load() << " times; player state "
            << player.GetState() << ", prebuffering " << player.IsPrebuffering() << ", running " << player.IsRunning()
            << ", position " << player.GetPosition() << " s";
        EXPECT_EQ(ends.failures.load(), 0);
        // Some silence after the song.
        const int after = capture.Frames() + 4096;
        ASSERT_TRUE(WaitFor([&] { return capture.Frames() >= after; }, std::chrono::seconds(60)));
        capture.StopRecording();
        problem = CheckTake(capture);
    } while (!problem.empty() && takes < 5);
    EXPECT_EQ(problem, "") << takes << " takes, " << capture.XRuns() << " xruns";
}
