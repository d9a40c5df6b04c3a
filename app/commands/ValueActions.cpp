#include "app/commands/ValueActions.h"

#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"

using Tavrel::TrackInfo;

namespace
{
constexpr int kTargetCount = 7;
} // namespace

CTVActionChangeValue::CTVActionChangeValue(CTVHost* controller)
    : m_controller(controller)
{
}

void CTVActionChangeValue::setFloatValue(int row, int target, float value)
{
    m_row = row;
    m_target = target;
    m_floatValue = value;
}

void CTVActionChangeValue::setIntValue(int row, int target, int value)
{
    m_row = row;
    m_target = target;
    m_intValue = value;
}

bool CTVActionChangeValue::perform()
{
    // Every target outside 0..6 is refused: the record ignores them, and an
    // action that changes nothing must not become an undo step.
    if (m_controller == nullptr || m_target < 0 || m_target >= kTargetCount)
        return false;
    TrackInfo* record = m_controller->GetTrack(m_row);
    if (record == nullptr)
        return false;
    if (IsFloatTarget(m_target))
    {
        const float old = record->getFloatControl(m_target);
        record->setFloatControl(m_target, m_floatValue);
        m_floatValue = old;
    }
    else
    {
        const int old = record->getIntControl(m_target);
        record->setIntControl(m_target, m_intValue);
        m_intValue = old;
    }
    return true;
}

juce::String CTVActionChangeValue::GetTargetKey(int target)
{
    static const char* const kKeys[kTargetCount] = {
        "ChangeTarget_Gain",        "ChangeTarget_FadeInType", "ChangeTarget_FadeInTime", "ChangeTarget_FadeOutType",
        "ChangeTarget_FadeOutTime", "ChangeTarget_DcCut",      "ChangeTarget_Balance",
    };
    return target >= 0 && target < kTargetCount ? juce::String(kKeys[target]) : juce::String();
}

namespace Tavrel
{
SelectionRetriever::SelectionRetriever(CTVHost* controller)
    : m_controller(controller)
{
}

SelectionRetriever::SelectionRetriever(CTVHost* controller, const juce::Array<int>& rows)
    : m_controller(controller),
      m_captured(true),
      m_rows(rows)
{
}

bool SelectionRetriever::perform()
{
    if ((m_alwaysCapture || !m_captured) && m_controller != nullptr)
    {
        m_rows.clearQuick();
        const juce::SparseSet<int>& selection = m_controller->GetSelection();
        for (int i = 0; i < selection.size(); ++i)
            m_rows.add(selection[i]);
    }
    m_captured = true;
    return true;
}

bool SelectionRetriever::undo()
{
    if (m_controller == nullptr)
        return true;
    juce::SparseSet<int> rows;
    for (int row : m_rows)
        rows.addRange({row, row + 1});
    m_controller->SetSelection(rows, 0);
    return true;
}

bool changeSelectedValues(CommandManager& commands, CTVHost& controller, int target, float value)
{
    const juce::String key = CTVActionChangeValue::GetTargetKey(target);
    if (key.isEmpty())
        return false;
    const juce::String name = CBJXResource::GetString("Action_Change").replace("%1", CBJXResource::GetString(key));
    const juce::SparseSet<int> selection = controller.GetSelection();
    if (selection.isEmpty() || !commands.performUndoable(new SelectionRetriever(&controller), true, name))
        return false;
    bool changed = false;
    for (int i = 0; i < selection.size(); ++i)
    {
        auto* action = new CTVActionChangeValue(&controller);
        if (CTVActionChangeValue::IsFloatTarget(target))
            action->setFloatValue(selection[i], target, value);
        else
            action->setIntValue(selection[i], target, static_cast<int>(value));
        changed = commands.performUndoable(action, false, {}) || changed;
    }
    return changed;
}

bool applyNormalizedGains(CommandManager& commands, CTVHost& controller, const juce::SparseSet<int>& rows)
{
    const juce::String name = CBJXResource::GetString("Action_ApplyNormalizedGain");
    bool first = true;
    for (int i = 0; i < rows.size(); ++i)
    {
        TrackInfo* record = controller.GetTrack(rows[i]);
        if (record == nullptr)
            continue;
        auto* action = new CTVActionChangeValue(&controller);
        action->setFloatValue(rows[i], TrackInfo::kGain, record->getEffectiveGain());
        if (commands.performUndoable(action, first, first ? name : juce::String()))
            first = false;
    }
    return !first;
}
} // namespace Tavrel
