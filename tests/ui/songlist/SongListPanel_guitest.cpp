#include <gtest/gtest.h>

#include "app/songlist/SongListFile.h"
#include "tests/ui/songlist/SongListFixture.h"

using qm::test::RowSet;
namespace xinput = qm::test::xinput;

namespace
{
class SongListPanel : public qm::test::SongListFixture
{
protected:
    // Stereo songs, then mono ones.
    void Make(int stereo, int mono = 0)
    {
        for (int i = 0; i < stereo + mono; ++i)
        {
            AddSong("s" + std::to_string(i) + ".wav", 0.05, 44100, i < stereo ? 2 : 1);
            host->tracks.back()->setTextField("song " + juce::String(i), Tavrel::TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
    }
    void Select(std::initializer_list<int> rows)
    {
        host->SetSelection(RowSet(rows), 0);
        qm::test::PumpPosted();
    }
    LabelWithInlineEditor& Field(int field) { return panel->getLabel(field); }
    // Types into a field's editor and presses Return, as a user would.
    void Type(int field, const std::string& text)
    {
        Field(field).showEditor();
        qm::test::PumpPosted();
        ASSERT_TRUE(Field(field).isBeingEdited());
        ASSERT_TRUE(xinput::key(*window, "ctrl+a BackSpace"));
        if (!text.empty())
        {
            ASSERT_TRUE(xinput::type(*window, text));
        }
        ASSERT_TRUE(xinput::key(*window, "Return"));
    }
    Tavrel::TrackInfo& Song(int row) { return *host->GetTrack(row); }
};

TEST_F(SongListPanel, TheBalanceField)
{
    Make(2, 1);
    Song(0).balance = 0.3f;
    Song(1).balance = -0.25f;
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    for (const auto& [row, shown] : {std::pair{0, "R30"}, std::pair{1, "L25"}, std::pair{2, "C"}})
    {
        Select({row});
        EXPECT_EQ(Field(CTVLayerList::kBalanceField).getText(), shown) << row;
    }
    EXPECT_FALSE(Field(CTVLayerList::kBalanceField).isEnabled()) << "a mono song in the selection";

    Select({0, 1});
    EXPECT_TRUE(Field(CTVLayerList::kBalanceField).isEnabled());
    EXPECT_EQ(Field(CTVLayerList::kBalanceField).getText(), "");
    Type(CTVLayerList::kBalanceField, "L30");
    EXPECT_FLOAT_EQ(Song(0).balance, -0.30f);
    EXPECT_FLOAT_EQ(Song(1).balance, -0.30f);
    EXPECT_EQ(Field(CTVLayerList::kBalanceField).getText(), "L30");
    Type(CTVLayerList::kBalanceField, "C");
    EXPECT_EQ(Song(0).balance, 0.0f);
    EXPECT_EQ(Song(1).balance, 0.0f);
    EXPECT_EQ(Field(CTVLayerList::kBalanceField).getText(), "C");

    // Characters outside the field's set are refused by the editor.
    Field(CTVLayerList::kGainField).showEditor();
    ASSERT_TRUE(xinput::key(*window, "ctrl+a BackSpace"));
    ASSERT_TRUE(xinput::type(*window, "x1y"));
    EXPECT_EQ(Field(CTVLayerList::kGainField).getCurrentTextEditor()->getText(), "1");
    ASSERT_TRUE(xinput::key(*window, "Escape"));
}

// Differing gains show an empty field; Return in it changes nothing; a typed
// value goes to every selected song in one undo step that also brings the
// selection back.
TEST_F(SongListPanel, TypingAGain)
{
    Make(3);
    Song(0).gain = -3.0f;
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    Select({0, 1});
    EXPECT_EQ(Field(CTVLayerList::kGainField).getText(), "");
    Type(CTVLayerList::kGainField, "");
    EXPECT_EQ(Song(0).gain, -3.0f) << "Return in an empty field overwrites nothing";
    EXPECT_EQ(Song(1).gain, 0.0f);
    EXPECT_EQ(commands->getNumTransactions(), 0);

    Type(CTVLayerList::kGainField, "2");
    EXPECT_FLOAT_EQ(Song(0).gain, 2.0f);
    EXPECT_FLOAT_EQ(Song(1).gain, 2.0f);
    EXPECT_EQ(Field(CTVLayerList::kGainField).getText(), "+2.0");
    ASSERT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(),
              Text("Menu_Item_Undo") + " : " + Text("Action_Change").replace("%1", Text("ChangeTarget_Gain")));
    Select({2});
    ASSERT_TRUE(commands->undo());
    EXPECT_FLOAT_EQ(Song(0).gain, -3.0f);
    EXPECT_FLOAT_EQ(Song(1).gain, 0.0f);
    EXPECT_EQ(host->GetSelection(), RowSet({0, 1}));

    // Text that is not a number reads as 0.
    Select({0});
    Type(CTVLayerList::kGainField, ".");
    EXPECT_EQ(Song(0).gain, 0.0f);
    EXPECT_EQ(Field(CTVLayerList::kGainField).getText(), "0.0");
}

// Dragging a field: 25 px up adds 2.5 dB in one undo step, the controller
// does not move on meanwhile, and the recovery copy holds the final value.
TEST_F(SongListPanel, DraggingValues)
{
    Make(2);
    ShowPanel();
    ASSERT_TRUE(xinput::focusWindow(*window));
    Select({0});
    LabelWithInlineEditor& gain = Field(CTVLayerList::kGainField);
    const juce::Point<int> centre = gain.getLocalBounds().getCentre();
    ASSERT_TRUE(xinput::moveTo(gain, centre));
    ASSERT_TRUE(xinput::buttonDown());
    bool advanceDuringDrag = true;
    for (int dy = 5; dy <= 25; dy += 5)
    {
        ASSERT_TRUE(xinput::moveTo(gain, centre.translated(0, -dy)));
        advanceDuringDrag = advanceDuringDrag && panel->canAdvanceToNextTrack(host);
        // Held still for longer than the recovery save's delay: the save
        // then catches a value of the middle of the drag.
        if (dy == 10)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(700);
    }
    EXPECT_FALSE(advanceDuringDrag);
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_TRUE(panel->canAdvanceToNextTrack(host));
    EXPECT_FLOAT_EQ(Song(0).gain, 2.5f);
    EXPECT_EQ(gain.getText(), "+2.5");
    EXPECT_EQ(commands->getNumTransactions(), 1);

    // The recovery copy catches the value the drag ended with.
    const juce::File backup(host->GetBackupPath());
    float saved = 0.0f;
    ASSERT_TRUE(qm::test::PumpUntil(
        [&] {
            const auto document = Tavrel::loadSongListDocument(backup);
            if (document == nullptr)
                return false;
            for (const auto* element : document->getChildIterator())
            {
                Tavrel::TrackInfo record;
                juce::String error;
                if (Tavrel::readTrackElement(record, *element, backup.getParentDirectory(), error))
                {
                    saved = record.gain;
                    return saved == 2.5f;
                }
            }
            return false;
        },
        1))
        << "the recovery file holds " << saved;
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(Song(0).gain, 0.0f);

    // The balance 10 px down and back up: centre again.
    LabelWithInlineEditor& balance = Field(CTVLayerList::kBalanceField);
    const juce::Point<int> middle = balance.getLocalBounds().getCentre();
    ASSERT_TRUE(xinput::moveTo(balance, middle));
    ASSERT_TRUE(xinput::buttonDown());
    ASSERT_TRUE(xinput::moveTo(balance, middle.translated(0, 10)));
    EXPECT_EQ(balance.getText(), "L10");
    ASSERT_TRUE(xinput::moveTo(balance, middle));
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_EQ(balance.getText(), "C");
}

TEST_F(SongListPanel, FadeButtonsAndEmptySelection)
{
    Make(3);
    Song(0).fadeInType = 1;
    Song(1).fadeInType = 2;
    ShowPanel();
    Select({0, 1});
    EXPECT_EQ(panel->getFadeButton(0).getState(), 3) << "mixed";
    panel->clicked(&panel->getFadeButton(0));
    EXPECT_EQ(Song(0).fadeInType, 0);
    EXPECT_EQ(Song(1).fadeInType, 0);
    for (const int expected : {1, 2, 0})
    {
        panel->clicked(&panel->getFadeButton(0));
        EXPECT_EQ(Song(0).fadeInType, expected);
        EXPECT_EQ(Song(1).fadeInType, expected);
    }
    EXPECT_EQ(Song(2).fadeInType, 0);

    Select({});
    for (int field = 0; field < 4; ++field)
    {
        EXPECT_EQ(Field(field).getText(), "") << field;
        EXPECT_FALSE(Field(field).isEnabled()) << field;
    }
    EXPECT_FALSE(panel->getFadeButton(0).isEnabled());
    EXPECT_FALSE(panel->getCommandButton(CTVLayerList::kRemoveButton).isEnabled());
    EXPECT_TRUE(panel->getCommandButton(CTVLayerList::kAddButton).isEnabled());
    Select({1});
    EXPECT_TRUE(panel->getCommandButton(CTVLayerList::kRemoveButton).isEnabled());
}

// In session mode the command buttons are off and a gain with a detected
// normalise gain is drawn blue; repeat and play mode set the controller.
TEST_F(SongListPanel, SessionModeAndPlayButtons)
{
    Make(2);
    Song(0).normalizeGainValid = true;
    Song(0).normalizeGain = 1.26f;
    ShowPanel();
    Select({0});
    EXPECT_EQ(Field(CTVLayerList::kGainField).findColour(juce::Label::textColourId), juce::Colours::black);
    host->SetMode(CTVHost::kSessionMode);
    qm::test::PumpPosted();
    for (int button = 0; button < 5; ++button)
        EXPECT_FALSE(panel->getCommandButton(button).isEnabled()) << button;
    EXPECT_EQ(Field(CTVLayerList::kGainField).getText(), "+1.2");
    EXPECT_EQ(Field(CTVLayerList::kGainField).findColour(juce::Label::textColourId).getARGB(),
              CTVLayerList::kNormalizedGainColour);
    host->SetMode(CTVHost::kPlayerMode);
    qm::test::PumpPosted();
    EXPECT_TRUE(panel->getCommandButton(CTVLayerList::kAddButton).isEnabled());

    panel->getRepeatButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_TRUE(host->GetRepeat());
    EXPECT_EQ(panel->getRepeatButton().getState(), 1);
    for (const int mode : {1, 2, 0})
    {
        panel->getPlayModeButton().triggerClick();
        qm::test::PumpPosted();
        EXPECT_EQ(host->GetPlayMode(), mode);
    }
    panel->getRepeatButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_FALSE(host->GetRepeat());
}
} // namespace
