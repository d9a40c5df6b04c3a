#include <gtest/gtest.h>

#include <fstream>

#include "disc/CAudioCDTempFileCreator.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/disc/CdTrackFiles.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

using namespace qm::test::cd;
using qm::test::TempFolder;
namespace fs = std::filesystem;

namespace
{
constexpr uint64_t kSector = CAudioCDTempFileCreator::kSectorFrames;

// Writes frames of the ramp from frame `first` on in calls of `chunk` frames
// (not a multiple of a sector, so that sectors are split between calls);
// returns the frames taken.
uint64_t writeRamp(CAudioCDTempFileCreator& creator, uint64_t first, uint64_t frames, uint32_t chunk = 1000)
{
    uint64_t taken = 0;
    while (taken < frames)
    {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(chunk, frames - taken));
        Stereo block = ramp(first + taken, count);
        int32_t* channels[2] = {block.left.data(), block.right.data()};
        const uint32_t got = creator.Write(channels, count);
        taken += got;
        if (got != count)
            break;
    }
    return taken;
}

size_t filesIn(const fs::path& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::u16string folderText(const TempFolder& folder)
{
    return folder.path().u16string() + u"/";
}
} // namespace

// Every finished file is whole sectors: what was written, silence to the next
// sector boundary, one sector of silence, the tail, and at least 4 seconds.
TEST(CAudioCDTempFileCreator, FinishedFilesHoldWholeSectors)
{
    struct Case
    {
        uint64_t frames;
        uint32_t tailSectors;
        bool joinNext;
        uint64_t expected;
    };
    const Case cases[] = {
        {441100, 0, false, 441000 + 2 * kSector}, // 100 frames into a sector
        {441000, 0, false, 441000 + kSector},     // ends on a boundary
        {441100, 37, false, 441000 + 2 * kSector + 37 * kSector},
        {441100, 2, true, 441000 + 2 * kSector + 2 * kSector}, // a tail forbids the join
        {44150, 0, false, 176400},                             // 1 s and a bit: 4 s
        {44150, 0, true, 176400},                              // too short to join
        {175900, 0, true, 176400 + kSector},                   // 4 s less 500 frames: too short to join
        {0, 0, false, 176400},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.frames << " frames, tail " << c.tailSectors << ", join " << c.joinNext);
        TempFolder folder;
        CAudioCDTempFileCreator creator;
        ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
        ASSERT_TRUE(creator.BeginTracks(u"Album", u"Band"));
        ASSERT_TRUE(creator.AddTrack(0, c.tailSectors));
        ASSERT_EQ(writeRamp(creator, 0, c.frames), c.frames);
        ASSERT_TRUE(creator.AddTrack(0, 0, c.joinNext));
        ASSERT_TRUE(creator.FinishTrack(false));

        const CAudioCDBurnJob& job = creator.GetJob();
        ASSERT_EQ(job.tracks.size(), 2u);
        EXPECT_EQ(job.tracks[0].frames, c.expected);
        EXPECT_EQ(c.expected % kSector, 0u);
        const TrackFile first = readTrackFile(job.tracks[0].path);
        ASSERT_TRUE(first.opened);
        EXPECT_EQ(first.rate, 44100u);
        EXPECT_EQ(first.bits, 16);
        EXPECT_EQ(first.channels, 2);
        ASSERT_EQ(first.samples.size(), c.expected);
        EXPECT_EQ(firstRampMismatch(first.samples, 0, c.frames, 0), c.frames);
        EXPECT_TRUE(silentFrom(first.samples, c.frames));
        // Nothing of the first track was carried into the second.
        const TrackFile second = readTrackFile(job.tracks[1].path);
        ASSERT_EQ(second.samples.size(), 176400u);
        EXPECT_TRUE(silentFrom(second.samples, 0));
    }
}

// A joined transition: the first file ends on its last whole sector and the
// second begins with the frames of the partial sector, then the rest of the
// stream, without a frame lost or added.
TEST(CAudioCDTempFileCreator, JoinedTransitionCarriesThePartialSector)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
    ASSERT_TRUE(creator.BeginTracks(u"", u""));
    ASSERT_TRUE(creator.AddTrack(0, 0));
    ASSERT_EQ(writeRamp(creator, 0, 441100), 441100u);
    ASSERT_TRUE(creator.AddTrack(0, 0, true));
    ASSERT_EQ(writeRamp(creator, 441100, 2000, 777), 2000u);
    ASSERT_TRUE(creator.FinishTrack(false));

    const CAudioCDBurnJob& job = creator.GetJob();
    ASSERT_EQ(job.tracks.size(), 2u);
    EXPECT_EQ(job.tracks[0].frames, 441000u);
    const TrackFile first = readTrackFile(job.tracks[0].path);
    ASSERT_EQ(first.samples.size(), 441000u);
    EXPECT_EQ(firstRampMismatch(first.samples, 0, 441000, 0), 441000u);

    const TrackFile second = readTrackFile(job.tracks[1].path);
    ASSERT_EQ(second.samples.size(), 176400u);
    EXPECT_EQ(firstRampMismatch(second.samples, 0, 2100, 441000), 2100u);
    EXPECT_TRUE(silentFrom(second.samples, 2100));
}

