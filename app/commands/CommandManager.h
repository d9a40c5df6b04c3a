#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

#include "app/core/CBJXSingleton.h"

namespace Tavrel
{
// The one object through which every command and every edit of the song list
// passes: the framework's command manager, the history of performed actions
// (undo and redo by transaction), the count of edits since the list was
// opened, saved or cleared (which tells the controller whether the list is
// modified), and a one-shot timer that writes the recovery copy of the list
// half a second after the last edit.
//
// The history is kept here rather than in the framework's undo manager, whose
// behaviour differs where it matters: redo steps that a new perform discards
// are deleted at once (with the records they hold); an undo or redo whose
// action fails answers false; every undo and redo closes the transaction.
//
// Message thread only. While a perform, undo or redo runs (an add of songs
// runs a modal window inside its perform), further performs, undos and redos
// are refused: isBusy() says so.
class CommandManager : public juce::ApplicationCommandManager, private juce::Timer, public CBJXSingleton<CommandManager>
{
public:
    static constexpr int kMaxUnits = 30000;
    static constexpr int kMinTransactions = 30;
    static constexpr int kAutoSaveDelayMs = 500;

    CommandManager();
    ~CommandManager() override;

    // Takes the action over in every case and performs it. beginNew starts a
    // new transaction named `name`; otherwise a non-empty name renames the
    // current one. False (the action deleted, nothing counted) when it fails
    // or while another perform, undo or redo runs.
    bool performUndoable(juce::UndoableAction* action, bool beginNew, const juce::String& name);
    // False, with a beep, when there is nothing to undo or redo, while busy,
    // or when an action of the step fails (the history is then cleared and
    // the list stays modified until the next save, open or New).
    bool undo();
    bool redo();
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_history.size(); }
    // "Undo" or "Undo : <step name>" (the texts of the process's language).
    juce::String getUndoText() const;
    juce::String getRedoText() const;

    int getChangesSinceSaved() const { return m_changesSinceSaved; }
    int getActionsInTransaction() const { return m_actionsInTransaction; }
    int getNumTransactions() const { return static_cast<int>(m_history.size()); }
    bool isModified() const { return m_changesSinceSaved != 0 || m_savedOutOfReach; }
    bool isBusy() const { return m_busy; }

    // Changes made to the list outside performUndoable (the later steps of a
    // value dragged with the mouse, which join the undo step of the first):
    // the list stays marked modified and the recovery copy is written again
    // after the usual delay, without another undo step.
    void noteDirectChanges();

    // After New or opening a list: no history, nothing modified.
    void resetAfterOpen();
    // After a save: nothing modified; the history stays (an undo modifies the
    // list again).
    void resetAfterSave();
    void clearUndoHistory();

private:
    struct Transaction
    {
        juce::String name;
        std::vector<std::unique_ptr<juce::UndoableAction>> actions;
        int units = 0;
    };

    void timerCallback() override;
    void tellController();
    void beep();
    // Deletes the redo steps; the saved state goes out of reach when it was
    // among them.
    void discardRedoSteps();
    void trimHistory();
    // An undo or redo whose action failed: always false.
    bool failStep();

    std::vector<Transaction> m_history;
    size_t m_done = 0; // transactions [0, m_done) can be undone
    bool m_transactionOpen = false;
    juce::String m_pendingName;
    int m_changesSinceSaved = 0;
    int m_actionsInTransaction = 0;
    // The saved state was discarded or lost: modified until the next reset.
    bool m_savedOutOfReach = false;
    bool m_busy = false;
};
} // namespace Tavrel
