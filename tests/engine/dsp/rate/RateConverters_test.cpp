#include "engine/dsp/rate/CConverterPcmOutputSameRate.h"
#include "engine/dsp/rate/CFscBase.h"
#include "engine/dsp/rate/RateConverters.h"

#include "tests/engine/dsp/DspTestSignals.h"

#include <gtest/gtest.h>

#include <typeindex>

using qm::test::Channels;

namespace
{

constexpr uint32_t kRates[] = {44100, 48000, 88200, 96000};

// Every pair of the four rates with its code, its stage class and that stage's numbers.
struct StageCase
{
    uint32_t in;
    uint32_t out;
    int code;
    std::type_index exportType;
    std::type_index peakType;
    uint32_t l;
    uint32_t m;
    uint32_t exportLatency;
    uint32_t peakLatency;
};

#define QM_STAGE_TYPES(Name) typeid(Name), typeid(Name##_Peak_Detection)

const StageCase kStages[] = {
    {44100, 44100, 0, typeid(CConverterPcmOutputSameRate), typeid(void), 1, 1, 0, 0},
    {44100, 48000, 1, QM_STAGE_TYPES(CConverter44_1kHz_To_48kHz), 160, 147, 48, 8},
    {44100, 88200, 2, QM_STAGE_TYPES(CConverter44_1kHz_To_88_2kHz), 2, 1, 48, 8},
    {44100, 96000, 3, QM_STAGE_TYPES(CConverter44_1kHz_To_96kHz), 320, 147, 48, 8},
    {48000, 44100, 6, QM_STAGE_TYPES(CConverter48kHz_To_44_1kHz), 147, 160, 48, 8},
    {48000, 48000, 7, typeid(CConverterPcmOutputSameRate), typeid(void), 1, 1, 0, 0},
    {48000, 88200, 8, QM_STAGE_TYPES(CConverter48kHz_To_88_2kHz), 147, 80, 48, 8},
    {48000, 96000, 9, QM_STAGE_TYPES(CConverter44_1kHz_To_88_2kHz), 2, 1, 48, 8},
    {88200, 44100, 10, QM_STAGE_TYPES(CConverter88_2kHz_To_44_1kHz), 1, 2, 96, 16},
    {88200, 48000, 11, QM_STAGE_TYPES(CConverter88_2kHz_To_48kHz), 80, 147, 96, 16},
    {88200, 88200, 12, typeid(CConverterPcmOutputSameRate), typeid(void), 1, 1, 0, 0},
    {88200, 96000, 13, QM_STAGE_TYPES(CConverter44_1kHz_To_48kHz), 160, 147, 48, 8},
    {96000, 44100, 14, QM_STAGE_TYPES(CConverter96kHz_To_44_1kHz), 147, 320, 192, 32},
    {96000, 48000, 15, QM_STAGE_TYPES(CConverter88_2kHz_To_44_1kHz), 1, 2, 96, 16},
    {96000, 88200, 16, QM_STAGE_TYPES(CConverter48kHz_To_44_1kHz), 147, 160, 48, 8},
    {96000, 96000, 17, typeid(CConverterPcmOutputSameRate), typeid(void), 1, 1, 0, 0},
};

#undef QM_STAGE_TYPES

std::unique_ptr<CConverterDspBase> ExportStage(uint32_t in, uint32_t out, uint16_t channels = 1)
{
    return CreateExportConverter(GetRateConversionCode(in, out), channels);
}

// Runs a whole song through a stage the way export does: the first latency frames prime
// the stage and their output is dropped, the rest follows, and latency frames of silence
// push the tail out.
Channels ConvertSong(CConverterDspBase& stage, const Channels& song, std::size_t block)
{
    const std::size_t latency = stage.GetLatency();
    const std::size_t channels = song.size();
    Channels primed(channels), body(channels), tail(channels, std::vector<float>(latency, 0.0f));
    for (std::size_t c = 0; c < channels; ++c)
    {
        primed[c].assign(song[c].begin(), song[c].begin() + static_cast<std::ptrdiff_t>(latency));
        body[c].assign(song[c].begin() + static_cast<std::ptrdiff_t>(latency), song[c].end());
    }
    qm::test::RunInBlocks(stage, primed, block);
    Channels out = qm::test::RunInBlocks(stage, body, block);
    const Channels flushed = qm::test::RunInBlocks(stage, tail, block);
    for (std::size_t c = 0; c < channels; ++c)
        out[c].insert(out[c].end(), flushed[c].begin(), flushed[c].end());
    return out;
}

} // namespace

