#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/audiofile/cd/CCdaFileRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;

namespace
{
std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// A 44-byte track stub as a disc shows it; fields can be spoiled per test.
std::string Stub(int track, const char* riff = "RIFF", const char* cdda = "CDDA", const char* fmt = "fmt ",
                 uint32_t fmtSize = 24)
{
    std::string bytes;
    auto put = [&bytes](uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes.push_back(char((value >> (8 * i)) & 0xFF));
    };
    bytes.append(riff, 4);
    put(36, 4);
    bytes.append(cdda, 4);
    bytes.append(fmt, 4);
    put(fmtSize, 4);
    put(1, 2);
    put(uint32_t(track), 2);
    put(0x12345678, 4);
    put(0, 4);
    put(225, 4);
    put(0x00020000, 4);
    put(0x00000300, 4);
    return bytes;
}
} // namespace

TEST(CCdaFileRead, TrackFilesOfADisc)
{
    qm::test::TempFolder folder;
    // A data track first, then two audio tracks (the disc's tracks 2 and 3).
    const std::string disc =
        qm::test::WriteCdImage(folder.path(), "disc", {{false, 300}, {true, 225, 150}, {true, 150}});
    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(disc + ".cue"));
    std::filesystem::create_directory(disc); // a folder of stubs beside the image
    auto writeStub = [&disc](const std::string& name, const std::string& bytes) {
        std::ofstream(disc + "/" + name, std::ios::binary) << bytes;
    };
    writeStub("Track09.cda", Stub(3)); // the stub's number wins over the name
    writeStub("Track04.cda", Stub(2, "RIFX"));
    writeStub("Track05.cda", Stub(2, "RIFF", "WAVE"));
    writeStub("Track06.cda", Stub(2, "RIFF", "CDDA", "fmx "));
    writeStub("Track07.cda", Stub(2).substr(0, 30)); // fmt chunk cut short
    writeStub("Track08.cda", Stub(0));

    struct Case
    {
        std::string path;
        int result;
        int track;           // the disc's track number when opened
        uint64_t rangeStart; // frames from the first audio track
        uint64_t length;
    };
    const Case cases[] = {
        {disc + "/Track02.cda", 0, 2, 0, 225 * 588},
        {disc + "/track03.CDA", 0, 3, 225 * 588, 150 * 588},
        {disc + "/Track3.cda", 0, 3, 225 * 588, 150 * 588},
        {disc + "/Track09.cda", 0, 3, 225 * 588, 150 * 588},
        {disc + "/Track01.cda", 4, 0, 0, 0}, // the data track
        {disc + "/Track00.cda", 4, 0, 0, 0},
        {disc + "/Track10.cda", 4, 0, 0, 0}, // beyond the disc
        {disc + "/Track08.cda", 4, 0, 0, 0}, // a stub of track 0
        {disc + "/Track04.cda", 4, 0, 0, 0},
        {disc + "/Track05.cda", 4, 0, 0, 0},
        {disc + "/Track06.cda", 3, 0, 0, 0},
        {disc + "/Track07.cda", 3, 0, 0, 0},
        {disc + "/Song.cda", 2, 0, 0, 0},     // neither a stub nor a track name
        {disc + "x/Track02.cda", 2, 0, 0, 0}, // not a drive
        {"Track02.cda", 2, 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        CCdaFileRead reader;
        const std::u16string path = Wide(c.path);
        ASSERT_EQ(static_cast<int>(reader.Open(path.c_str())), c.result);
        if (c.result != 0)
        {
            EXPECT_EQ(reader.GetTrackCount(), 0);
            EXPECT_EQ(reader.GetLength(), 0u);
            continue;
        }
        EXPECT_STREQ(reader.GetFormatName(), "CD");
        EXPECT_EQ(reader.GetCdaTrackNumber(), c.track);
        EXPECT_EQ(reader.GetRangeStart(), c.rangeStart);
        EXPECT_EQ(reader.GetLength(), c.length);
        std::vector<int32_t> left(4), right(4);
        int32_t* channels[2] = {left.data(), right.data()};
        ASSERT_EQ(reader.ReadInt32(channels, 4, 0), 4u);
        EXPECT_EQ(right[0], int32_t(qm::test::CdRampSample(c.track, 0, 1)) * 65536);
    }
    CdDriveRegistry::Instance().UnregisterImage(disc);
}

TEST(CCdaFileRead, DriveWithoutAudioCdFailsBeforeTheFileIsRead)
{
    qm::test::TempFolder folder;
    const std::string data = qm::test::WriteCdImage(folder.path(), "data", {{false, 300}});
    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(data + ".cue"));
    std::filesystem::create_directory(data);
    std::ofstream(data + "/Track01.cda", std::ios::binary) << Stub(1);
    CCdaFileRead reader;
    EXPECT_EQ(reader.Open(Wide(data + "/Track01.cda").c_str()), ReaderOpenResult::CannotOpen);
    EXPECT_EQ(reader.GetCdaTrackNumber(), 0);
    CdDriveRegistry::Instance().UnregisterImage(data);
}
