#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"
#include "tests/engine/dsp/MemorySource.h"
#include "tests/engine/dsp/RecordingOutput.h"

using qm::test::MemorySource;
using qm::test::Noise16;
using qm::test::RecordingOutput;

namespace
{

std::vector<float> Impulse(size_t frames, size_t at)
{
    std::vector<float> out(frames, 0.0f);
    out[at] = 0.5f;
    return out;
}

bool Convert(CAudioFileConverterPcmOutput& converter, CAudioPlayerInput& source, CAudioRecorderOutput& output,
             bool followedDirectly = false)
{
    if (!converter.Open(&source, &output, followedDirectly))
        return false;
    converter.Run();
    return true;
}

} // namespace

TEST(FileConverter, OpenChecksRatesAndChannelsAndSizesTheBlocks)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
        uint16_t inChannels;
        uint16_t outChannels;
        bool opens;
        uint32_t blockLength;
    };
    const Case cases[] = {
        {44100, 44100, 2, 2, true, 4096}, {44100, 48000, 2, 2, true, 3763}, {44100, 96000, 2, 2, true, 1881},
        {48000, 44100, 2, 2, true, 4458}, {88200, 44100, 2, 2, true, 8192}, {96000, 44100, 1, 2, true, 8192},
        {44100, 176400, 2, 2, false, 0},  {32000, 44100, 2, 2, false, 0},   {44100, 44100, 2, 3, false, 0},
        {44100, 44100, 2, 0, false, 0},   {44100, 44100, 0, 2, false, 0},
    };
    for (const Case& c : cases)
    {
        CAudioFileConverterPcmOutput converter(2);
        MemorySource source(c.in, std::vector<std::vector<float>>(c.inChannels, std::vector<float>(100, 0.0f)));
        source.lossless = false; // no pass-through
        RecordingOutput output(c.out, c.outChannels, 16);
        EXPECT_EQ(converter.Open(&source, &output, false), c.opens) << c.in << "->" << c.out;
        if (c.opens)
        {
            EXPECT_EQ(converter.GetBlockLengthInUse(), c.blockLength) << c.in << "->" << c.out;
        }
    }
    CAudioFileConverterPcmOutput converter(2);
    RecordingOutput output(44100, 2, 16);
    EXPECT_FALSE(converter.Open(nullptr, &output, false));
    float levels[2] = {1.0f, 1.0f};
    int clip = 5;
    converter.GetPeakLevels(levels, &clip);
    EXPECT_EQ(levels[0], -200.0f);
    EXPECT_EQ(levels[1], -200.0f);
    EXPECT_EQ(clip, 0);
    converter.Run(); // nothing bound: nothing happens
}

// Priming and the tail flush make the output line up with the input: an
// impulse half a second in comes out half a second in, and the output has the
// song's length at the new rate.
TEST(FileConverter, RateConversionKeepsTimeAndLength)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
    };
    for (const Case c : {Case{44100, 48000}, Case{48000, 44100}, Case{44100, 88200}, Case{88200, 44100},
                         Case{48000, 88200}, Case{88200, 96000}})
    {
        CAudioFileConverterPcmOutput converter(2);
        MemorySource source(c.in, {Impulse(c.in, c.in / 2), Impulse(c.in, c.in / 2)});
        RecordingOutput output(c.out, 2, 32, true);
        ASSERT_TRUE(Convert(converter, source, output)) << c.in << "->" << c.out;
        const std::vector<float>& left = output.floats[0];
        EXPECT_NEAR(static_cast<double>(left.size()), c.out, 2.0) << c.in << "->" << c.out;
        const auto peak =
            std::max_element(left.begin(), left.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
        EXPECT_NEAR(static_cast<double>(peak - left.begin()), c.out / 2, 1.0) << c.in << "->" << c.out;
        EXPECT_EQ(output.floats[1], left);
    }
}

// Same rate, lossless input, neutral dynamics: the samples pass unchanged, a
// mono song fills both channels, and the meters read full scale without clip.
TEST(FileConverter, PassThroughIsBitExact)
{
    struct Case
    {
        uint16_t channels;
        int dither;
        float fadeIn;
    };
    for (const Case c : {Case{2, 0, 0.0f}, Case{2, 1, 0.0f}, Case{2, 2, 0.0f}, Case{1, 1, 0.0f}, Case{2, 0, 0.1f}})
    {
        std::vector<std::vector<float>> song;
        for (uint16_t ch = 0; ch < c.channels; ++ch)
            song.push_back(Noise16(100007, 0.9, 11 + ch));
        MemorySource source(44100, song);
        RecordingOutput output(44100, 2, 16);
        CAudioFileConverterPcmOutput converter(2);
        converter.SetDitherMode(ditherModeFromSetting(c.dither));
        converter.GetDynamicControl()->SetFade(1, c.fadeIn, 0, 0.0f);
        ASSERT_TRUE(converter.Open(&source, &output, false));
        EXPECT_TRUE(converter.IsPassThrough());
        converter.Run();
        const size_t fadeFrames = static_cast<size_t>(c.fadeIn * 44100);
        for (uint16_t ch = 0; ch < 2; ++ch)
        {
            const std::vector<float>& expected = song[c.channels == 1 ? 0 : ch];
            ASSERT_EQ(output.ints[ch].size(), expected.size());
            for (size_t i = fadeFrames; i < expected.size(); ++i)
                ASSERT_EQ(output.Stored(ch, i), static_cast<int32_t>(expected[i] * 32768.0f))
                    << "channel " << ch << " frame " << i << " dither " << c.dither << " fade " << c.fadeIn;
            if (fadeFrames > 0)
            {
                EXPECT_EQ(output.Stored(ch, 0), 0);
            }
        }
        float levels[2];
        int clip = -1;
        converter.GetPeakLevels(levels, &clip);
        EXPECT_EQ(levels[0], 0.0f);
        EXPECT_EQ(levels[1], 0.0f);
        EXPECT_EQ(clip, 0);
    }
}

