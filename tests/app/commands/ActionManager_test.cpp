#include <gtest/gtest.h>

#include "app/commands/ActionManager.h"
#include "app/commands/SongListActions.h"
#include "app/songlist/SongListFlows.h"
#include "tests/app/commands/ActionManagerFixture.h"

using qm::test::RowSet;
using qm::test::SongNames;
using Tavrel::ActionManager;
using Tavrel::TrackInfo;
using namespace Tavrel; // the command ids

namespace
{
using Command = qm::test::ActionManagerFixture;

struct Blocker : Tavrel::ActionBlocker
{
    bool isActionBlocked(juce::CommandID) override { return true; }
};

TEST_F(Command, TheTableOfKeysFlagsAndTexts)
{
    const juce::ModifierKeys ctrl = juce::ModifierKeys::commandModifier;
    const juce::ModifierKeys shift = juce::ModifierKeys::shiftModifier;
    const juce::ModifierKeys alt = juce::ModifierKeys::altModifier;
    const juce::ModifierKeys ctrlShift = ctrl.withFlags(juce::ModifierKeys::shiftModifier);
    const int keyUpDown = juce::ApplicationCommandInfo::wantsKeyUpDownCallbacks;
    const int hidden = juce::ApplicationCommandInfo::hiddenFromKeyEditor;
    auto key = [](int code, juce::ModifierKeys mods = {}) { return juce::KeyPress(code, mods, 0); };
    struct Row
    {
        juce::CommandID id;
        std::vector<juce::KeyPress> keys;
        int flags = 0;
    };
    std::vector<Row> rows = {
        {1, {key('n', ctrl)}},
        {2, {key('o', ctrlShift)}},
        {3, {key('r', ctrl)}},
        {4, {key('s', ctrl)}},
        {5, {key('s', ctrlShift)}},
        {6, {key('o', ctrl)}},
        {7, {key('o', alt)}},
        {8, {key(juce::KeyPress::deleteKey), key(juce::KeyPress::backspaceKey)}},
        {9, {}},
        {10, {key('z', ctrl)}},
        {11, {key('z', ctrlShift)}},
        {12, {key('d', ctrl)}},
        {13, {key('j', ctrl)}},
        {14, {key('l', ctrl)}},
        {15, {}},
        {16, {}},
        {17, {key(juce::KeyPress::spaceKey)}, keyUpDown},
        {18, {}},
        {19, {key('f')}},
        {20, {key('t')}},
        {21, {key(juce::KeyPress::rightKey, ctrl)}},
        {22, {key(juce::KeyPress::leftKey, ctrl)}},
        {23, {key(juce::KeyPress::rightKey)}, keyUpDown},
        {24, {key(juce::KeyPress::leftKey)}, keyUpDown},
        {25, {key(juce::KeyPress::rightKey, shift)}},
        {26, {key(juce::KeyPress::leftKey, shift)}},
        {27, {key(juce::KeyPress::rightKey, alt)}},
        {28, {key(juce::KeyPress::leftKey, alt)}},
        {29, {}},
        {30, {}},
    };
    for (int id = 256; id <= 265; ++id)
        rows.push_back({id, {}, hidden});
    for (int id = 512; id <= 519; ++id)
        rows.push_back({id, {}, hidden});
    for (int id = 768; id <= 775; ++id)
        rows.push_back({id, {}, hidden});

    // The listed ids are the table's, in its order (40 is described but
    // listed by the main component).
    juce::Array<juce::CommandID> listed;
    actions->getAllCommands(listed);
    ASSERT_EQ(listed.size(), static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
    {
        SCOPED_TRACE(rows[i].id);
        EXPECT_EQ(listed[static_cast<int>(i)], rows[i].id);
        const juce::ApplicationCommandInfo info = Info(rows[i].id);
        EXPECT_EQ(std::vector<juce::KeyPress>(info.defaultKeypresses.begin(), info.defaultKeypresses.end()),
                  rows[i].keys);
        EXPECT_EQ(info.flags & (keyUpDown | hidden), rows[i].flags);
        EXPECT_TRUE(info.shortName.isNotEmpty());
        EXPECT_EQ(info.description, info.shortName);
        EXPECT_TRUE(info.categoryName.isNotEmpty());
        for (const juce::KeyPress& k : info.defaultKeypresses)
            EXPECT_EQ(k.getTextCharacter(), 0);
    }
    EXPECT_EQ(Info(40).shortName, Text("Menu_Item_EditShortcutKeys"));

    // The English texts.
    const std::pair<juce::CommandID, const char*> texts[] = {
        {17, "Play/Pause"},
        {512, " 0.0 sec"},
        {513, " 0.5 sec"},
        {518, "10.0 sec"},
        {519, "oo"},
        {775, "oo"},
        {256, "Open Recent Songlist :  1"},
        {265, "Open Recent Songlist : 10"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(Info(id).shortName, text) << id;
    EXPECT_EQ(Info(10).shortName, commands->getUndoText());
    EXPECT_EQ(Info(512).categoryName, Text("Menu_Name_View"));

    // While paused every key press of the arrows steps: no key-up/down.
    OpenDevice(44100.0);
    AddSong("a.wav", 1.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPaused);
    EXPECT_EQ(Info(23).flags & keyUpDown, 0);
    EXPECT_EQ(Info(24).flags & keyUpDown, 0);
    EXPECT_EQ(Info(17).flags & keyUpDown, keyUpDown);

    // Registering the two again takes the new flag and keeps the user's keys.
    juce::KeyPressMappingSet& mappings = *commands->getKeyMappings();
    mappings.addKeyPress(kCommandFastForward, key('k'));
    actions->registerWindingCommandsAgain(*commands);
    EXPECT_EQ(commands->getCommandForID(kCommandFastForward)->flags & keyUpDown, 0);
    EXPECT_EQ(mappings.getKeyPressesAssignedToCommand(kCommandFastForward),
              (juce::Array<juce::KeyPress>{key(juce::KeyPress::rightKey), key('k')}));
    EXPECT_EQ(mappings.getKeyPressesAssignedToCommand(kCommandRewind),
              juce::Array<juce::KeyPress>{key(juce::KeyPress::leftKey)});
}

TEST_F(Command, EnablingFollowsTheController)
{
    // An empty, untitled list: nothing to start anew, save or play.
    EXPECT_FALSE(Enabled(kCommandNew));
    EXPECT_TRUE(Enabled(kCommandOpen));
    EXPECT_FALSE(Enabled(kCommandSave));
    EXPECT_FALSE(Enabled(kCommandPlayPause));
    EXPECT_FALSE(Enabled(kCommandOpenAutoSaved)) << "no last-session file";
    EXPECT_FALSE(Enabled(kCommandUndo));

    AddSong("a.wav", 0.5);
    AddSong("b.wav", 0.5);
    host->RebuildNameIndex();
    EXPECT_TRUE(Enabled(kCommandNew));
    EXPECT_TRUE(Enabled(kCommandPlayPause));
    EXPECT_FALSE(Enabled(kCommandRemoveSongs)) << "nothing selected";
    host->SetSelection(RowSet({0}), 0);
    EXPECT_TRUE(Enabled(kCommandRemoveSongs));
    ASSERT_TRUE(commands->performUndoable(new CTVActionRename(*host, 0, TrackInfo::kTitle, "t", false), true, "R"));
    EXPECT_TRUE(Enabled(kCommandUndo));
    EXPECT_EQ(Info(kCommandUndo).shortName, commands->getUndoText());

    // After Save As, New stays enabled even once the list is emptied.
    const juce::File saved(folder.file("saved.qmpl").string());
    ui.queue(1, {saved});
    ASSERT_TRUE(Tavrel::saveSonglist(*host, true));
    host->CloseCurrentSong();
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, true, true, true);
    EXPECT_TRUE(Enabled(kCommandNew));
    EXPECT_FALSE(Enabled(kCommandSave));
    EXPECT_TRUE(Enabled(kCommandOpenAutoSaved) == juce::File(host->GetLastSessionPath()).existsAsFile());

    // Session mode: the player-mode commands are off; Help, View, the
    // shortcut editor stay on; Save follows the list.
    AddSong("c.wav", 0.5);
    host->SuspendForExport(CTVHost::kSessionMode);
    for (juce::CommandID id : {1, 2, 3, 6, 7, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 256, 265})
        EXPECT_FALSE(Enabled(id)) << id;
    for (juce::CommandID id : {4, 5, 29, 30, 40, 512, 775})
        EXPECT_TRUE(Enabled(id)) << id;
    host->SuspendForExport(CTVHost::kPlayerMode);

    // A blocker that blocks everything blocks About too.
    Blocker blocker;
    actions->addActionBlocker(&blocker);
    actions->addActionBlocker(&blocker);
    for (juce::CommandID id : {1, 4, 17, 29, 30, 40, 512, 768})
        EXPECT_FALSE(Enabled(id)) << id;
    actions->removeActionBlocker(&blocker);
    EXPECT_TRUE(Enabled(kCommandAbout)) << "added once, removed once";
}

TEST_F(Command, HoldTimesAreTickedAndSet)
{
    auto ticked = [&](juce::CommandID first) {
        std::vector<int> rows;
        for (int i = 0; i < 8; ++i)
            if ((Info(first + i).flags & juce::ApplicationCommandInfo::isTicked) != 0)
                rows.push_back(i);
        return rows;
    };
    EXPECT_TRUE(Invoke(kCommandPeakHoldFirst + 2));
    EXPECT_TRUE(Invoke(kCommandClipHoldFirst + 7));
    EXPECT_EQ(host->GetPeakHoldTime(), 1000);
    EXPECT_EQ(host->GetClipHoldTime(), -1);
    EXPECT_EQ(ticked(kCommandPeakHoldFirst), std::vector<int>{2});
    EXPECT_EQ(ticked(kCommandClipHoldFirst), std::vector<int>{7});
    host->SetPeakHoldTime(1500);
    EXPECT_TRUE(ticked(kCommandPeakHoldFirst).empty());
}

TEST_F(Command, UnknownAndOutOfRangeIdsAreRefused)
{
    for (juce::CommandID id : {31, 35, 39, 41, 99, 266, 520, 776, 0, -1})
    {
        EXPECT_FALSE(actions->perform(juce::ApplicationCommandTarget::InvocationInfo(id))) << id;
        EXPECT_TRUE(Info(id).shortName.isEmpty()) << id;
    }
    host->GetRecentSongListsForEdit().add(folder.file("one.qmpl").string());
    EXPECT_FALSE(actions->perform(juce::ApplicationCommandTarget::InvocationInfo(kCommandOpenRecentFirst + 1)));
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(Command, NewAsksFirst)
{
    AddSong("a.wav", 0.5);
    host->RebuildNameIndex();
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    ASSERT_TRUE(commands->performUndoable(new CTVActionRename(*host, 0, TrackInfo::kTitle, "t", false), true, "R"));

    ui.queue(0); // Cancel
    EXPECT_TRUE(Invoke(kCommandNew));
    EXPECT_EQ(ui.calls.at(0).kind, "yesNoCancel");
    EXPECT_EQ(host->GetTrackCount(), 1);
    EXPECT_TRUE(commands->canUndo());
    EXPECT_TRUE(host->IsModified());

    ui.queue(2); // Don't Save
    EXPECT_TRUE(Invoke(kCommandNew));
    EXPECT_EQ(host->GetTrackCount(), 0);
    EXPECT_EQ(host->GetSonglistPath(), "");
    EXPECT_EQ(host->GetCurrentIndex(), -1);
    EXPECT_FALSE(host->IsModified());
    EXPECT_FALSE(commands->canUndo());
    EXPECT_EQ(listener.values("songListChanged").back(), 0);
}

TEST_F(Command, CropKeepsTheSelectedSongsInOneStep)
{
    Songs({"s0", "s1", "s2", "s3", "s4"});
    host->SetSelection(RowSet({1, 3}), 0);
    ASSERT_TRUE(Invoke(kCommandCropSongs));
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"s1", "s3"}));
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : Crop Songs");
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"s0", "s1", "s2", "s3", "s4"}));
    EXPECT_EQ(host->GetSelection(), RowSet({1, 3}));

    // Every row selected: nothing to remove, no step, nothing modified.
    commands->resetAfterOpen();
    host->SetSelection(RowSet({0, 1, 2, 3, 4}), 0);
    EXPECT_FALSE(Invoke(kCommandCropSongs));
    EXPECT_EQ(host->GetTrackCount(), 5);
    EXPECT_EQ(commands->getNumTransactions(), 0);
    EXPECT_FALSE(host->IsModified());
}

