#include <gtest/gtest.h>

#include "app/commands/CommandManager.h"
#include "app/commands/ValueActions.h"
#include "app/core/CBJXResource.h"
#include "app/songlist/SongListFile.h"
#include "tests/app/commands/CommandsFixture.h"

using Tavrel::CommandManager;
using Tavrel::TrackInfo;

namespace
{
// An action that counts into a log, and can be told to fail.
class LoggedAction : public juce::UndoableAction
{
public:
    LoggedAction(std::vector<std::string>& log, std::string name, bool succeeds = true)
        : m_log(log),
          m_name(std::move(name)),
          m_succeeds(succeeds)
    {
        ++alive;
    }
    ~LoggedAction() override { --alive; }
    bool perform() override
    {
        m_log.push_back("do " + m_name);
        return m_succeeds;
    }
    bool undo() override
    {
        m_log.push_back("undo " + m_name);
        return undoSucceeds;
    }
    bool undoSucceeds = true;
    static inline int alive = 0;

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    bool m_succeeds;
};

class Commands : public qm::test::CommandsFixture
{
protected:
    bool Perform(const std::string& name, bool beginNew = true, bool succeeds = true)
    {
        return commands->performUndoable(new LoggedAction(log, name, succeeds), beginNew, juce::String(name));
    }

    std::vector<std::string> log;
};

TEST_F(Commands, TransactionsAndTheCount)
{
    EXPECT_TRUE(Perform("a"));
    EXPECT_TRUE(commands->performUndoable(new LoggedAction(log, "b"), false, {}));
    EXPECT_EQ(commands->getChangesSinceSaved(), 1) << "two actions, one step";
    EXPECT_TRUE(host->IsModified());
    log.clear();
    EXPECT_TRUE(commands->undo());
    EXPECT_EQ(log, (std::vector<std::string>{"undo b", "undo a"}));
    EXPECT_EQ(commands->getChangesSinceSaved(), 0);
    EXPECT_FALSE(host->IsModified());
    EXPECT_TRUE(commands->redo());

    // perform, perform, undo: 1; a save: 0; a further undo: -1, modified.
    commands->resetAfterOpen();
    Perform("x");
    Perform("y");
    commands->undo();
    EXPECT_EQ(commands->getChangesSinceSaved(), 1);
    commands->resetAfterSave();
    EXPECT_FALSE(host->IsModified());
    commands->undo();
    EXPECT_EQ(commands->getChangesSinceSaved(), -1);
    EXPECT_TRUE(host->IsModified());

    // A new edit discards the step that led back to the saved state: the
    // list stays modified whatever is undone or redone until the next save.
    Perform("z");
    EXPECT_EQ(commands->getChangesSinceSaved(), 0);
    EXPECT_TRUE(host->IsModified());
    while (commands->undo())
        EXPECT_TRUE(host->IsModified());
    while (commands->redo())
        EXPECT_TRUE(host->IsModified());
    commands->resetAfterSave();
    EXPECT_FALSE(host->IsModified());
}

TEST_F(Commands, RefusalsChangeNothing)
{
    EXPECT_TRUE(Perform("a"));
    const int alive = LoggedAction::alive;
    EXPECT_FALSE(commands->performUndoable(new LoggedAction(log, "fails", false), false, {}));
    EXPECT_EQ(LoggedAction::alive, alive) << "the failed action is deleted at once";
    EXPECT_EQ(commands->getChangesSinceSaved(), 1);
    EXPECT_EQ(commands->getNumTransactions(), 1);

    // Undo with nothing to undo: a beep, false, no auto-save.
    commands->resetAfterOpen();
    AddSong("a.wav", 0.2);
    const int beeps = ui.beeps;
    EXPECT_FALSE(commands->undo());
    EXPECT_EQ(ui.beeps, beeps + 1);
    qm::test::PumpUntil([] { return false; }, 1);
    EXPECT_FALSE(juce::File(host->GetBackupPath()).exists());

    // A step whose undo fails: false, a beep, the list stays modified.
    commands->resetAfterOpen();
    auto* fragile = new LoggedAction(log, "fragile");
    fragile->undoSucceeds = false;
    commands->performUndoable(fragile, true, "Fragile");
    EXPECT_FALSE(commands->undo());
    EXPECT_EQ(ui.beeps, beeps + 2);
    EXPECT_TRUE(host->IsModified());
    EXPECT_FALSE(commands->canUndo());
}

TEST_F(Commands, MenuTexts)
{
    EXPECT_EQ(commands->getUndoText(), CBJXResource::GetString("Menu_Item_Undo"));
    Perform("Remove Songs");
    EXPECT_EQ(commands->getUndoText(), CBJXResource::GetString("Menu_Item_Undo") + " : Remove Songs");
    commands->undo();
    EXPECT_EQ(commands->getRedoText(), CBJXResource::GetString("Menu_Item_Redo") + " : Remove Songs");
}

// The recovery copy is written half a second after the last edit, and an
// edit meanwhile puts it off; an empty list is not written.
TEST_F(Commands, AutoSave)
{
    AddSong("a.wav", 0.2);
    const juce::File backup(host->GetBackupPath());
    Perform("one");
    juce::Thread::sleep(400);
    Perform("two");
    const auto second = std::chrono::steady_clock::now();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return backup.existsAsFile(); }, 5));
    EXPECT_GE(std::chrono::steady_clock::now() - second, std::chrono::milliseconds(450));
    EXPECT_NE(Tavrel::loadSongListDocument(backup), nullptr);

    backup.deleteFile();
    host->RemoveTracks(0, true, true, true);
    Perform("three");
    qm::test::PumpUntil([] { return false; }, 1);
    EXPECT_FALSE(backup.exists());
}

