#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The text editor of in-place edits. It has no undo or redo of its own: the
// undo and redo keys do nothing in it (and so do not reach the application's
// undo either), and its context menu offers no undo or redo.
class UndoDisabledTextEditor : public juce::TextEditor
{
public:
    UndoDisabledTextEditor();

    void paint(juce::Graphics& g) override;
    bool keyPressed(const juce::KeyPress& key) override;
    void addPopupMenuItems(juce::PopupMenu& menu, const juce::MouseEvent* event) override;
};
