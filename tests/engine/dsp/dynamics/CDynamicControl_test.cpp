#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/dsp/dynamics/CDynamicControl.h"

namespace
{

struct Block
{
    Block(uint16_t channels, uint32_t frames, float value)
        : data(channels, std::vector<float>(frames, value))
    {
        for (auto& channel : data)
            pointers.push_back(channel.data());
    }
    float** buffers() { return pointers.data(); }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

// Runs a whole song of constant 1.0 through the dynamics in blocks and
// returns channel 0.
std::vector<float> RunSong(CDynamicControl& dynamics, uint32_t totalFrames, uint32_t blockFrames)
{
    std::vector<float> out;
    for (uint32_t done = 0; done < totalFrames; done += blockFrames)
    {
        const uint32_t n = std::min(blockFrames, totalFrames - done);
        Block block(2, n, 1.0f);
        dynamics.Process(block.buffers(), n);
        out.insert(out.end(), block.data[0].begin(), block.data[0].end());
    }
    return out;
}

} // namespace

TEST(DynamicPan, ConstantPowerGainsAndNeutralCases)
{
    struct Case
    {
        uint16_t channels;
        float pan;
        float storedPan;
        float left;
        float right;
        bool neutral;
    };
    const Case cases[] = {
        {2, 0.5f, 0.5f, 0.5411961f, 1.3065630f, false},
        {2, -0.5f, -0.5f, 1.3065630f, 0.5411961f, false},
        {2, 0.0f, 0.0f, 1.0f, 1.0f, true},
        {2, -1.0f, -1.0f, 1.4142135f, 0.0f, false},
        {2, 3.0f, 1.0f, 0.0f, 1.4142135f, false},
        {1, 0.5f, 0.0f, 1.0f, 1.0f, true},              // a mono song is never panned
        {4, 0.5f, 0.5f, 0.5411961f, 1.3065630f, false}, // the first pair of a wider song
    };
    for (const Case& c : cases)
    {
        CDynamicControl dynamics(c.channels);
        EXPECT_FLOAT_EQ(dynamics.SetPan(c.pan), c.storedPan) << c.pan;
        EXPECT_FLOAT_EQ(dynamics.GetPan(), c.storedPan);
        Block block(c.channels, 8, 1.0f);
        dynamics.Process(block.buffers(), 8);
        EXPECT_NEAR(block.data[0][7], c.left, 1e-6) << c.channels << " " << c.pan;
        if (c.channels > 1)
        {
            EXPECT_NEAR(block.data[1][7], c.right, 1e-6) << c.channels << " " << c.pan;
        }
        EXPECT_EQ(dynamics.IsNeutral(), c.neutral);
    }
}

TEST(DynamicControl, NeutralIgnoresFadesButNotGainOrDcCut)
{
    CDynamicControl dynamics(2);
    dynamics.SetFade(1, 1.0f, 2, 1.0f);
    EXPECT_TRUE(dynamics.IsNeutral());
    dynamics.SetGain(-0.5f);
    EXPECT_FALSE(dynamics.IsNeutral());
    dynamics.SetGain(0.0f);
    dynamics.SetDcCut(1);
    EXPECT_FALSE(dynamics.IsNeutral());
}

// The fades are fitted so that they and one second of the song fit its length:
// an overshoot is taken half (rounded up) from each fade, never below 0.
TEST(DynamicFade, FadesShortenToFitTheSong)
{
    struct Case
    {
        uint32_t rate;
        double length;
        float fadeIn;
        float fadeOut;
        int64_t fadeInFrames;
        int64_t fadeOutFrames;
    };
    const Case cases[] = {
        {44100, 3.0, 2.0f, 2.0f, 44100, 44100},  // 132300 frames: fades fill all but 1 s
        {44100, 10.0, 2.0f, 2.0f, 88200, 88200}, // they fit
        {44100, 3.0, 2.0f, 1.5f, 55125, 33075},
        {1000, 3.0, 1.501f, 1.0f, 1250, 749}, // odd overshoot 501: each gives up 251
        {1000, 3.0, 0.1f, 5.0f, 0, 3450},     // a fade never goes below 0
        {44100, 0.0, 1.0f, 1.0f, 0, 0},       // a song without length
    };
    for (const Case& c : cases)
    {
        CDynamicControl dynamics(2);
        dynamics.SetSampleRate(c.rate);
        dynamics.SetFadeLength(c.length);
        dynamics.SetFade(1, c.fadeIn, 1, c.fadeOut);
        const CFadeControl::Settings s = dynamics.GetFadeSettings();
        EXPECT_EQ(s.totalFrames, static_cast<int64_t>(c.length * c.rate));
        EXPECT_EQ(s.fadeInFrames, c.fadeInFrames) << c.length << " " << c.fadeIn << " " << c.fadeOut;
        EXPECT_EQ(s.fadeOutFrames, c.fadeOutFrames) << c.length << " " << c.fadeIn << " " << c.fadeOut;
        int inKind = -1, outKind = -1;
        float inSeconds = -1.0f, outSeconds = -1.0f;
        dynamics.GetFade(&inKind, &inSeconds, &outKind, &outSeconds);
        EXPECT_EQ(inKind, 1);
        EXPECT_FLOAT_EQ(inSeconds, static_cast<float>(static_cast<double>(c.fadeInFrames) / c.rate));
        EXPECT_FLOAT_EQ(outSeconds, static_cast<float>(static_cast<double>(c.fadeOutFrames) / c.rate));
    }
}

// A 3-second song with 2 s fades: the gain rises, holds and falls without a
// jump anywhere, and ends at silence.
TEST(DynamicFade, ShortSongWithLongFadesHasNoGainJump)
{
    CDynamicControl dynamics(2);
    dynamics.SetSampleRate(44100);
    dynamics.SetFadeLength(3.0);
    dynamics.SetFade(1, 2.0f, 1, 2.0f);
    dynamics.SetFadePosition(0.0);
    const std::vector<float> out = RunSong(dynamics, 132300, 4096);
    float largestStep = 0.0f;
    for (size_t i = 1; i < out.size(); ++i)
        largestStep = std::max(largestStep, std::fabs(out[i] - out[i - 1]));
    EXPECT_LT(largestStep, 1.01f / 44100.0f);
    EXPECT_EQ(out.front(), 0.0f);
    EXPECT_FLOAT_EQ(out[66150], 1.0f);
    EXPECT_LT(out.back(), 1.0f / 44100.0f + 1e-6f);
}

TEST(DynamicFade, KindsPositionOriginAndRateChange)
{
    struct Case
    {
        int kind;
        int64_t position;
        int32_t origin;
        float expectedFirst; // the block's first sample (fade-in of 1000 frames)
    };
    const Case cases[] = {
        {1, 500, 0, 0.5f},   {2, 500, 0, 0.25f}, // quadratic
        {1, 600, 100, 0.5f}, {1, 50, 100, 0.0f}, // before the origin: silence
        {1, 1000, 0, 1.0f},                      // after the fade
        {0, 0, 0, 1.0f},                         // no fade
    };
    for (const Case& c : cases)
    {
        CDynamicControl dynamics(1);
        dynamics.SetSampleRate(1000);
        dynamics.SetFadeLength(100.0);
        dynamics.SetFade(c.kind, 1.0f, 0, 0.0f);
        dynamics.SetFadeOrigin(c.origin);
        dynamics.SetFadePositionFrames(c.position);
        Block block(1, 10, 1.0f);
        dynamics.Process(block.buffers(), 10);
        EXPECT_FLOAT_EQ(block.data[0][0], c.expectedFirst) << c.kind << " " << c.position << " " << c.origin;
        EXPECT_EQ(dynamics.GetFadePosition(), c.position + 10);
    }

    // A new rate rescales the position and the fade lengths.
    CDynamicControl dynamics(1);
    dynamics.SetSampleRate(1000);
    dynamics.SetFadeLength(100.0);
    dynamics.SetFade(2, 1.0f, 2, 1.0f);
    dynamics.SetFadePositionFrames(250);
    dynamics.SetSampleRate(4000);
    EXPECT_EQ(dynamics.GetFadePosition(), 1000);
    EXPECT_EQ(dynamics.GetFadeSettings().fadeInFrames, 4000);

    // Quadratic fade-out over the last second.
    dynamics.SetFadePositionFrames(400000 - 4000);
    Block first(1, 2000, 1.0f);
    dynamics.Process(first.buffers(), 2000);
    EXPECT_NEAR(first.data[0][0], 1.0f, 1e-3f);
    EXPECT_NEAR(first.data[0][1999], 0.25f, 1e-3f);
    Block last(1, 2000, 1.0f);
    dynamics.Process(last.buffers(), 2000);
    EXPECT_NEAR(last.data[0][1999], 0.0f, 1e-6f);
}

TEST(DynamicDcCut, RemovesOffsetAndFollowsModeAndRate)
{
    CDynamicControl dynamics(2);
    dynamics.SetSampleRate(44100);
    EXPECT_EQ(dynamics.SetDcCut(1), 1u);
    Block block(2, 44100, 0.5f);
    dynamics.Process(block.buffers(), 44100);
    // First sample passes, then the offset decays with a = 0.99987.
    EXPECT_FLOAT_EQ(block.data[0][0], 0.5f);
    EXPECT_NEAR(block.data[0][1], 0.5f * 0.99987f, 1e-6f);
    EXPECT_LT(std::fabs(block.data[1][44099]), 0.5f * std::pow(0.99987f, 44000.0f));
    // Off: samples pass unchanged.
    dynamics.SetDcCut(0);
    Block same(2, 16, 0.5f);
    dynamics.Process(same.buffers(), 16);
    EXPECT_EQ(same.data[0][15], 0.5f);

    // A tiny value decays to exactly zero rather than to a denormal.
    dynamics.SetDcCut(1);
    Block tiny(2, 1, 1.0e-30f);
    dynamics.Process(tiny.buffers(), 1);
    EXPECT_EQ(tiny.data[0][0], 0.0f);

    CDcCutFilter high(1);
    high.SetMode(1);
    EXPECT_EQ(high.GetCoefficient(), 0.99987f);
    high.SetSampleRate(2822400);
    EXPECT_EQ(high.GetCoefficient(), 0.9999978f);
}

TEST(DynamicControl, GainMetersAndChannelLimit)
{
    CDynamicControl dynamics(6);
    EXPECT_EQ(dynamics.GetChannelCount(), 4);
    dynamics.SetGain(20.0f * std::log10(2.0f));
    Block block(6, 4, 0.25f);
    block.data[1][2] = -0.5f;
    dynamics.Process(block.buffers(), 4);
    EXPECT_FLOAT_EQ(block.data[0][0], 0.5f);
    EXPECT_FLOAT_EQ(block.data[3][0], 0.5f);
    EXPECT_EQ(block.data[4][0], 0.25f); // beyond four channels: untouched
    EXPECT_EQ(block.data[5][0], 0.25f);

    EXPECT_FLOAT_EQ(dynamics.ReadPeak(0), -6.0f);
    EXPECT_FLOAT_EQ(dynamics.ReadPeak(1), 0.0f);               // -0.5 x 2 = -1.0
    EXPECT_EQ(dynamics.ReadPeak(0), CDynamicControl::kNoPeak); // read resets
    EXPECT_EQ(dynamics.ReadPeak(4), CDynamicControl::kNoPeak);

    // The meter keeps the largest level until it is read.
    dynamics.SetGain(0.0f);
    Block loud(6, 4, 1.0f);
    dynamics.Process(loud.buffers(), 4);
    Block quiet(6, 4, 0.001f);
    dynamics.Process(quiet.buffers(), 4);
    EXPECT_FLOAT_EQ(dynamics.ReadPeak(2), 0.0f);
    dynamics.Process(quiet.buffers(), 4);
    dynamics.ResetMeters();
    EXPECT_EQ(dynamics.ReadPeak(2), CDynamicControl::kNoPeak);
}

// A song of another channel count keeps the settings given before it, a pan
// included that a mono song could not use.
TEST(DynamicControl, ChannelCountChangeKeepsTheSettings)
{
    CDynamicControl dynamics(1);
    dynamics.SetSampleRate(1000);
    dynamics.SetFadeLength(10.0);
    dynamics.SetGain(-6.0f);
    dynamics.SetPan(0.5f);
    dynamics.SetDcCut(1);
    dynamics.SetFade(2, 1.5f, 1, 2.5f);
    EXPECT_EQ(dynamics.GetPan(), 0.0f);

    dynamics.SetChannelCount(2);
    EXPECT_EQ(dynamics.GetChannelCount(), 2);
    EXPECT_EQ(dynamics.GetGain(), -6.0f);
    EXPECT_EQ(dynamics.GetPan(), 0.5f);
    EXPECT_EQ(dynamics.GetDcCut(), 1u);
    int inKind = 0, outKind = 0;
    float inSeconds = 0.0f, outSeconds = 0.0f;
    dynamics.GetFade(&inKind, &inSeconds, &outKind, &outSeconds);
    EXPECT_EQ(inKind, 2);
    EXPECT_FLOAT_EQ(inSeconds, 1.5f);
    EXPECT_EQ(outKind, 1);
    EXPECT_FLOAT_EQ(outSeconds, 2.5f);

    dynamics.SetDcCut(0);
    dynamics.SetFade(0, 0.0f, 0, 0.0f);
    Block block(2, 4, 1.0f);
    dynamics.Process(block.buffers(), 4);
    const float gain = std::pow(10.0f, -6.0f / 20.0f);
    EXPECT_NEAR(block.data[0][0], gain * 0.5411961f, 1e-5f);
    EXPECT_NEAR(block.data[1][0], gain * 1.3065630f, 1e-5f);
}
