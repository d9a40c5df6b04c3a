#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/WideText.h"
#include "app/devices/CdDriveList.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CSongRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::test::CdImageTrack;
using Tavrel::CdDriveList;
using Tavrel::TrackInfo;

namespace
{
// A registered disc image named as the engine names drives.
class Drive : public qm::test::RegisteredCdImage
{
public:
    using RegisteredCdImage::RegisteredCdImage;
    std::u16string name() const { return toEngineText(juce::String(Name())); }
};

const std::vector<CdImageTrack> kDisc = {{true, 300}, {true, 450}};
const std::vector<CdImageTrack> kOtherDisc = {{true, 500}};
const std::vector<CdImageTrack> kDataDisc = {{false, 300}};

class Dataspec : public Tavrel::TrackInfoListener
{
public:
    void dataSpecChanged(TrackInfo*) override { ++count; }
    int count = 0;
};

// The record of the second track of the disc in a drive, as the CD track
// reader builds it.
std::unique_ptr<TrackInfo> secondTrack(const std::u16string& drive)
{
    CAudioCDRead reader(true);
    EXPECT_EQ(reader.Open(drive.c_str()), ReaderOpenResult::Ok);
    EXPECT_TRUE(reader.SelectTrack(1));
    return std::make_unique<TrackInfo>(reader);
}

const CPlaylistFile& onlyFile(const TrackInfo& record)
{
    return *record.song->GetSection(0)->GetTrack(0)->GetFile(0);
}
} // namespace

TEST(TrackInfoCd, RecordOfADiscTrackCarriesItsDisc)
{
    qm::test::TempFolder folder;
    Drive drive(folder, "disc", kDisc);
    const auto record = secondTrack(drive.name());

    const CPlaylistFile& file = onlyFile(*record);
    EXPECT_EQ(file.GetPath(), drive.name());
    EXPECT_EQ(file.GetStart(), 300 * 588);
    EXPECT_EQ(file.GetEnd(), (300 + 450) * 588);
    EXPECT_NE(file.GetMediaUniqueId(), 0u);
    EXPECT_EQ(record->getFormatName(), juce::String("CD"));
    EXPECT_TRUE(record->readable);
    EXPECT_FALSE(record->dataSpecStale);
    EXPECT_EQ(record->lengthFrames, 450u * 588);
    EXPECT_EQ(record->channels, 2);
    EXPECT_EQ(record->sampleRate, 44100.0f);

    CSongRead reader;
    bool moved = true;
    EXPECT_TRUE(record->refreshDataSpec(reader, &moved, true));
    EXPECT_FALSE(moved);
    EXPECT_EQ(reader.GetLength(), 450u * 588);
}

TEST(TrackInfoCd, DiscMovedToAnotherDriveIsFoundThere)
{
    qm::test::TempFolder first;
    qm::test::TempFolder second;
    auto before = std::make_unique<Drive>(first, "disc", kDisc);
    const std::u16string oldDrive = before->name();
    const auto record = secondTrack(oldDrive);
    const CPlaylistFile& file = onlyFile(*record);
    const uint32_t discId = file.GetMediaUniqueId();
    Dataspec listener;
    record->addListener(&listener);

    // While the disc is still where it was, the list says so.
    ASSERT_TRUE(CdDriveList::rebuild());
    EXPECT_TRUE(CdDriveList::holdsDisc(toJuceString(oldDrive), discId));

    // The disc leaves its drive and shows up in another one, beside a drive
    // with another disc and one without audio. The list is now out of date.
    before.reset();
    Drive other(second, "other", kOtherDisc);
    Drive data(second, "data", kDataDisc);
    Drive now(second, "now", kDisc);

    CSongRead reader;
    bool moved = false;
    EXPECT_TRUE(record->refreshDataSpec(reader, &moved, true));
    EXPECT_TRUE(moved);
    EXPECT_TRUE(record->readable);
    EXPECT_EQ(file.GetPath(), now.name());
    EXPECT_EQ(file.GetStart(), 300 * 588);
    EXPECT_EQ(file.GetEnd(), (300 + 450) * 588);
    EXPECT_EQ(file.GetMediaUniqueId(), discId);
    EXPECT_EQ(record->lengthFrames, 450u * 588);
    EXPECT_GE(listener.count, 1);
    EXPECT_TRUE(CdDriveList::holdsDisc(toJuceString(now.name()), discId));

    // Found again where it is now, nothing moves.
    EXPECT_TRUE(record->refreshDataSpec(reader, &moved, false));
    EXPECT_FALSE(moved);
    record->removeListener(&listener);
}

