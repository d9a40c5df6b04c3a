#include <gtest/gtest.h>

#include "app/adding/AddSongThreadWithProgressWindow.h"
#include "app/core/CBJXResource.h"
#include "app/songlist/SongListFile.h"
#include "tests/app/host/HostFixture.h"
#include "tests/support/RegisteredCdImage.h"

using qm::test::Host;
using Tavrel::AddSongThreadWithProgressWindow;
using Tavrel::TrackInfo;

using qm::test::RowSet;
using qm::test::SongNames;

namespace
{
class AddSongs : public Host
{
protected:
    // The program's own strings, as the application holds them.
    AddSongs()
    {
        CBJXResource::GetInstance();
        CreateHost();
    }
    ~AddSongs() override
    {
        DestroyHost();
        CBJXResource::Release();
    }

    // A one-tenth-second WAV file at the path below the test folder.
    std::string Wav(const std::string& relative, int rate = 44100)
    {
        const auto path = folder.file(relative);
        std::filesystem::create_directories(path.parent_path());
        qm::test::WriteWav(path, rate, 2, rate / 10, false, [](int i, int) { return 0.001f * (i % 100); });
        return path.string();
    }

    // Runs the worker on this thread, without the window.
    int Add(const juce::StringArray& paths, int row)
    {
        AddSongThreadWithProgressWindow adder(paths, row);
        adder.run();
        trail = adder.getProgressTrail();
        return adder.getNextRow() - row;
    }

    std::vector<double> trail;
};

TEST_F(AddSongs, FilesFoldersAndSongLists)
{
    for (const char* n : {"one", "two", "three"})
        AddSong(std::string(n) + ".wav", 0.1);
    host->RebuildNameIndex();
    for (int i = 0; i < 3; ++i)
        host->GetTrack(i)->setTextField(juce::String("old") + juce::String(i), TrackInfo::kSongName, true);

    // Sorted by whole path: a before b, at consecutive rows from row 2.
    EXPECT_EQ(Add({Wav("b.wav"), Wav("a.wav")}, 2), 2);
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"old0", "old1", "a", "b", "old2"}));

    // A folder: sub/y before x, the text file skipped without a word.
    Wav("m/x.wav");
    Wav("m/sub/y.wav");
    std::ofstream(folder.file("m/notes.txt")) << "not audio";
    EXPECT_EQ(Add({juce::String(folder.file("m").string())}, 99), 2);
    EXPECT_EQ(SongNames(*host).back(), "x");
    EXPECT_EQ(SongNames(*host)[5], "y");

    // Two song.wav from two folders; what nothing can read adds nothing.
    std::ofstream(folder.file("unknown.xyz")) << "?";
    EXPECT_EQ(
        Add({Wav("p/song.wav"), Wav("q/song.wav"), Wav("high.wav", 192000),
             juce::String(folder.file("unknown.xyz").string()), "", juce::String(folder.file("gone.wav").string())},
            0),
        2);
    EXPECT_EQ(SongNames(*host)[0], "song");
    EXPECT_EQ(SongNames(*host)[1], "song.1");

    // A song list adds its songs, whatever the letter case of its extension.
    std::vector<TrackInfo*> stored(host->tracks.begin(), host->tracks.begin() + 2);
    ASSERT_TRUE(Tavrel::writeSongListFile(stored, juce::File(folder.file("list.qmpl").string())));
    std::filesystem::copy_file(folder.file("list.qmpl"), folder.file("LIST.QMPL"));
    const int before = host->GetTrackCount();
    EXPECT_EQ(Add({juce::String(folder.file("list.qmpl").string())}, 0), 2);
    EXPECT_EQ(SongNames(*host)[0], "song.2");
    EXPECT_EQ(Add({juce::String(folder.file("LIST.QMPL").string())}, 0), 2);
    std::ofstream(folder.file("broken.qmpl")) << "<TavrelSonglist><Track>";
    EXPECT_EQ(Add({juce::String(folder.file("broken.qmpl").string())}, 0), 0) << "document errors add nothing";
    EXPECT_EQ(host->GetTrackCount(), before + 4);
}

