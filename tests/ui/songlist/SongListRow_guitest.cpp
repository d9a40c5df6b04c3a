#include <gtest/gtest.h>

#include "session/manager/ExportManager.h"
#include "session/manager/ExportSession.h"
#include "tests/ui/songlist/SongListFixture.h"

using qm::test::RowSet;
namespace xinput = qm::test::xinput;

namespace
{
class SongListRow : public qm::test::SongListFixture
{
protected:
    // From the name label's centre to a point on its text.
    static constexpr int kOnName = -70;

    void Names(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            AddSong("s" + std::to_string(i) + ".wav", 0.2);
            host->tracks.back()->setTextField("song " + juce::String(i), Tavrel::TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
    }
    bool Editing(int row)
    {
        CTVListItem* item = Row(row);
        return item != nullptr && item->getLabel(CTVListItem::kNameLabel).isBeingEdited();
    }
};

TEST_F(SongListRow, TextsAndTheUnavailableColour)
{
    AddSong("a.wav", 0.5, 44100, 2);
    AddSong("b.wav", 0.5, 48000, 1);
    host->tracks[0]->lengthHours = 1;
    host->tracks[0]->lengthMinutes = 2;
    host->tracks[0]->lengthSeconds = 5.0f; // 3725 s
    host->tracks[1]->lengthHours = 0;
    host->tracks[1]->lengthMinutes = 3;
    host->tracks[1]->lengthSeconds = 5.0f; // 185 s
    ShowPanel();
    struct Case
    {
        int row;
        const char* number;
        const char* length;
        const char* format;
    };
    for (const Case& c : {Case{0, "1", "1:02:05", "WAV (44.1 kHz)"}, Case{1, "2", "3:05", "WAV (48.0 kHz)"}})
    {
        CTVListItem* item = Row(c.row);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->getLabel(CTVListItem::kNumberLabel).getText(), c.number);
        EXPECT_EQ(item->getLabel(CTVListItem::kLengthLabel).getText(), c.length);
        EXPECT_EQ(item->getLabel(CTVListItem::kFormatLabel).getText(), c.format);
        EXPECT_EQ(item->getLabel(CTVListItem::kNameLabel).findColour(juce::Label::textColourId), juce::Colours::black);
    }
    // The file goes: the song cannot be read, its four labels turn red.
    ASSERT_TRUE(std::filesystem::remove(folder.file("b.wav")));
    EXPECT_FALSE(host->tracks[1]->isReadable());
    for (int label = 0; label < 4; ++label)
        EXPECT_EQ(Row(1)->getLabel(label).findColour(juce::Label::textColourId).getARGB(),
                  CTVListItem::kUnavailableColour);
    EXPECT_EQ(Row(0)->getLabel(0).findColour(juce::Label::textColourId), juce::Colours::black);
}

// Clicks through the X server: Ctrl toggles one row, Shift selects a range, a
// press on a selected row of several keeps them until the release.
TEST_F(SongListRow, ClicksSelect)
{
    Names(10);
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    host->SetSelection(RowSet({2, 7}), 0);
    qm::test::PumpPosted();
    ASSERT_EQ(Selected(), RowSet({2, 7}));

    Click(4, CTVListItem::kLengthLabel, "shift");
    EXPECT_EQ(Selected(), RowSet({2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(host->GetSelection(), Selected()) << "the controller follows";

    Click(5, CTVListItem::kLengthLabel, "ctrl");
    EXPECT_EQ(Selected(), RowSet({2, 3, 4, 6, 7})) << "Ctrl+click deselects only that row";
    Click(5, CTVListItem::kLengthLabel, "ctrl");
    EXPECT_EQ(Selected(), RowSet({2, 3, 4, 5, 6, 7}));

    ASSERT_TRUE(xinput::moveTo(*Row(3), LabelPoint(3, CTVListItem::kFormatLabel)));
    ASSERT_TRUE(xinput::buttonDown());
    EXPECT_EQ(Selected(), RowSet({2, 3, 4, 5, 6, 7})) << "the press keeps the selection for a drag";
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_EQ(Selected(), RowSet({3})) << "the release without a drag leaves that row";
}

// The name editor: a first click only selects; a click on the name of the
// single selected row opens it after 300 ms unless the pointer moves; Return
// renames in one undo step; the same name, a clash and leaving by focus.
TEST_F(SongListRow, Renaming)
{
    Names(4);
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    Click(1, CTVListItem::kNameLabel, {}, kOnName);
    EXPECT_EQ(Selected(), RowSet({1}));
    juce::MessageManager::getInstance()->runDispatchLoopUntil(450);
    EXPECT_FALSE(Editing(1)) << "a first click opens no editor";

    Click(1, CTVListItem::kNameLabel, {}, kOnName);
    ASSERT_TRUE(Row(1)->isRenameArmed());
    ASSERT_TRUE(xinput::moveTo(*Row(1), LabelPoint(1, CTVListItem::kNameLabel, kOnName + 4)));
    juce::MessageManager::getInstance()->runDispatchLoopUntil(450);
    EXPECT_FALSE(Editing(1)) << "moving 4 px disarms the rename";

    Click(1, CTVListItem::kNameLabel, {}, kOnName);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Editing(1); }, 2));

    // The same name: no step, no beep.
    const int steps = commands->getNumTransactions();
    ASSERT_TRUE(xinput::key(*window, "Return"));
    EXPECT_FALSE(Editing(1));
    EXPECT_EQ(commands->getNumTransactions(), steps);
    EXPECT_EQ(ui.beeps, 0);

    // A new name by Return: one step "Change Song Name".
    Row(1)->editName();
    ASSERT_TRUE(xinput::key(*window, "ctrl+a"));
    ASSERT_TRUE(xinput::type(*window, "renamed"));
    ASSERT_TRUE(xinput::key(*window, "Return"));
    EXPECT_EQ(host->GetTrack(1)->getTextField(Tavrel::TrackInfo::kSongName), "renamed");
    EXPECT_EQ(commands->getNumTransactions(), steps + 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : " +
                                           Text("Action_Change").replace("%1", Text("ChangeTarget_SongName")));

    // A name another song has: one beep, the old name shown again.
    ui.queue(1);
    Row(1)->editName();
    ASSERT_TRUE(xinput::key(*window, "ctrl+a"));
    ASSERT_TRUE(xinput::type(*window, "song 2"));
    ASSERT_TRUE(xinput::key(*window, "Return"));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(Row(1)->getLabel(CTVListItem::kNameLabel).getText(), "renamed");
    EXPECT_EQ(commands->getNumTransactions(), steps + 1);

    // Leaving the editor by moving the focus renames nothing.
    Row(1)->editName();
    ASSERT_TRUE(xinput::type(*window, "xyz"));
    Row(3)->getLabel(CTVListItem::kLengthLabel).setWantsKeyboardFocus(true);
    Row(3)->getLabel(CTVListItem::kLengthLabel).grabKeyboardFocus();
    qm::test::PumpPosted();
    EXPECT_FALSE(Editing(1));
    EXPECT_EQ(host->GetTrack(1)->getTextField(Tavrel::TrackInfo::kSongName), "renamed");
    EXPECT_EQ(commands->getNumTransactions(), steps + 1);
}

// A double-click plays the row as the only selection; the row menu.
TEST_F(SongListRow, DoubleClickAndTheMenu)
{
    OpenDevice(44100.0);
    Names(5);
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    host->SetSelection(RowSet({0, 1}), 0);
    ASSERT_TRUE(xinput::moveTo(*Row(3), LabelPoint(3, CTVListItem::kLengthLabel)));
    ASSERT_TRUE(xinput::xdotool("click --repeat 2 --delay 60 1"));
    EXPECT_EQ(host->GetCurrentIndex(), 3);
    EXPECT_EQ(Selected(), RowSet({3}));
    EXPECT_EQ(host->GetSelection(), RowSet({3}));
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying);