TEST_F(Commands, TheHistoryKeepsThreeThousandSteps)
{
    for (int i = 0; i < 3001; ++i)
        ASSERT_TRUE(Perform("s"));
    int undone = 0;
    while (commands->undo())
        ++undone;
    EXPECT_EQ(undone, 3000);
}

TEST_F(Commands, AnEditDuringAnotherIsRefused)
{
    // An action whose perform tries to perform another (as a message
    // delivered by a modal loop inside a perform would).
    class Nesting : public juce::UndoableAction
    {
    public:
        explicit Nesting(CommandManager& c)
            : m_commands(c)
        {
        }
        bool perform() override
        {
            nestedResult = m_commands.performUndoable(new Nesting(m_commands), true, "inner");
            return true;
        }
        bool undo() override { return true; }
        bool nestedResult = true;

    private:
        CommandManager& m_commands;
    };
    auto* outer = new Nesting(*commands);
    const int beeps = ui.beeps;
    EXPECT_TRUE(commands->performUndoable(outer, true, "outer"));
    EXPECT_FALSE(outer->nestedResult);
    EXPECT_EQ(ui.beeps, beeps + 1);
    EXPECT_EQ(commands->getNumTransactions(), 1);
}

TEST_F(Commands, ValueChanges)
{
    for (int i = 0; i < 3; ++i)
        AddSong("s" + std::to_string(i) + ".wav", 0.2);
    struct Case
    {
        int target;
        float value;
        float stored;
    };
    const Case cases[] = {
        {TrackInfo::kGain, 1.26f, 1.3f}, {TrackInfo::kGain, -1.25f, -1.3f}, {TrackInfo::kGain, 75.0f, 60.0f},
        {TrackInfo::kFadeInType, 5, 2},  {TrackInfo::kDcCut, 7, 1},
    };
    for (const Case& c : cases)
    {
        auto* action = new CTVActionChangeValue(host);
        if (CTVActionChangeValue::IsFloatTarget(c.target))
            action->setFloatValue(0, c.target, c.value);
        else
            action->setIntValue(0, c.target, static_cast<int>(c.value));
        ASSERT_TRUE(commands->performUndoable(action, true, "change"));
        const float stored = CTVActionChangeValue::IsFloatTarget(c.target)
                                 ? host->GetTrack(0)->getFloatControl(c.target)
                                 : static_cast<float>(host->GetTrack(0)->getIntControl(c.target));
        EXPECT_FLOAT_EQ(stored, c.stored) << c.target << " " << c.value;
    }
    // perform, undo, perform leaves the new value.
    auto* gain = new CTVActionChangeValue(host);
    gain->setFloatValue(1, TrackInfo::kGain, -3.0f);
    ASSERT_TRUE(commands->performUndoable(gain, true, "gain"));
    commands->undo();
    EXPECT_FLOAT_EQ(host->GetTrack(1)->getFloatControl(TrackInfo::kGain), 0.0f);
    commands->redo();
    EXPECT_FLOAT_EQ(host->GetTrack(1)->getFloatControl(TrackInfo::kGain), -3.0f);

    // A batch over three rows: one undo restores the values and the selection.
    host->SelectRange(3, 0, 0);
    ASSERT_TRUE(Tavrel::changeSelectedValues(*commands, *host, TrackInfo::kBalance, 0.5f));
    host->SelectRange(1, 2, 0);
    for (int row = 0; row < 3; ++row)
        EXPECT_FLOAT_EQ(host->GetTrack(row)->getFloatControl(TrackInfo::kBalance), 0.5f);
    EXPECT_EQ(
        commands->getUndoText(),
        CBJXResource::GetString("Menu_Item_Undo") + " : " +
            CBJXResource::GetString("Action_Change").replace("%1", CBJXResource::GetString("ChangeTarget_Balance")));
    ASSERT_TRUE(commands->undo());
    for (int row = 0; row < 3; ++row)
        EXPECT_FLOAT_EQ(host->GetTrack(row)->getFloatControl(TrackInfo::kBalance), 0.0f);
    EXPECT_EQ(host->GetSelection().size(), 3);

    // Refused: a row outside the list, targets -1 and 7; no step, no count.
    const int steps = commands->getNumTransactions();
    const int count = commands->getChangesSinceSaved();
    for (const auto& [row, target] : {std::pair{5, 0}, std::pair{0, -1}, std::pair{0, 7}})
    {
        auto* refused = new CTVActionChangeValue(host);
        refused->setFloatValue(row, target, 1.0f);
        EXPECT_FALSE(commands->performUndoable(refused, true, "refused"));
    }
    EXPECT_EQ(commands->getNumTransactions(), steps);
    EXPECT_EQ(commands->getChangesSinceSaved(), count);

    const char* keys[] = {"ChangeTarget_Gain",        "ChangeTarget_FadeInType",  "ChangeTarget_FadeInTime",
                          "ChangeTarget_FadeOutType", "ChangeTarget_FadeOutTime", "ChangeTarget_DcCut",
                          "ChangeTarget_Balance"};
    for (int t = 0; t < 7; ++t)
        EXPECT_EQ(CTVActionChangeValue::GetTargetKey(t), keys[t]);
    EXPECT_EQ(CTVActionChangeValue::GetTargetKey(-1), "");
    EXPECT_EQ(CTVActionChangeValue::GetTargetKey(7), "");
}
} // namespace
