#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/audiofile/tags/CMarker.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/rate/CRealTimeFsConverterPcmOutput.h"

namespace
{
// A source of computed samples. Reads come from the player's reader thread,
// so everything the test looks at is atomic.
class PlayerTestSource : public CAudioPlayerInput
{
public:
    PlayerTestSource(uint32_t rate, uint64_t length, std::function<float(uint64_t)> sample, uint16_t channels = 2,
                     uint16_t bits = 16)
        : m_rate(rate),
          m_length(length),
          m_sample(std::move(sample)),
          m_channels(channels),
          m_bits(bits)
    {
    }

    uint32_t GetSampleRate() override { return m_rate; }
    uint16_t GetBitsPerSample() override { return m_bits; }
    uint16_t GetChannelCount() override { return m_channels; }
    uint64_t GetLength() override { return m_length; }
    uint64_t GetPosition() override { return m_position.load(); }
    uint64_t SetPosition(uint64_t frame) override
    {
        ++seeks;
        m_position.store(std::min(frame, m_length));
        return m_position.load();
    }
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override
    {
        maxRequest.store(std::max(maxRequest.load(), frames));
        const uint64_t position = m_position.load();
        const uint64_t limit = std::min<uint64_t>(m_length, available.load());
        uint32_t got = 0;
        if (position >= failAt.load())
            m_failed.store(true);
        else if (position < limit)
            got = static_cast<uint32_t>(std::min<uint64_t>(frames, limit - position));
        for (uint16_t c = 0; c < m_channels; ++c)
        {
            if (channels[c] == nullptr)
                continue;
            for (uint32_t i = 0; i < frames; ++i)
                channels[c][offset + i] = i < got ? m_sample(position + i) : 0.0f;
        }
        m_position.store(position + got);
        return got;
    }
    bool HasReadFailed() override { return m_failed.load(); }

    CMarker& Marks() { return m_marker; }

    std::atomic<uint32_t> maxRequest{0};
    std::atomic<int> seeks{0};
    // Frames the source can deliver so far (a slow medium).
    std::atomic<uint64_t> available{UINT64_MAX};
    // The read at or after this frame fails.
    std::atomic<uint64_t> failAt{UINT64_MAX};

private:
    uint32_t m_rate;
    uint64_t m_length;
    std::function<float(uint64_t)> m_sample;
    uint16_t m_channels;
    uint16_t m_bits;
    std::atomic<uint64_t> m_position{0};
    std::atomic<bool> m_failed{false};
};

class CountingListener : public CAudioFileTransportListener
{
public:
    void transportStateChanged(CAudioFileTransport*) override
    {
        ++stateChanged;
        if (std::this_thread::get_id() == audioThread)
            calledOnAudioThread = true;
    }
    void transportStopped(CAudioFileTransport*) override { ++stopped; }
    std::atomic<int> stateChanged{0};
    std::atomic<int> stopped{0};
    // The thread that processes the blocks; the audio thread never calls
    // listeners.
    std::thread::id audioThread = std::this_thread::get_id();
    std::atomic<bool> calledOnAudioThread{false};
};

bool WaitFor(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

float Constant(uint64_t)
{
    return 0.5f;
}
float Ramp(uint64_t frame)
{
    return static_cast<float>(frame) * 1.0e-6f;
}

// Plays blocks the way the audio device thread does.
struct Device
{
    static constexpr uint32_t kBlock = 512;
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
    float* out[2] = {left.data(), right.data()};

    uint32_t Block(CAudioFileTransport& transport, uint32_t frames = kBlock)
    {
        return transport.ProcessBlock(nullptr, out, frames);
    }
};

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override { player.AddListener(&listener); }
    void TearDown() override { player.DetachSource(); }

    // Sets the source and waits until the ring holds enough to play.
    void Load(PlayerTestSource& source)
    {
        player.SetSource(&source);
        ASSERT_TRUE(WaitUntilPlayable());
    }
    bool WaitUntilPlayable()
    {
        return WaitFor([&] { return !player.IsPrebuffering(); });
    }

    // Sources outlive the player (declared first, destroyed last).
    template <typename... Args>
    PlayerTestSource& MakeSource(Args&&... args)
    {
        sources.push_back(std::make_unique<PlayerTestSource>(std::forward<Args>(args)...));
        return *sources.back();
    }

    std::vector<std::unique_ptr<PlayerTestSource>> sources;
    CountingListener listener;
    CAudioFilePlayerPcmOutput player;
    Device device;
};

TEST_F(PlayerTest, ChunksAskTheSourceForTheDeviceChunkTimesTheRateRatio)
{
    struct Case
    {
        uint32_t fileRate;
        float deviceRate;
        uint32_t request;
    };
    const Case cases[] = {
        {48000, 44100.0f, 1113},    // trunc(1023 x 48000 / 44100)
        {44100, 44100.0f, 1023},    // no conversion
        {2822400, 44100.0f, 16384}, // 1023 x 64, limited to the source buffer
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fileRate);
        PlayerTestSource& source = MakeSource(c.fileRate, c.fileRate * 3ull, Constant);
        player.SetDeviceSampleRate(c.deviceRate);
        Load(source);
        EXPECT_EQ(source.maxRequest.load(), c.request);
        player.DetachSource();
    }
}

