#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/pcm/PcmBuffers.h"
#include "engine/audiofile/pcm/PcmGain.h"
#include "engine/audiofile/pcm/PcmLevels.h"
#include "engine/audiofile/pcm/PcmPacking.h"

TEST(PcmConversion, FloatToIntClipsTruncatesAndMapsNan)
{
    const std::pair<float, int32_t> cases[] = {
        {-1.0f, -2147483647},
        {1.0f, 2147483647},
        {0.5f, 1073741824},
        {-0.5f, -1073741824},
        {4.0f, 2147483647},
        {-4.0f, -2147483647},
        {0.0f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 2147483647},
        {-std::numeric_limits<float>::infinity(), -2147483647},
        {1.0f / 4294967296.0f, 0}, // half a step truncates toward zero
        {-3.0f / 4294967296.0f, -1},
    };
    // In place, as the writers do it.
    std::vector<float> samples;
    for (const auto& c : cases)
        samples.push_back(c.first);
    float* src[1] = {samples.data()};
    int32_t* dst[1] = {reinterpret_cast<int32_t*>(samples.data())};
    EXPECT_EQ(FloatToInt32Clip(1, src, dst, static_cast<uint32_t>(samples.size())), samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(dst[0][i], cases[i].second) << cases[i].first;
}

TEST(PcmConversion, IntToFloatFromOffsetAndNullChannels)
{
    std::vector<int32_t> in = {7, 0x40000000, INT32_MIN, 0x7FFFFFFF};
    std::vector<float> out(4, 9.0f);
    int32_t* src[2] = {in.data(), in.data()};
    float* dst[2] = {out.data(), nullptr};
    Int32ToFloat(2, src, dst, 3, 1);
    EXPECT_EQ(out[0], 9.0f); // before the offset: untouched
    EXPECT_EQ(out[1], 0.5f);
    EXPECT_EQ(out[2], -1.0f);
    EXPECT_NEAR(out[3], 1.0f, 1e-6);
}

TEST(PcmBuffers, ClearCopyAndDsdSilenceSkipNullChannels)
{
    std::vector<float> a = {1, 2, 3, 4}, b = {5, 6, 7, 8};
    float* buffers[2] = {a.data(), nullptr};
    EXPECT_EQ(ClearChannelBuffers(2, buffers, 2, 1), 2u);
    EXPECT_EQ(a, (std::vector<float>{1, 0, 0, 4}));

    const float* src[2] = {b.data(), b.data()};
    EXPECT_EQ(CopyChannelBuffers(2, buffers, src, 2, 1, 2), 2u);
    EXPECT_EQ(a, (std::vector<float>{1, 0, 6, 7}));

    std::vector<uint8_t> dsd(4, 0);
    uint8_t* dsdBuffers[1] = {dsd.data()};
    FillDsdSilence(1, dsdBuffers, 2, 1);
    EXPECT_EQ(dsd, (std::vector<uint8_t>{0, 0x96, 0x96, 0}));
}

TEST(PcmPacking, RoundsAndSaturatesToEachWidth)
{
    struct Case
    {
        int32_t sample;
        uint32_t bits;
        std::vector<uint8_t> little; // the packed bytes, least significant first
    };
    const Case cases[] = {
        {0x7FFFFFFF, 16, {0xFF, 0x7F}}, // saturated at the top
        {0x12348000, 16, {0x35, 0x12}}, // rounded up
        {0x12347FFF, 16, {0x34, 0x12}},
        {INT32_MIN, 16, {0x00, 0x80}}, // bottom: nothing to overflow
        {-1, 16, {0x00, 0x00}},        // -1/2^31 rounds to 0
        {0x7FFFFF80, 24, {0xFF, 0xFF, 0x7F}},
        {0x12345680, 24, {0x57, 0x34, 0x12}},
        {0x7F800000, 8, {0x7F}},
        {0x12800000, 8, {0x13}},
        {-0x7F000000, 8, {0x81}},
        {0x7FFFFFFF, 32, {0xFF, 0xFF, 0xFF, 0x7F}}, // 32 bits: unchanged
        {INT32_MIN + 1, 32, {0x01, 0x00, 0x00, 0x80}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.sample << " to " << std::dec << c.bits);
        const int32_t* src[1] = {&c.sample};
        std::vector<uint8_t> little(c.little.size()), big(c.little.size());
        EXPECT_EQ(PackLittleEndian(1, little.data(), src, 1, c.bits, 0), 1u);
        EXPECT_EQ(PackBigEndian(1, big.data(), src, 1, c.bits, 0), 1u);
        EXPECT_EQ(little, c.little);
        EXPECT_EQ(big, std::vector<uint8_t>(c.little.rbegin(), c.little.rend()));
    }
}

TEST(PcmPacking, InterleavedRoundTripInBothByteOrders)
{
    // Samples already on the grid of each width come back unchanged.
    for (uint32_t bits : {8u, 16u, 24u, 32u})
    {
        SCOPED_TRACE(bits);
        const uint32_t frames = 5;
        const int32_t step = bits == 32 ? 1 : int32_t{1} << (32 - bits);
        std::vector<int32_t> left, right;
        for (uint32_t i = 0; i < frames; ++i)
        {
            left.push_back(static_cast<int32_t>(INT32_MIN + i * static_cast<uint32_t>(step)));
            right.push_back(static_cast<int32_t>(0x7FFFFFFF - (i + 1) * static_cast<uint32_t>(step) + 1));
        }
        const int32_t* src[2] = {left.data(), right.data()};
        std::vector<uint8_t> bytes(frames * 2 * bits / 8);
        for (bool big : {false, true})
        {
            (big ? PackBigEndian : PackLittleEndian)(2, bytes.data(), src, frames, bits, 0);
            std::vector<int32_t> backLeft(frames + 1, 99), backRight(frames + 1, 99);
            int32_t* dst[2] = {backLeft.data(), backRight.data()};
            EXPECT_EQ((big ? UnpackBigEndian : UnpackLittleEndian)(2, dst, bytes.data(), frames, bits, 1), frames);
            EXPECT_EQ(backLeft[0], 99);
            EXPECT_EQ(std::vector<int32_t>(backLeft.begin() + 1, backLeft.end()), left);
            EXPECT_EQ(std::vector<int32_t>(backRight.begin() + 1, backRight.end()), right);
        }
    }
    // Channel order inside a 16-bit little-endian frame.
    const uint8_t frame[4] = {0x34, 0x12, 0x78, 0x56};
    int32_t l = 0;
    int32_t* dst[2] = {&l, nullptr};
    UnpackLittleEndian(2, dst, frame, 1, 16, 0);
    EXPECT_EQ(l, 0x12340000);
    EXPECT_EQ(UnpackLittleEndian(2, dst, frame, 1, 12, 0), 0u);
}

TEST(PcmGain, GainAndRampFactors)
{
    std::vector<float> ones(5, 1.0f), out(5);
    const float* src[1] = {ones.data()};
    float* dst[1] = {out.data()};
    ApplyGain(1, dst, src, 5, 0.25f);
    EXPECT_EQ(out, std::vector<float>(5, 0.25f));

    ApplyGainRamp(1, dst, src, 5, -0.5f, 0.5f, 0); // linear, clamped to 0..1
    EXPECT_EQ(out, (std::vector<float>{0.0f, 0.0f, 0.5f, 1.0f, 1.0f}));
    ApplyGainRamp(1, dst, src, 5, 0.0f, 0.25f, 1); // squared
    EXPECT_EQ(out, (std::vector<float>{0.0f, 0.0625f, 0.25f, 0.5625f, 1.0f}));
    ApplyGainRamp(1, dst, src, 2, std::numeric_limits<float>::quiet_NaN(), 0.0f, 0);
    EXPECT_EQ(out[0], 0.0f);
}

TEST(PcmGain, Fades)
{
    struct Case
    {
        bool fadeIn;
        uint32_t rampLength;
        int64_t position;
        std::vector<float> expected; // gains of frames 0, 1, 49, 50, 99
    };
    const Case cases[] = {
        {false, 100, 50, {0.49f, 0.48f, 0.0f, 0.0f, 0.0f}},
        {false, 100, -200, {1, 1, 1, 1, 1}},       // fade still ahead
        {false, 100, -50, {1, 1, 1, 0.99f, 0.5f}}, // starts within the block
        {false, 100, 101, {0, 0, 0, 0, 0}},        // fade over
        {false, 0, 50, {1, 1, 1, 1, 1}},           // no fade
        {true, 100, 50, {0.5f, 0.51f, 0.99f, 1, 1}},
        {true, 100, -200, {0, 0, 0, 0, 0}},
        {true, 100, 101, {1, 1, 1, 1, 1}},
        {true, 0, -200, {1, 1, 1, 1, 1}},
    };
    const uint32_t probes[] = {0, 1, 49, 50, 99};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << (c.fadeIn ? "in" : "out") << " length " << c.rampLength << " at "
                                        << c.position);
        std::vector<float> left(100, 1.0f), right(100, -1.0f);
        float* buffers[2] = {left.data(), right.data()};
        (c.fadeIn ? ApplyFadeInRamp : ApplyFadeOutRamp)(2, buffers, buffers, 100, c.rampLength, c.position, 0);
        for (size_t k = 0; k < 5; ++k)
        {
            EXPECT_NEAR(left[probes[k]], c.expected[k], 1e-5) << "frame " << probes[k];
            EXPECT_NEAR(right[probes[k]], -c.expected[k], 1e-5) << "frame " << probes[k];
        }
    }
}