TEST(RateConversionCode, CodesOfThePairs)
{
    for (const StageCase& s : kStages)
        EXPECT_EQ(GetRateConversionCode(s.in, s.out), s.code) << s.in << " -> " << s.out;
    const std::pair<uint32_t, uint32_t> unsupported[] = {{44100, 176400}, {32000, 44100}, {0, 0}, {192000, 96000}};
    for (auto [in, out] : unsupported)
        EXPECT_EQ(GetRateConversionCode(in, out), -1) << in << " -> " << out;
}

TEST(RateConverters, StageOfEveryCodeWithItsRatioAndLatency)
{
    for (const StageCase& s : kStages)
    {
        SCOPED_TRACE(testing::Message() << s.in << " -> " << s.out);
        const auto exportStage = CreateExportConverter(s.code, 2);
        ASSERT_NE(exportStage, nullptr);
        EXPECT_EQ(std::type_index(typeid(*exportStage)), s.exportType);
        EXPECT_EQ(exportStage->GetInterpolation(), s.l);
        EXPECT_EQ(exportStage->GetDecimation(), s.m);
        EXPECT_EQ(exportStage->GetLatency(), s.exportLatency);

        const auto peak = CreatePeakDetectionConverter(s.in, s.out, 2);
        if (s.in == s.out)
        {
            EXPECT_EQ(peak, nullptr);
            continue;
        }
        ASSERT_NE(peak, nullptr);
        EXPECT_EQ(std::type_index(typeid(*peak)), s.peakType);
        EXPECT_EQ(peak->GetInterpolation(), s.l);
        EXPECT_EQ(peak->GetDecimation(), s.m);
        EXPECT_EQ(peak->GetLatency(), s.peakLatency);
    }
    for (int code : {4, 5, -1, 18})
        EXPECT_EQ(CreateExportConverter(code, 2), nullptr) << code;
    EXPECT_EQ(CreatePeakDetectionConverter(44100, 176400, 2), nullptr);

    // The attenuations of the two families.
    const auto exportStage = ExportStage(96000, 44100);
    const auto& exportFilter = dynamic_cast<const CConverterFilterStage&>(*exportStage).GetFilter();
    EXPECT_EQ(exportFilter.GetCoeffs().GetAttenuation(), 120.0);
    EXPECT_EQ(exportFilter.GetCoeffs().GetTaps(), 56449);
    EXPECT_EQ(dynamic_cast<const CFscBase&>(exportFilter).GetTapsPerPhase(), 388u);
    const auto peak = CreatePeakDetectionConverter(96000, 44100, 1);
    EXPECT_EQ(dynamic_cast<const CConverterFilterStage&>(*peak).GetFilter().GetCoeffs().GetAttenuation(), 24.0);
}

TEST(RateConverters, SameRateStageCopies)
{
    CConverterPcmOutputSameRate stage(2);
    const Channels in{qm::test::Noise(1000, 1), qm::test::Noise(1000, 2)};
    EXPECT_EQ(qm::test::RunInBlocks(stage, in, 333), in);
}

// A song of exactly one second gives exactly one second at every pair, primed and flushed
// as export does, whatever the block size.
TEST(RateConverters, OneSecondStaysOneSecond)
{
    for (uint32_t in : kRates)
    {
        for (uint32_t out : kRates)
        {
            SCOPED_TRACE(testing::Message() << in << " -> " << out);
            const Channels song{qm::test::Noise(in, 9), qm::test::Noise(in, 10)};
            auto stage = ExportStage(in, out, 2);
            const Channels converted = ConvertSong(*stage, song, 4096);
            EXPECT_EQ(converted[0].size(), out);
            EXPECT_EQ(converted[1].size(), out);
            if (in == out)
                continue;
            auto peak = CreatePeakDetectionConverter(in, out, 2);
            EXPECT_EQ(ConvertSong(*peak, song, 1000)[0].size(), out);
        }
    }
}