TEST_F(PlayerTest, SilenceUntil65536FramesAreBuffered)
{
    PlayerTestSource& source = MakeSource(44100, 441000, Constant);
    source.available = 65535;
    player.SetSource(&source);
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return source.GetPosition() == 65535; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(player.IsPrebuffering());
    device.left[0] = 1.0f;
    EXPECT_EQ(device.Block(player), 0u);
    EXPECT_EQ(device.left[0], 0.0f);

    source.available = 65536;
    ASSERT_TRUE(WaitUntilPlayable());
    EXPECT_EQ(device.Block(player), Device::kBlock);
    EXPECT_EQ(device.left[0], 0.5f);
    EXPECT_EQ(device.right[Device::kBlock - 1], 0.5f);
}

TEST_F(PlayerTest, PlaysTheSourceInOrderAndCountsThePosition)
{
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Ramp);
    Load(source);
    EXPECT_EQ(device.Block(player), 0u) << "stopped: silence";
    player.Play();
    uint64_t played = 0;
    bool inOrder = true;
    while (played < 44100)
    {
        const uint32_t got = device.Block(player, 441);
        for (uint32_t i = 0; i < got; ++i)
            inOrder = inOrder && device.left[i] == Ramp(played + i) && device.right[i] == Ramp(played + i);
        played += got;
        if (got == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(inOrder);
    EXPECT_DOUBLE_EQ(player.GetPosition(), 1.0);
    EXPECT_DOUBLE_EQ(player.GetPositionPercent(), 20.0);
}

TEST_F(PlayerTest, CuePlaysPlayTheirSpanThenReturnOrPause)
{
    struct Case
    {
        const char* name;
        double start;
        bool from;
        uint32_t frames;
        double end;
    };
    const Case cases[] = {
        {"from 1.2 s before the end", 3.8, true, 52920, 3.8},
        {"from the end", 5.0, true, 0, 5.0},
        {"to 0.5 s", 0.5, false, 22050, 0.5},
        {"to 2.5 s", 2.5, false, 88200, 2.5},
        {"to the start", 0.0, false, 0, 0.0},
    };
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Constant);
    Load(source);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int told = listener.stateChanged.load();
        player.SetPosition(c.start);
        if (c.from)
            player.CuePlayFrom();
        else
            player.CuePlayTo();
        ASSERT_TRUE(WaitUntilPlayable());
        uint32_t played = 0;
        uint32_t last = 0;
        while (player.GetState() != CAudioFileTransport::kStateStopped)
        {
            last = device.Block(player);
            played += last;
        }
        EXPECT_EQ(played, c.frames);
        // The rest of the last block is silence.
        if (last < Device::kBlock)
        {
            EXPECT_EQ(device.left[last], 0.0f);
        }
        ASSERT_TRUE(WaitFor([&] { return listener.stateChanged.load() == told + 1; }));
        EXPECT_NEAR(player.GetPosition(), c.end, 1e-9);
        EXPECT_EQ(player.GetState(), CAudioFileTransport::kStateStopped);
    }
    EXPECT_FALSE(listener.calledOnAudioThread.load());
}

