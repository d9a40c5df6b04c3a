#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/audiofile/io/CAudioPlayerInput.h"

namespace
{
// A source that only knows its format, length and position; everything else
// is the interface's default.
class FakeInput : public CAudioPlayerInput
{
public:
    FakeInput(uint32_t rate, uint64_t length, uint16_t channels = 2, uint16_t bits = 16)
        : m_rate(rate),
          m_length(length),
          m_channels(channels),
          m_bits(bits)
    {
    }
    uint32_t GetSampleRate() override { return m_rate; }
    uint16_t GetBitsPerSample() override { return m_bits; }
    uint16_t GetChannelCount() override { return m_channels; }
    uint64_t GetLength() override { return m_length; }
    uint64_t GetPosition() override { return m_position; }
    uint64_t SetPosition(uint64_t frame) override
    {
        m_position = frame < m_length ? frame : m_length;
        return m_position;
    }
    // Lets a test put the position where a misbehaving source might.
    void ForcePosition(uint64_t frame) { m_position = frame; }

private:
    uint32_t m_rate;
    uint64_t m_length;
    uint16_t m_channels;
    uint16_t m_bits;
    uint64_t m_position = 0;
};
} // namespace

TEST(CAudioPlayerInput, Defaults)
{
    FakeInput input(44100, 1000);
    EXPECT_EQ(input.GetBitRate(), 44100u * 16u * 2u);
    EXPECT_TRUE(input.IsLossless());
    EXPECT_FALSE(input.IsCompressed());
    EXPECT_FALSE(input.IsVariableBitRate());
    EXPECT_FALSE(input.IsFloat());
    EXPECT_FALSE(input.HasReadFailed());
    input.Prepare();
    EXPECT_FALSE(input.IsPreparing());
    EXPECT_EQ(input.GetPrepareProgress(), 0.0);
    ASSERT_NE(input.GetMarker(), nullptr);
    EXPECT_EQ(input.GetMarker()->GetCount(), 0);
    ASSERT_NE(input.GetMetaData(), nullptr);
    EXPECT_TRUE(input.GetMetaData()->GetField(CAudioMetaData::kTitle)->IsEmpty());

    FakeInput huge(4000000000u, 1, 8, 32);
    EXPECT_EQ(huge.GetBitRate(), std::numeric_limits<uint32_t>::max());
}

TEST(CAudioPlayerInput, SetPositionPercentAndSeconds)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        uint32_t rate;
        uint64_t length;
        bool percent; // else seconds
        double value;
        uint64_t frame;
    };
    const Case cases[] = {
        {44100, 1001, true, 50.0, 500},
        {44100, 1001, true, 100.0, 1001},
        {44100, 1001, true, 250.0, 1001},
        {44100, 1001, true, -10.0, 0},
        {44100, 1001, true, nan, 0},
        {44100, 1000000, false, 1.5, 66150},
        {44100, 1000000, false, -1.5, 0},
        {44100, 1000000, false, 1e300, 1000000},
        {44100, 1000000, false, 0.99999, 44099},
        {0, 1000, false, 3.0, 0},
    };
    for (const Case& c : cases)
    {
        FakeInput input(c.rate, c.length);
        input.SetPosition(c.length / 3);
        const double result = c.percent ? input.SetPositionPercent(c.value) : input.SetPositionInSeconds(c.value);
        EXPECT_EQ(input.GetPosition(), c.frame) << c.value;
        EXPECT_EQ(result, c.percent ? input.GetPositionPercent() : input.GetPositionInSeconds()) << c.value;
    }

    FakeInput input(44100, 1000000);
    EXPECT_EQ(input.SetPositionInSeconds(1.5), 1.5);
}

TEST(CAudioPlayerInput, PositionAndLengthInOtherUnits)
{
    FakeInput empty(44100, 0);
    EXPECT_EQ(empty.GetPositionPercent(), 0.0);
    EXPECT_EQ(empty.GetLengthInSeconds(), 0.0);

    FakeInput noRate(0, 500);
    noRate.SetPosition(100);
    EXPECT_EQ(noRate.GetLengthInSeconds(), 0.0);
    EXPECT_EQ(noRate.GetPositionInSeconds(), 0.0);
    EXPECT_EQ(noRate.GetPositionPercent(), 0.0);

    FakeInput input(1000, 3725500);
    input.SetPosition(931375);
    EXPECT_DOUBLE_EQ(input.GetPositionPercent(), 25.0);
    int hours = -1, minutes = -1;
    float seconds = -1.0f;
    input.GetLengthHourMinSec(&hours, &minutes, &seconds);
    EXPECT_EQ(hours, 1);
    EXPECT_EQ(minutes, 2);
    EXPECT_FLOAT_EQ(seconds, 5.5f);
    input.GetPositionHourMinSec(&hours, &minutes, &seconds);
    EXPECT_EQ(hours, 0);
    EXPECT_EQ(minutes, 15);
    EXPECT_FLOAT_EQ(seconds, 31.375f);
}

TEST(CAudioPlayerInput, RemainingIsNeverNegative)
{
    FakeInput input(44100, 1000);
    EXPECT_EQ(input.GetRemaining(), 1000u);
    input.SetPosition(400);
    EXPECT_EQ(input.GetRemaining(), 600u);
    input.SetPosition(1000);
    EXPECT_EQ(input.GetRemaining(), 0u);
    input.ForcePosition(1200);
    EXPECT_EQ(input.GetRemaining(), 0u);
}

TEST(CAudioPlayerInput, DefaultReadsDeliverSilenceAndNothingElse)
{
    FakeInput input(44100, 1000);

    std::vector<uint8_t> left(12, 0x11), right(12, 0x22);
    uint8_t* dsd[2] = {left.data(), right.data()};
    EXPECT_EQ(input.ReadDsd(dsd, 64, 16), 0u);
    const std::vector<uint8_t> expectedLeft = {0x11, 0x11, 0x96, 0x96, 0x96, 0x96, 0x96, 0x96, 0x96, 0x96, 0x11, 0x11};
    EXPECT_EQ(left, expectedLeft);
    uint8_t* dsdLeftOnly[2] = {left.data(), nullptr};
    EXPECT_EQ(input.ReadDsd(dsdLeftOnly, 8, 0), 0u);

    std::vector<float> fl(8, 0.5f), fr(8, 0.5f);
    float* floats[2] = {fl.data(), fr.data()};
    EXPECT_EQ(input.ReadFloat(floats, 5, 2), 0u);
    EXPECT_EQ(fl, (std::vector<float>{0.5f, 0.5f, 0, 0, 0, 0, 0, 0.5f}));
    EXPECT_EQ(fr, fl);

    std::vector<int32_t> il(6, 7);
    int32_t* ints[2] = {il.data(), nullptr};
    EXPECT_EQ(input.ReadInt32(ints, 4, 1), 0u);
    EXPECT_EQ(il, (std::vector<int32_t>{7, 0, 0, 0, 0, 7}));

    EXPECT_EQ(input.ReadFloat(nullptr, 4, 0), 0u);
    EXPECT_EQ(input.GetPosition(), 0u);
}
