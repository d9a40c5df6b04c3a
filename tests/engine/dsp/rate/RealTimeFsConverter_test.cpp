#include "engine/dsp/rate/CRealTimeFsConverterPcmOutput.h"

#include "tests/engine/dsp/DspTestSignals.h"

#include <gtest/gtest.h>

using qm::test::Channels;

namespace
{

// Output capacity of a block: generous for any ratio used here.
std::size_t Capacity(uint32_t in, uint32_t out, std::size_t block)
{
    return static_cast<std::size_t>(static_cast<double>(block) * out / in) + 4;
}

} // namespace

TEST(RealTimeFsConverter, SetUpByRates)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
        bool decimation;
        uint32_t factor;
        int decimatorTaps;
        bool interpolation;
        uint32_t l;
        int taps;
        int cutoff;
        double latencySeconds;
    };
    const Case cases[] = {
        {44100, 44100, false, 0, 0, false, 0, 0, 0, 0.0},
        {48000, 44100, false, 0, 0, true, 16, 384, 22000, 12.0 / 48000},
        {44100, 48000, false, 0, 0, true, 16, 384, 22000, 12.0 / 44100},
        {96000, 192000, false, 0, 0, true, 8, 192, 30000, 12.0 / 96000},
        {88200, 48000, false, 0, 0, true, 8, 384, 22000, 24.0 / 88200},
        {192000, 96000, false, 0, 0, true, 4, 384, 22000, 48.0 / 192000},
        {192000, 176400, false, 0, 0, true, 4, 96, 40000, 12.0 / 192000},
        {2822400, 44100, true, 16, 73, true, 4, 384, 22000, 36.0 / 2822400 + 48.0 / 176400},
        {2822400, 192000, true, 16, 73, true, 4, 96, 40000, 36.0 / 2822400 + 12.0 / 176400},
        {5644800, 48000, true, 32, 145, true, 4, 384, 22000, 72.0 / 5644800 + 48.0 / 176400},
        {11289600, 176400, true, 64, 289, false, 0, 0, 0, 144.0 / 11289600},
        // Below 44100 Hz the cutoff follows the lower rate (22000 x rate / 44100).
        {22050, 44100, false, 0, 0, true, 16, 384, 11000, 12.0 / 22050},
        {48000, 22050, false, 0, 0, true, 16, 384, 11000, 12.0 / 48000},
        {8000, 48000, false, 0, 0, true, 16, 384, 3990, 12.0 / 8000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out);
        CRealTimeFsConverterPcmOutput conv(2);
        conv.SetSampleRates(c.in, c.out);
        EXPECT_EQ(conv.IsDecimationActive(), c.decimation);
        EXPECT_EQ(conv.IsInterpolationActive(), c.interpolation);
        EXPECT_NEAR(conv.GetLatencyInSeconds(), c.latencySeconds, 1e-12);
        if (c.decimation)
        {
            EXPECT_EQ(conv.GetDecimator().GetDecimation(), c.factor);
            EXPECT_EQ(conv.GetDecimator().GetTaps(), c.decimatorTaps);
            EXPECT_EQ(conv.GetDecimator().GetCoeffs().GetCutoff(), 60000);
            EXPECT_DOUBLE_EQ(conv.GetDecimator().GetCoeffs().GetGain(), 2.0);
            EXPECT_EQ(conv.GetDecimator().GetCoeffs().GetAttenuation(), 82.0);
        }
        if (c.interpolation)
        {
            const CFsCwInterpolation& f = conv.GetInterpolator();
            const uint32_t r = c.decimation ? c.in / c.factor : c.in;
            EXPECT_EQ(f.GetInterpolation(), c.l);
            EXPECT_EQ(f.GetCoeffs().GetTaps(), c.taps);
            EXPECT_EQ(f.GetCoeffs().GetCutoff(), c.cutoff);
            EXPECT_EQ(f.GetCoeffs().GetAttenuation(), 85.0);
            EXPECT_EQ(f.GetStep(), static_cast<uint64_t>(static_cast<double>(c.l) * r / c.out * 16384));
        }
    }
    CRealTimeFsConverterPcmOutput conv(1);
    conv.SetSampleRates(48000, 44100);
    EXPECT_EQ(conv.GetInterpolator().GetStep(), 285326u); // trunc(16 x 48000 / 44100 x 16384)
}

