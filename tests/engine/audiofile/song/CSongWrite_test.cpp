#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/audiofile/song/CSongWrite.h"
#include "engine/audiofile/wav/CWavFileRead.h"
#include "tests/support/TempFolder.h"

namespace
{
constexpr uint32_t kRate = 44100;

std::set<std::string> FileNames(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            names.insert(entry.path().filename().string());
    return names;
}

// Writes whole seconds of a constant on every channel; returns the frames accepted.
uint32_t WriteSeconds(CSongWrite& song, uint16_t channels, double seconds)
{
    uint32_t accepted = 0;
    for (int second = 0; second < int(seconds); ++second)
    {
        std::vector<std::vector<float>> samples(channels, std::vector<float>(kRate, 0.25f));
        std::vector<float*> pointers;
        for (auto& channel : samples)
            pointers.push_back(channel.data());
        const uint32_t written = song.WriteFloat(pointers.data(), kRate);
        accepted += written;
        if (written < kRate)
            break;
    }
    return accepted;
}

struct ReadBack
{
    bool opened = false;
    uint64_t frames = 0;
    uint16_t channels = 0;
    std::vector<double> marks;
    std::u16string title;
};

ReadBack Read(const std::filesystem::path& path)
{
    ReadBack result;
    CWavFileRead reader;
    if (reader.Open(path.u16string().c_str()) != ReaderOpenResult::Ok)
        return result;
    result.opened = true;
    result.frames = reader.GetLength();
    result.channels = reader.GetChannelCount();
    for (int i = 0; i < reader.GetMarker()->GetCount(); ++i)
        result.marks.push_back(reader.GetMarker()->GetAt(i));
    result.title = reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetWide();
    return result;
}
} // namespace

// The files a song becomes, by piece and channel layout.
TEST(CSongWrite, FileNamesByPiecesAndChannels)
{
    struct Case
    {
        uint16_t channels;
        uint16_t channelsPerFile;
        int pieces;
        std::set<std::string> files;
    };
    const Case cases[] = {
        {2, 2, 1, {"Song.wav"}},
        {2, 2, 3, {"Song.001.wav", "Song.002.wav", "Song.003.wav"}},
        {4, 1, 1, {"Song.trk1.wav", "Song.trk2.wav", "Song.trk3.wav", "Song.trk4.wav"}},
        {4,
         1,
         2,
         {"Song.001.trk1.wav", "Song.001.trk2.wav", "Song.001.trk3.wav", "Song.001.trk4.wav", "Song.002.trk1.wav",
          "Song.002.trk2.wav", "Song.002.trk3.wav", "Song.002.trk4.wav"}},
        {1, 1, 1, {"Song.wav"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.channels) + "/" + std::to_string(c.channelsPerFile) + " x" +
                     std::to_string(c.pieces));
        qm::test::TempFolder folder;
        CSongWrite song("wav", kRate, 16, c.channels, c.channelsPerFile, 0);
        song.GetMetaData()->GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Tune");
        song.UpdateMetaData();
        ASSERT_TRUE(song.Open((folder.path() / "Song").u16string(), u".wav"));
        EXPECT_EQ(song.GetChannelCount(), c.channels);
        for (int piece = 1; piece <= c.pieces; ++piece)
        {
            if (piece > 1)
            {
                ASSERT_TRUE(song.SplitAtMarker(true));
                EXPECT_EQ(WriteSeconds(song, c.channels, 1.0), 0u) << "no piece open between pieces";
                ASSERT_TRUE(song.OpenNextGroupWriter());
            }
            EXPECT_EQ(WriteSeconds(song, c.channels, piece), uint32_t(piece * kRate));
        }
        EXPECT_TRUE(song.Close());
        EXPECT_EQ(FileNames(folder.path()), c.files);
        for (const std::string& name : c.files)
        {
            const ReadBack file = Read(folder.file(name));
            ASSERT_TRUE(file.opened) << name;
            EXPECT_EQ(file.channels, c.channelsPerFile);
            EXPECT_EQ(file.title, u"Tune");
        }
        if (c.pieces == 3)
        {
            EXPECT_EQ(Read(folder.file("Song.002.wav")).frames, 2 * kRate);
        }
    }
}

