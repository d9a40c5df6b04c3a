#include "engine/dsp/filters/CDecimationFilter.h"
#include "engine/dsp/filters/COversamplingFilter.h"
#include "engine/dsp/filters/FirKernels.h"
#include "engine/dsp/rate/CFsConverter.h"
#include "engine/dsp/rate/CFsCwInterpolation.h"

#include "tests/engine/dsp/DspTestSignals.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using qm::test::Channels;

namespace
{

std::unique_ptr<CFsConverter> MakeConverter(uint16_t channels, int taps, int rate, int cutoff, uint32_t l, uint32_t m)
{
    auto f = std::make_unique<CFsConverter>(channels);
    f->SetAttenuation(120.0);
    f->Init(taps, rate, cutoff, l, m, 0.0);
    return f;
}

std::unique_ptr<CFsCwInterpolation> MakeInterpolator(uint16_t channels, uint32_t in, uint32_t out)
{
    auto f = std::make_unique<CFsCwInterpolation>(channels);
    f->SetAttenuation(85.0);
    f->Init(384, static_cast<int>(in), 22000, 16, 1, 0.0);
    f->SetStep(CFsCwInterpolation::StepFor(16, in, out));
    return f;
}

// Restores the automatic kernel choice when a test has forced one.
struct KernelLevelGuard
{
    FirKernelLevel saved = GetFirKernelLevel();
    ~KernelLevelGuard() { SetFirKernelLevel(saved); }
};

} // namespace

TEST(FscBase, PhaseTablesHoldEveryLthTapPaddedToFour)
{
    struct Case
    {
        int taps;
        uint32_t l;
        uint32_t m;
        uint32_t perPhase;
    };
    const Case cases[] = {
        {15361, 160, 147, 100}, {2561, 160, 147, 20}, {193, 2, 1, 100},       {33, 2, 1, 20},
        {30721, 320, 147, 100}, {5121, 320, 147, 20}, {14113, 147, 160, 100}, {2353, 147, 160, 20},
        {15361, 80, 147, 196},  {2561, 80, 147, 36},  {56449, 147, 320, 388}, {9409, 147, 320, 68},
        {384, 16, 1, 24},       {96, 4, 1, 24},
    };
    for (const Case& c : cases)
    {
        auto f = MakeConverter(1, c.taps, 44100, 22050, c.l, c.m);
        EXPECT_EQ(f->GetTapsPerPhase(), c.perPhase) << c.taps << "/" << c.l;
        EXPECT_EQ(f->GetInterpolation(), c.l);
        EXPECT_EQ(f->GetDecimation(), c.m);
        const CFirLpfCoeffs& h = f->GetCoeffs();
        // Taps that vanish against the centre (a half-band design's zeros) are exact zeros.
        const double negligible = std::fabs(h.GetCoeff((c.taps - 1) / 2)) * 1e-12;
        for (uint32_t p : {0u, c.l / 2, c.l - 1, c.l})
        {
            for (uint32_t k = 0; k < c.perPhase; ++k)
            {
                const int n = static_cast<int>(p + k * c.l);
                const double v = h.GetCoeff(n);
                const float expected = n < c.taps && std::fabs(v) >= negligible ? static_cast<float>(v) : 0.0f;
                ASSERT_EQ(f->GetPhaseCoeff(p, k), expected) << "phase " << p << " entry " << k;
            }
        }
    }
}

