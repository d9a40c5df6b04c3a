#pragma once

#include "ui/widgets/CBfcCtrlLabel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A label edited in place, with an input filter, a length limit and the
// input-method mode of its editor. Every key reaches the parent (keyPressed
// returns false), so Delete with a label focused works on the list. The
// editor opens on a single click or a double-click as the label is set up,
// and when the label gains focus by the Tab key while it is editable at all.
// Message thread only.
class LabelWithInlineEditor : public CBfcCtrlLabel
{
public:
    // Input-method modes of the editor.
    enum class ImeMode
    {
        Off = 0,        // switched off
        Opened = 1,     // switched on and opened
        AsTheUserHas = 2, // switched on and left as it is
    };

    LabelWithInlineEditor(const juce::String& name, const juce::String& text);
    ~LabelWithInlineEditor() override;

    // Stores the maximum length (0 or less: no limit) and the allowed
    // characters (empty: all) and switches the input method off; an open
    // editor takes them at once when called on the message thread.
    void setInputRestrictions(int maxLength, const juce::String& allowedCharacters);
    ImeMode getImeMode() const { return m_imeMode; }

    // The open editor, or null.
    juce::TextEditor* getOpenEditor() const { return getCurrentTextEditor(); }

    // The program-wide choice, false by default and set by start-up: in-place
    // editors are UndoDisabledTextEditors instead of plain text editors.
    static void setUseUndoDisabledEditors(bool use);
    static bool getUseUndoDisabledEditors();

    bool keyPressed(const juce::KeyPress&) override { return false; }
    void focusGained(FocusChangeType cause) override;
    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override;
    void inputAttemptWhenModal() override;
    void paintOverChildren(juce::Graphics& g) override;

protected:
    juce::TextEditor* createEditorComponent() override;
    void textEditorTextChanged(juce::TextEditor& editor) override;
    void textEditorReturnKeyPressed(juce::TextEditor& editor) override;
    void textEditorEscapeKeyPressed(juce::TextEditor& editor) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;

private:
    // Takes the input method away from the editor's window before the
    // editor closes.
    void switchImeOff(juce::TextEditor& editor);

    int m_maxLength = 0;
    juce::String m_allowedCharacters;
    ImeMode m_imeMode = ImeMode::AsTheUserHas;
};

// The keyboard-focus traverser of an in-place edited label: it asks the
// traverser of the label's parent, starting from the label when focus is in the
// label's own editor, and answers a label being edited by its editor.
class LabelKeyboardFocusTraverser : public juce::KeyboardFocusTraverser
{
public:
    LabelKeyboardFocusTraverser(juce::Label& owner, std::unique_ptr<juce::ComponentTraverser> wrapped);

    juce::Component* getNextComponent(juce::Component* current) override;
    juce::Component* getPreviousComponent(juce::Component* current) override;

private:
    juce::Component* startFrom(juce::Component* current) const;
    static juce::Component* editorOf(juce::Component* answer);

    juce::Label& m_owner;
    std::unique_ptr<juce::ComponentTraverser> m_wrapped;
};