TEST_F(PlayerTest, ACuePlayCoversItsSpanAcrossAnUnderrun)
{
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Ramp);
    Load(source);
    player.SetPosition(2.5);
    source.available = 22050 + 70000; // the medium stalls inside the cue span
    player.CuePlayTo();               // from 0.5 s to 2.5 s
    ASSERT_TRUE(WaitFor([&] { return source.GetPosition() == 22050 + 70000 && !player.IsPrebuffering(); }));
    uint32_t played = 0;
    for (uint32_t got = 1; got > 0;)
    {
        got = device.Block(player);
        played += got;
    }
    EXPECT_EQ(played, 70000u);
    EXPECT_EQ(player.GetState(), CAudioFileTransport::kStateCuePlayTo);

    source.available = UINT64_MAX;
    ASSERT_TRUE(WaitUntilPlayable());
    EXPECT_EQ(device.Block(player), Device::kBlock);
    EXPECT_EQ(device.left[0], Ramp(22050 + 70000)) << "the cue play goes on where it stopped";
    played += Device::kBlock;
    while (player.GetState() != CAudioFileTransport::kStateStopped)
        played += device.Block(player);
    EXPECT_EQ(played, 88200u);
    ASSERT_TRUE(WaitFor([&] { return listener.stateChanged.load() == 1; }));
    EXPECT_NEAR(player.GetPosition(), 2.5, 1e-9);
}

TEST_F(PlayerTest, MarkStepping)
{
    enum Op
    {
        Previous,
        Next
    };
    struct Case
    {
        bool playing;
        double position;
        Op op;
        bool moved;
        double expected;
    };
    const Case cases[] = {
        {true, 3.8, Previous, true, 2.0},                                     // 0.8 s after a mark: the one before it
        {true, 4.5, Previous, true, 3.0},                                     // 1.5 s after a mark: that mark
        {true, 0.5, Previous, true, 0.0},                                     // before the first mark: the start
        {false, 2.5, Previous, true, 2.0}, {false, 2.0, Previous, true, 1.0}, // on a mark: the one before it
        {false, 0.0, Next, true, 1.0},     {false, 1.5, Next, true, 2.0},
        {false, 3.5, Next, false, 3.5}, // after the last mark
    };
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Constant);
    for (double mark : {1.0, 2.0, 3.0})
        source.Marks().Add(mark);
    Load(source);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.position);
        if (c.playing)
            player.Play();
        else
            player.Pause();
        player.SetPosition(c.position);
        EXPECT_EQ(c.op == Previous ? player.PreviousMarker() : player.NextMarker(), c.moved);
        EXPECT_NEAR(player.GetPosition(), c.expected, 1e-9);
    }

    // Right after a jump the jumped-to mark is the current one.
    player.Pause();
    ASSERT_TRUE(player.JumpToMarker(1));
    ASSERT_TRUE(player.NextMarker());
    EXPECT_NEAR(player.GetPosition(), 3.0, 1e-9);
    ASSERT_TRUE(player.PreviousMarker());
    EXPECT_NEAR(player.GetPosition(), 2.0, 1e-9);
    EXPECT_TRUE(player.JumpToMarker(-1));
    EXPECT_EQ(player.GetPosition(), 0.0);
    EXPECT_FALSE(player.JumpToMarker(3));
}

TEST_F(PlayerTest, WindingAndSeeksStayWithinTheSong)
{
    struct Case
    {
        const char* name;
        double start;
        std::function<void(CAudioFilePlayerPcmOutput&)> command;
        double expected;
    };
    const Case cases[] = {
        {"fast forward at 0 starts at 0", 0.0, [](auto& p) { p.FastForward(); }, 0.0},
        {"fast forward skips 2 s", 1.0, [](auto& p) { p.FastForward(); }, 3.0},
        {"rewind from 1 s stops at 0", 1.0, [](auto& p) { p.Rewind(); }, 0.0},
        {"negative seek", 2.0, [](auto& p) { p.SetPosition(-5.0); }, 0.0},
        {"seek past the end", 2.0, [](auto& p) { p.SetPosition(99.0); }, 5.0},
        {"NaN seek", 2.0, [](auto& p) { p.SetPosition(std::nan("")); }, 0.0},
        {"percent", 0.0, [](auto& p) { p.SetPositionPercent(50.0); }, 2.5},
    };
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Ramp);
    Load(source);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        player.Stop();
        player.SetPosition(c.start);
        c.command(player);
        EXPECT_NEAR(player.GetPosition(), c.expected, 1e-9);
        if (c.expected >= 5.0)
            continue;
        // The sound starts where the position says.
        if (player.GetState() == CAudioFileTransport::kStateStopped)
            player.Play();
        ASSERT_TRUE(WaitUntilPlayable());
        ASSERT_EQ(device.Block(player), Device::kBlock);
        EXPECT_EQ(device.left[0], Ramp(static_cast<uint64_t>(c.expected * 44100)));
    }
}

