#include <gtest/gtest.h>

#include <fstream>

#include "platform/cd/CdDriveRegistry.h"
#include "platform/cd/CdImageDrive.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDrive;
using qm::platform::CdDriveRegistry;
using qm::platform::CdToc;
using qm::test::CdImageTrack;

namespace
{
struct Layout
{
    const char* name;
    std::vector<CdImageTrack> tracks;
};

std::unique_ptr<CdDrive> OpenImage(const std::string& name)
{
    std::string registered;
    if (!CdDriveRegistry::Instance().RegisterImage(name + ".cue", &registered) || registered != name)
        return nullptr;
    return CdDriveRegistry::Instance().OpenDrive(name);
}
} // namespace

TEST(CdImageDrive, TableOfContentsAgreesWithCdInfo)
{
    qm::test::TempFolder folder;
    const Layout layouts[] = {
        {"two", {{true, 225}, {true, 150}}},
        {"datafirst", {{false, 300}, {true, 150, 150}, {true, 75}}},
        {"enhanced", {{true, 200}, {true, 100}, {false, 400}}},
        {"pregaps", {{true, 100}, {true, 120, 33}, {true, 80, 2}}},
    };
    for (const auto& layout : layouts)
    {
        SCOPED_TRACE(layout.name);
        const std::string name = qm::test::WriteCdImage(folder.path(), layout.name, layout.tracks);
        auto drive = OpenImage(name);
        ASSERT_NE(drive, nullptr);
        ASSERT_TRUE(drive->IsMediaPresent());
        CdToc toc;
        ASSERT_TRUE(drive->ReadToc(toc));
        EXPECT_FALSE(toc.sessionsKnown);

        // Our own expectation from the layout.
        int32_t sector = 0;
        ASSERT_EQ(toc.tracks.size(), layout.tracks.size());
        for (size_t i = 0; i < layout.tracks.size(); ++i)
        {
            sector += int32_t(layout.tracks[i].pregapSectors);
            EXPECT_EQ(toc.tracks[i].number, int(i) + 1);
            EXPECT_EQ(toc.tracks[i].startLsn, sector);
            EXPECT_EQ(toc.tracks[i].isAudio, layout.tracks[i].audio);
            sector += int32_t(layout.tracks[i].sectors);
        }
        EXPECT_EQ(toc.leadOutLsn, sector);

        // And cd-info's reading of the same image.
        const auto info = qm::test::CdInfoTracks(name + ".cue");
        ASSERT_EQ(info.size(), toc.tracks.size() + 1);
        for (size_t i = 0; i < toc.tracks.size(); ++i)
        {
            EXPECT_EQ(info[i].number, toc.tracks[i].number);
            EXPECT_EQ(info[i].lsn, toc.tracks[i].startLsn);
            EXPECT_EQ(info[i].type == "audio", toc.tracks[i].isAudio);
        }
        EXPECT_EQ(info.back().lsn, toc.leadOutLsn);
        EXPECT_EQ(info.back().type, "leadout");
        CdDriveRegistry::Instance().UnregisterImage(name);
    }
}

TEST(CdImageDrive, SectorsHoldEachTracksRamp)
{
    qm::test::TempFolder folder;
    const std::string name = qm::test::WriteCdImage(folder.path(), "ramp", {{true, 225}, {true, 150, 0, 100}});
    auto drive = OpenImage(name);
    ASSERT_NE(drive, nullptr);
    std::vector<uint8_t> buffer(2 * CdDrive::kSectorBytes);
    struct Case
    {
        int32_t lsn;
        int track;
        uint64_t firstFrame;
        bool written;
    };
    const Case cases[] = {
        {0, 1, 0, true}, {224, 1, 224 * 588, true}, {225, 2, 0, true}, {225 + 120, 2, 120 * 588, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lsn);
        ASSERT_TRUE(drive->ReadAudioSectors(c.lsn, 1, buffer.data()));
        for (uint64_t f : {uint64_t(0), uint64_t(587)})
            for (int channel = 0; channel < 2; ++channel)
            {
                const int16_t sample = int16_t(buffer[f * 4 + channel * 2] | (buffer[f * 4 + channel * 2 + 1] << 8));
                EXPECT_EQ(sample, c.written ? qm::test::CdRampSample(c.track, c.firstFrame + f, channel) : 0);
            }
    }
    // A run that ends at the image's end reads; one that runs past it fails
    // rather than leaving the buffer's old bytes as samples.
    EXPECT_TRUE(drive->ReadAudioSectors(373, 2, buffer.data()));
    EXPECT_FALSE(drive->ReadAudioSectors(374, 2, buffer.data()));
    EXPECT_FALSE(drive->ReadAudioSectors(375, 1, buffer.data()));
    CdDriveRegistry::Instance().UnregisterImage(name);
}

