#pragma once

#include "ui/windows/FadingModalWindow.h"

#include <vector>

namespace Tavrel
{
// The list of shortcut keys: the commands grouped by the menus of the menu
// bar, each with its first key, in two columns. Read-only; modal inside its
// parent, fading in and out over 50 ms; any key or click closes it.
class ShortcutKeyEditor : public FadingModalWindow
{
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 488;
    static constexpr int kFadeMs = 50;
    // The category that starts the second column (the Controls menu).
    static constexpr int kSecondColumnCategory = 3;

    // Shows a new list in the parent (nothing without a parent).
    static void showShortcutKeyEditor(juce::Component* parent);

    // One text of the list and where it is drawn.
    struct Text
    {
        juce::String text;
        juce::Rectangle<int> box;
        juce::Justification justification = juce::Justification::centredLeft;
        float fontHeight = 12.0f;
    };
    // Everything drawn, for a window of the given width.
    std::vector<Text> layout(int width) const;

    const juce::StringArray& getCategoryNames() const { return m_categories; }
    const std::vector<juce::Array<juce::CommandID>>& getCommandLists() const { return m_commands; }

    void paint(juce::Graphics& g) override;

private:
    ShortcutKeyEditor();

    juce::StringArray m_categories;
    std::vector<juce::Array<juce::CommandID>> m_commands;
};
} // namespace Tavrel