TEST_F(Command, ChannelLinkJoinsTheSelectedPairs)
{
    Songs({"s0", "s1"});
    AddSong("l1.wav", 0.2, 44100, 1);
    AddSong("r1.wav", 0.2, 44100, 1);
    AddSong("s4.wav", 0.2);
    AddSong("s5.wav", 0.2);
    AddSong("l2.wav", 0.2, 44100, 1);
    AddSong("r2.wav", 0.2, 44100, 1);
    host->RebuildNameIndex();
    const std::vector<TrackInfo*> records = host->tracks;
    host->SetSelection(RowSet({2, 3, 6, 7}), 0);
    ASSERT_TRUE(host->CanLinkChannels());

    ASSERT_TRUE(Invoke(kCommandChannelLink));
    ASSERT_EQ(host->GetTrackCount(), 6);
    EXPECT_EQ(host->GetTrack(2)->channels, 2);
    EXPECT_EQ(host->GetTrack(5)->channels, 2);
    EXPECT_EQ(host->GetSelection(), RowSet({2, 5}));
    EXPECT_EQ(commands->getNumTransactions(), 1);
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->tracks, records);
    EXPECT_EQ(host->GetSelection(), RowSet({2, 3, 6, 7}));
}

TEST_F(Command, PreviousSongByPosition)
{
    OpenDevice(44100.0);
    Songs({"s0", "s1", "s2"}, 2.0);
    struct Case
    {
        int current;
        double position;
        int expectedCurrent;
    };
    const Case cases[] = {
        {1, 0.5, 0}, // early in the song: the previous one
        {1, 0.8, 1}, // later: back to the start of this one
        {1, 1.5, 1},
        {0, 0.5, 0}, // the first song: its start
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.current << " at " << c.position);
        ASSERT_TRUE(host->SetCurrentTrack(c.current, true, false));
        host->GetPlayer()->SetPosition(c.position);
        EXPECT_TRUE(Invoke(kCommandPreviousSong));
        EXPECT_EQ(host->GetCurrentIndex(), c.expectedCurrent);
        EXPECT_NEAR(host->GetPlayer()->GetPosition(), 0.0, 1e-3);
    }
}