TEST(CdImageDrive, CdTextPacksComeBackFromThePackFile)
{
    qm::test::TempFolder folder;
    qm::test::CdTextPackBuilder builder;
    qm::test::CdTextPackBuilder::Block block;
    block.lastTrack = 2;
    block.texts[0x80] = {"Album Title", "First Song", "Second Song"};
    block.texts[0x81] = {"Album Artist", "Artist One", "Artist Two"};
    builder.AddBlock(block);
    const std::vector<uint8_t> packs = builder.Build();

    const std::string name = qm::test::WriteCdImage(folder.path(), "text", {{true, 225}, {true, 150}}, packs);
    auto drive = OpenImage(name);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->ReadCdTextPacks(), packs);

    // libcdio's own decoder reads the same packs: they are well formed.
    const std::string info = qm::test::runCommandOutput("cd-info --no-device-info --no-cddb --cue-file " +
                                                      qm::test::shellQuote(name + ".cue") + " 2>/dev/null");
    EXPECT_NE(info.find("TITLE: Album Title"), std::string::npos) << info;
    EXPECT_NE(info.find("TITLE: Second Song"), std::string::npos) << info;
    EXPECT_NE(info.find("PERFORMER: Artist One"), std::string::npos) << info;

    // A pack file with the response header in front gives the same packs.
    std::vector<uint8_t> withHeader = {uint8_t((packs.size() + 2) >> 8), uint8_t((packs.size() + 2) & 0xFF), 0, 0};
    withHeader.insert(withHeader.end(), packs.begin(), packs.end());
    std::ofstream(name + ".cdt", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(withHeader.data()), std::streamsize(withHeader.size()));
    EXPECT_EQ(drive->ReadCdTextPacks(), packs);

    // A CDTEXTFILE line naming a missing file, or none at all: no packs.
    std::filesystem::remove(name + ".cdt");
    EXPECT_TRUE(drive->ReadCdTextPacks().empty());
    const std::string plain = qm::test::WriteCdImage(folder.path(), "plain", {{true, 100}});
    auto plainDrive = OpenImage(plain);
    ASSERT_NE(plainDrive, nullptr);
    EXPECT_TRUE(plainDrive->ReadCdTextPacks().empty());
    CdDriveRegistry::Instance().UnregisterImage(name);
    CdDriveRegistry::Instance().UnregisterImage(plain);
}

TEST(CdImageDrive, CdTextFileLineForms)
{
    qm::test::TempFolder folder;
    struct Case
    {
        const char* line;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {"CDTEXTFILE \"my disc.cdt\"", folder.path() / "my disc.cdt"},
        {"  cdtextfile plain.cdt\r", folder.path() / "plain.cdt"},
        {"CDTEXTFILE \"/abs/where.cdt\"", "/abs/where.cdt"},
        {"REM CDTEXTFILE \"no.cdt\"", {}},
        {"CDTEXTFILE", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.line);
        const auto cue = folder.file("x.cue");
        std::ofstream(cue) << c.line << "\nFILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
        EXPECT_EQ(qm::platform::CdImageDrive::FindCdTextFile(cue), c.expected);
    }
}

TEST(CdImageDrive, UpperCaseExtensions)
{
    qm::test::TempFolder folder;
    const std::string name = qm::test::WriteCdImage(folder.path(), "UPPER", {{true, 100}});
    std::filesystem::rename(name + ".cue", name + ".CUE");
    std::filesystem::rename(name + ".bin", name + ".BIN");
    std::string registered;
    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(name + ".CUE", &registered));
    EXPECT_EQ(registered, name);
    auto drive = CdDriveRegistry::Instance().OpenDrive(name);
    ASSERT_NE(drive, nullptr);
    EXPECT_TRUE(drive->IsMediaPresent());
    CdToc toc;
    ASSERT_TRUE(drive->ReadToc(toc));
    EXPECT_EQ(toc.leadOutLsn, 100);
    CdDriveRegistry::Instance().UnregisterImage(name);
}

TEST(CdImageDrive, MissingBinIsNoMedium)
{
    qm::test::TempFolder folder;
    const std::string name = qm::test::WriteCdImage(folder.path(), "gone", {{true, 100}});
    std::filesystem::remove(name + ".bin");
    auto drive = OpenImage(name);
    ASSERT_NE(drive, nullptr);
    EXPECT_FALSE(drive->IsMediaPresent());
    CdToc toc;
    EXPECT_FALSE(drive->ReadToc(toc));
    std::vector<uint8_t> buffer(CdDrive::kSectorBytes);
    EXPECT_FALSE(drive->ReadAudioSectors(0, 1, buffer.data()));
    CdDriveRegistry::Instance().UnregisterImage(name);
}
