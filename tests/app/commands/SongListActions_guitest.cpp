#include <gtest/gtest.h>

#include "app/commands/SongListActions.h"
#include "app/commands/ValueActions.h"
#include "tests/app/commands/CommandsFixture.h"

using Tavrel::TrackInfo;

using qm::test::RowSet;
using qm::test::SongNames;

namespace
{
using Actions = qm::test::CommandsFixture;

TEST_F(Actions, RemovingSongs)
{
    Songs({"a", "b", "c", "d", "e"});
    const std::vector<TrackInfo*> records = host->tracks;
    ASSERT_TRUE(commands->performUndoable(new Tavrel::RemoveSongAction(*host, RowSet({1, 3})), true, "Remove"));
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"a", "c", "e"}));
    EXPECT_EQ(host->GetSelection(), RowSet({1}));
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->tracks, records) << "the very same records come back";
    EXPECT_EQ(host->GetSelection(), RowSet({1, 3}));

    // Every song: the selection empties; undo makes row 0 current and opens it.
    juce::SparseSet<int> all;
    all.addRange({0, 5});
    ASSERT_TRUE(commands->performUndoable(new Tavrel::RemoveSongAction(*host, all), true, "Remove"));
    EXPECT_EQ(host->GetTrackCount(), 0);
    EXPECT_TRUE(host->GetSelection().isEmpty());
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_NE(host->GetPlayer()->GetSource(), nullptr);

    // Redone and then dropped from the history: exactly the five held
    // records go, none of the list's.
    ASSERT_TRUE(commands->redo());
    Songs({"f"});
    const int live = TrackInfo::getLiveCount();
    commands->clearUndoHistory();
    EXPECT_EQ(TrackInfo::getLiveCount(), live - 5);
    EXPECT_EQ(SongNames(*host), std::vector<juce::String>{"f"});
}

TEST_F(Actions, Renaming)
{
    Songs({"A", "B"});
    EXPECT_FALSE(
        commands->performUndoable(new CTVActionRename(*host, 0, TrackInfo::kSongName, "B", false), true, "Rename"));
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].kind, "ok");
    EXPECT_EQ(ui.calls[0].texts[0], CBJXResource::GetString("Common_ErrorDialogTitle"));
    EXPECT_EQ(ui.calls[0].texts[1], CBJXResource::GetString("Songlist_CannotRename"));
    EXPECT_FALSE(
        commands->performUndoable(new CTVActionRename(*host, 0, TrackInfo::kSongName, "", false), true, "Rename"));
    EXPECT_EQ(ui.calls.size(), 1u) << "an empty name is refused without a word";
    EXPECT_EQ(commands->getNumTransactions(), 0);

    ASSERT_TRUE(
        commands->performUndoable(new CTVActionRename(*host, 0, TrackInfo::kSongName, "B", true), true, "Rename"));
    EXPECT_EQ(SongNames(*host)[0], "B.1");
    host->SelectRange(2, 0, 0);
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(SongNames(*host)[0], "A");
    EXPECT_EQ(host->GetSelection(), RowSet({0}));
}

TEST_F(Actions, DividingAndItsRefusal)
{
    OpenDevice(44100.0);
    Songs({"x"}, 6.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    TrackInfo* original = host->GetTrack(0);

    // During a cue play the divide is refused: no step, the song intact.
    host->SetTransportState(CTVHost::kPaused);
    host->SetCueState(CTVHost::kCueFrom);
    EXPECT_FALSE(commands->performUndoable(new Tavrel::DivideSongAction(*host, 0, 2.0), true, "Divide"));
    EXPECT_EQ(commands->getNumTransactions(), 0);
    EXPECT_EQ(host->GetTrack(0), original);
    host->StopPlayback();
    commands->clearUndoHistory();
    EXPECT_EQ(host->GetTrack(0)->getTextField(TrackInfo::kSongName), "x");

    ASSERT_TRUE(commands->performUndoable(new Tavrel::DivideSongAction(*host, 0, 2.0), true, "Divide"));
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"x", "x.1"}));
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->tracks, std::vector<TrackInfo*>{original});
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_EQ(host->GetSelection(), RowSet({0}));
}

