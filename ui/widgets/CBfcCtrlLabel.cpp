#include "ui/widgets/CBfcCtrlLabel.h"

CBfcCtrlLabel::CBfcCtrlLabel(const juce::String& name, const juce::String& text)
    : juce::Label(name, text)
{
}

bool CBfcCtrlLabel::isEnabledWithParent() const
{
    const juce::Component* parent = getParentComponent();
    return isEnabled() && (parent == nullptr || parent->isEnabled());
}

void CBfcCtrlLabel::mouseMove(const juce::MouseEvent& e)
{
    if (CBfcComponentListener* listener = getListener())
        listener->mouseMoveHook(this, e);
}

void CBfcCtrlLabel::mouseExit(const juce::MouseEvent& e)
{
    if (CBfcComponentListener* listener = getListener())
        listener->mouseExitHook(this, e);
}

void CBfcCtrlLabel::mouseDown(const juce::MouseEvent& e)
{
    if (CBfcComponentListener* listener = getListener())
        listener->mouseDownHook(this, e);
}

void CBfcCtrlLabel::mouseDrag(const juce::MouseEvent& e)
{
    if (CBfcComponentListener* listener = getListener())
        listener->mouseDragHook(this, e);
}

void CBfcCtrlLabel::mouseUp(const juce::MouseEvent& e)
{
    CBfcComponentListener* listener = getListener();
    if (listener != nullptr && listener->mouseUpHook(this, e))
        return;
    if (isEnabledWithParent())
        juce::Label::mouseUp(e);
}

void CBfcCtrlLabel::mouseDoubleClick(const juce::MouseEvent& e)
{
    CBfcComponentListener* listener = getListener();
    if (listener != nullptr && listener->mouseDoubleClickHook(this, e))
        return;
    if (isEnabledWithParent() && isEditableOnDoubleClick() && !e.mods.isRightButtonDown())
        showEditor();
}

void CBfcCtrlLabel::textEditorTextChanged(juce::TextEditor& editor)
{
    juce::Component::SafePointer<CBfcCtrlLabel> self(this);
    juce::Label::textEditorTextChanged(editor);
    if (self != nullptr)
        if (CBfcComponentListener* listener = getListener())
            listener->textChanged(this);
}

void CBfcCtrlLabel::textEditorReturnKeyPressed(juce::TextEditor& editor)
{
    juce::Component::SafePointer<CBfcCtrlLabel> self(this);
    juce::Label::textEditorReturnKeyPressed(editor);
    if (self != nullptr)
        if (CBfcComponentListener* listener = getListener())
            listener->returnKeyPressed(this);
}

void CBfcCtrlLabel::textEditorEscapeKeyPressed(juce::TextEditor& editor)
{
    juce::Component::SafePointer<CBfcCtrlLabel> self(this);
    // The base resets the editor to the label's text and closes it.
    juce::Label::textEditorEscapeKeyPressed(editor);
    if (self != nullptr)
        if (CBfcComponentListener* listener = getListener())
            listener->escapeKeyPressed(this);
}

void CBfcCtrlLabel::textWasEdited()
{
    if (CBfcComponentListener* listener = getListener())
        listener->textEdited(this);
}