TEST(TrackInfoCd, DiscNowhereLeavesTheSongAsItWas)
{
    qm::test::TempFolder folder;
    auto first = std::make_unique<Drive>(folder, "first", kDisc);
    const std::u16string firstDrive = first->name();
    const auto record = secondTrack(firstDrive);
    first->takeOut();

    // The list last saw the disc in a second drive, which it has left too;
    // what is left is another disc and a drive without audio.
    auto second = std::make_unique<Drive>(folder, "second", kDisc);
    ASSERT_TRUE(CdDriveList::rebuild());
    second->takeOut();
    Drive other(folder, "other", kOtherDisc);
    Drive data(folder, "data", kDataDisc);

    CSongRead reader;
    bool moved = true;
    EXPECT_FALSE(record->refreshDataSpec(reader, &moved, true));
    EXPECT_FALSE(moved);
    EXPECT_FALSE(record->readable);
    EXPECT_EQ(onlyFile(*record).GetPath(), firstDrive);

    // The drive without audio is listed, but no file is ever sent to it.
    bool dataListed = false;
    for (const CdDriveList::Entry& entry : CdDriveList::getEntries())
        dataListed = dataListed || (toEngineText(entry.driveName) == data.name() && entry.discId == 0);
    EXPECT_TRUE(dataListed);
    juce::String drive;
    EXPECT_FALSE(CdDriveList::findDriveForDisc(0, drive));
    EXPECT_FALSE(CdDriveList::holdsDisc(toJuceString(data.name()), 0));
}

TEST(TrackInfoFile, RecordOfAWavFileWithInfoTexts)
{
    qm::test::TempFolder folder;
    const auto path = folder.file("song.wav");
    ASSERT_EQ(qm::test::runCommand(
                  "ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1.5 "
                  "-ac 1 -ar 48000 -c:a pcm_s24le -fflags +bitexact "
                  "-metadata title='\xEF\xBC\xB4itle' -metadata artist=Artist -metadata genre=Jazz "
                  "-metadata date=2008-07-04 " +
                  qm::test::shellQuote(path.string())),
              0);

    const std::u16string wide = path.u16string();
    std::unique_ptr<CAudioFileReadBase> reader(CreateDirectAudioFileReader(wide.c_str(), true));
    ASSERT_NE(reader, nullptr);
    const TrackInfo record(*reader);

    EXPECT_EQ(record.getTextField(TrackInfo::kYear), juce::String("2008"));
    EXPECT_EQ(record.getTextField(TrackInfo::kMonth), juce::String("07"));
    EXPECT_EQ(record.getTextField(TrackInfo::kDay), juce::String("04"));
    EXPECT_TRUE(record.getTextField(TrackInfo::kHour).isEmpty());
    // The full-width T is folded.
    EXPECT_EQ(record.getTextField(TrackInfo::kTitle), juce::String("Title"));
    EXPECT_EQ(record.getTextField(TrackInfo::kArtist), juce::String("Artist"));
    EXPECT_EQ(record.getTextField(TrackInfo::kGenre), juce::String("Jazz"));
    EXPECT_TRUE(record.getTextField(TrackInfo::kSongName).isEmpty());

    EXPECT_EQ(record.getFormatName(), juce::String("WAV"));
    EXPECT_EQ(record.bitsPerSample, 24);
    EXPECT_EQ(record.sampleRate, 48000.0f);
    EXPECT_EQ(record.channels, 1);
    EXPECT_EQ(record.lengthFrames, 72000u);
    EXPECT_FLOAT_EQ(record.lengthSeconds, 1.5f);
    EXPECT_TRUE(record.readable);
    EXPECT_FALSE(record.dataSpecStale);
    const CPlaylistFile& file = onlyFile(record);
    EXPECT_EQ(file.GetPath(), wide);
    EXPECT_EQ(file.GetStart(), 0);
    EXPECT_EQ(file.GetEnd(), 72000);
    EXPECT_EQ(file.GetMediaUniqueId(), 0u);

    // The record's song opens as the file did.
    TrackInfo copy(record);
    EXPECT_TRUE(copy.isReadable());
    EXPECT_EQ(copy.lengthFrames, 72000u);
}
