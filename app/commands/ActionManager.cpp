#include "app/commands/ActionManager.h"

#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"

namespace Tavrel
{
namespace
{
juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}

bool IsHoldTimeCommand(juce::CommandID id)
{
    return (id >= kCommandPeakHoldFirst && id <= kCommandPeakHoldLast) ||
           (id >= kCommandClipHoldFirst && id <= kCommandClipHoldLast);
}

// " 0.5 sec", "10.0 sec", or the infinity symbol for no limit.
juce::String HoldTimeText(int ms)
{
    if (ms < 0)
        return Text("Symbol_Infinity");
    return juce::String::formatted("%4.1f ", ms / 1000.0) + Text("Unit_Second");
}

// What decides enabling, read once per question.
struct States
{
    CTVHost::TransportCommandStates transport;
    bool hasListFile = false;
    bool lastSessionExists = false;
    bool insideSong = false;
    bool canCombine = false;
    bool canLink = false;
    bool canUndo = false;
    bool canRedo = false;
    int peakHoldMs = 0;
    int clipHoldMs = 0;
};

States ReadStates(const CTVHost& host)
{
    States s;
    s.transport = host.GetTransportCommandStates();
    s.hasListFile = host.GetSonglistPath().isNotEmpty();
    const juce::String last = host.GetLastSessionPath();
    s.lastSessionExists = last.isNotEmpty() && juce::File::isAbsolutePath(last) && juce::File(last).existsAsFile();
    s.insideSong = host.IsPositionInsideSong();
    s.canCombine = host.CanCombine();
    s.canLink = host.CanLinkChannels();
    if (const CommandManager* commands = CommandManager::GetStoredInstance())
    {
        s.canUndo = commands->canUndo();
        s.canRedo = commands->canRedo();
    }
    s.peakHoldMs = host.GetPeakHoldTime();
    s.clipHoldMs = host.GetClipHoldTime();
    return s;
}
} // namespace

ActionManager::ActionManager(juce::Component* targetComponent)
    : m_target(targetComponent)
{
}

ActionManager::~ActionManager() = default;

void ActionManager::getAllCommands(juce::Array<juce::CommandID>& commands)
{
    for (juce::CommandID id = kCommandNew; id <= kCommandAbout; ++id)
        commands.add(id);
    for (juce::CommandID id = kCommandOpenRecentFirst; id <= kCommandOpenRecentLast; ++id)
        commands.add(id);
    for (juce::CommandID id = kCommandPeakHoldFirst; id <= kCommandPeakHoldLast; ++id)
        commands.add(id);
    for (juce::CommandID id = kCommandClipHoldFirst; id <= kCommandClipHoldLast; ++id)
        commands.add(id);
}