TEST_F(Command, WindingAndSmallMoves)
{
    OpenDevice(44100.0);
    Songs({"s0"}, 4.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPaused);
    host->GetPlayer()->SetPosition(1.0);

    // Paused: every key-down steps 0.05 s and nothing winds.
    EXPECT_TRUE(Key(kCommandFastForward, true));
    EXPECT_TRUE(Key(kCommandFastForward, true));
    EXPECT_TRUE(Key(kCommandRewind, true));
    EXPECT_NEAR(host->GetPlayer()->GetPosition(), 1.05, 1e-3);
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindNone);
    struct Move
    {
        juce::CommandID id;
        double by;
    };
    for (const Move& m : {Move{kCommandForward1ms, 0.001}, Move{kCommandBackward1ms, -0.001},
                          Move{kCommandForward1s, 1.0}, Move{kCommandBackward1s, -1.0}})
    {
        const double before = host->GetPlayer()->GetPosition();
        EXPECT_TRUE(Invoke(m.id));
        EXPECT_NEAR(host->GetPlayer()->GetPosition() - before, m.by, 1e-4) << m.id;
    }

    // Playing: fast forward until the key-up; a rewind key-down meanwhile
    // is ignored; the small moves do nothing.
    host->SetTransportState(CTVHost::kPlaying);
    ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    const double position = host->GetPlayer()->GetPosition();
    EXPECT_TRUE(Invoke(kCommandForward1s));
    EXPECT_NEAR(host->GetPlayer()->GetPosition(), position, 0.05);
    listener.take();
    EXPECT_TRUE(Key(kCommandFastForward, true));
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindForward);
    EXPECT_TRUE(actions->isWindingKeyHeld());
    EXPECT_TRUE(Key(kCommandRewind, true));
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindForward);
    EXPECT_TRUE(Key(kCommandFastForward, false));
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindNone);
    EXPECT_FALSE(actions->isWindingKeyHeld());
    EXPECT_EQ(listener.values("windStateChanged"), (std::vector<int>{1, 0}));
    EXPECT_TRUE(Key(kCommandRewind, true));
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindRewind);
    actions->stopWinding();
    EXPECT_EQ(host->GetWindState(), CTVHost::kWindNone);

    // Space: plays or pauses on key-down only.
    EXPECT_TRUE(Key(kCommandPlayPause, false));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    EXPECT_TRUE(Key(kCommandPlayPause, true));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPaused);
    EXPECT_TRUE(Invoke(kCommandPlayPause));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    EXPECT_TRUE(Invoke(kCommandStop));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
}

