#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// The main window's menu bar model: the File, Edit, View, Controls and Help
// menus, filled when opened with command items of the command manager, so
// every item shows its command's current name, key, enabled and ticked
// state. Choosing an item performs the command through the command manager.
// Message thread.
class MenuBarManager : public juce::MenuBarModel
{
public:
    enum MenuIndex
    {
        kFileMenu = 0,
        kEditMenu = 1,
        kViewMenu = 2,
        kControlsMenu = 3,
        kHelpMenu = 4,
    };

    // The window is not owned and may be null.
    explicit MenuBarManager(juce::Component* mainWindow);
    ~MenuBarManager() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex(int index, const juce::String& name) override;
    void menuItemSelected(int, int) override {}

    // The recent song lists' submenu: an item per entry whose file exists,
    // with the id 256 + the entry's index.
    static juce::PopupMenu getRecentSongListMenu();
    // "<file name> : <modification time>" in the language's form.
    static juce::String describeRecentFile(const juce::File& file);

    juce::Component* getMainWindow() const { return m_mainWindow; }

private:
    juce::Component* m_mainWindow;
};

// Appends, walking the menu's items in order and entering each submenu
// where it stands, the id of every command item whose command is registered,
// is not hidden from the key editor and has a key in the mappings.
void collectMenuShortcutCommands(juce::Array<juce::CommandID>& ids, const juce::PopupMenu& menu,
                                 const juce::KeyPressMappingSet& mappings);
} // namespace Tavrel
