#include "ui/widgets/UndoDisabledTextEditor.h"

UndoDisabledTextEditor::UndoDisabledTextEditor()
    : juce::TextEditor(juce::String())
{
}

void UndoDisabledTextEditor::paint(juce::Graphics& g)
{
    const auto background = findColour(juce::TextEditor::backgroundColourId);
    if (!background.isTransparent())
        g.fillAll(background);
}

bool UndoDisabledTextEditor::keyPressed(const juce::KeyPress& key)
{
    // Ctrl+Z and Ctrl+Y, and Ctrl+Shift+Z, which the framework editor also
    // takes as redo.
    const auto modifiers = key.getModifiers();
    const int code = juce::CharacterFunctions::toLowerCase(static_cast<juce::juce_wchar>(key.getKeyCode()));
    if (modifiers.isCtrlDown() && !modifiers.isAltDown() && (code == 'z' || code == 'y'))
        return true;
    return juce::TextEditor::keyPressed(key);
}

void UndoDisabledTextEditor::addPopupMenuItems(juce::PopupMenu& menu, const juce::MouseEvent* event)
{
    juce::PopupMenu own;
    juce::TextEditor::addPopupMenuItems(own, event);

    // A separator is only emitted in front of a following copied item, so the
    // one that led to the dropped undo and redo items does not end the menu.
    bool separatorPending = false;
    for (juce::PopupMenu::MenuItemIterator it(own); it.next();)
    {
        const auto& item = it.getItem();
        if (item.isSeparator)
        {
            separatorPending = true;
            continue;
        }
        if (item.text.equalsIgnoreCase("undo") || item.text.equalsIgnoreCase("redo") ||
            item.itemID == juce::StandardApplicationCommandIDs::undo ||
            item.itemID == juce::StandardApplicationCommandIDs::redo)
            continue;
        if (separatorPending)
        {
            menu.addSeparator();
            separatorPending = false;
        }
        menu.addItem(item.itemID, item.text, item.isEnabled, item.isTicked);
    }
}