TEST(FscBase, SettingsBeyondTheTablesAreCut)
{
    auto f = MakeConverter(1, 4000, 8000, 4000, 600, 1);
    EXPECT_EQ(f->GetInterpolation(), 511u);
    EXPECT_EQ(f->GetCoeffs().GetRate(), 8000 * 511);

    // More taps per phase than the 1024-sample history holds: cut to what it holds.
    auto wide = MakeConverter(1, 5000, 44100, 20000, 1, 1);
    EXPECT_EQ(wide->GetTapsPerPhase(), 1024u);
    EXPECT_EQ(wide->GetCoeffs().GetTaps(), 1021);
    // A step of 0 would never move on: it becomes 1.
    auto still = MakeConverter(1, 193, 44100, 20000, 2, 0);
    EXPECT_EQ(still->GetDecimation(), 1u);
    const Channels in{qm::test::Noise(3000, 1)};
    EXPECT_EQ(qm::test::RunInBlocks(*wide, in, 1000)[0].size(), 3000u);
    EXPECT_EQ(qm::test::RunInBlocks(*still, in, 1000)[0].size(), 6000u);
}

TEST(DecimationFilter, TapsAreCutDownToEightKPlusOne)
{
    struct Case
    {
        int requested;
        int taps;
    };
    const Case cases[] = {{193, 193}, {33, 33}, {289, 289}, {196, 193}, {200, 193}, {2000, 505}, {0, 1}};
    for (const Case& c : cases)
    {
        CDecimationFilter f(1);
        f.Init(c.requested, 88200, 22050, 0.0, 2);
        EXPECT_EQ(f.GetTaps(), c.taps) << c.requested;
        EXPECT_EQ(f.GetCoeffs().GetTaps(), c.taps);
        EXPECT_EQ(f.GetCoeff(c.taps), 0.0f);
    }
}

TEST(FsConverter, EveryBlockOf147FramesGives160)
{
    auto f = MakeConverter(2, 15361, 88200, 24000, 160, 147);
    Channels in{qm::test::Noise(147, 1), qm::test::Noise(147, 2)};
    std::vector<float> out0(200), out1(200);
    const float* inputs[] = {in[0].data(), in[1].data()};
    float* outputs[] = {out0.data(), out1.data()};
    for (int block = 0; block < 300; ++block)
        ASSERT_EQ(f->Process(inputs, outputs, 147), 160u) << "block " << block;

    // Single frames give one or two outputs depending on the carried phase; 147 of them
    // give 160.
    f->Reset();
    uint32_t total = 0;
    for (int i = 0; i < 147 * 20; ++i)
    {
        const uint32_t n = f->Process(inputs, outputs, 1);
        ASSERT_TRUE(n == 1 || n == 2);
        total += n;
    }
    EXPECT_EQ(total, 160u * 20);
}

// Feeding one frame at a time, odd sizes or 4096 at a time gives the same samples.
TEST(PolyphaseFilters, OutputDoesNotDependOnBlockSize)
{
    const Channels in{qm::test::Noise(20000, 3), qm::test::Noise(20000, 4)};
    struct Maker
    {
        const char* name;
        std::function<std::unique_ptr<CFirLpfBase>()> make;
    };
    const Maker makers[] = {
        {"L/M 160/147", [] { return MakeConverter(2, 15361, 44100, 22050, 160, 147); }},
        {"L/M 147/320", [] { return MakeConverter(2, 56449, 96000, 22050, 147, 320); }},
        {"x2",
         [] {
             auto f = std::make_unique<COversamplingFilter>(2);
             f->Init(193, 44100, 22050, 2, 1, 0.0);
             return std::unique_ptr<CFirLpfBase>(std::move(f));
         }},
        {"/2",
         [] {
             auto f = std::make_unique<CDecimationFilter>(2);
             f->Init(193, 88200, 22050, 0.0, 2);
             return std::unique_ptr<CFirLpfBase>(std::move(f));
         }},
        {"/3",
         [] {
             auto f = std::make_unique<CDecimationFilter>(2);
             f->Init(73, 132300, 20000, 0.0, 3);
             return std::unique_ptr<CFirLpfBase>(std::move(f));
         }},
        {"fractional 48000 -> 44100", [] { return std::unique_ptr<CFirLpfBase>(MakeInterpolator(2, 48000, 44100)); }},
        {"fractional 22050 -> 48000", [] { return std::unique_ptr<CFirLpfBase>(MakeInterpolator(2, 22050, 48000)); }},
    };
    for (const Maker& m : makers)
    {
        SCOPED_TRACE(m.name);
        auto whole = m.make();
        auto single = m.make();
        auto odd = m.make();
        // The fractional interpolator reports no ratio of its own: size its blocks generously.
        const Channels a = qm::test::RunInBlocks(*whole, in, 4096, 4096 * 4);
        const Channels b = qm::test::RunInBlocks(*single, in, 1, 8);
        const Channels c = qm::test::RunInBlocks(*odd, in, 997, 997 * 4);
        ASSERT_GT(a[0].size(), 1000u);
        EXPECT_EQ(a, b);
        EXPECT_EQ(a, c);
    }
}