// 2 files and a folder of 5: 12 units; the files end at 1/12 and 2/12, the
// folder's files at 4/12 .. 12/12.
TEST_F(AddSongs, ProgressByUnits)
{
    for (int i = 0; i < 5; ++i)
        Wav("f/" + std::to_string(i) + ".wav");
    EXPECT_EQ(Add({Wav("a.wav"), Wav("b.wav"), juce::String(folder.file("f").string())}, 0), 7);
    const std::vector<double> expected = {1 / 12.0, 2 / 12.0, 4 / 12.0, 6 / 12.0, 8 / 12.0, 10 / 12.0, 12 / 12.0};
    ASSERT_EQ(trail.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(trail[i], expected[i], 1e-12) << i;
}

// A link back to the parent folder does not make the walk go round.
TEST_F(AddSongs, ALinkToAParentIsWalkedOnce)
{
    Wav("loop/x.wav");
    Wav("loop/sub/y.wav");
    std::filesystem::create_directory_symlink("..", folder.file("loop/sub/back"));
    EXPECT_EQ(Add({juce::String(folder.file("loop").string())}, 0), 2);
}

// A CD drive's name adds one song per audio track.
TEST_F(AddSongs, ADriveAddsItsTracks)
{
    qm::test::RegisteredCdImage disc(folder, "disc", {{true, 150}, {true, 150}});
    const juce::String drive(disc.Name());
    EXPECT_EQ(Add({drive}, 0), 2);
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"Track 01", "Track 02"}));
}

// Cancelling stops the walk of a folder before any of its files is added,
// and while a song list is read keeps what was inserted (the records read
// after the cancel are deleted: LeakSanitizer would tell).
TEST_F(AddSongs, Cancelling)
{
    std::filesystem::create_directories(folder.file("many"));
    for (int i = 0; i < 20000; ++i)
        qm::test::WriteWav(folder.file("many/" + std::to_string(i) + ".wav"), 44100, 1, 1, false,
                           [](int, int) { return 0.0f; });
    {
        AddSongThreadWithProgressWindow adder({juce::String(folder.file("many").string())}, 0);
        const juce::String searching = CBJXResource::GetString("Songlist_SearchDirectory");
        adder.startThread();
        while (adder.getStatusMessage() != searching && adder.isThreadRunning())
            std::this_thread::yield();
        adder.signalThreadShouldExit();
        EXPECT_TRUE(adder.waitForThreadToExit(-1));
        EXPECT_EQ(adder.getNextRow(), 0);
    }
    EXPECT_EQ(host->GetTrackCount(), 0);

    const std::string one = Wav("one.wav");
    std::unique_ptr<CAudioFileReadBase> reader(
        CreateAudioFileReader(std::filesystem::path(one).u16string().c_str(), false));
    ASSERT_NE(reader, nullptr);
    std::vector<std::unique_ptr<TrackInfo>> records;
    std::vector<TrackInfo*> pointers;
    for (int i = 0; i < 200; ++i)
    {
        records.push_back(std::make_unique<TrackInfo>(*reader));
        pointers.push_back(records.back().get());
    }
    ASSERT_TRUE(Tavrel::writeSongListFile(pointers, juce::File(folder.file("long.qmpl").string())));
    AddSongThreadWithProgressWindow adder({juce::String(folder.file("long.qmpl").string())}, 0);
    adder.startThread();
    // The worker inserts under the message-manager lock: keep the loop going.
    ASSERT_TRUE(qm::test::PumpUntil([&] { return adder.getNextRow() >= 5; }));
    adder.signalThreadShouldExit();
    while (adder.isThreadRunning())
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    EXPECT_GE(adder.getNextRow(), 5);
    EXPECT_LT(adder.getNextRow(), 200);
    EXPECT_EQ(host->GetTrackCount(), adder.getNextRow());
}
} // namespace

// The controller's timer steps songs while the worker inserts: the list
// changes only under the message-manager lock (ThreadSanitizer runs this).
TEST_F(AddSongs, AddingWhileTheListPlays)
{
    OpenDevice(44100.0);
    for (int i = 0; i < 3; ++i)
        AddSong("short" + std::to_string(i) + ".wav", 0.05);
    host->SetPlayMode(CTVHost::kPlayList);
    host->SetRepeat(true);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, true));
    StartBlocks();
    host->SetTransportState(CTVHost::kPlaying);
    // Enough files that the add outlasts several steps of the timer even on
    // a machine busy with other tests.
    constexpr int kFiles = 400;
    juce::StringArray paths;
    for (int i = 0; i < kFiles; ++i)
        paths.add(Wav("new/" + std::to_string(i) + ".wav"));
    AddSongThreadWithProgressWindow adder(paths, 1);
    listener.take();
    adder.startThread();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return !adder.isThreadRunning(); }, 120));
    StopBlocks();
    host->StopPlayback();
    EXPECT_EQ(adder.getNextRow(), kFiles + 1);
    EXPECT_EQ(host->GetTrackCount(), kFiles + 3);
    EXPECT_FALSE(listener.values("currentTrackChanged").empty()) << "the timer stepped songs meanwhile";
}