TEST(PcmLevels, PeakAndDecibels)
{
    std::vector<float> samples = {0.1f, -0.75f, std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.2f};
    const float* buffer[1] = {samples.data()};
    EXPECT_EQ(FindPeakAbs(5, buffer), 0.75f);
    EXPECT_EQ(FindPeakAbs(1, buffer), 0.1f);
    EXPECT_EQ(FindPeakAbs(0, buffer), 0.0f);
    // The peak in every position of blocks that fill the vector lanes and
    // their tails, with a NaN beside it.
    for (uint32_t count = 1; count <= 11; ++count)
        for (uint32_t at = 0; at < count; ++at)
        {
            std::vector<float> block(count, 0.25f);
            block[at] = -0.9f;
            block[(at + 1) % count] = count > 1 ? std::numeric_limits<float>::quiet_NaN() : block[0];
            const float* b[1] = {block.data()};
            EXPECT_EQ(FindPeakAbs(count, b), 0.9f) << count << " " << at;
        }

    const std::pair<float, float> decibels[] = {
        {1.0f, 0.0f},     {0.5f, -6.0f},   {2.0f, 3.5f}, {0.0f, -60.0f},
        {0.001f, -60.0f}, {-1.0f, -60.0f}, {1.4f, 3.0f}, {std::numeric_limits<float>::quiet_NaN(), -60.0f},
    };
    for (const auto& [level, dB] : decibels)
        EXPECT_EQ(LinearToDecibels(level), dB) << level;
    EXPECT_EQ(PeakToDecibels(5, buffer), -2.0f); // -2.5 dB is 0.74989, just below
    EXPECT_EQ(GetLevelTable()[120], 1.0f);
    EXPECT_NEAR(DecibelsToLinear(-6.0f), 0.501187f, 1e-6);
    EXPECT_NEAR(DecibelsToLinear(20.0f), 10.0f, 1e-5);
}

