#include <gtest/gtest.h>

#include <vector>

#include "engine/audiofile/pcm/CPeakValueDetectVirtualFile.h"

namespace
{
using Peak = CPeakValueDetectVirtualFile::ChannelPeak;

Peak PeakOf(CPeakValueDetectVirtualFile& file, uint16_t channel)
{
    Peak peak;
    peak.maximum = 99.0f; // must be overwritten
    file.GetChannelPeak(&peak, channel);
    return peak;
}

void ExpectPeak(const Peak& peak, float maximum, uint64_t maximumFrame, float minimum, uint64_t minimumFrame)
{
    EXPECT_EQ(peak.maximum, maximum);
    EXPECT_EQ(peak.maximumFrame, maximumFrame);
    EXPECT_EQ(peak.minimum, minimum);
    EXPECT_EQ(peak.minimumFrame, minimumFrame);
}
} // namespace

TEST(CPeakValueDetectVirtualFile, FormatAnswers)
{
    CPeakValueDetectVirtualFile six(48000, 6);
    EXPECT_EQ(six.GetChannelCount(), 2);
    EXPECT_EQ(six.GetSampleRate(), 48000u);
    EXPECT_EQ(six.GetBitsPerSample(), 32);
    EXPECT_FALSE(six.IsFloat());
    EXPECT_TRUE(six.CanWrite());
    CPeakValueDetectVirtualFile mono(44100, 1);
    EXPECT_EQ(mono.GetChannelCount(), 1);
}

TEST(CPeakValueDetectVirtualFile, KeepsExtremesWithTheirEarliestFrames)
{
    CPeakValueDetectVirtualFile file(44100, 2);
    std::vector<float> left(40, 0.0f), right(40, 0.0f);
    left[10] = 0.5f;
    left[20] = -0.75f;
    left[30] = 0.5f; // equal maximum later: the earlier frame stays
    right[5] = 0.25f;
    float* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(file.WriteFloat(channels, 40), 40u);

    ExpectPeak(PeakOf(file, 0), 0.5f, 10, -0.75f, 20);
    ExpectPeak(PeakOf(file, 1), 0.25f, 5, 0.0f, 0);
    ExpectPeak(PeakOf(file, 2), 0.0f, 0, 0.0f, 0);
    EXPECT_EQ(file.GetPeakFrame(), 20u);

    // A second block continues the frame count.
    std::vector<float> more(4, 0.0f);
    more[0] = -0.9f;
    float* second[2] = {more.data(), nullptr};
    EXPECT_EQ(file.WriteFloat(second, 4), 4u);
    ExpectPeak(PeakOf(file, 0), 0.5f, 10, -0.9f, 40);
    EXPECT_EQ(file.GetPeakFrame(), 40u);

    file.Reset();
    ExpectPeak(PeakOf(file, 0), 0.0f, 0, 0.0f, 0);
    float one[1] = {0.1f};
    float* third[2] = {one, one};
    file.WriteFloat(third, 1);
    ExpectPeak(PeakOf(file, 0), 0.1f, 0, 0.0f, 0);
}

TEST(CPeakValueDetectVirtualFile, PeakFrameTakesTheLaterOfEqualCandidates)
{
    CPeakValueDetectVirtualFile file(44100, 2);
    std::vector<float> left(10, 0.0f), right(10, 0.0f);
    left[3] = 0.5f;
    right[7] = -0.5f;
    float* channels[2] = {left.data(), right.data()};
    file.WriteFloat(channels, 10);
    EXPECT_EQ(file.GetPeakFrame(), 7u);

    CPeakValueDetectVirtualFile none(44100, 0);
    EXPECT_EQ(none.WriteFloat(channels, 10), 10u);
    EXPECT_EQ(none.GetPeakFrame(), 0u);
    EXPECT_EQ(none.WriteFloat(nullptr, 5), 5u);
}

TEST(CPeakValueDetectVirtualFile, IntegerWritesAreConvertedInPlaceAndMeasured)
{
    CPeakValueDetectVirtualFile file(44100, 2);
    std::vector<int32_t> left = {0, 0x40000000, 0, INT32_MIN};
    std::vector<int32_t> right = {0x20000000, 0, 0, 0};
    int32_t* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(file.WriteInt32(channels, 4), 4u);

    const auto* leftFloats = reinterpret_cast<const float*>(left.data());
    EXPECT_EQ(leftFloats[1], 0.5f);
    EXPECT_EQ(leftFloats[3], -1.0f);
    ExpectPeak(PeakOf(file, 0), 0.5f, 1, -1.0f, 3);
    ExpectPeak(PeakOf(file, 1), 0.25f, 0, 0.0f, 0);
    EXPECT_EQ(file.GetPeakFrame(), 3u);
}
