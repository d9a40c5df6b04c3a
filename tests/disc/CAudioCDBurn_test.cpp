#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "disc/CAudioCDBurn.h"
#include "disc/CAudioDiscBurnProxy.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/disc/CdTrackFiles.h"
#include "tests/disc/FakeDiscBurnImp.h"
#include "tests/support/TempFolder.h"

using namespace qm::test::cd;
using qm::test::TempFolder;
namespace fs = std::filesystem;

namespace
{
constexpr uint64_t kSector = 588;

// A burner over a fake disc writer that the test keeps a hand on.
struct Burner
{
    FakeDiscBurnImp* imp = nullptr;
    std::unique_ptr<CAudioCDBurn> burner;

    Burner()
    {
        auto fake = std::make_unique<FakeDiscBurnImp>();
        imp = fake.get();
        burner = std::make_unique<CAudioCDBurn>(std::move(fake));
    }
    CAudioCDBurn* operator->() { return burner.get(); }
};

// Writes frames of the ramp from frame `first` on as the file converter does:
// floats, in blocks of 4096 frames.
void writeRampAsFloats(CAudioRecorderOutput& output, uint64_t first, uint64_t frames)
{
    for (uint64_t done = 0; done < frames;)
    {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(4096, frames - done));
        Stereo block = ramp(first + done, count);
        std::vector<float> left(count);
        std::vector<float> right(count);
        for (uint32_t i = 0; i < count; ++i)
        {
            left[i] = static_cast<float>(block.left[i] / 2147483648.0);
            right[i] = static_cast<float>(block.right[i] / 2147483648.0);
        }
        float* channels[2] = {left.data(), right.data()};
        ASSERT_EQ(output.WriteFloat(channels, count), count);
        // The caller's buffers were converted in place.
        ASSERT_EQ(reinterpret_cast<int32_t*>(left.data())[count - 1], block.left[count - 1]);
        done += count;
    }
}
} // namespace

TEST(CAudioCDBurn, StreamFormatAndJoinCapability)
{
    Burner b;
    EXPECT_EQ(b->GetSampleRate(), 44100u);
    EXPECT_EQ(b->GetChannelCount(), 2);
    EXPECT_EQ(b->GetBitsPerSample(), 16);
    EXPECT_FALSE(b->IsFloat());
    EXPECT_TRUE(b->CanWrite());
    b.imp->rawPW = false;
    EXPECT_FALSE(b->CanWrite());
    EXPECT_EQ(b->GetAcceptedDiscTypes(), (std::vector<DiscTypeCode>{2, 3}));
    b.imp->freeSpace = 12345;
    EXPECT_EQ(b->GetDiscFreeSpace(), 12345u);
    b->GetDiscUsedSpace();
    EXPECT_EQ(b.imp->spaceKindsAsked, (std::vector<int>{1, 1}));
}

TEST(CAudioCDBurn, SecondsToWholeSectors)
{
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(2.0f), 150u);
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(0.5f), 37u); // 22050 / 588
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(0.0f), 0u);
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(-2.0f), 0u);
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(std::nanf("")), 0u);
    EXPECT_EQ(CAudioCDBurn::SecondsToSectors(std::numeric_limits<float>::infinity()), 4294967295u / 588);
}

// Where the pause before a song goes: a track-at-once drive and keep gap make
// it a pause of the disc writer; otherwise it is silence at the end of the
// song's own file.
TEST(CAudioCDBurn, GapBecomesPauseOrSilence)
{
    struct Case
    {
        bool rawPW;
        bool trackAtOnce;
        bool keepGap;
        float gapSeconds;
        float tailSeconds;
        uint32_t gapSectors;
        uint64_t frames;
    };
    const Case cases[] = {
        {true, false, false, 2.0f, 0.0f, 0, 441000 + (1 + 150) * kSector},
        {true, false, false, 2.0f, 0.5f, 0, 441000 + (1 + 150 + 37) * kSector},
        {true, false, true, 2.0f, 0.5f, 150, 441000 + (1 + 37) * kSector},
        {false, true, false, 2.0f, 0.5f, 150, 441000 + (1 + 37) * kSector},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "raw P-W " << c.rawPW << ", keep gap " << c.keepGap << ", tail "
                                        << c.tailSeconds);
        TempFolder folder;
        Burner b;
        b.imp->rawPW = c.rawPW;
        b.imp->trackAtOnce = c.trackAtOnce;
        ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
        ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
        ASSERT_EQ(b->AddTrack(u"song", false, c.keepGap, c.gapSeconds, c.tailSeconds), DiscResult::Ok);
        writeRampAsFloats(*b.burner, 0, 441000);
        ASSERT_EQ(b->StartBurn(), DiscResult::Ok);

        ASSERT_TRUE(b.imp->startedJob.has_value());
        const CAudioCDTrackEntry& entry = b.imp->startedJob->tracks.at(0);
        EXPECT_EQ(entry.gapSectors, c.gapSectors);
        EXPECT_EQ(entry.frames, c.frames);
        const TrackFile file = readTrackFile(entry.path);
        ASSERT_EQ(file.samples.size(), c.frames);
        EXPECT_EQ(firstRampMismatch(file.samples, 0, 441000, 0), 441000u);
        EXPECT_TRUE(silentFrom(file.samples, 441000));
    }
}

