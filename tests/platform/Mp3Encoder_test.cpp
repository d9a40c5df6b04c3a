#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/lame/Mp3Encoder.h"

using qm::platform::Mp3Encoder;

namespace
{
// Length of the MPEG-1 Layer III frame whose header starts at data.
size_t FrameLength(const uint8_t* data)
{
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    const int kbps = kKbps[data[2] >> 4];
    const int rate = kRates[(data[2] >> 2) & 3];
    const int padding = (data[2] >> 1) & 1;
    return rate == 0 ? 0 : size_t(144 * kbps * 1000 / rate + padding);
}
} // namespace

TEST(Mp3Encoder, AcceptsOnlyFormatsItWritesUnchanged)
{
    struct Case
    {
        uint32_t rate;
        uint16_t channels;
        uint32_t bitRate;
        bool accepted;
    };
    const Case cases[] = {
        {44100, 2, 128000, true},
        {44100, 2, 320000, true},
        {48000, 2, 112000, true},
        {44100, 1, 48000, true},
        {48000, 1, 128000, true},
        // The library would resample these or round the bit rate.
        {88200, 2, 128000, false},
        {96000, 2, 320000, false},
        {44100, 2, 130000, false},
        {44100, 2, 128500, false},
        {44100, 3, 128000, false},
        {44100, 0, 128000, false},
        {0, 2, 128000, false},
        {44100, 2, 0, false},
    };
    for (const Case& c : cases)
    {
        Mp3Encoder encoder;
        EXPECT_EQ(encoder.open(c.rate, c.channels, c.bitRate), c.accepted)
            << c.rate << " Hz " << c.channels << " ch " << c.bitRate << " bit/s";
        EXPECT_EQ(encoder.isOpen(), c.accepted);
        EXPECT_EQ(encoder.frameSize(), c.accepted ? 1152u : 0u);
    }
}

// The stream starts with a frame the info frame replaces byte for byte,
// also where the stream's own frames are too small to hold it (mono at
// 48 kbit/s and 44.1 kHz).
TEST(Mp3Encoder, InfoFrameMatchesThePlaceholderFrame)
{
    struct Case
    {
        uint32_t rate;
        uint16_t channels;
        uint32_t bitRate;
    };
    for (const Case& c : {Case{44100, 2, 128000}, Case{48000, 2, 320000}, Case{44100, 1, 48000}, Case{44100, 1, 56000}})
    {
        SCOPED_TRACE(std::to_string(c.channels) + " ch " + std::to_string(c.bitRate));
        Mp3Encoder encoder;
        ASSERT_TRUE(encoder.open(c.rate, c.channels, c.bitRate));
        std::vector<int32_t> left(5000, 1 << 28), right(5000, -(1 << 28));
        const int32_t* channels[2] = {left.data(), right.data()};
        std::vector<uint8_t> stream;
        std::vector<uint8_t> info;
        EXPECT_FALSE(encoder.infoFrame(info)) << "before the end of the stream";
        ASSERT_TRUE(encoder.encode(channels, 5000, stream));
        ASSERT_TRUE(encoder.flush(stream));
        ASSERT_TRUE(encoder.infoFrame(info));
        ASSERT_GT(stream.size(), info.size());
        EXPECT_EQ(info.size(), FrameLength(stream.data()));
        EXPECT_EQ(info.size(), FrameLength(info.data()));
        EXPECT_EQ(stream[0], 0xFF);
        const size_t tagAt = 4 + (c.channels == 1 ? 17 : 32);
        EXPECT_EQ(std::string(info.begin() + tagAt, info.begin() + tagAt + 4), "Info");
        // The next frame is where the placeholder ends.
        EXPECT_EQ(stream[info.size()], 0xFF);
        EXPECT_FALSE(encoder.encode(channels, 10, stream)) << "after the end of the stream";
    }
}

TEST(Mp3Encoder, SimulatedMissingLibraryRefusesEverything)
{
    Mp3Encoder::simulateUnavailable(true);
    Mp3Encoder missing;
    Mp3Encoder::simulateUnavailable(false);
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_FALSE(missing.open(44100, 2, 128000));
    EXPECT_TRUE(Mp3Encoder().isAvailable());
}
