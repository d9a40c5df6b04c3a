#pragma once

#include "app/host/CTVHostListener.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class CTVHost;

namespace Tavrel
{
class ActionManager;
class CommandManager;
class MainComponent;
class MenuBarManager;
}

// The program's one top-level window: the main component under the menu
// bar, in a window with the window manager's own frame and caption. It owns
// the action manager and the menu bar model, keeps its height in the
// settings (its width is that of its fixed content), shows the song list's
// name in its caption and takes files dropped from other programs.
// Message thread.
class CTVMainWindow : public juce::DocumentWindow,
                      public juce::ApplicationCommandTarget,
                      public CTVHostListener,
                      public juce::FileDragAndDropTarget,
                      public juce::FocusChangeListener
{
public:
    static constexpr const char* kProductName = "QUILLMARK";
    static constexpr const char* kUntitled = "untitled.qmpl";
    static constexpr juce::uint32 kBackgroundColour = 0xFF302E32;

    explicit CTVMainWindow(CTVHost& host);
    ~CTVMainWindow() override;

    Tavrel::MainComponent& getMainComponent() { return *m_main; }
    Tavrel::ActionManager& getActionManager() { return *m_actions; }
    Tavrel::MenuBarManager& getMenuBarManager() { return *m_menus; }

    // The caption for a song-list file (empty: untitled).
    static juce::String captionFor(const juce::File& file, bool modified);
    // The first size of the window: the saved height, if usable, within
    // the limits; the width is the fixed one.
    static juce::Rectangle<int> placeOnArea(juce::Rectangle<int> area, int width, int height, int captionHeight);

    void closeButtonPressed() override;

    // juce::ApplicationCommandTarget
    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>&) override {}
    void getCommandInfo(juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform(const InvocationInfo&) override { return false; }

    void transportStateChanged(CTVHost* host, int state) override;
    void songListPathChanged(CTVHost* host, const juce::File& path) override;

    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    void globalFocusChanged(juce::Component* focused) override;
    void activeWindowStatusChanged() override;

private:
    void releaseKeysAndWinding();

    CTVHost& m_host;
    std::unique_ptr<Tavrel::MenuBarManager> m_menus;
    Tavrel::MainComponent* m_main = nullptr;
    std::unique_ptr<Tavrel::ActionManager> m_actions;
    Tavrel::CommandManager* m_commands = nullptr;
    bool m_leftWasDown = false;
    bool m_rightWasDown = false;
};