// Marks land in the piece they fall in, relative to its start; a mark at a
// piece's end belongs to the next.
TEST(CSongWrite, MarksMoveIntoTheirPiece)
{
    qm::test::TempFolder folder;
    CSongWrite song("wav", kRate, 16, 2, 2, 0);
    for (const double mark : {10.0, 60.0, 65.0})
        song.GetMarker()->Add(mark);
    ASSERT_TRUE(song.Open((folder.path() / "Song").u16string(), u".wav"));
    WriteSeconds(song, 2, 60.0);
    ASSERT_TRUE(song.SplitAtMarker(true));
    ASSERT_TRUE(song.OpenNextGroupWriter());
    WriteSeconds(song, 2, 10.0);
    EXPECT_TRUE(song.Close());
    EXPECT_EQ(Read(folder.file("Song.001.wav")).marks, std::vector<double>({10.0}));
    EXPECT_EQ(Read(folder.file("Song.002.wav")).marks, std::vector<double>({0.0, 5.0}));
}

TEST(CSongWrite, CancelDeletesEveryPiece)
{
    for (const uint16_t channelsPerFile : {uint16_t(2), uint16_t(1)})
    {
        qm::test::TempFolder folder;
        CSongWrite song("wav", kRate, 16, 2, channelsPerFile, 0);
        ASSERT_TRUE(song.Open((folder.path() / "Song").u16string(), u".wav"));
        WriteSeconds(song, 2, 1.0);
        ASSERT_TRUE(song.SplitAtMarker(true));
        ASSERT_TRUE(song.OpenNextGroupWriter());
        WriteSeconds(song, 2, 1.0);
        song.Cancel();
        EXPECT_TRUE(FileNames(folder.path()).empty());
        EXPECT_EQ(WriteSeconds(song, 2, 1.0), 0u);
    }
}

// A numbered name that is taken: the finished piece is not moved over it,
// the song fails rather than let the next piece overwrite the finished one
// under the plain name, and Cancel removes only the song's own files.
TEST(CSongWrite, TakenNumberedNameFailsAndKeepsBothFiles)
{
    qm::test::TempFolder folder;
    std::ofstream(folder.file("Song.001.wav")) << "someone else's";
    CSongWrite song("wav", kRate, 16, 2, 2, 0);
    ASSERT_TRUE(song.Open((folder.path() / "Song").u16string(), u".wav"));
    WriteSeconds(song, 2, 2.0);
    EXPECT_FALSE(song.SplitAtMarker(true));
    EXPECT_FALSE(song.OpenNextGroupWriter());
    EXPECT_EQ(Read(folder.file("Song.wav")).frames, 2 * kRate) << "the finished piece is intact";
    EXPECT_FALSE(song.Close());

    ASSERT_TRUE(song.Open((folder.path() / "Song").u16string(), u".wav"));
    WriteSeconds(song, 2, 1.0);
    song.SplitAtMarker(true);
    song.Cancel();
    EXPECT_EQ(FileNames(folder.path()), std::set<std::string>({"Song.001.wav"}));
}

// Long paths are used whole, never cut to another file's name.
TEST(CSongWrite, LongPathsAreKeptWhole)
{
    qm::test::TempFolder folder;
    std::filesystem::path deep = folder.path();
    for (int i = 0; i < 6; ++i)
        deep /= std::string(200, char('a' + i));
    std::filesystem::create_directories(deep);
    const std::u16string base = (deep / (std::string(150, 'n') + "\u00e9")).u16string();
    ASSERT_GT(base.size(), 1100u);
    CSongWrite song("wav", kRate, 16, 4, 1, 0);
    ASSERT_TRUE(song.Open(base, u".extension-longer-than-fifteen"));
    WriteSeconds(song, 4, 1.0);
    ASSERT_TRUE(song.SplitAtMarker(true));
    ASSERT_TRUE(song.OpenNextGroupWriter());
    WriteSeconds(song, 4, 1.0);
    EXPECT_TRUE(song.Close());
    EXPECT_TRUE(std::filesystem::exists(base + u".002.trk4.extension-longer-than-fifteen"));
    EXPECT_EQ(FileNames(folder.path()).size(), 8u);
}

TEST(CSongWrite, OpenFailsWhenAFileCannotBeMade)
{
    qm::test::TempFolder folder;
    CSongWrite missingFolder("wav", kRate, 16, 2, 2, 0);
    EXPECT_FALSE(missingFolder.Open((folder.path() / "no" / "Song").u16string(), u".wav"));
    CSongWrite noWriter("flac", kRate, 16, 2, 2, 0);
    EXPECT_FALSE(noWriter.Open((folder.path() / "Song").u16string(), u".flac"));
    EXPECT_EQ(noWriter.WriteInt32(nullptr, 10), 0u);
    EXPECT_TRUE(FileNames(folder.path()).empty());
}
