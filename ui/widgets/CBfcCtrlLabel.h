#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

// A label that hands its mouse events and the events of its in-place editor
// to its CBfcComponentListener. Mouse move, exit, down and drag go to the
// listener only; mouse up and double-click go to the listener first and get
// the label's own handling when the listener returns false. Mouse enter is
// not forwarded. Group 0, id 0, no listener. Message thread only.
class CBfcCtrlLabel : public juce::Label, public CBfcComponent
{
public:
    CBfcCtrlLabel(const juce::String& name, const juce::String& text);

    void mouseMove(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;

protected:
    // The label's own handling of the editor's events, then the listener's
    // textChanged, returnKeyPressed or escapeKeyPressed.
    void textEditorTextChanged(juce::TextEditor& editor) override;
    void textEditorReturnKeyPressed(juce::TextEditor& editor) override;
    void textEditorEscapeKeyPressed(juce::TextEditor& editor) override;
    // The user's edit was taken: textEdited to the listener.
    void textWasEdited() override;

    // True when the label and its parent (if any) are enabled.
    bool isEnabledWithParent() const;
};
