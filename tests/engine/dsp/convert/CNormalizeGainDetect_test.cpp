#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/audiofile/pcm/CPeakValueDetectVirtualFile.h"
#include "engine/dsp/convert/CNormalizeGainDetect.h"
#include "tests/engine/dsp/MemorySource.h"

using qm::test::MemorySource;
using qm::test::Noise16;

namespace
{

// The peak the export itself produces: the whole song through a fresh
// converter, primed and flushed, into a peak-measuring sink.
float ExportPeak(MemorySource& source, uint32_t rate, float gainDb)
{
    CPeakValueDetectVirtualFile sink(rate, source.GetChannelCount());
    CAudioFileConverterPcmOutput converter(2);
    converter.GetDynamicControl()->SetGain(gainDb);
    EXPECT_TRUE(converter.Open(&source, &sink, false));
    converter.Run();
    float peak = 0.0f;
    for (uint16_t c = 0; c < sink.GetChannelCount(); ++c)
    {
        CPeakValueDetectVirtualFile::ChannelPeak p;
        sink.GetChannelPeak(&p, c);
        peak = std::max({peak, std::fabs(p.maximum), std::fabs(p.minimum)});
    }
    return peak;
}

float DetectGain(CNormalizeGainDetect& detect, MemorySource& source, uint32_t rate, float gainDb)
{
    EXPECT_TRUE(detect.Prepare(&source, rate));
    detect.WaitForSource();
    detect.GetConverter()->GetDynamicControl()->SetGain(gainDb);
    return detect.Detect();
}

} // namespace

// Same rate: one pass; the gain brings the peak to -0.25 dBFS, and a song at
// full scale is left alone.
TEST(NormalizeGainDetect, SameRateGainForThePeak)
{
    struct Case
    {
        float peak;
        float gainDb; // the song's own gain
        float expected;
    };
    const Case cases[] = {
        {0.5f, 0.0f, 5.7706f},
        {1.0f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f},
        {0.25f, 6.0206f, 5.7706f},
        {0.9f, 0.0f, static_cast<float>(-20.0 * std::log10(0.9) - 0.25)},
    };
    for (const Case& c : cases)
    {
        std::vector<float> song(30000, 0.0f);
        song[12345] = -c.peak;
        song[20000] = c.peak * 0.5f;
        MemorySource source(44100, {song, std::vector<float>(30000, 0.0f)});
        CNormalizeGainDetect detect;
        EXPECT_NEAR(DetectGain(detect, source, 44100, c.gainDb), c.expected, 1e-4) << c.peak;
        EXPECT_EQ(detect.GetProgress(), 100.0f);
        EXPECT_EQ(source.GetPosition(), 0u);
    }
}

// Another rate: the quick pass finds the peak, the exact pass measures what
// the export will produce there, also when the peak lies in the song's last
// frames, which only the tail flush brings out of the rate stage.
TEST(NormalizeGainDetect, TwoPassesMatchTheExport)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
        int64_t at; // the burst's centre; negative: frames before the end
        bool variableBitRate;
    };
    const Case cases[] = {
        {44100, 48000, 20000, false}, {44100, 48000, -30, false}, {96000, 44100, -140, false},
        {88200, 44100, 40000, false}, {48000, 44100, -35, true},
    };
    for (const Case& c : cases)
    {
        // Quiet noise and a short loud burst (two cycles under a Hann window).
        std::vector<float> song = Noise16(60000, 0.05, 7);
        const int64_t centre = c.at < 0 ? static_cast<int64_t>(song.size()) + c.at : c.at;
        constexpr int kWidth = 24;
        for (int i = 0; i < kWidth; ++i)
        {
            const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / kWidth);
            song[centre - kWidth / 2 + i] +=
                static_cast<float>(0.8 * window * std::sin(4.0 * M_PI * (i + 0.5) / kWidth));
        }
        MemorySource source(c.in, {song, song});
        source.variableBitRate = c.variableBitRate;
        const float expectedGain = static_cast<float>(-20.0 * std::log10(ExportPeak(source, c.out, 1.5f)) - 0.25);

        CNormalizeGainDetect detect;
        const float gain = DetectGain(detect, source, c.out, 1.5f);
        const bool twoPasses = dynamic_cast<CNormalizeGainDetectPcmFsConversion*>(detect.GetDetector()) != nullptr;
        EXPECT_EQ(twoPasses, !c.variableBitRate);
        // The single pass is not primed, so its first frames are not faded
        // in as the export's are: it may differ a little.
        EXPECT_NEAR(gain, expectedGain, twoPasses ? 1e-4 : 0.01) << c.in << "->" << c.out << " at " << c.at;
        EXPECT_EQ(detect.GetProgress(), 100.0f);
    }
}

TEST(NormalizeGainDetect, RefusalsAndCancel)
{
    CNormalizeGainDetect detect;
    EXPECT_FALSE(detect.Prepare(nullptr, 44100));
    EXPECT_EQ(detect.Detect(), 0.0f);
    MemorySource oneBit(2822400, {std::vector<float>(100, 0.5f)}, 1);
    EXPECT_FALSE(detect.Prepare(&oneBit, 44100));
    EXPECT_EQ(detect.GetConverter(), nullptr);
    MemorySource odd(44100, {std::vector<float>(100, 0.5f)});
    EXPECT_FALSE(detect.Prepare(&odd, 32000));

    // A 1-bit output rate: measured at the source's own rate.
    MemorySource song(44100, {std::vector<float>(1000, 0.5f)});
    EXPECT_TRUE(detect.Prepare(&song, 2822400));
    EXPECT_NEAR(detect.Detect(), 5.7706f, 1e-4);

    // Cancelled during the scan: 0.
    MemorySource longSong(44100, {Noise16(200000, 0.3, 5)});
    ASSERT_TRUE(detect.Prepare(&longSong, 48000));
    longSong.onRead = [&] {
        if (longSong.reads == 3)
            detect.SetCancel(true);
    };
    EXPECT_EQ(detect.Detect(), 0.0f);
    EXPECT_LT(detect.GetProgress(), 100.0f);
}
