#include <gtest/gtest.h>

#include "app/devices/DeviceChangeMessage.h"
#include "app/songlist/SongListFile.h"
#include "tests/app/host/HostFixture.h"

using qm::test::FakeSessionMonitor;
using qm::test::Host;
using Tavrel::TrackInfo;

namespace
{
juce::MemoryBlock Bytes(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    return block;
}

class HostSession : public Host
{
protected:
    juce::File Recovery(const char* name) const
    {
        return juce::File(folder.path().string()).getChildFile("Tavrel").getChildFile(name);
    }
};

// The recovery files live beside the settings: the backup of the previous
// run becomes the last-session file at start-up.
TEST_F(HostSession, RecoveryFiles)
{
    qm::test::ScopedEnv home{"HOME", folder.file("home").string()};
    std::filesystem::create_directories(folder.file("home"));
    CreateHost();
    EXPECT_EQ(host->GetBackupPath(), Recovery("TavrelBackup.qmpl").getFullPathName());
    EXPECT_EQ(host->GetLastSessionPath(), Recovery("TavrelLast.qmpl").getFullPathName());
    DestroyHost();
    EXPECT_FALSE(Recovery("TavrelBackup.qmpl").exists()) << "an empty list writes no backup";
    EXPECT_TRUE(std::filesystem::is_empty(folder.file("home"))) << "nothing is written below the home folder";

    // Without a backup the last-session file stays as it was.
    Recovery("TavrelLast.qmpl").replaceWithText("previous");
    CreateHost();
    DestroyHost();
    EXPECT_EQ(Recovery("TavrelLast.qmpl").loadFileAsString(), "previous");

    // A read-only backup becomes writable and is copied byte for byte.
    Recovery("TavrelBackup.qmpl").replaceWithText("backup of the run before");
    std::filesystem::permissions(Recovery("TavrelBackup.qmpl").getFullPathName().toStdString(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                     std::filesystem::perms::others_read);
    CreateHost();
    EXPECT_NE(std::filesystem::status(Recovery("TavrelBackup.qmpl").getFullPathName().toStdString()).permissions() &
                  std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_EQ(Bytes(Recovery("TavrelLast.qmpl")), Bytes(Recovery("TavrelBackup.qmpl")));

    // Going with an empty list leaves the backup; with songs it is written.
    const juce::MemoryBlock before = Bytes(Recovery("TavrelBackup.qmpl"));
    DestroyHost();
    EXPECT_EQ(Bytes(Recovery("TavrelBackup.qmpl")), before);
    CreateHost();
    AddSong("a.wav", 0.2);
    AddSong("b.wav", 0.2);
    host->GetTrack(1)->setTextField("Second", TrackInfo::kSongName, false);
    DestroyHost();
    const auto document = Tavrel::loadSongListDocument(Recovery("TavrelBackup.qmpl"));
    ASSERT_NE(document, nullptr);
    int songs = 0;
    for (auto* element : document->getChildIterator())
        songs += element->getTagName() == "Track";
    EXPECT_EQ(songs, 2);
    EXPECT_TRUE(Recovery("TavrelBackup.qmpl").loadFileAsString().contains("Second"));
}

TEST_F(HostSession, SongListPathAndRecentLists)
{
    CreateHost();
    listener.take();
    host->SetSonglistPath("/lists/one.qmpl");
    host->SetSonglistPath("/lists/one.qmpl");
    EXPECT_EQ(host->GetRecentSongLists(), juce::StringArray("/lists/one.qmpl"));
    for (int i = 2; i <= 11; ++i)
        host->SetSonglistPath("/lists/" + juce::String(i) + ".qmpl");
    EXPECT_EQ(host->GetRecentSongLists().size(), 10);
    EXPECT_EQ(host->GetRecentSongLists()[0], "/lists/11.qmpl");
    EXPECT_FALSE(host->GetRecentSongLists().contains("/lists/one.qmpl")) << "the oldest is dropped";
    const juce::StringArray recent = host->GetRecentSongLists();
    listener.take();
    host->SetSonglistPath("");
    EXPECT_EQ(host->GetRecentSongLists(), recent);
    EXPECT_EQ(listener.values("songListPathChanged").size(), 1u);
    host->MarkSongListChanged(true);
    host->MarkSongListChanged(true);
    EXPECT_TRUE(host->IsModified());
    EXPECT_EQ(listener.values("songListPathChanged").size(), 2u) << "told only of a change";
}

// A medium leaving a drive stops the current song only when it plays from
// that drive, matched by whole path components ("disc" is not "disc1"). The
// songs here lie in folders named like drives.
TEST_F(HostSession, MediaLeavingADrive)
{
    OpenDevice(44100.0);
    CreateHost();
    std::filesystem::create_directories(folder.file("disc1"));
    AddSong("disc1/track.wav", 3.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPlaying);
    auto removed = [&](const std::string& drive) {
        host->postMessage(new DeviceChangeMessage(1, DeviceChangeMessage::kMediaRemoved, drive));
        qm::test::PumpPosted();
    };

    host->SetMode(CTVHost::kSessionMode);
    removed(folder.file("disc1").string());
    host->SetMode(CTVHost::kPlayerMode);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying) << "ignored in session mode";
    removed(folder.file("disc").string());
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    EXPECT_NE(host->GetPlayer()->GetSource(), nullptr);

    removed(folder.file("disc1").string());
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
    EXPECT_EQ(host->GetPlayer()->GetSource(), nullptr);
    EXPECT_EQ(host->GetCurrentInput()->GetLength(), 0u) << "closed, not reopened";
    host->SetTransportState(CTVHost::kPlaying);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying) << "the next play request reopens it";
    EXPECT_NE(host->GetPlayer()->GetSource(), nullptr);
    host->StopPlayback();
}

TEST_F(HostSession, SessionModeFollowsTheSessions)
{
    FakeSessionMonitor monitor;
    OpenDevice(44100.0);
    CreateHost();
    AddSong("a.wav", 1.0);
    AddSong("b.wav", 1.0);
    host->SetSelection(juce::SparseSet<int>(), 0);
    juce::SparseSet<int> selected;
    selected.addRange({1, 2});
    host->SetSelection(selected, 0);

    // A file export: session mode, playback stopped, the reader closed.
    listener.take();
    monitor.start(1);
    EXPECT_EQ(host->GetMode(), CTVHost::kSessionMode);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
    EXPECT_EQ(host->GetCurrentInput()->GetLength(), 0u);
    EXPECT_EQ(listener.values("controlsEnabledChanged"), std::vector<int>{1});
    host->SetSelection(juce::SparseSet<int>(), 0);

    listener.take();
    monitor.finish();
    EXPECT_EQ(host->GetMode(), CTVHost::kPlayerMode);
    EXPECT_EQ(host->GetCurrentIndex(), 0) << "no current song before: song 0";
    EXPECT_EQ(listener.values("transportStateChanged").back(), CTVHost::kStopped);
    EXPECT_EQ(host->GetSelection(), selected) << "the selection is restored";
    EXPECT_EQ(listener.values("controlsEnabledChanged"), std::vector<int>{0});

    // An erase session changes nothing.
    listener.take();
    monitor.start(3);
    monitor.finish();
    EXPECT_EQ(host->GetMode(), CTVHost::kPlayerMode);
    EXPECT_TRUE(listener.values("controlsEnabledChanged").empty());

    // Quitting after the session: the end only quits (a start clears the flag).
    int quits = 0;
    CTVHost::SetQuitHook([&] { ++quits; });
    host->SetQuitAfterSession(true);
    monitor.start(1);
    EXPECT_FALSE(host->GetQuitAfterSession());
    host->SetQuitAfterSession(true);
    listener.take();
    monitor.finish();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(host->GetMode(), CTVHost::kSessionMode) << "nothing else happens";
    EXPECT_TRUE(listener.take().empty());
    host->SetQuitAfterSession(false);
    host->SuspendForExport(CTVHost::kPlayerMode);
    CTVHost::SetQuitHook(nullptr);
}
} // namespace