TEST(RealTimeFsConverter, EqualOrUnknownRatesCopy)
{
    const Channels in{qm::test::Noise(5000, 1), qm::test::Noise(5000, 2)};
    for (auto [inRate, outRate] : {std::pair{48000u, 48000u}, {0u, 44100u}, {44100u, 0u}})
    {
        CRealTimeFsConverterPcmOutput conv(2);
        conv.SetSampleRates(inRate, outRate);
        EXPECT_FALSE(conv.IsInterpolationActive());
        EXPECT_EQ(qm::test::RunInBlocks(conv, in, 1024, 1024), in) << inRate << " -> " << outRate;
    }
}

// Tones come out at their level and rate, with nothing else of note (a 22050 Hz file used
// to keep a full-level image at 17.05 kHz).
TEST(RealTimeFsConverter, TonesKeepLevelWithoutImages)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
        double frequency;
    };
    const Case cases[] = {
        {22050, 44100, 5000.0}, // image at 17050 Hz
        {22050, 48000, 5000.0},
        {44100, 48000, 3000.0},
        {48000, 22050, 1000.0},
        {96000, 192000, 10000.0},
        // 1-bit material is decimated (x 2) into 176400 Hz, then interpolated up or down.
        {2822400, 192000, 1000.0},
        {2822400, 44100, 1000.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out);
        CRealTimeFsConverterPcmOutput conv(1);
        conv.SetSampleRates(c.in, c.out);
        double gain = 1.0;
        uint32_t rate = c.in;
        if (conv.IsDecimationActive())
        {
            // The short decimator's level at low frequencies is the sum of its taps.
            gain = 0.0;
            for (int n = 0; n < conv.GetDecimator().GetTaps(); ++n)
                gain += conv.GetDecimator().GetCoeff(n);
            rate /= conv.GetDecimator().GetDecimation();
        }
        // The truncated fixed-point step plays a few parts per million fast.
        const CFsCwInterpolation& f = conv.GetInterpolator();
        const double speed = static_cast<double>(f.GetStep()) / (f.GetInterpolation() * 16384.0) * c.out / rate;
        const double frequency = c.frequency * speed;
        const std::size_t frames = c.in / 5;
        const Channels tone{qm::test::Sine(frames, c.frequency, c.in, 0.25)};
        const std::vector<float> y = qm::test::RunInBlocks(conv, tone, 4096, Capacity(c.in, c.out, 4096))[0];
        EXPECT_NEAR(static_cast<double>(y.size()), static_cast<double>(frames) * c.out / c.in, 2.0);
        const std::size_t from = 2000;
        const std::size_t to = y.size() - 100;
        const qm::test::ToneFit fit = qm::test::FitTone(y, frequency, c.out, from, to);
        EXPECT_NEAR(fit.amplitude, 0.25 * gain, 0.25 * gain * 0.01);
        // Images, aliases and the interpolation between phases stay below -65 dB.
        EXPECT_LT(qm::test::ToDecibels(fit.residualRms / (0.25 * gain)), -65.0);
    }
}

TEST(RealTimeFsConverter, OutputDoesNotDependOnBlockSize)
{
    for (auto [in, out] : {std::pair{48000u, 44100u}, {2822400u, 192000u}, {22050u, 48000u}})
    {
        SCOPED_TRACE(testing::Message() << in << " -> " << out);
        const std::size_t frames = in == 2822400u ? 200000 : 30000;
        const Channels song{qm::test::Noise(frames, 3), qm::test::Noise(frames, 4)};
        CRealTimeFsConverterPcmOutput a(2), b(2), c(2);
        for (auto* conv : {&a, &b, &c})
            conv->SetSampleRates(in, out);
        const Channels big = qm::test::RunInBlocks(a, song, 100000, Capacity(in, out, 100000));
        EXPECT_EQ(big, qm::test::RunInBlocks(b, song, 1, 8));
        EXPECT_EQ(big, qm::test::RunInBlocks(c, song, 4096, Capacity(in, out, 4096)));

        // A reset starts the stream again from silence.
        a.Reset();
        EXPECT_EQ(big, qm::test::RunInBlocks(a, song, 4096, Capacity(in, out, 4096)));
    }
}