TEST_F(Command, TransportCommandsRestDuringACuePlayOrASession)
{
    OpenDevice(44100.0);
    Songs({"s0", "s1"}, 2.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPaused);
    host->GetPlayer()->SetPosition(1.0);
    EXPECT_TRUE(Invoke(kCommandPlayFrom));
    ASSERT_EQ(host->GetCueState(), CTVHost::kCueFrom);
    for (juce::CommandID id : {kCommandFastForward, kCommandNextSong, kCommandPlayPause, kCommandForward1s})
        EXPECT_TRUE(Invoke(id));
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_EQ(host->GetCueState(), CTVHost::kCueFrom);
    host->StopPlayback();

    host->SuspendForExport(CTVHost::kSessionMode);
    const int state = host->GetTransportState();
    EXPECT_TRUE(Invoke(kCommandPlayPause));
    EXPECT_TRUE(Invoke(kCommandNextSong));
    EXPECT_EQ(host->GetTransportState(), state);
    host->SuspendForExport(CTVHost::kPlayerMode);
}

TEST_F(Command, TheUsersGuide)
{
    struct Case
    {
        const char* locale;
        const char* file;
    };
    for (const Case& c : {Case{"ja_JP.UTF-8", "Users Guide(J).pdf"}, Case{"ja_JP.eucJP", "Users Guide(J).pdf"},
                          Case{"Japanese_Japan.932", "Users Guide(J).pdf"}, Case{"en_US.UTF-8", "Users Guide.pdf"},
                          Case{"C", "Users Guide.pdf"}, Case{"C.UTF-8", "Users Guide.pdf"}})
        EXPECT_EQ(ActionManager::usersGuideFileName(c.locale), c.file) << c.locale;

    // No guide beside the program: the not-found box.
    std::vector<juce::File> opened;
    bool openerAnswer = true;
    const juce::File guides(folder.file("guides").string());
    ASSERT_TRUE(guides.createDirectory());
    ActionManager::setUsersGuideSource(guides, [&](const juce::File& f) {
        opened.push_back(f);
        return openerAnswer;
    });
    EXPECT_TRUE(Invoke(kCommandUsersGuide));
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].texts[0], Text("Common_ErrorDialogTitle"));
    EXPECT_EQ(ui.calls[0].texts[1], Text("Other_UsersGuideNotFound"));
    EXPECT_TRUE(opened.empty());

    // A guide is handed to the opener; its failure has a box of its own.
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    const juce::File guide = guides.getChildFile(ActionManager::usersGuideFileName(locale != nullptr ? locale : ""));
    ASSERT_TRUE(guide.replaceWithText("%PDF"));
    EXPECT_TRUE(Invoke(kCommandUsersGuide));
    EXPECT_EQ(opened, std::vector<juce::File>{guide});
    EXPECT_EQ(ui.calls.size(), 1u);
    openerAnswer = false;
    EXPECT_TRUE(Invoke(kCommandUsersGuide));
    ASSERT_EQ(ui.calls.size(), 2u);
    EXPECT_EQ(ui.calls[1].texts[1], Text("Other_CannotOpenUsersGuide"));
    ActionManager::setUsersGuideSource({}, {});

    // About and the shortcut editor go to the services.
    EXPECT_TRUE(Invoke(kCommandAbout));
    EXPECT_TRUE(Invoke(kCommandEditShortcutKeys));
    EXPECT_EQ(ui.calls.at(2).kind, "about");
    EXPECT_EQ(ui.calls.at(3).kind, "keys");
    EXPECT_EQ(ui.calls.at(3).texts[0], Text("Menu_Item_EditShortcutKeys"));
}
} // namespace
