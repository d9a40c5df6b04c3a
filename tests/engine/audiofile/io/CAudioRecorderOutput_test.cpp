#include <gtest/gtest.h>

#include <vector>

#include "engine/audiofile/io/CAudioRecorderOutput.h"

namespace
{
// A 16-bit integer sink that keeps what it is given.
class FakeIntegerSink : public CAudioRecorderOutput
{
public:
    void Cancel() override {}
    uint32_t GetSampleRate() override { return 44100; }
    uint16_t GetChannelCount() override { return 2; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override
    {
        for (uint32_t i = 0; i < frames; ++i)
            written.push_back(channels[0][i]);
        return frames;
    }
    uint32_t WriteFloat(float** channels, uint32_t frames) override { return WriteFloatAsInt32(channels, frames); }

    std::vector<int32_t> written;
};

// A sink that relies on every default.
class BareSink : public CAudioRecorderOutput
{
public:
    void Cancel() override {}
    uint32_t GetSampleRate() override { return 48000; }
    uint16_t GetChannelCount() override { return 1; }
    uint16_t GetBitsPerSample() override { return 24; }
};
} // namespace

TEST(CAudioRecorderOutput, Defaults)
{
    BareSink sink;
    EXPECT_FALSE(sink.IsFloat());
    EXPECT_TRUE(sink.CanWrite());
    float f[1] = {0.25f};
    float* floats[1] = {f};
    int32_t i[1] = {5};
    int32_t* ints[1] = {i};
    uint8_t d[1] = {0};
    uint8_t* dsd[1] = {d};
    EXPECT_EQ(sink.WriteFloat(floats, 1), 0u);
    EXPECT_EQ(sink.WriteInt32(ints, 1), 0u);
    EXPECT_EQ(sink.WriteDsd(dsd, 1), 0u);
    EXPECT_EQ(f[0], 0.25f);
    sink.UpdateMetaData();
    ASSERT_NE(sink.GetMarker(), nullptr);
    ASSERT_NE(sink.GetMetaData(), nullptr);
    EXPECT_EQ(sink.GetMarker()->GetCount(), 0);
}

TEST(CAudioRecorderOutput, FloatsIntoAnIntegerSinkAreConvertedInPlace)
{
    FakeIntegerSink sink;
    std::vector<float> left = {0.5f, -1.0f, 1.0f, 2.0f, 0.0f};
    std::vector<float> right = {-0.5f, 0.25f, 0.0f, -3.0f, 1.0f};
    float* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(sink.WriteFloat(channels, 5), 5u);

    const std::vector<int32_t> expectedLeft = {1073741824, -2147483647, 2147483647, 2147483647, 0};
    const std::vector<int32_t> expectedRight = {-1073741824, 536870912, 0, -2147483647, 2147483647};
    EXPECT_EQ(sink.written, expectedLeft);
    const auto* leftBits = reinterpret_cast<const int32_t*>(left.data());
    const auto* rightBits = reinterpret_cast<const int32_t*>(right.data());
    EXPECT_EQ(std::vector<int32_t>(leftBits, leftBits + 5), expectedLeft);
    EXPECT_EQ(std::vector<int32_t>(rightBits, rightBits + 5), expectedRight);

    EXPECT_EQ(sink.WriteFloat(nullptr, 3), 0u);
}
