#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

#include "app/commands/ActionBlocker.h"
#include "app/commands/ActionManagerCommand.h"

class CTVHost;

namespace Tavrel
{
class CommandManager;

// The application's command target for the File, Edit, Controls, Help and
// View menus: names, categories, default keys and the enabled and ticked
// states of its commands, and their handlers. Every state is read from the
// controller when the framework asks; nothing is cached.
//
// Needs the controller and the command manager singletons while commands
// are asked for or performed. Message thread only, except stopWinding, which
// takes the message-manager lock itself.
class ActionManager : public juce::ApplicationCommandTarget
{
public:
    // The target component (the main window; not owned) parents the About
    // window and the shortcut editor.
    explicit ActionManager(juce::Component* targetComponent);
    ~ActionManager() override;

    ActionManager(const ActionManager&) = delete;
    ActionManager& operator=(const ActionManager&) = delete;

    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo(juce::CommandID commandId, juce::ApplicationCommandInfo& result) override;
    bool perform(const InvocationInfo& info) override;

    // Blockers are not owned; each is added once.
    void addActionBlocker(ActionBlocker* blocker);
    void removeActionBlocker(ActionBlocker* blocker);

    // After a focus change: brings the target component to the front when it
    // is showing and lets the key mappings see that no key is down, so a
    // held shortcut releases its command.
    void releaseHeldKeys();
    // Ends fast forward or rewind (no-op during a cue play).
    void stopWinding();
    // The last fast-forward or rewind invocation was a key-down.
    bool isWindingKeyHeld() const { return m_windingKeyHeld; }

    // The framework's key mappings read the key-up/down flag of a command as
    // it was when the command was registered, and that flag of fast forward
    // and rewind depends on the transport (off while paused, so that every
    // auto-repeat steps). Registers the two again with their current info,
    // keeping the keys the user gave them. Called on transport changes.
    void registerWindingCommandsAgain(juce::ApplicationCommandManager& commands);

    // The user's guide for the name of a character-type locale: the Japanese
    // guide for a name holding "Japan" or beginning with "ja".
    static juce::String usersGuideFileName(const juce::String& localeName);

    // Where the user's guide is looked for and how it is opened: by default
    // the executable's folder and the desktop's opener. Tests replace them;
    // empty values put the defaults back.
    using DocumentOpener = std::function<bool(const juce::File&)>;
    static void setUsersGuideSource(const juce::File& folder, DocumentOpener opener);

private:
    bool performFileCommand(juce::CommandID id);
    bool performEditCommand(juce::CommandID id);
    void performTransportCommand(const InvocationInfo& info);

    // The handlers.
    bool newSongList();
    bool addAudioFiles();
    bool openFolder();
    bool openRecent(int entry);
    bool cropSongs();
    bool channelLink();
    bool selectPicture();
    bool removePicture();
    void editShortcutKeys();
    void playPause(const InvocationInfo& info);
    void stop();
    void previousSong();
    void wind(bool forward, const InvocationInfo& info);
    void moveBy(double tenths);
    void openUsersGuide();

    juce::Component* m_target;
    std::vector<ActionBlocker*> m_blockers;
    bool m_windingKeyHeld = false;
};
} // namespace Tavrel