TEST(CAudioCDTempFileCreator, NamesTracksInTheDirectoryWithASlashAdded)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    EXPECT_FALSE(creator.SetDirectory(u""));
    EXPECT_TRUE(creator.GetDirectory().empty());
    EXPECT_FALSE(creator.BeginTracks(u"Album", u"Band"));

    ASSERT_TRUE(creator.SetDirectory(folder.path().u16string()));
    EXPECT_EQ(creator.GetDirectory(), folder.path().u16string() + u"/");
    ASSERT_TRUE(creator.BeginTracks(u"Album", u"Band"));
    for (uint32_t gap = 0; gap < 3; ++gap)
        ASSERT_TRUE(creator.AddTrack(gap * 150, 0));
    ASSERT_TRUE(creator.FinishTrack(false));

    const CAudioCDBurnJob& job = creator.GetJob();
    EXPECT_EQ(job.albumTitle, u"Album");
    EXPECT_EQ(job.albumPerformer, u"Band");
    ASSERT_EQ(job.tracks.size(), 3u);
    EXPECT_EQ(job.tracks[2].path, folder.path().u16string() + u"/Track 03.wav");
    EXPECT_EQ(job.tracks[2].gapSectors, 300u);
    EXPECT_TRUE(fs::is_regular_file(folder.file("Track 01.wav")));
    EXPECT_TRUE(fs::is_regular_file(folder.file("Track 03.wav")));
    EXPECT_EQ(filesIn(folder.path()), 3u);
}

// The writer's title and artist become the entry's CD-TEXT.
TEST(CAudioCDTempFileCreator, EntryTakesTheTrackFilesTitleAndArtist)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
    ASSERT_TRUE(creator.BeginTracks(u"", u""));
    ASSERT_TRUE(creator.AddTrack(0, 0));
    ASSERT_NE(creator.GetOpenWriter(), nullptr);
    CAudioMetaData* meta = creator.GetOpenWriter()->GetMetaData();
    meta->GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Blue Hour");
    meta->GetField(CAudioMetaData::kArtist)->SetNarrow(-1, "The Quiet Ones");
    ASSERT_TRUE(creator.FinishTrack(false));
    EXPECT_EQ(creator.GetOpenWriter(), nullptr);
    EXPECT_EQ(creator.GetJob().tracks[0].title, u"Blue Hour");
    EXPECT_EQ(creator.GetJob().tracks[0].performer, u"The Quiet Ones");
}

TEST(CAudioCDTempFileCreator, NoJobNoFile)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
    EXPECT_FALSE(creator.AddTrack(0, 0));
    Stereo block = ramp(0, 10);
    int32_t* channels[2] = {block.left.data(), block.right.data()};
    EXPECT_EQ(creator.Write(channels, 10), 0u);
    EXPECT_TRUE(creator.GetJob().tracks.empty());
    EXPECT_EQ(filesIn(folder.path()), 0u);
}

// Reset deletes the job's files, the open one too; a file that was already
// in the directory is neither overwritten nor deleted.
TEST(CAudioCDTempFileCreator, ResetDeletesOnlyTheJobsFiles)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
    ASSERT_TRUE(creator.BeginTracks(u"Album", u""));
    ASSERT_TRUE(creator.AddTrack(0, 0));
    writeRamp(creator, 0, 5000);
    ASSERT_TRUE(creator.AddTrack(0, 0));
    writeRamp(creator, 0, 5000);
    ASSERT_EQ(filesIn(folder.path()), 2u);

    creator.Reset();
    EXPECT_EQ(filesIn(folder.path()), 0u);
    EXPECT_TRUE(creator.GetJob().tracks.empty());
    EXPECT_TRUE(creator.GetJob().albumTitle.empty());
    EXPECT_FALSE(creator.IsJobStarted());

    {
        std::ofstream mine(folder.file("Track 02.wav"));
        mine << "not ours";
    }
    ASSERT_TRUE(creator.BeginTracks(u"Album", u""));
    ASSERT_TRUE(creator.AddTrack(0, 0));
    EXPECT_FALSE(creator.AddTrack(0, 0));
    EXPECT_TRUE(creator.HasFailed());
    EXPECT_EQ(creator.GetJob().tracks.size(), 1u);
    creator.Reset();
    ASSERT_TRUE(fs::exists(folder.file("Track 02.wav")));
    EXPECT_EQ(fs::file_size(folder.file("Track 02.wav")), 8u);
    EXPECT_EQ(filesIn(folder.path()), 1u);
}

// A track file that cannot be written completely (a full disk) fails the
// finish and every later track, instead of passing for a good track.
TEST(CAudioCDTempFileCreator, FailedTrackWriteIsReported)
{
    TempFolder folder;
    CAudioCDTempFileCreator creator;
    ASSERT_TRUE(creator.SetDirectory(folderText(folder)));
    ASSERT_TRUE(creator.BeginTracks(u"", u""));
    ASSERT_TRUE(creator.AddTrack(0, 0));
    ASSERT_EQ(writeRamp(creator, 0, 44100), 44100u);

    // A file-size limit stands in for a full disk: the padding to 4 seconds
    // does not fit.
    qm::test::ScopedFileSizeLimit limit(300000);
    ASSERT_TRUE(limit.isSet());
    const bool added = creator.AddTrack(0, 0);
    limit.lift();

    EXPECT_FALSE(added);
    EXPECT_TRUE(creator.HasFailed());
    EXPECT_FALSE(creator.AddTrack(0, 0));
    EXPECT_EQ(creator.GetJob().tracks.size(), 1u);

    // A new job starts clean.
    ASSERT_TRUE(creator.BeginTracks(u"", u""));
    EXPECT_FALSE(creator.HasFailed());
    EXPECT_TRUE(creator.AddTrack(0, 0));
}