TEST(NumberHelpers, TimeSplitAndByteOrder)
{
    struct Case
    {
        double seconds;
        int hours, minutes;
        float rest;
    };
    const Case cases[] = {{3725.5, 1, 2, 5.5f}, {59.25, 0, 0, 59.25f}, {-3.0, 0, 0, 0.0f}, {7200.0, 2, 0, 0.0f}};
    for (const Case& c : cases)
    {
        int h = -1, m = -1;
        float s = -1;
        SecondsToHourMinSec(c.seconds, &h, &m, &s);
        EXPECT_EQ(h, c.hours) << c.seconds;
        EXPECT_EQ(m, c.minutes) << c.seconds;
        EXPECT_FLOAT_EQ(s, c.rest) << c.seconds;
    }

    const uint8_t bytes[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(LittleEndianBytesToInt(bytes, 2), 0x0201u);
    EXPECT_EQ(BigEndianBytesToInt(bytes, 3), 0x010203u);
    EXPECT_EQ(BigEndianBytesToInt(bytes, 12), 0x0102030405060708u);
    EXPECT_EQ(LittleEndianBytesToInt(bytes, 0), 0u);
    uint8_t out[4] = {};
    IntToBigEndianBytes(out, 0xAABBCC, 3);
    EXPECT_EQ(BigEndianBytesToInt(out, 3), 0xAABBCCu);
    IntToLittleEndianBytes(out, 0x11223344, 4);
    EXPECT_EQ(out[0], 0x44);
    EXPECT_EQ(LittleEndianBytesToInt(out, 4), 0x11223344u);
}
