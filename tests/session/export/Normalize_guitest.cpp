#include <gtest/gtest.h>

#include "tests/session/export/ExportFixture.h"

using Tavrel::CommonExportParameter;
using Tavrel::TrackInfo;
using C = CommonExportParameter;

namespace
{
// 20 log10(2) - 0.25: a song whose largest sample is half of full scale.
constexpr float kHalfScaleGain = 5.7706f;

using Normalize = qm::test::ExportFixture;

float Peak(const std::vector<std::vector<float>>& channels)
{
    float peak = 0.0f;
    for (const auto& c : channels)
        for (float v : c)
            peak = std::max(peak, std::fabs(v));
    return peak;
}

TEST_F(Normalize, EachSongAndAllSongs)
{
    Song("half", 0.5, 44100, 2, 0.5f);
    Song("quarter", 0.5, 44100, 2, 0.25f);
    Song("full", 0.5, 44100, 2, 1.0f);
    Song("silent", 0.5, 44100, 2, 0.0f);
    // A gain detected in an earlier run takes no part in a new measurement.
    host->GetTrack(0)->normalizeGainValid = true;
    host->GetTrack(0)->normalizeGain = 10.0f;

    struct Case
    {
        int mode;
        std::vector<int> rows;
        std::vector<float> gains;
    };
    const Case cases[] = {
        {1, {0, 1, 2, 3}, {kHalfScaleGain, kHalfScaleGain + 6.0206f, 0.0f, 0.0f}},
        // The loudest song decides; silence takes no part but gets the value.
        {2, {0, 1, 3}, {kHalfScaleGain, kHalfScaleGain, 0.0f, kHalfScaleGain}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, c.mode));
        juce::SparseSet<int> rows;
        for (int row : c.rows)
            rows.addRange({row, row + 1});
        host->SetSelection(rows, 0);
        ASSERT_TRUE(common.selectChoiceByValue(C::kSource, C::kSourceSelected));
        out.deleteRecursively();
        out.createDirectory();
        ASSERT_TRUE(Export());
        EXPECT_FALSE(events.aborted);
        for (int i : c.rows)
        {
            EXPECT_TRUE(host->GetTrack(i)->normalizeGainValid) << i;
            EXPECT_NEAR(host->GetTrack(i)->normalizeGain, c.gains[static_cast<size_t>(i)], 0.001) << i;
        }
        EXPECT_TRUE(events.session->isNormalizeGainDetected());
    }
    // The written peak of the half-scale song in mode 1 at its own rate, 16
    // bits, no dither: +5.7 dB (the gain rounded down to 0.1 dB).
    ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, 1));
    ASSERT_TRUE(common.selectChoiceByValue(C::kSource, C::kSourceAll));
    out.deleteRecursively();
    out.createDirectory();
    ASSERT_TRUE(Export());
    EXPECT_NEAR(Peak(Read(out.getChildFile("half.wav"))) * 32768.0f, 31580.0f, 1.0f);
}

TEST_F(Normalize, ProgressTextsOffAndCancel)
{
    Song("a", 5.0, 44100, 2, 0.5f);
    Song("b", 5.0, 44100, 2, 0.5f);
    ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, 1));
    ASSERT_TRUE(Export());
    ASSERT_FALSE(events.normaliseTexts.isEmpty());
    EXPECT_EQ(events.normaliseTexts[0], "a (1 / 2)");
    EXPECT_EQ(events.normaliseTexts[events.normaliseTexts.size() - 1], "b (2 / 2)");
    for (const juce::String& text : events.normaliseTexts)
        EXPECT_TRUE(text == "a (1 / 2)" || text == "b (2 / 2)") << text;

    // Off: earlier gains cleared; loading them then adds no step.
    ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, 0));
    out.deleteRecursively();
    out.createDirectory();
    ASSERT_TRUE(Export());
    EXPECT_FALSE(host->GetTrack(0)->normalizeGainValid);
    EXPECT_EQ(host->GetTrack(0)->normalizeGain, 0.0f);
    events.session->applyNormalizedGain();
    EXPECT_EQ(commands->getNumTransactions(), 0);

    // Cancelled during the pass: aborted, nothing written, records untouched.
    host->GetTrack(1)->normalizeGainValid = true;
    host->GetTrack(1)->normalizeGain = 2.5f;
    Song("long", 30.0, 44100, 2, 0.5f);
    ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, 2));
    out.deleteRecursively();
    out.createDirectory();
    events.onProgress = [&](double, const char* key) {
        if (key != nullptr)
            exports->cancelSession();
    };
    ASSERT_TRUE(Start());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }));
    events.onProgress = nullptr;
    EXPECT_TRUE(events.aborted);
    EXPECT_EQ(events.find("processing"), nullptr);
    EXPECT_TRUE(OutFiles().isEmpty());
    EXPECT_TRUE(host->GetTrack(1)->normalizeGainValid);
    EXPECT_EQ(host->GetTrack(1)->normalizeGain, 2.5f);
}

TEST_F(Normalize, LoadingTheGainsIsOneUndoStep)
{
    Song("a", 0.3, 44100, 2, 0.5f);
    Song("b", 0.3, 44100, 2, 0.5f);
    host->GetTrack(0)->setFloatControl(TrackInfo::kGain, 1.0f);
    host->GetTrack(1)->setFloatControl(TrackInfo::kGain, -3.0f);
    ASSERT_TRUE(common.selectChoiceByValue(C::kNormalizeMode, 1));
    ASSERT_TRUE(Export());
    // Measured with each song's own gain; the case sets the detected value.
    ASSERT_NEAR(host->GetTrack(0)->normalizeGain, kHalfScaleGain - 1.0f, 0.001);
    for (int i : {0, 1})
        host->GetTrack(i)->normalizeGain = kHalfScaleGain;
    events.session->applyNormalizedGain();
    EXPECT_FLOAT_EQ(host->GetTrack(0)->gain, 6.7f);
    EXPECT_FLOAT_EQ(host->GetTrack(1)->gain, 2.7f);
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), "Undo : Load Normalized Gain");
    ASSERT_TRUE(commands->undo());
    EXPECT_FLOAT_EQ(host->GetTrack(0)->gain, 1.0f);
    EXPECT_FLOAT_EQ(host->GetTrack(1)->gain, -3.0f);
}
} // namespace