TEST(RateConverters, OutputDoesNotDependOnBlockSize)
{
    for (auto [in, out] : {std::pair{44100u, 48000u}, {96000u, 44100u}, {88200u, 44100u}, {44100u, 88200u}})
    {
        SCOPED_TRACE(testing::Message() << in << " -> " << out);
        const Channels song{qm::test::Noise(12000, 11), qm::test::Noise(12000, 12)};
        auto a = ExportStage(in, out, 2);
        auto b = ExportStage(in, out, 2);
        EXPECT_EQ(qm::test::RunInBlocks(*a, song, 4096), qm::test::RunInBlocks(*b, song, 1));
    }
}

// An impulse comes out latency input frames later, and the stage's step response settles
// at exactly the input level.
TEST(RateConverters, ImpulseDelayAndUnityGain)
{
    for (uint32_t in : kRates)
    {
        for (uint32_t out : kRates)
        {
            if (in == out)
                continue;
            SCOPED_TRACE(testing::Message() << in << " -> " << out);
            auto stage = ExportStage(in, out);
            const double ratio = static_cast<double>(stage->GetInterpolation()) / stage->GetDecimation();
            const std::size_t at = 1000;
            Channels impulse{std::vector<float>(at + 2000, 0.0f)};
            impulse[0][at] = 1.0f;
            const std::vector<float> y = qm::test::RunInBlocks(*stage, impulse, 4096)[0];
            const auto peak =
                std::max_element(y.begin(), y.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
            const double peakTime = static_cast<double>(peak - y.begin()) / ratio; // in input frames
            EXPECT_NEAR(peakTime, at + stage->GetLatency(), 0.5 / ratio + 1e-9);

            stage->Reset();
            const Channels dc{std::vector<float>(4000, 0.5f)};
            const std::vector<float> s = qm::test::RunInBlocks(*stage, dc, 4096)[0];
            const std::size_t settled = static_cast<std::size_t>(2 * stage->GetLatency() * ratio) + 2;
            for (std::size_t i = settled; i < s.size(); ++i)
                ASSERT_NEAR(s[i], 0.5f, 2e-6f) << "frame " << i;
        }
    }
}

// Tones in the pass band come out at their level with nothing else; tones in the stop band
// of a down-conversion do not come out at all.
TEST(RateConverters, PassBandAndStopBand)
{
    struct Case
    {
        uint32_t in;
        uint32_t out;
        double frequency;
        bool passes;
    };
    const Case cases[] = {
        {44100, 48000, 1000.0, true},   {44100, 48000, 19000.0, true},  {44100, 88200, 1000.0, true},
        {44100, 88200, 20000.0, true},  {44100, 96000, 15000.0, true},  {48000, 44100, 1000.0, true},
        {48000, 44100, 20000.0, true},  {48000, 88200, 20000.0, true},  {48000, 96000, 21000.0, true},
        {88200, 44100, 19000.0, true},  {88200, 48000, 20000.0, true},  {88200, 96000, 40000.0, true},
        {96000, 44100, 20000.0, true},  {96000, 48000, 20000.0, true},  {96000, 88200, 39000.0, true},
        {96000, 44100, 30000.0, false}, {96000, 44100, 45000.0, false}, {88200, 44100, 30000.0, false},
        {88200, 48000, 35000.0, false}, {96000, 48000, 35000.0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out << " at " << c.frequency << " Hz");
        auto stage = ExportStage(c.in, c.out);
        const Channels tone{qm::test::Sine(c.in / 4, c.frequency, c.in, 0.5)};
        const std::vector<float> y = qm::test::RunInBlocks(*stage, tone, 4096)[0];
        const std::size_t from = static_cast<std::size_t>(stage->GetLatency() * 2.0 * c.out / c.in) + 16;
        const std::size_t to = y.size() - 16;
        if (c.passes)
        {
            const qm::test::ToneFit fit = qm::test::FitTone(y, c.frequency, c.out, from, to);
            EXPECT_NEAR(qm::test::ToDecibels(fit.amplitude / 0.5), 0.0, 0.001);
            EXPECT_LT(qm::test::ToDecibels(fit.residualRms / 0.5), -110.0);
        }
        else
        {
            double sum = 0.0;
            for (std::size_t i = from; i < to; ++i)
                sum += static_cast<double>(y[i]) * y[i];
            EXPECT_LT(qm::test::ToDecibels(std::sqrt(sum / static_cast<double>(to - from)) / 0.5), -110.0);
        }
    }
}
