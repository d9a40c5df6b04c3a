#include <gtest/gtest.h>

#include "app/songlist/SongListFile.h"
#include "tests/app/commands/ActionManagerFixture.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/TempFolder.h"

using qm::test::SongNames;
using Tavrel::TrackInfo;
using namespace Tavrel; // the command ids

namespace
{
using CommandWindow = qm::test::ActionManagerFixture;

// A song-list file under an upper-case extension.
juce::File WriteList(CTVHost& host, const juce::File& file)
{
    EXPECT_TRUE(Tavrel::writeSongListFile(host.tracks, file));
    return file;
}

TEST_F(CommandWindow, AddingASongListFile)
{
    Songs({"a", "b"});
    const juce::File list = WriteList(*host, juce::File(folder.file("x.QMPL").string()));
    host->CloseCurrentSong();
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, true, true, true);

    // To an empty list: it is opened as the list.
    ui.queue(1, {list});
    ASSERT_TRUE(Invoke(kCommandAdd));
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"a", "b"}));
    EXPECT_EQ(host->GetSonglistPath(), list.getFullPathName());
    EXPECT_EQ(commands->getNumTransactions(), 0);

    // To a list with songs: through the add of songs, which appends the
    // list's songs in one step.
    ui.queue(1, {list});
    EXPECT_TRUE(Invoke(kCommandAdd));
    EXPECT_EQ(host->GetTrackCount(), 4);
    EXPECT_EQ(commands->getNumTransactions(), 1);

    // A cancelled chooser is no failure.
    ui.queue(0);
    EXPECT_TRUE(Invoke(kCommandAdd));
    ui.queue(0);
    EXPECT_TRUE(Invoke(kCommandOpenFolder));
}

// Real key events from the X server reach the commands through the key
// mappings of a window, which registers fast forward and rewind again after
// each transport change as the main window does.
TEST_F(CommandWindow, RealKeyEvents)
{
    OpenDevice(44100.0);
    Songs({"s0"}, 20.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));

    juce::Component window;
    window.setWantsKeyboardFocus(true);
    window.setBounds(20, 20, 200, 100);
    window.addToDesktop(juce::ComponentPeer::windowHasTitleBar);
    window.setVisible(true);
    window.addKeyListener(commands->getKeyMappings());
    window.grabKeyboardFocus();
    qm::test::PumpUntil([&] { return window.hasKeyboardFocus(true); }, 5);
    const std::string id = std::to_string(reinterpret_cast<uintptr_t>(window.getWindowHandle()));
    auto xdotool = [&](const std::string& args) {
        ASSERT_EQ(qm::test::runCommand("xdotool " + args.substr(0, args.find(' ')) + " --window " + id +
                                       args.substr(args.find(' '))),
                  0);
    };
    auto transport = [&](int state) {
        host->SetTransportState(state);
        ASSERT_EQ(host->GetTransportState(), state);
        actions->registerWindingCommandsAgain(*commands);
    };

    // Held while playing: fast forward until the key is released.
    transport(CTVHost::kPlaying);
    listener.take();
    xdotool("keydown Right");
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetWindState() == CTVHost::kWindForward; }, 10));
    juce::MessageManager::getInstance()->runDispatchLoopUntil(300); // the key stays down
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindForward);
    xdotool("keyup Right");
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetWindState() == CTVHost::kWindNone; }, 10));
    EXPECT_EQ(listener.values("windStateChanged"), (std::vector<int>{1, 0}));

    // Pressed three times while paused: three steps, no winding.
    transport(CTVHost::kPaused);
    host->GetPlayer()->SetPosition(2.0);
    listener.take();
    xdotool("key Right Right Right");
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetPlayer()->GetPosition() > 2.149; }, 10));
    qm::test::PumpPosted();
    EXPECT_NEAR(host->GetPlayer()->GetPosition(), 2.15, 1e-3);
    // No key-up reached the command: it would have ended a winding.
    EXPECT_TRUE(listener.values("windStateChanged").empty());

    // Space plays on its key-down and does nothing on its key-up.
    xdotool("keydown space");
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetTransportState() == CTVHost::kPlaying; }, 10));
    xdotool("keyup space");
    qm::test::PumpPosted();
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    host->StopPlayback();

    // The three O shortcuts reach Open, Add and Open Folder.
    for (int i = 0; i < 3; ++i)
        ui.queue(0);
    ui.calls.clear();
    xdotool("key ctrl+shift+o ctrl+o alt+o");
    EXPECT_TRUE(qm::test::PumpUntil([&] { return ui.calls.size() == 3; }, 10));
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_EQ(ui.calls[0].kind, "file");
    EXPECT_EQ(ui.calls[1].kind, "files");
    EXPECT_EQ(ui.calls[2].kind, "folders");
    window.removeKeyListener(commands->getKeyMappings());
}
} // namespace