void ActionManager::getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& result)
{
    const bool known = (id >= kCommandNew && id <= kCommandAbout) || id == kCommandEditShortcutKeys ||
                       (id >= kCommandOpenRecentFirst && id <= kCommandOpenRecentLast) || IsHoldTimeCommand(id);
    if (!known)
        return;

    CTVHost* host = CTVHost::GetStoredInstance();
    const States s = host != nullptr ? ReadStates(*host) : States{};
    const CTVHost::TransportCommandStates& t = s.transport;
    const bool player = host != nullptr && t.playerMode;
    const bool hasSongs = host != nullptr && !t.listEmpty;
    const juce::ModifierKeys ctrl = juce::ModifierKeys::commandModifier;
    const juce::ModifierKeys shift = juce::ModifierKeys::shiftModifier;
    const juce::ModifierKeys alt = juce::ModifierKeys::altModifier;
    const juce::ModifierKeys none;

    const char* file = "Menu_Name_File";
    const char* edit = "Menu_Name_Edit";
    const char* controls = "Menu_Name_Controls";
    juce::String name;
    const char* category = file;
    int flags = 0;
    bool enabled = true;
    bool ticked = false;
    auto item = [&](const char* nameKey, const char* categoryKey, bool isEnabled) {
        name = Text(nameKey);
        category = categoryKey;
        enabled = isEnabled;
    };
    auto key = [&](int keyCode, juce::ModifierKeys modifiers) { result.addDefaultKeypress(keyCode, modifiers); };

    switch (id)
    {
    case kCommandNew:
        item("Menu_Item_New", file, player && (s.hasListFile || hasSongs));
        key('n', ctrl);
        break;
    case kCommandOpen:
        item("Menu_Item_Open", file, player);
        key('o', ctrl.withFlags(juce::ModifierKeys::shiftModifier));
        break;
    case kCommandOpenAutoSaved:
        item("Menu_Item_OpenAutoSaved", file, player && s.lastSessionExists);
        key('r', ctrl);
        break;
    case kCommandSave:
        item("Menu_Item_Save", file, hasSongs);
        key('s', ctrl);
        break;
    case kCommandSaveAs:
        item("Menu_Item_SaveAs", file, hasSongs);
        key('s', ctrl.withFlags(juce::ModifierKeys::shiftModifier));
        break;
    case kCommandAdd:
        item("Menu_Item_Add", file, player);
        key('o', ctrl);
        break;
    case kCommandOpenFolder:
        item("Menu_Item_OpenFolder", file, player);
        key('o', alt);
        break;
    case kCommandRemoveSongs:
        item("Menu_Item_RemoveSongs", file, t.selectionNotEmpty && player);
        key(juce::KeyPress::deleteKey, none);
        key(juce::KeyPress::backspaceKey, none);
        break;
    case kCommandCropSongs:
        item("Menu_Item_CropSongs", file, t.selectionNotEmpty && player);
        break;
    case kCommandUndo:
    case kCommandRedo:
    {
        const CommandManager* commands = CommandManager::GetStoredInstance();
        const bool undo = id == kCommandUndo;
        name = commands != nullptr ? (undo ? commands->getUndoText() : commands->getRedoText())
                                   : Text(undo ? "Menu_Item_Undo" : "Menu_Item_Redo");
        category = edit;
        enabled = (undo ? s.canUndo : s.canRedo) && player;
        key('z', undo ? ctrl : ctrl.withFlags(juce::ModifierKeys::shiftModifier));
        break;
    }
    case kCommandDivide:
        item("Menu_Item_Divide", edit, s.insideSong);
        key('d', ctrl);
        break;
    case kCommandCombine:
        item("Menu_Item_Combine", edit, s.canCombine);
        key('j', ctrl);
        break;
    case kCommandChannelLink:
        item("Menu_Item_ChannelLink", edit, s.canLink);
        key('l', ctrl);
        break;
    case kCommandSelectPicture:
        item("Menu_Item_SelectPicture", edit, player && hasSongs);
        break;
    case kCommandRemovePicture:
        item("Menu_Item_RemovePicture", edit, player && hasSongs);
        break;
    case kCommandEditShortcutKeys:
        item("Menu_Item_EditShortcutKeys", edit, true);
        break;
    case kCommandPlayPause:
        name = Text("Menu_Item_Play") + "/" + Text("Menu_Item_Pause");
        category = controls;
        enabled = player && hasSongs;
        flags = juce::ApplicationCommandInfo::wantsKeyUpDownCallbacks;
        key(juce::KeyPress::spaceKey, none);
        break;
    case kCommandStop:
        item("Menu_Item_Stop", controls, t.notStoppedWithCurrentSong && player);
        break;
    case kCommandPlayFrom:
        item("Menu_Item_PlayFrom", controls, t.paused && player);
        key('f', none);
        break;
    case kCommandPlayTo:
        item("Menu_Item_PlayTo", controls, t.paused && player);
        key('t', none);
        break;
    case kCommandNextSong:
        item("Menu_Item_NextSong", controls, player && hasSongs && !t.atLastSong);
        key(juce::KeyPress::rightKey, ctrl);
        break;
    case kCommandPreviousSong:
        item("Menu_Item_PreviousSong", controls, player && hasSongs && !t.atFirstSongStart);
        key(juce::KeyPress::leftKey, ctrl);
        break;
    case kCommandFastForward:
    case kCommandRewind:
        item(id == kCommandFastForward ? "Menu_Item_Skip" : "Menu_Item_Rewind", controls, player);
        // While paused every auto-repeat of the key steps, so only then
        // are key-up and key-down not asked for.
        if (!t.paused)
            flags = juce::ApplicationCommandInfo::wantsKeyUpDownCallbacks;
        key(id == kCommandFastForward ? juce::KeyPress::rightKey : juce::KeyPress::leftKey, none);
        break;
    case kCommandForward1ms:
        item("Menu_Item_Skip1ms", controls, player);
        key(juce::KeyPress::rightKey, shift);
        break;
    case kCommandBackward1ms:
        item("Menu_Item_Rewind1ms", controls, player);
        key(juce::KeyPress::leftKey, shift);
        break;
    case kCommandForward1s:
        item("Menu_Item_Skip1s", controls, player);
        key(juce::KeyPress::rightKey, alt);
        break;
    case kCommandBackward1s:
        item("Menu_Item_Rewind1s", controls, player);
        key(juce::KeyPress::leftKey, alt);
        break;
    case kCommandUsersGuide:
        item("Menu_Item_UsersGuide", "Menu_Name_Help", true);
        break;
    case kCommandAbout:
        item("Menu_Item_About", "Menu_Name_Help", true);
        break;
    default:
        if (id >= kCommandOpenRecentFirst && id <= kCommandOpenRecentLast)
        {
            name = Text("Menu_Item_OpenRecent") + juce::String::formatted(" : %2d", id - kCommandOpenRecentFirst + 1);
            category = file;
            enabled = player;
        }
        else
        {
            const bool peak = id <= kCommandPeakHoldLast;
            const int value = kHoldTimeTableMs[id - (peak ? kCommandPeakHoldFirst : kCommandClipHoldFirst)];
            name = HoldTimeText(value);
            category = "Menu_Name_View";
            enabled = true;
            ticked = host != nullptr && (peak ? s.peakHoldMs : s.clipHoldMs) == value;
        }
        flags = juce::ApplicationCommandInfo::hiddenFromKeyEditor;
        break;
    }

    result.setInfo(name, name, Text(category), flags);
    result.setTicked(ticked);
    for (ActionBlocker* blocker : m_blockers)
        if (blocker->isActionBlocked(id))
            enabled = false;
    result.setActive(enabled);
}