TEST_F(PlayerTest, RewindingPastTheStartShowsTheStartNotTheEnd)
{
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Constant);
    Load(source);
    player.SetPosition(4.0);
    player.Rewind(); // from 1.0 s
    ASSERT_TRUE(WaitUntilPlayable());
    EXPECT_NEAR(player.GetPosition(), 1.0, 1e-9);
    uint32_t played = 0;
    while (played < 30000)
        played += device.Block(player);
    // 1.0 + 0.68 - 3.0 s: below the start.
    EXPECT_EQ(player.GetPosition(), 0.0);
    EXPECT_FALSE(player.IsRewoundToStart()) << "only when holding at end";
    player.SetHoldAtEnd(true);
    EXPECT_TRUE(player.IsRewoundToStart());
    player.Play();
    EXPECT_EQ(player.GetPosition(), 0.0);
}

TEST_F(PlayerTest, TheEndOfTheSourceStopsUnlessHoldingAtEnd)
{
    for (bool hold : {false, true})
    {
        SCOPED_TRACE(hold);
        PlayerTestSource& source = MakeSource(44100, 30000, Constant);
        const int told = listener.stateChanged.load();
        player.SetHoldAtEnd(hold);
        Load(source);
        player.Play();
        uint32_t played = 0;
        while (played < 30000)
            played += device.Block(player);
        EXPECT_EQ(played, 30000u);
        if (hold)
        {
            ASSERT_TRUE(WaitFor([&] { return player.IsHoldingAtEnd(); }));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            EXPECT_EQ(player.GetState(), CAudioFileTransport::kStatePlaying);
            EXPECT_EQ(listener.stateChanged.load(), told);
            EXPECT_EQ(player.GetBufferFill(), 0.0);
        }
        else
        {
            ASSERT_TRUE(WaitFor([&] { return listener.stateChanged.load() == told + 1; }));
            EXPECT_EQ(player.GetState(), CAudioFileTransport::kStateStopped);
            EXPECT_EQ(player.GetPosition(), 0.0);
        }
        player.DetachSource();
    }
}

TEST_F(PlayerTest, AReadFailureDropsTheSourceAndTellsTheListeners)
{
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Constant);
    source.failAt = 1000;
    player.SetSource(&source);
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return listener.stopped.load() == 1; }));
    EXPECT_EQ(player.GetSource(), nullptr);
    EXPECT_EQ(player.GetState(), CAudioFileTransport::kStateStopped);
    EXPECT_EQ(player.GetPosition(), 0.0);
    EXPECT_EQ(device.Block(player), 0u);
}

TEST_F(PlayerTest, OnlyANewDeviceRateRestartsTheReader)
{
    PlayerTestSource& source = MakeSource(44100, 44100, Constant);
    Load(source);
    const int seeks = source.seeks.load();
    EXPECT_EQ(player.SetDeviceSampleRate(44100.0f), 44100.0f);
    EXPECT_EQ(player.SetDeviceSampleRate(0.0f), 44100.0f);
    EXPECT_EQ(player.SetDeviceSampleRate(-48000.0f), 44100.0f);
    EXPECT_EQ(source.seeks.load(), seeks);
    EXPECT_EQ(player.SetDeviceSampleRate(48000.0f), 48000.0f);
    EXPECT_EQ(source.seeks.load(), seeks + 1);
    EXPECT_TRUE(player.IsRunning());
}

TEST_F(PlayerTest, OneBitSourcesGetEdgeRampsPcmSourcesDoNot)
{
    constexpr uint64_t kLength = 4000;
    for (uint16_t bits : {1, 16})
    {
        SCOPED_TRACE(bits);
        PlayerTestSource& source = MakeSource(44100, kLength, Constant, 2, bits);
        Load(source);
        player.Play();
        std::vector<float> out;
        while (out.size() < kLength)
        {
            const uint32_t got = device.Block(player);
            out.insert(out.end(), device.left.begin(), device.left.begin() + got);
        }
        ASSERT_EQ(out.size(), kLength);
        if (bits == 1)
        {
            EXPECT_EQ(out[0], 0.0f);
            EXPECT_NEAR(out[256], 0.25f, 1e-6);
            EXPECT_EQ(out[512], 0.5f);
            EXPECT_EQ(out[kLength - 513], 0.5f);
            EXPECT_NEAR(out[kLength - 256], 0.25f, 0.002f);
            EXPECT_LT(out[kLength - 1], 0.002f);
        }
        else
        {
            EXPECT_EQ(out.front(), 0.5f);
            EXPECT_EQ(out.back(), 0.5f);
        }
        player.DetachSource();
    }
}