// A song that continues the previous one sounds as if both were one song: no
// tail flush and fade-out between them, no priming and fade-in, and the rate
// stage and the noise shaper run on.
TEST(FileConverter, JoinedSongsEqualTheConcatenatedSong)
{
    const std::vector<float> first = Noise16(30001, 0.5, 3);
    const std::vector<float> second = Noise16(20011, 0.5, 4);
    std::vector<float> whole = first;
    whole.insert(whole.end(), second.begin(), second.end());

    CAudioFileConverterPcmOutput joined(2);
    joined.SetDitherMode(DitherMode::NoiseShaped);
    RecordingOutput joinedOut(48000, 2, 16);
    MemorySource a(44100, {first, first});
    MemorySource b(44100, {second, second});
    ASSERT_TRUE(Convert(joined, a, joinedOut, true));
    ASSERT_TRUE(Convert(joined, b, joinedOut, false));

    CAudioFileConverterPcmOutput single(2);
    single.SetDitherMode(DitherMode::NoiseShaped);
    RecordingOutput singleOut(48000, 2, 16);
    MemorySource ab(44100, {whole, whole});
    ASSERT_TRUE(Convert(single, ab, singleOut));

    EXPECT_EQ(joinedOut.ints[0], singleOut.ints[0]);
    EXPECT_EQ(joinedOut.ints[1], singleOut.ints[1]);
}

// Mono into stereo through a rate stage: equal channels, the right meter
// repeats the left; an integer output above full scale reports a clip.
TEST(FileConverter, MonoFillsStereoAndMetersFollow)
{
    std::vector<float> tone(44100);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.9 * std::sin(2.0 * M_PI * 1000.0 * i / 44100.0));
    CAudioFileConverterPcmOutput converter(2);
    converter.GetDynamicControl()->SetGain(3.0f);
    MemorySource source(44100, {tone});
    RecordingOutput output(48000, 2, 24);
    ASSERT_TRUE(Convert(converter, source, output));
    EXPECT_EQ(output.ints[0], output.ints[1]);
    float levels[2] = {0.0f, 0.0f};
    int clip = 0;
    converter.GetPeakLevels(levels, &clip);
    EXPECT_FLOAT_EQ(levels[0], 2.5f); // 0.9 x 1.41 = 1.27: first table step above is +2.5 dB
    EXPECT_EQ(levels[1], levels[0]);
    EXPECT_EQ(clip, 2);
    converter.GetPeakLevels(levels, &clip); // read and reset
    EXPECT_EQ(levels[0], -200.0f);
}

// Settings given before Open survive a song of another channel count, and an
// input of more channels than the buffers hold uses its first two.
TEST(FileConverter, ChannelCountChangesKeepTheSongSettings)
{
    CAudioFileConverterPcmOutput converter(2);
    CDynamicControl* dynamics = converter.GetDynamicControl();
    dynamics->SetGain(-6.0206f);
    dynamics->SetPan(1.0f);
    MemorySource mono(44100, {std::vector<float>(5000, 0.5f)});
    RecordingOutput monoOut(44100, 2, 32, true);
    ASSERT_TRUE(Convert(converter, mono, monoOut));
    EXPECT_EQ(converter.GetDynamicControl(), dynamics);
    EXPECT_NEAR(monoOut.floats[0][2500], 0.25f, 1e-5f);
    EXPECT_NEAR(monoOut.floats[1][2500], 0.25f, 1e-5f); // pan has no effect on mono

    std::vector<std::vector<float>> four(4, std::vector<float>(5000, 0.0f));
    four[0].assign(5000, 0.5f);
    four[1].assign(5000, 0.5f);
    four[2].assign(5000, 0.9f);
    MemorySource quad(44100, four);
    RecordingOutput quadOut(44100, 2, 32, true);
    ASSERT_TRUE(Convert(converter, quad, quadOut));
    EXPECT_NEAR(quadOut.floats[0][2500], 0.0f, 1e-6f);
    EXPECT_NEAR(quadOut.floats[1][2500], 0.25f * 1.4142135f, 1e-5f);
}

TEST(FileConverter, CancelStopsBeforeTheNextBlock)
{
    CAudioFileConverterPcmOutput converter(2);
    MemorySource source(44100, {Noise16(100000, 0.5, 1), Noise16(100000, 0.5, 2)});
    source.lossless = false;
    RecordingOutput output(48000, 2, 16);
    ASSERT_TRUE(converter.Open(&source, &output, false));
    source.onRead = [&] {
        if (source.reads == 4)
            converter.SetCancel(true);
    };
    converter.Run();
    EXPECT_EQ(source.reads, 4);
    EXPECT_LT(output.ints[0].size(), 4u * 4096u);
}
