#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "disc/DiscOpenManager.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::test::CdImageTrack;
using Block = qm::test::CdTextPackBuilder::Block;
using DiscInfo = DiscOpenManager::DiscInfo;

namespace
{
const juce::String kFallback = "Audio CD";

// A registered disc image named as the disc layer names drives.
class Disc : public qm::test::RegisteredCdImage
{
public:
    using RegisteredCdImage::RegisteredCdImage;
    juce::String Drive() const { return juce::String::fromUTF8(Name().c_str()); }
};


// The records of the scan that belong to drives inside `folder` (a machine
// may have drives of its own).
std::vector<const DiscInfo*> InFolder(const juce::OwnedArray<DiscInfo>& list, const qm::test::TempFolder& folder)
{
    std::vector<const DiscInfo*> found;
    for (const auto* info : list)
        if (info->drive.startsWith(juce::String(folder.path().string()) + "/"))
            found.push_back(info);
    return found;
}
} // namespace

TEST(DiscOpenManager, ScanListsAudioDiscsInDriveOrder)
{
    qm::test::TempFolder folder;
    // Registered in this order, so the registry lists "second" before "first".
    Disc second(folder, "second", {{true, 750}, {true, 1500}}, qm::test::AlbumTitlePacks("Second Album", 2));
    Disc dataOnly(folder, "data", {{false, 300}});
    Disc first(folder, "first", {{true, 300}, {true, 450}, {true, 600}});

    DiscOpenManager manager(kFallback);
    juce::OwnedArray<DiscInfo> list;
    list.add(new DiscInfo()); // an earlier scan's record goes
    manager.scanDrives(list);
    const auto found = InFolder(list, folder);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(list.size(), 2);

    const DiscInfo& a = *found[0];
    EXPECT_EQ(a.drive, second.Drive());
    EXPECT_EQ(a.discTypeKey, "DiscOpen_DiscType_AudioCD");
    EXPECT_EQ(a.title, "Second Album");
    EXPECT_EQ(a.trackCount, 2);
    EXPECT_DOUBLE_EQ(a.lengthSeconds, 2250.0 * 588 / 44100);
    EXPECT_EQ(a.drives, juce::StringArray(second.Drive()));
    EXPECT_EQ(a.trackPaths, juce::StringArray(second.Drive() + "/Track01.cda", second.Drive() + "/Track02.cda"));

    // Without CD-TEXT the title is the localised disc type.
    const DiscInfo& b = *found[1];
    EXPECT_EQ(b.drive, first.Drive());
    EXPECT_EQ(b.title, kFallback);
    EXPECT_EQ(b.trackCount, 3);
    EXPECT_DOUBLE_EQ(b.lengthSeconds, 1350.0 * 588 / 44100);
    ASSERT_EQ(b.trackPaths.size(), 3);

    // Records are copied by the sheet into its shown list.
    const DiscInfo copy = b;
    EXPECT_EQ(copy.trackPaths, b.trackPaths);
    EXPECT_EQ(copy.title, b.title);
}

TEST(DiscOpenManager, TrackPathsOpenAsTheirTracks)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "disc", {{true, 300}, {true, 450}});
    DiscOpenManager manager(kFallback);
    juce::OwnedArray<DiscInfo> list;
    ASSERT_TRUE(manager.readDiscInfo(disc.Drive(), list));
    ASSERT_EQ(list.size(), 1);
    const juce::StringArray& paths = list[0]->trackPaths;
    ASSERT_EQ(paths.size(), 2);
    const uint64_t lengths[] = {300 * 588, 450 * 588};
    for (int i = 0; i < paths.size(); ++i)
    {
        std::unique_ptr<CAudioFileReadBase> reader(
            CreateDirectAudioFileReader(reinterpret_cast<const char16_t*>(paths[i].toUTF16().getAddress()), false));
        ASSERT_NE(reader, nullptr) << paths[i];
        EXPECT_EQ(reader->GetLength(), lengths[i]) << paths[i];
    }
}

TEST(DiscOpenManager, DrivesWithoutAnAudioDiscGiveNoRecord)
{
    qm::test::TempFolder folder;
    Disc dataOnly(folder, "data", {{false, 300}});
    Disc emptied(folder, "emptied", {{true, 300}});
    std::filesystem::remove(emptied.Name() + ".bin");
    const juce::String unknown = juce::String(folder.path().string()) + "/nothing";

    DiscOpenManager manager(kFallback);
    for (const juce::String& drive : {dataOnly.Drive(), emptied.Drive(), unknown, juce::String()})
    {
        juce::OwnedArray<DiscInfo> list;
        EXPECT_FALSE(manager.readDiscInfo(drive, list)) << drive;
        EXPECT_TRUE(list.isEmpty()) << drive;
    }
}

TEST(DiscOpenManager, FullWidthTitleIsFolded)
{
    qm::test::TempFolder folder;
    // "ＡＢ　１２" in MS-JIS.
    Disc disc(folder, "disc", {{true, 300}}, qm::test::AlbumTitlePacks("\x82\x60\x82\x61\x81\x40\x82\x50\x82\x51", 1, 0x80));
    DiscOpenManager manager(kFallback);
    juce::OwnedArray<DiscInfo> list;
    ASSERT_TRUE(manager.readDiscInfo(disc.Drive(), list));
    EXPECT_EQ(list[0]->title, "AB 12");
}