void ActionManager::addActionBlocker(ActionBlocker* blocker)
{
    if (blocker != nullptr && std::find(m_blockers.begin(), m_blockers.end(), blocker) == m_blockers.end())
        m_blockers.push_back(blocker);
}

void ActionManager::removeActionBlocker(ActionBlocker* blocker)
{
    std::erase(m_blockers, blocker);
}

void ActionManager::releaseHeldKeys()
{
    // Raised only while this program is the active one: a focus change
    // towards another program must not pull the main window over it.
    if (m_target != nullptr && m_target->isShowing() && juce::Process::isForegroundProcess())
        m_target->toFront(false);
    if (CommandManager* commands = CommandManager::GetStoredInstance())
        commands->getKeyMappings()->keyStateChanged(false, m_target);
}

void ActionManager::registerWindingCommandsAgain(juce::ApplicationCommandManager& commands)
{
    juce::KeyPressMappingSet* mappings = commands.getKeyMappings();
    for (const juce::CommandID id : {kCommandFastForward, kCommandRewind})
    {
        const juce::Array<juce::KeyPress> keys = mappings->getKeyPressesAssignedToCommand(id);
        const bool wasRegistered = commands.getCommandForID(id) != nullptr;
        juce::ApplicationCommandInfo info(id);
        getCommandInfo(id, info);
        commands.removeCommand(id);
        commands.registerCommand(info);
        // Registering puts the default keys back; the user's own stay.
        if (wasRegistered)
        {
            mappings->clearAllKeyPresses(id);
            for (const juce::KeyPress& k : keys)
                mappings->addKeyPress(id, k);
        }
    }
}
} // namespace Tavrel
