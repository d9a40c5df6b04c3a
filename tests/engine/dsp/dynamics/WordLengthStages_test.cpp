#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "engine/dsp/dynamics/WordLengthStages.h"
#include "tests/engine/dsp/RecordingOutput.h"

using qm::test::RecordingOutput;

namespace
{

struct Stereo
{
    Stereo(uint32_t frames, float left, float right)
        : l(frames, left),
          r(frames, right)
    {
    }
    float** floats()
    {
        p[0] = l.data();
        p[1] = r.data();
        return p;
    }
    std::vector<float> l, r;
    float* p[2];
};

std::vector<float> Sine(uint32_t frames, double amplitude, double cyclesPerFrame)
{
    std::vector<float> out(frames);
    for (uint32_t i = 0; i < frames; ++i)
        out[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * cyclesPerFrame * i));
    return out;
}

// Power of the stored samples' error around a few low frequencies (cycles per
// frame), from Hann-windowed segments so that the strong high-frequency noise
// of a shaped error does not leak in.
double LowBandErrorPower(const RecordingOutput& out, const std::vector<float>& x)
{
    constexpr size_t kSegment = 4096;
    double power = 0.0;
    for (size_t start = 1024; start + kSegment <= x.size(); start += kSegment)
        for (double f : {0.02, 0.045, 0.07})
        {
            double re = 0.0, im = 0.0;
            for (size_t n = 0; n < kSegment; ++n)
            {
                const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * n / kSegment);
                const double e = out.Stored(0, start + n) / 32768.0 - x[start + n];
                re += w * e * std::cos(2.0 * M_PI * f * n);
                im -= w * e * std::sin(2.0 * M_PI * f * n);
            }
            power += re * re + im * im;
        }
    return power;
}

} // namespace

TEST(NoiseShapedDither, SixteenBitSamplesAreWholeStepsAndFullScaleSaturates)
{
    RecordingOutput out(44100, 2, 16);
    CAudioRecorderOutputProcessNoiseShapedDither stage;
    stage.SetOutput(&out);
    EXPECT_EQ(stage.GetTapCount(), 9u);
    std::vector<float> sine = Sine(4096, 0.7, 0.01);
    Stereo block(4096, 1.0f, 0.0f);
    block.r = sine;
    EXPECT_EQ(stage.WriteFloat(block.floats(), 4096), 4096u);
    EXPECT_EQ(out.intWrites, 1); // the stage quantises itself and writes integers
    // A fresh stage clamps +1.0 before clearing the low bits; after that the
    // fed-back error may take a step off it, never wrap round.
    EXPECT_EQ(out.ints[0][0], 0x7FFF0000);
    for (size_t i = 0; i < 4096; ++i)
    {
        ASSERT_GE(out.ints[0][i], 0x7FF00000) << i;
        ASSERT_EQ(out.ints[0][i] % 65536, 0) << i;
        ASSERT_EQ(out.ints[1][i] % 65536, 0) << i;
        ASSERT_NEAR(out.ints[1][i] / 2147483648.0, sine[i], 0.01) << i;
    }
}

TEST(NoiseShapedDither, MovesTheErrorOutOfTheLowBand)
{
    const std::vector<float> x = Sine(44100, 0.001, 0.013);
    struct Case
    {
        uint32_t rate;
        uint32_t taps;
    };
    for (const Case c : {Case{44100, 9}, Case{48000, 9}, Case{88200, 7}, Case{96000, 7}})
    {
        RecordingOutput shapedOut(c.rate, 2, 16);
        CAudioRecorderOutputProcessNoiseShapedDither shaped;
        shaped.SetOutput(&shapedOut);
        EXPECT_EQ(shaped.GetTapCount(), c.taps);
        Stereo a(44100, 0.0f, 0.0f);
        a.l = x;
        a.r = x;
        shaped.WriteFloat(a.floats(), 44100);

        RecordingOutput flatOut(c.rate, 2, 16);
        CAudioRecorderOutputProcessTpdfDither flat;
        flat.SetOutput(&flatOut);
        Stereo b(44100, 0.0f, 0.0f);
        b.l = x;
        b.r = x;
        flat.WriteFloat(b.floats(), 44100);
        // Both measured on the 16-bit samples a file would store.
        EXPECT_LT(LowBandErrorPower(shapedOut, x), 0.1 * LowBandErrorPower(flatOut, x)) << c.rate;
    }

    // Another rate: no feedback, the quantiser only, still whole steps.
    RecordingOutput out(32000, 2, 16);
    CAudioRecorderOutputProcessNoiseShapedDither stage;
    stage.SetOutput(&out);
    EXPECT_EQ(stage.GetTapCount(), 0u);
    Stereo block(1000, 0.0f, 0.0f);
    block.l = Sine(1000, 0.3, 0.01);
    stage.WriteFloat(block.floats(), 1000);
    for (size_t i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(out.ints[0][i] % 65536, 0);
        ASSERT_NEAR(out.ints[0][i] / 2147483648.0, std::sin(2.0 * M_PI * 0.01 * i) * 0.3, 1.5 / 32768.0) << i;
    }
}