TEST_F(PlayerTest, MonoLeavesTheRightChannelSilentAndPeaksAreReadAndReset)
{
    PlayerTestSource& source = MakeSource(44100, 5 * 44100, Constant, 1);
    Load(source);
    player.Play();
    ASSERT_EQ(device.Block(player), Device::kBlock);
    EXPECT_EQ(device.left[10], 0.5f);
    EXPECT_EQ(device.right[10], 0.0f);
    float levels[2] = {};
    player.ReadPeakLevels(levels);
    EXPECT_NEAR(levels[0], -6.0f, 0.6f);
    player.ReadPeakLevels(levels);
    EXPECT_EQ(levels[0], -200.0f);
    EXPECT_EQ(levels[1], -200.0f);
}

// The converter may give one frame more than a chunk asks for (often from
// 1-bit-derived rates to high device rates); with the ring nearly full that
// frame must still find room.
TEST_F(PlayerTest, ConvertedFramesAreNeverDroppedAtAFullRing)
{
    constexpr uint32_t kFileRate = 2822400;
    constexpr uint32_t kDeviceRate = 192000;
    constexpr uint64_t kLength = 2 * kFileRate;
    PlayerTestSource& source = MakeSource(kFileRate, kLength, Constant);
    player.SetDeviceSampleRate(static_cast<float>(kDeviceRate));
    player.SetSource(&source);
    ASSERT_TRUE(WaitFor([&] { return player.GetBufferFill() > 99.9; }));
    player.Play();
    uint64_t played = 0;
    while (listener.stateChanged.load() == 0)
    {
        // Let the reader refill the ring before each block, so that its
        // chunks fill whatever room there is.
        ASSERT_TRUE(WaitFor([&] { return player.GetBufferFill() > 99.9 || source.GetRemaining() == 0; }));
        played += device.Block(player);
    }

    CRealTimeFsConverterPcmOutput reference(2);
    reference.SetSampleRates(kFileRate, kDeviceRate);
    std::vector<float> inL(16384), inR(16384), outL(4096), outR(4096);
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    uint64_t expected = 0;
    for (uint64_t done = 0; done < kLength; done += 16384)
        expected += reference.Process(in, out, static_cast<uint32_t>(std::min<uint64_t>(16384, kLength - done)));
    EXPECT_EQ(played, expected);
}

// Commands from one thread while another processes blocks, as the owner and
// the audio device do. Run it under ThreadSanitizer (QM_TSAN) to check the
// shared fields.
TEST_F(PlayerTest, CommandsWhileBlocksAreProcessed)
{
    PlayerTestSource& first = MakeSource(48000, 6 * 48000, Constant);
    PlayerTestSource& second = MakeSource(44100, 3 * 44100, Ramp, 1);
    second.Marks().Add(1.0);
    second.Marks().Add(2.0);
    player.SetSource(&first);

    std::atomic<bool> done{false};
    std::thread audio([&] {
        Device local;
        while (!done.load())
            local.Block(player, 256);
    });

    std::mt19937 random(7);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    float levels[2];
    for (int step = 0; std::chrono::steady_clock::now() < until; ++step)
    {
        switch (random() % 16)
        {
        case 0:
            player.Play();
            break;
        case 1:
            player.Pause();
            break;
        case 2:
            player.Stop();
            break;
        case 3:
            player.FastForward();
            break;
        case 4:
            player.Rewind();
            break;
        case 5:
            player.CuePlayFrom();
            break;
        case 6:
            player.CuePlayTo();
            break;
        case 7:
            player.SetPosition(std::uniform_real_distribution<double>(-1.0, 7.0)(random));
            break;
        case 8:
            player.NextMarker();
            break;
        case 9:
            player.PreviousMarker();
            break;
        case 10:
            player.ReadPeakLevels(levels);
            break;
        case 11:
            player.SetHoldAtEnd(random() % 2 == 0);
            break;
        case 12:
            player.GetDynamicControl()->SetGain(-3.0f);
            break;
        case 13:
            player.SetDeviceSampleRate(random() % 2 ? 44100.0f : 48000.0f);
            break;
        case 14:
            player.SetSource(random() % 2 ? &first : &second);
            break;
        default:
            player.IsHoldingAtEnd();
            player.GetPosition();
            player.GetBufferFill();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    }
    done = true;
    audio.join();
    player.DetachSource();
    EXPECT_FALSE(player.IsRunning());
}
} // namespace
