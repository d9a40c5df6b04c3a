#include "ui/widgets/LabelWithInlineEditor.h"

#include "ui/look/CTVLookAndFeel.h"
#include "ui/widgets/ComponentDresser.h"
#include "ui/widgets/UndoDisabledTextEditor.h"

#include <atomic>

namespace
{
std::atomic<bool> g_useUndoDisabledEditors{false};

bool OnMessageThread()
{
    const juce::MessageManager* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm != nullptr && mm->isThisTheMessageThread();
}

// The label's colours that its editor takes.
constexpr int kEditorColourIds[] = {
    juce::TextEditor::backgroundColourId,     juce::TextEditor::textColourId,
    juce::TextEditor::highlightColourId,      juce::TextEditor::highlightedTextColourId,
    juce::CaretComponent::caretColourId,      juce::TextEditor::outlineColourId,
    juce::TextEditor::focusedOutlineColourId, juce::TextEditor::shadowColourId,
};
} // namespace

LabelWithInlineEditor::LabelWithInlineEditor(const juce::String& name, const juce::String& text)
    : CBfcCtrlLabel(name, text)
{
}

LabelWithInlineEditor::~LabelWithInlineEditor()
{
    hideEditor(true);
}

void LabelWithInlineEditor::setUseUndoDisabledEditors(bool use)
{
    g_useUndoDisabledEditors.store(use);
}

bool LabelWithInlineEditor::getUseUndoDisabledEditors()
{
    return g_useUndoDisabledEditors.load();
}

void LabelWithInlineEditor::setInputRestrictions(int maxLength, const juce::String& allowedCharacters)
{
    m_maxLength = maxLength;
    m_allowedCharacters = allowedCharacters;
    m_imeMode = ImeMode::Off;
    if (juce::TextEditor* editor = getCurrentTextEditor(); editor != nullptr && OnMessageThread())
    {
        editor->setInputRestrictions(m_maxLength > 0 ? m_maxLength : 0, m_allowedCharacters);
        ComponentDresser::enableIme(editor, false);
    }
}

juce::TextEditor* LabelWithInlineEditor::createEditorComponent()
{
    juce::TextEditor* editor = getUseUndoDisabledEditors() ? new UndoDisabledTextEditor() : new juce::TextEditor();
    editor->setName(getName());
    editor->setFont(getLookAndFeel().getLabelFont(*this));
    for (const int id : kEditorColourIds)
        if (isColourSpecified(id))
            editor->setColour(id, findColour(id));
    editor->setInputRestrictions(m_maxLength > 0 ? m_maxLength : 0, m_allowedCharacters);
    ComponentDresser::enableIme(editor, m_imeMode != ImeMode::Off);
    if (m_imeMode == ImeMode::Opened)
        ComponentDresser::openIme(editor);
    ComponentDresser::setImeCompositionFont(editor, getLookAndFeel().getLabelFont(*this));
    return editor;
}

void LabelWithInlineEditor::switchImeOff(juce::TextEditor& editor)
{
    if (OnMessageThread())
    {
        ComponentDresser::cancelImeComposition(&editor);
        ComponentDresser::enableIme(&editor, false);
    }
}

void LabelWithInlineEditor::textEditorTextChanged(juce::TextEditor& editor)
{
    // Bring the end of the text into view only when the caret stands at the
    // end already: moving the caret there on every keystroke would send
    // every later character typed in the middle to the end.
    if (OnMessageThread() && !editor.isEmpty() && editor.getHighlightedRegion().isEmpty())
    {
        const int end = editor.getTotalNumChars();
        if (editor.getCaretPosition() == end)
        {
            editor.setCaretPosition(end - 1);
            editor.setCaretPosition(end);
        }
    }
    // Typed or pasted text with characters the label's face lacks switches
    // the editor to the face that has them, and back.
    const juce::Font wanted = CTVLookAndFeel::fontForText(editor.getText(), getFont());
    if (editor.getFont() != wanted)
        editor.applyFontToAllText(wanted);
    CBfcCtrlLabel::textEditorTextChanged(editor);
}

void LabelWithInlineEditor::textEditorReturnKeyPressed(juce::TextEditor& editor)
{
    switchImeOff(editor);
    CBfcCtrlLabel::textEditorReturnKeyPressed(editor);
}

void LabelWithInlineEditor::textEditorEscapeKeyPressed(juce::TextEditor& editor)
{
    switchImeOff(editor);
    CBfcCtrlLabel::textEditorEscapeKeyPressed(editor);
}

void LabelWithInlineEditor::textEditorFocusLost(juce::TextEditor& editor)
{
    CBfcCtrlLabel::textEditorFocusLost(editor);
}

void LabelWithInlineEditor::inputAttemptWhenModal()
{
    if (juce::TextEditor* editor = getCurrentTextEditor())
    {
        if (doesLossOfFocusDiscardChanges())
            textEditorEscapeKeyPressed(*editor);
        else
            textEditorReturnKeyPressed(*editor);
    }
}

void LabelWithInlineEditor::focusGained(FocusChangeType cause)
{
    if (cause == focusChangedByTabKey && isEnabled() && isEditable())
        showEditor();
}

std::unique_ptr<juce::ComponentTraverser> LabelWithInlineEditor::createKeyboardFocusTraverser()
{
    // The traverser the label would have without its own: its parent's, so
    // that a list's traverser still decides where Tab goes from here.
    juce::Component* parent = getParentComponent();
    return std::make_unique<LabelKeyboardFocusTraverser>(
        *this, parent != nullptr ? parent->createKeyboardFocusTraverser() : std::make_unique<juce::KeyboardFocusTraverser>());
}

void LabelWithInlineEditor::paintOverChildren(juce::Graphics& g)
{
    CBfcCtrlLabel::paintOverChildren(g);
    if (juce::TextEditor* editor = getCurrentTextEditor())
    {
        const juce::Point<int> caret =
            editor->localPointToGlobal(editor->getCaretRectangle().getBottomLeft());
        ComponentDresser::setImeCompositionWindow(editor, caret.x, caret.y);
    }
}

LabelKeyboardFocusTraverser::LabelKeyboardFocusTraverser(juce::Label& owner,
                                                         std::unique_ptr<juce::ComponentTraverser> wrapped)
    : m_owner(owner),
      m_wrapped(std::move(wrapped))
{
}

juce::Component* LabelKeyboardFocusTraverser::startFrom(juce::Component* current) const
{
    if (current != nullptr && current == m_owner.getCurrentTextEditor())
        return &m_owner;
    return current;
}

juce::Component* LabelKeyboardFocusTraverser::editorOf(juce::Component* answer)
{
    if (auto* label = dynamic_cast<juce::Label*>(answer); label != nullptr && label->isBeingEdited())
        return label->getCurrentTextEditor();
    return answer;
}

juce::Component* LabelKeyboardFocusTraverser::getNextComponent(juce::Component* current)
{
    return m_wrapped != nullptr ? editorOf(m_wrapped->getNextComponent(startFrom(current))) : nullptr;
}

juce::Component* LabelKeyboardFocusTraverser::getPreviousComponent(juce::Component* current)
{
    return m_wrapped != nullptr ? editorOf(m_wrapped->getPreviousComponent(startFrom(current))) : nullptr;
}