TEST(FsCwInterpolation, LongBlocksKeepTheirPositions)
{
    // One block of 300000 frames counts 16 x 16384 x 300000 units of time, far beyond 32 bits.
    const Channels in{qm::test::Sine(300000, 1000.0, 48000.0)};
    auto big = MakeInterpolator(1, 48000, 44100);
    auto small = MakeInterpolator(1, 48000, 44100);
    const Channels a = qm::test::RunInBlocks(*big, in, 300000, 300000);
    const Channels b = qm::test::RunInBlocks(*small, in, 1000, 1000);
    ASSERT_EQ(a[0].size(), b[0].size());
    EXPECT_NEAR(static_cast<double>(a[0].size()), 300000.0 * 44100 / 48000, 2.0);
    EXPECT_EQ(a, b);
}

TEST(PolyphaseFilters, ChannelLimits)
{
    // Zero channels: nothing produced.
    auto none = MakeConverter(0, 193, 44100, 22050, 2, 1);
    float sample = 1.0f;
    float* one[] = {&sample};
    EXPECT_EQ(none->Process(one, one, 1), 0u);
    CDecimationFilter noDecimator(0);
    EXPECT_EQ(noDecimator.Process(one, one, 1), 0u);

    // Ten channels: the first eight are filtered, the others are left alone.
    auto ten = MakeConverter(10, 193, 44100, 22050, 2, 1);
    EXPECT_EQ(ten->GetChannels(), 8);
    std::vector<std::vector<float>> in(10, std::vector<float>(64, 0.25f));
    std::vector<std::vector<float>> out(10, std::vector<float>(128, -7.0f));
    std::vector<const float*> ip;
    std::vector<float*> op;
    for (int c = 0; c < 10; ++c)
    {
        ip.push_back(in[c].data());
        op.push_back(out[c].data());
    }
    EXPECT_EQ(ten->Process(ip.data(), op.data(), 64), 128u);
    EXPECT_NE(out[7][100], -7.0f);
    EXPECT_EQ(out[8][100], -7.0f);
    EXPECT_EQ(out[9][0], -7.0f);
}