TEST(TpdfDither, SilenceGetsAtMostOneStepEqualOnBothChannels)
{
    RecordingOutput out(44100, 2, 16);
    CAudioRecorderOutputProcessTpdfDither stage;
    stage.SetOutput(&out);
    Stereo block(20000, 0.0f, 0.0f);
    stage.WriteFloat(block.floats(), 20000);
    std::set<int32_t> seen;
    for (size_t i = 0; i < 20000; ++i)
    {
        ASSERT_EQ(out.ints[0][i], out.ints[1][i]) << i;
        seen.insert(out.Stored(0, i));
    }
    EXPECT_EQ(seen, (std::set<int32_t>{-1, 0, 1}));
}

// Integer blocks pass bit-exactly unless an integer output is shorter than the
// source; float outputs are never dithered.
TEST(WordLengthStages, IntegerAndFloatPaths)
{
    struct Case
    {
        int stage; // 0 none, 1 TPDF, 2 noise-shaped
        uint16_t sourceBits;
        uint16_t outputBits;
        bool floatOutput;
        bool unchanged;
    };
    const Case cases[] = {
        {1, 24, 24, false, true}, {2, 24, 24, false, true}, {1, 24, 16, false, false}, {2, 24, 16, false, false},
        {1, 16, 32, true, true},  {2, 24, 16, true, true},  {0, 24, 16, false, true},
    };
    for (const Case& c : cases)
    {
        std::unique_ptr<CAudioRecorderOutputProcessBase> stage;
        if (c.stage == 1)
            stage = std::make_unique<CAudioRecorderOutputProcessTpdfDither>();
        else if (c.stage == 2)
            stage = std::make_unique<CAudioRecorderOutputProcessNoiseShapedDither>();
        else
            stage = std::make_unique<CAudioRecorderOutputProcessNone>();
        RecordingOutput out(44100, 2, c.outputBits, c.floatOutput);
        stage->SetOutput(&out);
        stage->SetSourceBits(c.sourceBits);
        std::vector<int32_t> l(256), r(256);
        for (int i = 0; i < 256; ++i)
        {
            l[i] = (i * 7919 - 1000000) * 256;
            r[i] = -l[i];
        }
        const std::vector<int32_t> original = l;
        int32_t* ints[2] = {l.data(), r.data()};
        EXPECT_EQ(stage->WriteInt32(ints, 256), 256u);
        if (c.unchanged)
        {
            ASSERT_EQ(out.ints[0], original) << c.stage << " " << c.sourceBits << "->" << c.outputBits;
            EXPECT_EQ(out.floatWrites, 0);
        }
        else
        {
            EXPECT_NE(out.ints[0], original);
            // Error feedback lifts the noise at high frequencies far above
            // one step, so only the neighbourhood is checked.
            for (int i = 0; i < 256; ++i)
                ASSERT_NEAR(out.ints[0][i], original[i], 64 * 65536) << c.stage;
        }

        // Floats into a float output pass unchanged.
        if (c.floatOutput)
        {
            Stereo block(64, 0.123f, -0.5f);
            stage->WriteFloat(block.floats(), 64);
            EXPECT_EQ(out.floats[0], std::vector<float>(64, 0.123f));
        }
    }
}
