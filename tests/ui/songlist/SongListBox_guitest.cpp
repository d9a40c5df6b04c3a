#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"
#include "tests/ui/songlist/SongListFixture.h"

using qm::test::RowSet;
namespace xinput = qm::test::xinput;
using Source = juce::DragAndDropTarget::SourceDetails;

namespace
{
class SongListBox : public qm::test::SongListFixture
{
protected:
    void Names(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            AddSong("s" + std::to_string(i) + ".wav", 0.05);
            host->tracks.back()->setTextField("song " + juce::String(i), Tavrel::TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
    }
    std::vector<juce::String> Order()
    {
        std::vector<juce::String> names;
        for (int i = 0; i < host->GetTrackCount(); ++i)
            names.push_back(host->GetTrack(i)->getTextField(Tavrel::TrackInfo::kSongName));
        return names;
    }
    // A point of the list box inside a row, away from its bottom edge.
    static juce::Point<int> InRow(int row) { return {100, row * CTVListBox::kRowHeight + 5}; }
    Source Rows(const juce::String& description, juce::Point<int> at)
    {
        return Source(description, &List(), at);
    }
    // Records the commands the command manager invokes.
    struct Invoked final : public juce::ApplicationCommandManagerListener
    {
        void applicationCommandInvoked(const juce::ApplicationCommandTarget::InvocationInfo& info) override
        {
            ids.push_back(info.commandID);
        }
        void applicationCommandListChanged() override {}
        std::vector<int> ids;
    };
};

// Rows 3 and 4 dropped where they are make no step; dropped at the top they
// lead in one undoable step.
TEST_F(SongListBox, RearrangingByDrops)
{
    Names(30);
    ShowPanel();
    const auto before = Order();
    for (const int index : {3, 4, 5})
    {
        SCOPED_TRACE(index);
        List().itemDropped(Rows("3 4 ", InRow(index)));
        EXPECT_EQ(commands->getNumTransactions(), 0);
        EXPECT_EQ(List().getInsertionIndex(), -1);
    }
    List().itemDropped(Rows("3 4 ", InRow(0)));
    ASSERT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : " + Text("Action_RearrangeSongs"));
    auto moved = before;
    std::rotate(moved.begin(), moved.begin() + 3, moved.begin() + 5);
    EXPECT_EQ(Order(), moved);
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(Order(), before);
}

// Where a drop would insert, and the mark drawn there while hovering.
TEST_F(SongListBox, InsertionIndexAndItsMark)
{
    Names(4);
    ShowPanel();
    const int height = List().getHeight();
    struct Case
    {
        const char* name;
        juce::Point<int> at;
        int index;
        bool after;
    };
    const Case cases[] = {
        {"on a row", InRow(2), 2, false},
        {"below the last row", {100, 4 * CTVListBox::kRowHeight + 30}, 4, true},
        {"right of the list", {List().getWidth() + 3, InRow(1).y}, 4, true},
        {"left of the list", {-1, InRow(1).y}, 4, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        List().fileDragEnter({"x.wav"}, c.at.x, c.at.y);
        List().fileDragMove({"x.wav"}, c.at.x, c.at.y);
        EXPECT_EQ(List().getInsertionIndex(), c.index);
        EXPECT_EQ(List().isInsertAfter(), c.after);
        // The mark: 3 px of its colour at the top of the row at the index,
        // or at the bottom of the row above it.
        const juce::Image image = List().createComponentSnapshot(List().getLocalBounds(), true, 1.0f);
        const int y = c.after ? (c.index - 1) * CTVListBox::kRowHeight + CTVListBox::kRowHeight - 2
                              : c.index * CTVListBox::kRowHeight + 1;
        EXPECT_EQ(image.getPixelAt(225, y).getARGB(), CTVListBox::kInsertMarkColour);
        EXPECT_NE(image.getPixelAt(225, (c.index == 0 ? 3 : 0) * CTVListBox::kRowHeight + 12).getARGB(),
                  CTVListBox::kInsertMarkColour);
        List().fileDragExit({"x.wav"});
        EXPECT_EQ(List().getInsertionIndex(), -1);
    }

    // In the bottom 10 px the drop goes after the row under the pointer.
    Names(26);
    List().updateContent();
    const int bottomY = height - 8;
    List().fileDragEnter({"x.wav"}, 100, bottomY);
    List().fileDragMove({"x.wav"}, 100, bottomY);
    EXPECT_EQ(List().getInsertionIndex(), bottomY / CTVListBox::kRowHeight + 1);
    EXPECT_TRUE(List().isInsertAfter());
    List().fileDragExit({"x.wav"});
}

// Held 3 px above the bottom edge, the list scrolls one row every 100 ms.
TEST_F(SongListBox, ScrollsWhileDraggingNearTheEdge)
{
    Names(40);
    ShowPanel();
    const int y = List().getHeight() - 3;
    List().fileDragEnter({"x.wav"}, 100, y);
    List().fileDragMove({"x.wav"}, 100, y);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(350);
    const int rows = List().getViewport()->getViewPositionY() / CTVListBox::kRowHeight;
    List().fileDragExit({"x.wav"});
    EXPECT_GE(rows, 2);
    EXPECT_LE(rows, 4);
}

// Files: refused over an empty list and in session mode; two files dropped
// from another program onto row 5 are added there in one step.
TEST_F(SongListBox, FilesFromAnotherProgram)
{
    ShowPanel();
    EXPECT_FALSE(List().isInterestedInFileDrag({"a.wav"})) << "an empty list leaves the drop to the window";
    Names(8);
    List().updateContent();
    EXPECT_TRUE(List().isInterestedInFileDrag({"a.wav"}));
    host->SetMode(CTVHost::kSessionMode);
    EXPECT_FALSE(List().isInterestedInFileDrag({"a.wav"}));
    host->SetMode(CTVHost::kPlayerMode);

    const auto one = folder.file("new one.wav");
    const auto two = folder.file("new two.wav");
    qm::test::WriteWav(one, 44100, 2, 4410, false, [](int, int) { return 0.1f; });
    qm::test::WriteWav(two, 44100, 2, 4410, false, [](int, int) { return 0.1f; });
    juce::ChildProcess source;
    juce::StringArray command;
    command.addArray({juce::String(QM_DRAG_SOURCE), juce::String("700"), juce::String("100"),
                      juce::String(one.string()), juce::String(two.string())});
    ASSERT_TRUE(source.start(command, 0));
    ASSERT_FALSE(xinput::findWindow("QmDragSource").empty());
    ASSERT_TRUE(xinput::moveToScreen({750, 150}));
    ASSERT_TRUE(xinput::buttonDown());
    for (int step = 1; step <= 8; ++step)
        ASSERT_TRUE(xinput::moveToScreen({750 - step * 70, 150}));
    ASSERT_TRUE(xinput::moveTo(List(), InRow(5)));
    ASSERT_TRUE(xinput::buttonUp());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 10; }, 20));
    EXPECT_EQ(host->GetTrack(5)->getTextField(Tavrel::TrackInfo::kSongName), "new one");
    EXPECT_EQ(host->GetTrack(6)->getTextField(Tavrel::TrackInfo::kSongName), "new two");
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : " + Text("Action_AddAudioFiles"));
    source.waitForProcessToFinish(10000);
}

