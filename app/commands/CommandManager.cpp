#include "app/commands/CommandManager.h"

#include "app/core/CBJXResource.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFile.h"

namespace Tavrel
{
namespace
{
// Clears a flag on every way out of a scope.
class BusyScope
{
public:
    explicit BusyScope(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};
} // namespace

CommandManager::CommandManager() = default;

CommandManager::~CommandManager()
{
    stopTimer();
    clearUndoHistory();
}

void CommandManager::beep()
{
    UiServices::get().beep();
}

void CommandManager::tellController()
{
    if (CTVHost* host = CTVHost::GetStoredInstance())
        host->MarkSongListChanged(isModified());
}

void CommandManager::discardRedoSteps()
{
    if (m_done >= m_history.size())
        return;
    // The saved state lies among the discarded steps when the count is
    // below 0: the list can no longer come back to it.
    if (m_changesSinceSaved < 0)
        m_savedOutOfReach = true;
    m_history.erase(m_history.begin() + static_cast<long>(m_done), m_history.end());
}

void CommandManager::trimHistory()
{
    int units = 0;
    for (const Transaction& t : m_history)
        units += t.units;
    while (units > kMaxUnits && m_history.size() > static_cast<size_t>(kMinTransactions) && m_done > 1)
    {
        units -= m_history.front().units;
        m_history.erase(m_history.begin());
        --m_done;
    }
}

bool CommandManager::performUndoable(juce::UndoableAction* action, bool beginNew, const juce::String& name)
{
    std::unique_ptr<juce::UndoableAction> owned(action);
    if (owned == nullptr)
        return false;
    if (m_busy)
    {
        // A perform from inside another (a message delivered by a modal loop
        // that runs within a perform) would land in the middle of its step.
        beep();
        return false;
    }
    stopTimer();
    if (beginNew)
    {
        m_transactionOpen = false;
        m_pendingName = name;
        m_actionsInTransaction = 0;
    }
    else if (name.isNotEmpty())
    {
        if (m_transactionOpen && m_done > 0)
            m_history[m_done - 1].name = name;
        else
            m_pendingName = name;
    }

    bool performed = false;
    {
        const BusyScope busy(m_busy);
        performed = owned->perform();
    }
    if (!performed)
        return false;

    if (!m_transactionOpen)
    {
        discardRedoSteps();
        m_history.push_back(Transaction{m_pendingName, {}, 0});
        m_done = m_history.size();
        m_transactionOpen = true;
    }
    Transaction& current = m_history[m_done - 1];
    current.units += owned->getSizeInUnits();
    current.actions.push_back(std::move(owned));
    trimHistory();
    if (++m_actionsInTransaction == 1)
    {
        ++m_changesSinceSaved;
        tellController();
    }
    startTimer(kAutoSaveDelayMs);
    return true;
}

bool CommandManager::undo()
{
    if (m_busy || m_done == 0)
    {
        beep();
        return false;
    }
    bool ok = true;
    {
        const BusyScope busy(m_busy);
        auto& actions = m_history[m_done - 1].actions;
        for (auto it = actions.rbegin(); it != actions.rend() && ok; ++it)
            ok = (*it)->undo();
    }
    m_transactionOpen = false;
    m_actionsInTransaction = 0;
    if (!ok)
        return failStep();
    --m_done;
    --m_changesSinceSaved;
    tellController();
    startTimer(kAutoSaveDelayMs);
    return true;
}

bool CommandManager::redo()
{
    if (m_busy || m_done >= m_history.size())
    {
        beep();
        return false;
    }
    bool ok = true;
    {
        const BusyScope busy(m_busy);
        for (auto& action : m_history[m_done].actions)
        {
            ok = action->perform();
            if (!ok)
                break;
        }
    }
    m_transactionOpen = false;
    m_actionsInTransaction = 0;
    if (!ok)
        return failStep();
    ++m_done;
    ++m_changesSinceSaved;
    tellController();
    startTimer(kAutoSaveDelayMs);
    return true;
}

bool CommandManager::failStep()
{
    // The list is somewhere between two steps: no step can be trusted, and
    // the saved state is out of reach.
    clearUndoHistory();
    m_savedOutOfReach = true;
    tellController();
    beep();
    return false;
}

juce::String CommandManager::getUndoText() const
{
    juce::String text = CBJXResource::GetString("Menu_Item_Undo");
    if (m_done > 0 && m_history[m_done - 1].name.isNotEmpty())
        text << " : " << m_history[m_done - 1].name;
    return text;
}

juce::String CommandManager::getRedoText() const
{
    juce::String text = CBJXResource::GetString("Menu_Item_Redo");
    if (m_done < m_history.size() && m_history[m_done].name.isNotEmpty())
        text << " : " << m_history[m_done].name;
    return text;
}

void CommandManager::clearUndoHistory()
{
    m_history.clear();
    m_done = 0;
    m_transactionOpen = false;
    m_actionsInTransaction = 0;
}

void CommandManager::resetAfterOpen()
{
    clearUndoHistory();
    m_changesSinceSaved = 0;
    m_savedOutOfReach = false;
    tellController();
}

void CommandManager::resetAfterSave()
{
    m_changesSinceSaved = 0;
    m_savedOutOfReach = false;
    // The next edit is a step of its own, counted against the saved state.
    m_transactionOpen = false;
    m_actionsInTransaction = 0;
    tellController();
}

void CommandManager::noteDirectChanges()
{
    if (m_changesSinceSaved == 0)
        ++m_changesSinceSaved;
    tellController();
    startTimer(kAutoSaveDelayMs);
}

void CommandManager::timerCallback()
{
    stopTimer();
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr || host->tracks.empty() || host->GetBackupPath().isEmpty())
        return;
    // Failures leave the previous recovery file; there is no one to tell.
    (void)writeSongListFile(host->tracks, juce::File(host->GetBackupPath()));
}
} // namespace Tavrel