TEST_F(Actions, CombiningAndLinking)
{
    Songs({"one", "two", "three"});
    AddSong("left.wav", 0.2, 44100, 1);
    AddSong("right.wav", 0.2, 44100, 1);
    const std::vector<TrackInfo*> records = host->tracks;
    ASSERT_TRUE(commands->performUndoable(new Tavrel::CombineSongAction(*host, RowSet({0, 1})), true, "Combine"));
    EXPECT_EQ(host->GetTrackCount(), 4);
    EXPECT_NEAR(host->GetTrack(0)->getLengthInSeconds(), 0.4, 1e-3);
    ASSERT_TRUE(commands->performUndoable(new Tavrel::ChannelLinkAction(*host, RowSet({2, 3})), true, "Link"));
    EXPECT_EQ(host->GetTrackCount(), 3);
    EXPECT_EQ(host->GetTrack(2)->channels, 2);
    ASSERT_TRUE(commands->undo());
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->tracks, records);
    ASSERT_TRUE(commands->redo());
    ASSERT_TRUE(commands->redo());
    EXPECT_EQ(host->GetTrackCount(), 3);

    // Rows no longer suitable: refused, and the list keeps its records.
    const std::vector<TrackInfo*> now = host->tracks;
    EXPECT_FALSE(commands->performUndoable(new Tavrel::CombineSongAction(*host, RowSet({7, 8})), true, "Combine"));
    EXPECT_EQ(host->tracks, now);
}

// The add runs its thread behind the modal window with the listeners away;
// redo brings back the very same records; a file that gives no song leaves
// no step; an edit offered while the add runs is refused.
TEST_F(Actions, AddingSongs)
{
    std::filesystem::create_directories(folder.file("add"));
    for (int i = 0; i < 300; ++i)
        qm::test::WriteWav(folder.file("add/" + std::to_string(i) + ".wav"), 44100, 2, 441, false,
                           [](int, int) { return 0.0f; });
    // A second listener after the recording one: both come back, in order.
    qm::test::RecordingListener second;
    host->AddListener(&second);
    listener.take();
    bool nested = true;
    juce::Timer::callAfterDelay(150, [&] {
        nested = commands->performUndoable(new Tavrel::RemoveSongAction(*host, RowSet({0})), true, "Remove");
    });
    auto* add = new Tavrel::AddSongActionAtEnd(*host, {juce::String(folder.file("add").string())});
    const int beeps = ui.beeps;
    ASSERT_TRUE(commands->performUndoable(add, true, "Add"));
    EXPECT_FALSE(nested) << "an edit offered during the add is refused";
    EXPECT_EQ(ui.beeps, beeps + 1);
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(host->GetTrackCount(), 300);
    EXPECT_TRUE(listener.allOnMessageThread());
    EXPECT_TRUE(second.allOnMessageThread());
    const std::vector<CTVHostListener*> order = host->GetListeners();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], &listener);
    EXPECT_EQ(order[1], &second);
    host->RemoveListener(&second);
    EXPECT_EQ(host->GetSelection().size(), 300);
    EXPECT_EQ(host->GetCurrentIndex(), 0) << "a list of only the added songs";

    const std::vector<TrackInfo*> added = host->tracks;
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(host->GetTrackCount(), 0);
    ASSERT_TRUE(commands->redo());
    EXPECT_EQ(host->tracks, added);

    // Undone and then discarded by a new edit: its records go at that moment.
    ASSERT_TRUE(commands->undo());
    const int live = TrackInfo::getLiveCount();
    EXPECT_FALSE(commands->performUndoable(new Tavrel::ChangePictureAction(*host, 0, "/p.jpg"), true, "Picture"))
        << "no song is left to change";
    EXPECT_EQ(TrackInfo::getLiveCount(), live) << "the list is empty: nothing to change";
    Songs({"kept"});
    ASSERT_TRUE(commands->performUndoable(new Tavrel::ChangePictureAction(*host, 0, "/p.jpg"), true, "Picture"));
    EXPECT_EQ(TrackInfo::getLiveCount(), live + 1 - 300) << "the undone add's 300 records are deleted";

    std::ofstream(folder.file("notes.txt")) << "text";
    EXPECT_FALSE(commands->performUndoable(
        new Tavrel::AddSongActionAtEnd(*host, {juce::String(folder.file("notes.txt").string())}), true, "Add"));
    EXPECT_EQ(commands->getNumTransactions(), 1);
}

TEST_F(Actions, PicturesAndRowsThatLeft)
{
    Songs({"a", "b"});
    ASSERT_TRUE(
        commands->performUndoable(new Tavrel::ChangePictureAction(*host, 1, "/pictures/cover.jpg"), true, "Picture"));
    EXPECT_EQ(host->GetTrack(1)->getPicturePath(), "/pictures/cover.jpg");
    // The row is removed directly through the controller: undo fails,
    // beeps and leaves the list modified.
    host->RemoveTracks(1, true, true, true);
    const int beeps = ui.beeps;
    EXPECT_FALSE(commands->undo());
    EXPECT_EQ(ui.beeps, beeps + 1);
    EXPECT_TRUE(host->IsModified());
}
} // namespace