// The vector kernels reproduce the scalar sums up to float rounding.
TEST(FirKernels, VectorVariantsAgreeWithScalar)
{
    KernelLevelGuard guard;
    std::vector<FirKernelLevel> levels{FirKernelLevel::Sse2};
    if (GetBestFirKernelLevel() == FirKernelLevel::Avx2Fma)
        levels.push_back(FirKernelLevel::Avx2Fma);

    // Raw kernels on every length that the tables use (multiples of four).
    const std::vector<float> x = qm::test::Noise(1100, 5, 1.0f);
    const std::vector<float> x1 = qm::test::Noise(1100, 9, 1.0f);
    const std::vector<float> h = qm::test::Noise(1100, 6, 0.1f);
    const std::vector<float> h1 = qm::test::Noise(1100, 7, 0.1f);
    SetFirKernelLevel(FirKernelLevel::Scalar);
    const FirKernels scalar = GetFirKernels();
    for (FirKernelLevel level : levels)
    {
        ASSERT_EQ(SetFirKernelLevel(level), level);
        const FirKernels& k = GetFirKernels();
        for (uint32_t n = 0; n <= 1024; n += 4)
        {
            SCOPED_TRACE(testing::Message() << "level " << static_cast<int>(level) << ", " << n << " taps");
            const float tol = 1e-6f * static_cast<float>(n + 4);
            ASSERT_NEAR(k.dot(x.data(), h.data(), n), scalar.dot(x.data(), h.data(), n), tol);
            float a = 0, b = 0, sa = 0, sb = 0;
            k.dot2(x.data(), h.data(), h1.data(), n, &a, &b);
            scalar.dot2(x.data(), h.data(), h1.data(), n, &sa, &sb);
            ASSERT_NEAR(a, sa, tol);
            ASSERT_NEAR(b, sb, tol);
            k.dotStereo(x.data(), x1.data(), h.data(), n, &a, &b);
            ASSERT_NEAR(a, sa, tol);
            ASSERT_NEAR(b, scalar.dot(x1.data(), h.data(), n), tol);
            std::vector<float> run(40), scalarRun(40);
            k.firRun(x.data(), h.data(), n, run.data(), 40);
            scalar.firRun(x.data(), h.data(), n, scalarRun.data(), 40);
            for (std::size_t i = 0; i < run.size(); ++i)
                ASSERT_NEAR(run[i], scalarRun[i], tol) << "output " << i;
            const uint32_t half = n / 2 & ~3u;
            const float s0 = scalar.symmetricDot(x.data(), x.data() + 512, h.data(), half);
            ASSERT_NEAR(k.symmetricDot(x.data(), x.data() + 512, h.data(), half), s0, tol);
            k.symmetricDotStereo(x.data(), x.data() + 512, x1.data(), x1.data() + 512, h.data(), half, &a, &b);
            ASSERT_NEAR(a, s0, tol);
            ASSERT_NEAR(b, scalar.symmetricDot(x1.data(), x1.data() + 512, h.data(), half), tol);
        }
    }

    // Whole filters on noise, in stereo (channel pairs share a pass) and mono.
    const Channels in{qm::test::Noise(30000, 8), qm::test::Noise(30000, 9), qm::test::Noise(30000, 10)};
    auto run = [&](FirKernelLevel level) {
        SetFirKernelLevel(level);
        std::vector<Channels> outs;
        auto conv = MakeConverter(3, 56449, 96000, 22050, 147, 320);
        outs.push_back(qm::test::RunInBlocks(*conv, in, 4096));
        COversamplingFilter over(3);
        over.Init(193, 44100, 22050, 2, 1, 0.0);
        outs.push_back(qm::test::RunInBlocks(over, in, 4096));
        CDecimationFilter dec(3);
        dec.Init(289, 11289600, 60000, 6.0, 64);
        outs.push_back(qm::test::RunInBlocks(dec, in, 4096));
        CDecimationFilter halfBand(3);
        halfBand.Init(193, 88200, 22050, 0.0, 2);
        outs.push_back(qm::test::RunInBlocks(halfBand, in, 4096));
        auto interp = MakeInterpolator(3, 44100, 48000);
        outs.push_back(qm::test::RunInBlocks(*interp, in, 4096, 4096 * 2));
        return outs;
    };
    const std::vector<Channels> reference = run(FirKernelLevel::Scalar);
    for (FirKernelLevel level : levels)
    {
        const std::vector<Channels> got = run(level);
        for (std::size_t f = 0; f < reference.size(); ++f)
        {
            for (std::size_t c = 0; c < in.size(); ++c)
            {
                ASSERT_EQ(got[f][c].size(), reference[f][c].size());
                float worst = 0.0f;
                for (std::size_t i = 0; i < got[f][c].size(); ++i)
                    worst = std::max(worst, std::fabs(got[f][c][i] - reference[f][c][i]));
                EXPECT_LT(worst, 2e-6f) << "filter " << f << " channel " << c << " level " << static_cast<int>(level);
            }
        }
    }
}