TEST(CAudioCDBurn, WriteSpeedIsBroughtIntoTheDrivesRange)
{
    struct Case
    {
        std::vector<uint32_t> speeds;
        uint32_t requested;
        uint32_t set;
    };
    const std::vector<uint32_t> list = {600, 1200, 2400, 4800, 7200};
    const Case cases[] = {
        {list, 100, 600}, {list, 0xFFFF, 7200}, {list, 2400, 2400}, {list, 3000, 3000}, {{}, 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "requested " << c.requested);
        Burner b;
        b.imp->speeds = c.speeds;
        b->SetRequestedWriteSpeed(c.requested);
        EXPECT_EQ(b->ApplyWriteSpeed(), DiscResult::Ok);
        EXPECT_EQ(b.imp->speedsSet, std::vector<uint32_t>{c.set});
    }
    Burner refused;
    refused.imp->setSpeedResult = DiscResult::Failed;
    EXPECT_EQ(refused->ApplyWriteSpeed(), DiscResult::Failed);
}

// A successful start hands the whole job to the disc writer: album texts,
// and per track the file, its length, its pause and the CD-TEXT that the
// converter wrote into the burner's metadata.
TEST(CAudioCDBurn, StartBurnHandsTheJobToTheDiscWriter)
{
    TempFolder folder;
    Burner b;
    b.imp->speeds = {600, 1200, 7200};
    b->SetRequestedWriteSpeed(0xFFFF);
    ASSERT_EQ(b->SetTempDirectory(folder.path().u16string() + u"/"), DiscResult::Ok);
    ASSERT_EQ(b->BeginTracks(u"Album", u"Band", 44100, 0, 0), DiscResult::Ok);

    const char16_t* titles[] = {u"First", u"Second"};
    for (int i = 0; i < 2; ++i)
    {
        ASSERT_EQ(b->AddTrack(titles[i], false, true, i == 0 ? 2.0f : 1.0f, 0.0f), DiscResult::Ok);
        b->GetMetaData()->GetField(CAudioMetaData::kTitle)->SetWide(-1, titles[i]);
        b->GetMetaData()->GetField(CAudioMetaData::kArtist)->SetWide(-1, u"Singer");
        writeRampAsFloats(*b.burner, 0, 200000);
    }
    ASSERT_EQ(b->StartBurn(), DiscResult::Ok);

    EXPECT_EQ(b.imp->speedsSet, std::vector<uint32_t>{7200});
    ASSERT_EQ(b.imp->startCalls, 1);
    const CAudioCDBurnJob& job = *b.imp->startedJob;
    EXPECT_EQ(job.albumTitle, u"Album");
    EXPECT_EQ(job.albumPerformer, u"Band");
    ASSERT_EQ(job.tracks.size(), 2u);
    const uint64_t frames = 200000 + (kSector - 200000 % kSector) + kSector;
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(job.tracks[i].path, folder.path().u16string() + u"/Track 0" + char16_t(u'1' + i) + u".wav");
        EXPECT_EQ(job.tracks[i].title, titles[i]);
        EXPECT_EQ(job.tracks[i].performer, u"Singer");
        EXPECT_EQ(job.tracks[i].frames, frames);
        EXPECT_EQ(readTrackFile(job.tracks[i].path).samples.size(), frames);
    }
    EXPECT_EQ(job.tracks[0].gapSectors, 150u);
    EXPECT_EQ(job.tracks[1].gapSectors, 75u);
}

// Every failing step makes StartBurn answer 1, and the disc writer is not
// started.
TEST(CAudioCDBurn, StartBurnRefusals)
{
    struct Case
    {
        const char* what;
        DiscTypeCode discType;
        bool blank;
        int refreshResult;
        int setSpeedResult;
        int startResult;
        bool addTrack;
        int startCalls;
    };
    const Case cases[] = {
        {"blank DVD-R", 5, true, 0, 0, 0, true, 0}, {"written CD-R", 2, false, 0, 0, 0, true, 0},
        {"no disc", -1, false, 1, 0, 0, true, 0},   {"speed refused", 3, true, 0, 1, 0, true, 0},
        {"no track", 2, true, 0, 0, 0, false, 0},   {"no write mode", 2, true, 0, 0, 1, true, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        Burner b;
        b.imp->discType = c.discType;
        b.imp->blank = c.blank;
        b.imp->refreshResult = DiscResult(c.refreshResult);
        b.imp->setSpeedResult = DiscResult(c.setSpeedResult);
        b.imp->startResult = DiscResult(c.startResult);
        ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
        ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
        if (c.addTrack)
        {
            ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
        }
        EXPECT_EQ(b->StartBurn(), DiscResult::Failed);
        EXPECT_EQ(b.imp->startCalls, c.startCalls);
    }

    // A burner without a disc writer refuses too.
    CAudioCDBurn none(nullptr);
    EXPECT_EQ(none.StartBurn(), DiscResult::Failed);
    EXPECT_EQ(none.GetDiscType(), -1);
    EXPECT_FALSE(none.CanWrite());
}

TEST(CAudioCDBurn, TracksNeedATempDirectoryAndCancelDeletesThem)
{
    TempFolder folder;
    Burner b;
    EXPECT_EQ(b->SetTempDirectory(u""), DiscResult::Failed);
    EXPECT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Failed);
    EXPECT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Failed);

    ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
    ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
    ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
    writeRampAsFloats(*b.burner, 0, 1000);
    ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
    EXPECT_TRUE(fs::exists(folder.file("Track 02.wav")));

    b->Cancel();
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_TRUE(b->GetTempFileCreator().GetJob().tracks.empty());
    // The directory went with the job.
    EXPECT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Failed);
}