// Keys: Return plays only in player mode; Delete always invokes the remove
// command; Tab and Shift+Tab move the name editor between rows.
TEST_F(SongListBox, Keys)
{
    OpenDevice(44100.0);
    Names(6);
    ShowPanel();
    Invoked invoked;
    commands->addListener(&invoked);
    host->SetSelection(RowSet({2}), 0);
    qm::test::PumpPosted();
    ASSERT_TRUE(xinput::focus(Row(2)->getLabel(CTVListItem::kNameLabel)));

    host->SetMode(CTVHost::kSessionMode);
    ASSERT_TRUE(xinput::key(*window, "Return"));
    EXPECT_EQ(host->GetCurrentIndexForMode(CTVHost::kPlayerMode), -1) << "Return does nothing in session mode";
    ASSERT_TRUE(xinput::key(*window, "Delete"));
    EXPECT_EQ(invoked.ids, std::vector<int>{Tavrel::kCommandRemoveSongs});
    EXPECT_EQ(host->GetTrackCount(), 6) << "the command's own state refuses it";
    host->SetMode(CTVHost::kPlayerMode);
    ASSERT_TRUE(xinput::focus(Row(2)->getLabel(CTVListItem::kNameLabel)));
    ASSERT_TRUE(xinput::key(*window, "Return"));
    EXPECT_EQ(host->GetCurrentIndex(), 2);

    Row(2)->editName();
    ASSERT_TRUE(xinput::key(*window, "Tab"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Row(3)->getLabel(CTVListItem::kNameLabel).isBeingEdited(); }, 2));
    EXPECT_FALSE(Row(2)->getLabel(CTVListItem::kNameLabel).isBeingEdited());
    ASSERT_TRUE(xinput::key(*window, "shift+Tab"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Row(2)->getLabel(CTVListItem::kNameLabel).isBeingEdited(); }, 2));
    ASSERT_TRUE(xinput::key(*window, "Escape"));

    ASSERT_TRUE(xinput::focus(Row(2)->getLabel(CTVListItem::kNameLabel)));
    ASSERT_TRUE(xinput::key(*window, "Delete"));
    EXPECT_EQ(host->GetTrackCount(), 5);
    commands->removeListener(&invoked);
}
} // namespace
