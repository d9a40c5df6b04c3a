#include <gtest/gtest.h>

#include "app/core/WideText.h"
#include "disc/CAudioCDBurn.h"
#include "session/export/CTVConverterThread.h"
#include "tests/disc/FakeDiscBurnImp.h"
#include "tests/session/export/ExportFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace
{
constexpr uint64_t kSectorFrames = 588;

// The converter thread writing songs into the disc burner's track files.
class BurnOutput : public qm::test::ExportFixture
{
protected:
    BurnOutput()
    {
        auto fake = std::make_unique<FakeDiscBurnImp>();
        imp = fake.get();
        burner = std::make_unique<CAudioCDBurn>(std::move(fake));
        tracks = juce::File(folder.file("tracks").string());
        tracks.createDirectory();
    }

    // Converts the songs into a new job; the failed songs.
    juce::SparseSet<int> Burn(std::initializer_list<int> rows, float gap)
    {
        EXPECT_EQ(burner->SetTempDirectory(toEngineText(tracks.getFullPathName() + "/")), DiscResult::Ok);
        EXPECT_EQ(burner->BeginTracks(u"Album", u"Band", 44100, 0, 0), DiscResult::Ok);
        Tavrel::ConverterSettings settings;
        for (int row : rows)
            settings.songs.addRange({row, row + 1});
        settings.sampleRate = 44100;
        settings.gap = gap;
        settings.burner = burner.get();
        Tavrel::CTVConverterThread converter(settings);
        converter.startThread();
        EXPECT_TRUE(qm::test::PumpUntil([&] { return converter.isFinished(); }, 60));
        juce::SparseSet<int> failed = converter.getFailedSongs();
        const juce::SparseSet<int> writeFailed = converter.getWriteFailedSongs();
        for (int i = 0; i < writeFailed.size(); ++i)
            failed.addRange({writeFailed[i], writeFailed[i] + 1});
        return failed;
    }

    // The samples of each track file of the job, left channel.
    std::vector<std::vector<float>> TrackSamples()
    {
        std::vector<std::vector<float>> out;
        for (const CAudioCDTrackEntry& entry : burner->GetTempFileCreator().GetJob().tracks)
        {
            const auto channels = Read(juce::File(toJuceString(entry.path)));
            out.push_back(channels.empty() ? std::vector<float>{} : channels[0]);
        }
        return out;
    }

    static uint64_t Leading(const std::vector<float>& s)
    {
        uint64_t n = 0;
        while (n < s.size() && s[n] == 0.0f)
            ++n;
        return n;
    }
    static uint64_t Trailing(const std::vector<float>& s)
    {
        uint64_t n = 0;
        while (n < s.size() && s[s.size() - 1 - n] == 0.0f)
            ++n;
        return n;
    }

    FakeDiscBurnImp* imp = nullptr;
    std::unique_ptr<CAudioCDBurn> burner;
    juce::File tracks;
};

// Exactly the chosen gap between the audio of any two songs, whatever the
// drive's write mode, and nothing added after the last.
TEST_F(BurnOutput, TheChosenGapBetweenSongs)
{
    for (const char* n : {"a", "b", "c"})
        Song(n, 5.0);
    struct Mode
    {
        const char* name;
        bool rawPW;
        bool trackAtOnce;
    };
    for (const Mode& m : {Mode{"disc at once", true, false}, Mode{"track at once only", false, true}})
    {
        SCOPED_TRACE(m.name);
        imp->rawPW = m.rawPW;
        imp->trackAtOnce = m.trackAtOnce;
        EXPECT_TRUE(Burn({0, 1, 2}, 2.0f).isEmpty());
        const auto& job = burner->GetTempFileCreator().GetJob();
        ASSERT_EQ(job.tracks.size(), 3u);
        EXPECT_EQ(job.tracks[0].gapSectors, 0u);
        const auto samples = TrackSamples();
        for (size_t i = 0; i + 1 < samples.size(); ++i)
        {
            const uint64_t pause =
                Trailing(samples[i]) + job.tracks[i + 1].gapSectors * kSectorFrames + Leading(samples[i + 1]);
            EXPECT_GE(pause, 88200u) << i;
            EXPECT_LT(pause, 88200u + 2 * kSectorFrames) << i;
        }
        EXPECT_LT(Trailing(samples.back()), 2 * kSectorFrames) << "nothing after the last song";
    }
}

// Two songs divided from one file flow across the track boundary.
TEST_F(BurnOutput, JoinedSongsFlowAcrossTheBoundary)
{
    Song("x", 9.0);
    const auto source = Read(juce::File(folder.file("x.src.wav").string()))[0];
    ASSERT_TRUE(host->SetCurrentTrack(0, false, false));
    ASSERT_TRUE(host->DivideTrack(5.0));
    EXPECT_TRUE(Burn({0, 1}, 0.0f).isEmpty());
    const auto& job = burner->GetTempFileCreator().GetJob();
    ASSERT_EQ(job.tracks.size(), 2u);
    EXPECT_EQ(job.tracks[1].gapSectors, 0u);
    auto samples = TrackSamples();
    std::vector<float> joined = samples[0];
    joined.insert(joined.end(), samples[1].begin(), samples[1].end());
    ASSERT_GE(joined.size(), source.size());
    EXPECT_EQ(std::vector<float>(joined.begin(), joined.begin() + static_cast<long>(source.size())), source);
}

// A track file that cannot be written makes its song a failed song.
TEST_F(BurnOutput, ATrackFileThatCannotBeWritten)
{
    Song("a", 4.0);
    Song("b", 8.0);
    juce::SparseSet<int> failed;
    {
        // Song a's file (4 s and its end) fits; song b's does not.
        qm::test::ScopedFileSizeLimit limit(1000000);
        ASSERT_TRUE(limit.isSet());
        failed = Burn({0, 1}, 2.0f);
    }
    EXPECT_EQ(failed, qm::test::RowSet({1}));
    EXPECT_TRUE(burner->HasTrackFileFailed());
}
} // namespace