    // "Play <name>", then the song-list commands the command manager knows,
    // with their own names and states.
    const juce::PopupMenu menu = Row(2)->createMenu();
    std::vector<std::pair<juce::String, bool>> items;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        items.emplace_back(it.getItem().text, it.getItem().isEnabled);
    std::vector<std::pair<juce::String, bool>> expected = {{Text("Menu_Item_PlayThisSong").replace("%1", "song 2"), true}};
    for (const int id : {35, 36, 8, 9, 13, 14, 38, 41})
        if (commands->getCommandForID(id) != nullptr)
            expected.emplace_back(commands->getNameOfCommand(id), Enabled(id));
    EXPECT_EQ(items, expected);
    Row(2)->menuItemChosen(1);
    EXPECT_EQ(host->GetCurrentIndex(), 2);
}

// In session mode the icon of the song being converted animates and shows
// frame 1 once converting ends; in player mode no icon shows.
TEST_F(SongListRow, TheConvertingIcon)
{
    struct FakeSession final : public Tavrel::ExportSession
    {
        const char* getTitleKey() const override { return "Export_Title"; }
        bool start() override { return true; }
        void cancel() override {}
        juce::SparseSet<int> getSongIndices() override { return RowSet({1}); }
        bool isConverting() override { return converting; }
        bool converting = true;
    };
    Names(3);
    Tavrel::ExportManager* exports = Tavrel::ExportManager::GetInstance();
    auto owned = std::make_unique<FakeSession>();
    FakeSession* session = owned.get();
    ASSERT_TRUE(exports->startSession(std::move(owned)));
    ShowPanel();
    host->SetMode(CTVHost::kSessionMode);
    host->SetCurrentTrack(1, false, false);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Row(1)->getIcon().isAnimating(); }, 2));
    EXPECT_TRUE(Row(1)->getIcon().isVisible());
    EXPECT_FALSE(Row(0)->getIcon().isVisible());
    std::vector<int> frames;
    const auto start = juce::Time::getMillisecondCounter();
    while (juce::Time::getMillisecondCounter() - start < 500)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
        if (frames.empty() || frames.back() != Row(1)->getIcon().getShownFrame())
            frames.push_back(Row(1)->getIcon().getShownFrame());
    }
    EXPECT_GE(frames.size(), 3u) << "a new frame every 160 ms";
    EXPECT_LE(frames.size(), 5u);

    session->converting = false;
    host->SetCurrentTrack(2, false, false);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return !Row(1)->getIcon().isAnimating(); }, 2));
    EXPECT_EQ(Row(1)->getIcon().getShownFrame(), 1);

    host->SetMode(CTVHost::kPlayerMode);
    qm::test::PumpPosted();
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(Row(row)->getIcon().isVisible()) << row;
    panel.reset();
    Tavrel::ExportManager::Release();
}
} // namespace
