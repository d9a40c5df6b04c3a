#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/WideText.h"
#include "app/songlist/AudioCDTrackReader.h"
#include "app/songlist/AudioFileReader.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/app/TestResources.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::test::CdImageTrack;
using Tavrel::TrackInfo;
using Block = qm::test::CdTextPackBuilder::Block;

namespace
{
// A registered disc image named as the song list names drives.
class Disc : public qm::test::RegisteredCdImage
{
public:
    Disc(const qm::test::TempFolder& folder, const std::vector<CdImageTrack>& tracks,
         const std::vector<uint8_t>& packs = {})
        : RegisteredCdImage(folder, "disc", tracks, packs)
    {
    }
    juce::String drive() const { return juce::String(Name()); }
};

std::string makeWav(const qm::test::TempFolder& folder, const std::string& name, int rate)
{
    const std::string path = folder.file(name).string();
    EXPECT_EQ(qm::test::runCommand("sox -D -n -r " + std::to_string(rate) + " -b 16 -c 2 " +
                                   qm::test::shellQuote(path) + " synth 0.5 sine 440"),
              0);
    return path;
}

qm::test::TestResources englishStrings()
{
    return qm::test::TestResources({qm::test::TestResources::StringTable({{"DiscOpen_SongNamePrefix", "Track"}})});
}
} // namespace

TEST(AudioFileReader, OneRecordNamedAfterTheFile)
{
    qm::test::TempFolder folder;
    const std::string path = makeWav(folder, "My.Song.wav", 44100);

    Tavrel::AudioFileReader reader(juce::String::fromUTF8(path.c_str()));
    EXPECT_EQ(reader.getProgress(), 1.0);
    ASSERT_TRUE(reader.hasNext());
    std::unique_ptr<TrackInfo> record(reader.next());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->getTextField(TrackInfo::kSongName), "My.Song");
    EXPECT_EQ(record->getFormatName(), "WAV");
    EXPECT_EQ(record->lengthFrames, 22050u);
    EXPECT_TRUE(record->readable);
    EXPECT_FALSE(reader.hasNext());
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_FALSE(reader.isPreparing());
    EXPECT_EQ(reader.getProgress(), 1.0);
}

TEST(AudioFileReader, FilesThatCannotBePlayedGiveNoRecord)
{
    qm::test::TempFolder folder;
    const std::string tooFast = makeWav(folder, "fast.wav", 192000);
    const std::string garbage = folder.file("garbage.wav").string();
    ASSERT_EQ(qm::test::runCommand("printf 'not audio' > " + qm::test::shellQuote(garbage)), 0);

    for (const auto& path : {tooFast, garbage, folder.file("missing.wav").string()})
    {
        Tavrel::AudioFileReader reader{juce::String(path)};
        EXPECT_FALSE(reader.hasNext()) << path;
        EXPECT_EQ(reader.next(), nullptr) << path;
    }
}

TEST(AudioCDTrackReader, TracksWithoutCdTextAreNumbered)
{
    const auto strings = englishStrings();
    qm::test::TempFolder folder;
    const Disc disc(folder, std::vector<CdImageTrack>(12, CdImageTrack{true, 20}));

    Tavrel::AudioCDTrackReader reader(disc.drive());
    std::vector<double> progress;
    std::vector<juce::String> names;
    while (reader.hasNext())
    {
        progress.push_back(reader.getProgress());
        std::unique_ptr<TrackInfo> record(reader.next());
        ASSERT_NE(record, nullptr);
        names.push_back(record->getTextField(TrackInfo::kSongName));
        EXPECT_EQ(record->getFormatName(), "CD");
        EXPECT_EQ(record->lengthFrames, 20u * 588u);
    }
    ASSERT_EQ(names.size(), 12u);
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_EQ(names[static_cast<size_t>(i)], "Track " + juce::String(i + 1).paddedLeft('0', 2));
        EXPECT_DOUBLE_EQ(progress[static_cast<size_t>(i)], i / 12.0);
    }
    EXPECT_EQ(reader.getProgress(), 1.0);
    EXPECT_EQ(reader.next(), nullptr);
}

TEST(AudioCDTrackReader, CdTextTitlesNameTheTracks)
{
    const auto strings = englishStrings();
    qm::test::TempFolder folder;
    qm::test::CdTextPackBuilder builder;
    Block block;
    block.lastTrack = 2;
    block.texts[0x80] = {"Album", "  Intro  ", ""};
    builder.AddBlock(block);
    const Disc disc(folder, {{true, 20}, {true, 20}}, builder.Build());

    Tavrel::AudioCDTrackReader reader(disc.drive());
    std::unique_ptr<TrackInfo> first(reader.next());
    std::unique_ptr<TrackInfo> second(reader.next());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->getTextField(TrackInfo::kSongName), "Intro");
    EXPECT_EQ(second->getTextField(TrackInfo::kSongName), "Track 02");
}

TEST(AudioCDTrackReader, NoDiscGivesNoRecord)
{
    qm::test::TempFolder folder;
    const Disc dataOnly(folder, {{false, 30}});
    for (const juce::String& drive : {dataOnly.drive(), juce::String("/no/such/drive")})
    {
        Tavrel::AudioCDTrackReader reader(drive);
        EXPECT_FALSE(reader.hasNext());
        EXPECT_EQ(reader.getProgress(), 1.0);
        EXPECT_EQ(reader.next(), nullptr);
    }
}

TEST(SongListCdTracks, DiscImageSongsKeepTheirDriveWhenTheListMoves)
{
    const auto strings = englishStrings();
    qm::test::TempFolder folder;
    const Disc disc(folder, {{true, 20}, {true, 30}});
    Tavrel::AudioCDTrackReader tracks(disc.drive());
    std::unique_ptr<TrackInfo>(tracks.next()).reset();
    std::unique_ptr<TrackInfo> record(tracks.next());
    ASSERT_NE(record, nullptr);
    const uint32_t discId = record->song->GetSection(0)->GetTrack(0)->GetFile(0)->GetMediaUniqueId();

    // Saved beside the image, opened from a folder further down: the image's
    // drive name is no file of its own, but it is still the drive to use.
    const juce::File list(juce::String(folder.file("list.qmpl").string()));
    ASSERT_TRUE(Tavrel::writeSongListFile({record.get()}, list));
    const std::filesystem::path moved = folder.file("deeper/down/list.qmpl");
    std::filesystem::create_directories(moved.parent_path());
    std::filesystem::copy_file(folder.file("list.qmpl"), moved);

    Tavrel::TVSLReader reader(juce::File(juce::String(moved.string())));
    std::unique_ptr<TrackInfo> back(reader.next());
    ASSERT_NE(back, nullptr);
    const CPlaylistFile& file = *back->song->GetSection(0)->GetTrack(0)->GetFile(0);
    EXPECT_EQ(toJuceString(file.GetPath()), disc.drive());
    EXPECT_EQ(file.GetMediaUniqueId(), discId);
    EXPECT_TRUE(back->readable);
    EXPECT_EQ(back->getTextField(TrackInfo::kSongName), "Track 02");
    EXPECT_EQ(back->getFormatName(), "CD");
}
