#pragma once

#include <juce_data_structures/juce_data_structures.h>

class CTVHost;

// One change of one control value of one song: performing swaps the stored
// value with the song's, so undo is the same swap again. Targets are those of
// the song record (0 gain, 1 fade-in type, 2 fade-in time, 3 fade-out type,
// 4 fade-out time, 5 DC cut, 6 balance); the record rounds and clamps.
class CTVActionChangeValue : public juce::UndoableAction
{
public:
    explicit CTVActionChangeValue(CTVHost* controller);

    void setFloatValue(int row, int target, float value);
    void setIntValue(int row, int target, int value);

    // False when the row holds no song or the target is outside 0..6.
    bool perform() override;
    bool undo() override { return perform(); }

    // The UI-string key of a target's name; empty for another target.
    static juce::String GetTargetKey(int target);
    // Targets 0, 2, 4 and 6 hold floats.
    static bool IsFloatTarget(int target) { return target % 2 == 0; }

private:
    CTVHost* m_controller;
    int m_row = -1;
    int m_target = -1;
    int m_intValue = 0;
    float m_floatValue = 0.0f;
};

namespace Tavrel
{
// Performed first in a transaction, it takes the controller's selection as
// it was before the edits that follow; undone last, it brings it back.
class SelectionRetriever : public juce::UndoableAction
{
public:
    explicit SelectionRetriever(CTVHost* controller);
    SelectionRetriever(CTVHost* controller, const juce::Array<int>& rows);

    bool perform() override;
    bool undo() override;

private:
    CTVHost* m_controller;
    bool m_captured = false;
    bool m_alwaysCapture = false; // no code sets it
    juce::Array<int> m_rows;
};

class CommandManager;

// One undo step that sets one control target of every selected song: a
// selection retriever named "Change <target>", then one value action per
// selected row. False when nothing was changed.
bool changeSelectedValues(CommandManager& commands, CTVHost& controller, int target, float value);
// One undo step that loads the detected normalise gains of the rows (each
// song's effective gain as its gain), named "Action_ApplyNormalizedGain".
bool applyNormalizedGains(CommandManager& commands, CTVHost& controller, const juce::SparseSet<int>& rows);
} // namespace Tavrel