// The disc writer, which reads the track files, ends before they are deleted.
TEST(CAudioCDBurn, DiscWriterEndsBeforeTheTrackFilesGo)
{
    TempFolder folder;
    bool fileThereAtEnd = false;
    {
        Burner b;
        b.imp->onDelete = [&] { fileThereAtEnd = fs::exists(folder.file("Track 01.wav")); };
        ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
        ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
        ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
        ASSERT_EQ(b->StartBurn(), DiscResult::Ok);
    }
    EXPECT_TRUE(fileThereAtEnd);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

// The converter's marks and texts land in the open track's file; with no
// track open the burner keeps its own and takes no samples.
TEST(CAudioCDBurn, MarksAndTextsGoToTheOpenTrack)
{
    TempFolder folder;
    Burner b;
    ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
    ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
    CAudioMetaData* own = b->GetMetaData();
    CMarker* ownMarks = b->GetMarker();
    int32_t left[4] = {};
    int32_t right[4] = {};
    int32_t* channels[2] = {left, right};
    EXPECT_EQ(b->WriteInt32(channels, 4), 0u);
    uint8_t* dsd[2] = {};
    EXPECT_EQ(b->WriteDsd(dsd, 4), 0u);

    ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
    CWavFileWrite* writer = b->GetTempFileCreator().GetOpenWriter();
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(b->GetMetaData(), writer->GetMetaData());
    EXPECT_EQ(b->GetMarker(), writer->GetMarker());
    b->GetMarker()->Add(1.0);
    ASSERT_EQ(b->StartBurn(), DiscResult::Ok);
    EXPECT_EQ(b->GetMetaData(), own);
    EXPECT_EQ(b->GetMarker(), ownMarks);
    CWavFileRead reader;
    ASSERT_EQ(reader.Open(b.imp->startedJob->tracks.at(0).path.c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetMarker()->GetCount(), 1);
}

// A track file that could not be made fails its AddTrack, and the job is not
// burned without it.
TEST(CAudioCDBurn, JobWithAMissingTrackIsNotBurned)
{
    TempFolder folder;
    Burner b;
    ASSERT_EQ(b->SetTempDirectory(folder.path().u16string()), DiscResult::Ok);
    ASSERT_EQ(b->BeginTracks(u"", u"", 44100, 0, 0), DiscResult::Ok);
    ASSERT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Ok);
    fs::create_directory(folder.file("Track 02.wav"));
    EXPECT_EQ(b->AddTrack(u"", false, true, 0.0f, 0.0f), DiscResult::Failed);
    EXPECT_EQ(b->StartBurn(), DiscResult::Failed);
    EXPECT_EQ(b.imp->startCalls, 0);
}

TEST(CAudioDiscBurnProxy, MakesTheBurnerOnceAndAnewWhenAsked)
{
    int made = 0;
    bool firstDeleted = false;
    CAudioDiscBurnProxy proxy([&]() -> std::unique_ptr<CDiscBurnImp> {
        auto fake = std::make_unique<FakeDiscBurnImp>();
        if (made++ == 0)
            fake->onDelete = [&] { firstDeleted = true; };
        return fake;
    });
    CAudioDiscBurnBase* first = proxy.GetBurner();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(proxy.GetBurner(), first);
    EXPECT_EQ(made, 1);
    EXPECT_FALSE(proxy.GetRecreate());

    proxy.SetRecreate(true);
    CAudioDiscBurnBase* second = proxy.GetBurner();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(firstDeleted);

    // No burner for a disc kind other than the audio CD.
    proxy.SetRequestedDiscKind(1);
    proxy.SetRecreate(true);
    EXPECT_EQ(proxy.GetBurner(), nullptr);
    EXPECT_EQ(proxy.GetCurrentDiscKind(), 1u);
    EXPECT_EQ(made, 2);
}

TEST(CAudioDiscBurnProxy, NoDiscWriterNoBurner)
{
    CAudioDiscBurnProxy withoutFactory(nullptr);
    EXPECT_EQ(withoutFactory.GetBurner(), nullptr);
    CAudioDiscBurnProxy factoryMakesNone([] { return std::unique_ptr<CDiscBurnImp>(); });
    EXPECT_EQ(factoryMakesNone.GetBurner(), nullptr);
}
