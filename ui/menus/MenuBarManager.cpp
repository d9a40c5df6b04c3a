#include "ui/menus/MenuBarManager.h"

#include "app/commands/ActionManagerCommand.h"
#include "app/commands/CommandManager.h"
#include "app/host/CTVHost.h"
#include "ui/main/MainComponentCommand.h"
#include "ui/look/UiText.h"

namespace Tavrel
{

MenuBarManager::MenuBarManager(juce::Component* mainWindow)
    : m_mainWindow(mainWindow)
{
    if (CommandManager* commands = CommandManager::GetStoredInstance())
        setApplicationCommandManagerToWatch(commands);
}

MenuBarManager::~MenuBarManager()
{
    setApplicationCommandManagerToWatch(nullptr);
}

juce::StringArray MenuBarManager::getMenuBarNames()
{
    return {uiText("Menu_Name_File"), uiText("Menu_Name_Edit"), uiText("Menu_Name_View"),
            uiText("Menu_Name_Controls"), uiText("Menu_Name_Help")};
}

juce::String MenuBarManager::describeRecentFile(const juce::File& file)
{
    const juce::Time modified = file.getLastModificationTime();
    const juce::String time = uiText("Common_Language") == "ja" ? modified.formatted("%Y/%m/%d %H:%M")
                                                                : modified.toString(true, true, false, false);
    return file.getFileName() + " : " + time;
}

juce::PopupMenu MenuBarManager::getRecentSongListMenu()
{
    juce::PopupMenu menu;
    CommandManager* commands = CommandManager::GetStoredInstance();
    const CTVHost* host = CTVHost::GetStoredInstance();
    if (commands == nullptr || host == nullptr)
        return menu;
    const juce::StringArray& recent = host->GetRecentSongLists();
    for (int i = 0; i < recent.size() && kCommandOpenRecentFirst + i <= kCommandOpenRecentLast; ++i)
    {
        if (!juce::File::isAbsolutePath(recent[i]))
            continue;
        const juce::File file(recent[i]);
        // A list deleted since keeps its place: the next entry keeps its id.
        if (!file.existsAsFile())
            continue;
        menu.addCommandItem(commands, kCommandOpenRecentFirst + i, describeRecentFile(file));
    }
    return menu;
}

juce::PopupMenu MenuBarManager::getMenuForIndex(int index, const juce::String&)
{
    juce::PopupMenu menu;
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (commands == nullptr)
        return menu;
    const auto add = [&](juce::CommandID id) { menu.addCommandItem(commands, id); };
    switch (index)
    {
    case kFileMenu:
    {
        for (juce::CommandID id : {kCommandNew, kCommandOpen, kCommandOpenAutoSaved})
            add(id);
        const juce::PopupMenu recent = getRecentSongListMenu();
        menu.addSubMenu(uiText("Menu_Item_OpenRecent"), recent, recent.getNumItems() > 0);
        add(kCommandSave);
        add(kCommandSaveAs);
        menu.addSeparator();
        add(kCommandAdd);
        add(kCommandOpenDisc);
        add(kCommandOpenFolder);
        menu.addSeparator();
        add(kCommandRemoveSongs);
        add(kCommandCropSongs);
        menu.addSeparator();
        add(kCommandExport);
        add(kCommandBurnDisc);
        menu.addSeparator();
        menu.addCommandItem(commands, juce::StandardApplicationCommandIDs::quit, uiText("Menu_Item_Exit"));
        break;
    }
    case kEditMenu:
        add(kCommandUndo);
        add(kCommandRedo);
        menu.addSeparator();
        add(kCommandSelectAll);
        add(kCommandInvertSelection);
        menu.addSeparator();
        add(kCommandDivide);
        menu.addSeparator();
        add(kCommandCombine);
        add(kCommandChannelLink);
        menu.addSeparator();
        add(kCommandBatchEdit);
        menu.addSeparator();
        add(kCommandPreferences);
        break;
    case kViewMenu:
    {
        juce::PopupMenu peak;
        for (juce::CommandID id = kCommandPeakHoldFirst; id <= kCommandPeakHoldLast; ++id)
            peak.addCommandItem(commands, id);
        juce::PopupMenu clip;
        for (juce::CommandID id = kCommandClipHoldFirst; id <= kCommandClipHoldLast; ++id)
            clip.addCommandItem(commands, id);
        menu.addSubMenu(uiText("Menu_Item_PeakHold"), peak);
        menu.addSubMenu(uiText("Menu_Item_ClipHold"), clip);
        menu.addSeparator();
        add(kCommandFileInfo);
        break;
    }
    case kControlsMenu:
    {
        const CTVHost* host = CTVHost::GetStoredInstance();
        const bool playing = host != nullptr && host->GetTransportState() == CTVHost::kPlaying;
        menu.addCommandItem(commands, kCommandPlayPause, uiText(playing ? "Menu_Item_Pause" : "Menu_Item_Play"));
        add(kCommandStop);
        menu.addSeparator();
        add(kCommandPlayFrom);
        add(kCommandPlayTo);
        menu.addSeparator();
        add(kCommandNextSong);
        add(kCommandPreviousSong);
        break;
    }
    case kHelpMenu:
        add(kCommandUsersGuide);
        add(kCommandEditShortcutKeys);
        add(kCommandAbout);
        break;
    default:
        break;
    }
    return menu;
}

void collectMenuShortcutCommands(juce::Array<juce::CommandID>& ids, const juce::PopupMenu& menu,
                                 const juce::KeyPressMappingSet& mappings)
{
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const juce::PopupMenu::Item& item = it.getItem();
        if (item.subMenu != nullptr)
        {
            collectMenuShortcutCommands(ids, *item.subMenu, mappings);
            continue;
        }
        if (item.commandManager == nullptr || item.itemID == 0)
            continue;
        const juce::ApplicationCommandInfo* info = item.commandManager->getCommandForID(item.itemID);
        if (info == nullptr || (info->flags & juce::ApplicationCommandInfo::hiddenFromKeyEditor) != 0)
            continue;
        if (mappings.getKeyPressesAssignedToCommand(item.itemID).isEmpty())
            continue;
        ids.add(item.itemID);
    }
}
} // namespace Tavrel
