#include <clocale>

#include "app/commands/ActionManager.h"
#include "app/commands/CommandManager.h"
#include "app/commands/SongListActions.h"
#include "app/commands/ValueActions.h"
#include "app/core/CBJXResource.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFlows.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "platform/desktop/DesktopOpener.h"

namespace Tavrel
{
namespace
{
juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}

// Positions below this go to the previous song; later ones restart the song.
constexpr double kRestartSongAfterSeconds = 0.8;

juce::File g_guideFolder;
ActionManager::DocumentOpener g_guideOpener;

bool OpenWithDesktop(const juce::File& file)
{
    return qm::platform::openWithDesktop(file.getFullPathName().toStdString()) ==
           qm::platform::DesktopOpenResult::Opened;
}

bool IsKeyUp(const juce::ApplicationCommandTarget::InvocationInfo& info)
{
    return info.invocationMethod == juce::ApplicationCommandTarget::InvocationInfo::fromKeyPress && !info.isKeyDown;
}

bool Perform(juce::UndoableAction* action, bool beginNew, const juce::String& name)
{
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (commands == nullptr)
    {
        delete action;
        return false;
    }
    return commands->performUndoable(action, beginNew, name);
}
} // namespace

juce::String ActionManager::usersGuideFileName(const juce::String& localeName)
{
    // "Japanese_Japan.932" is the Windows form of the name, "ja_JP.UTF-8"
    // the POSIX one.
    const bool japanese = localeName.contains("Japan") || localeName.startsWith("ja");
    return japanese ? "Users Guide(J).pdf" : "Users Guide.pdf";
}

void ActionManager::setUsersGuideSource(const juce::File& folder, DocumentOpener opener)
{
    g_guideFolder = folder;
    g_guideOpener = std::move(opener);
}

bool ActionManager::perform(const InvocationInfo& info)
{
    const juce::CommandID id = info.commandID;
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr)
        return false;

    if (id >= kCommandNew && id <= kCommandOpenFolder)
        return performFileCommand(id);
    if (id >= kCommandRemoveSongs && id <= kCommandRemovePicture)
        return performEditCommand(id);
    if (id >= kCommandPlayPause && id <= kCommandBackward1s)
    {
        performTransportCommand(info);
        return true;
    }
    if (id >= kCommandOpenRecentFirst && id <= kCommandOpenRecentLast)
        return openRecent(id - kCommandOpenRecentFirst);
    if (id >= kCommandPeakHoldFirst && id <= kCommandPeakHoldLast)
    {
        host->SetPeakHoldTime(kHoldTimeTableMs[id - kCommandPeakHoldFirst]);
        return true;
    }
    if (id >= kCommandClipHoldFirst && id <= kCommandClipHoldLast)
    {
        host->SetClipHoldTime(kHoldTimeTableMs[id - kCommandClipHoldFirst]);
        return true;
    }
    switch (id)
    {
    case kCommandUsersGuide:
        openUsersGuide();
        return true;
    case kCommandAbout:
        UiServices::get().showAboutWindow(m_target);
        return true;
    case kCommandEditShortcutKeys:
        editShortcutKeys();
        return true;
    default:
        return false;
    }
}

// ---- file commands

bool ActionManager::performFileCommand(juce::CommandID id)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    switch (id)
    {
    case kCommandNew:
        return newSongList();
    case kCommandOpen:
        return openSonglistFile({}, host);
    case kCommandOpenAutoSaved:
        return restoreLastSession(host);
    case kCommandSave:
        return saveSonglist(host, false);
    case kCommandSaveAs:
        return saveSonglist(host, true);
    case kCommandAdd:
        return addAudioFiles();
    case kCommandOpenFolder:
        return openFolder();
    default:
        return false;
    }
}

bool ActionManager::newSongList()
{
    return newSonglist(*CTVHost::GetStoredInstance());
}

bool ActionManager::addAudioFiles()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    juce::Array<juce::File> files;
    if (!UiServices::get().browseForFiles(UiServices::BrowseMode::OpenAudioFiles, files) || files.isEmpty())
        return true;
    if (files.size() == 1 && files[0].getFileExtension().equalsIgnoreCase(".qmpl") && host.tracks.empty())
        return openSonglistFile(files[0], host);
    juce::StringArray paths;
    for (const juce::File& f : files)
        paths.add(f.getFullPathName());
    return Perform(new AddSongActionAtEnd(host, paths), true, Text("Action_AddAudioFiles"));
}

bool ActionManager::openFolder()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    juce::Array<juce::File> folders;
    if (!UiServices::get().browseForFolders(folders) || folders.isEmpty())
        return true;
    juce::StringArray paths;
    for (const juce::File& f : folders)
        paths.add(f.getFullPathName());
    return Perform(new AddSongActionAtEnd(host, paths), true, Text("Action_OpenFolder"));
}

bool ActionManager::openRecent(int entry)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    const juce::StringArray& recent = host.GetRecentSongLists();
    if (entry < 0 || entry >= recent.size())
        return false;
    const juce::String path = recent[entry];
    // An entry edited into a relative path names no file: the open flow
    // would otherwise take an empty file for "ask the user".
    if (!juce::File::isAbsolutePath(path))
    {
        UiServices::get().beep();
        return false;
    }
    return openSonglistFile(juce::File(path), host);
}

// ---- edit commands

bool ActionManager::performEditCommand(juce::CommandID id)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    CommandManager* commands = CommandManager::GetStoredInstance();
    switch (id)
    {
    case kCommandRemoveSongs:
        return Perform(new RemoveSongAction(host, host.GetSelection()), true, Text("Action_RemoveSongs"));
    case kCommandCropSongs:
        return cropSongs();
    case kCommandUndo:
        return commands != nullptr && commands->undo();
    case kCommandRedo:
        return commands != nullptr && commands->redo();
    case kCommandDivide:
    {
        const double position = host.GetPlayer()->GetPosition();
        return Perform(new DivideSongAction(host, host.GetCurrentIndex(), position), true, Text("Action_Divide"));
    }
    case kCommandCombine:
        if (!host.CanCombine())
            return false;
        return Perform(new CombineSongAction(host, host.GetSelection()), true, Text("Action_Combine"));
    case kCommandChannelLink:
        return channelLink();
    case kCommandSelectPicture:
        return selectPicture();
    case kCommandRemovePicture:
        return removePicture();
    default:
        return false;
    }
}

bool ActionManager::cropSongs()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    const juce::SparseSet<int>& selection = host.GetSelection();
    juce::SparseSet<int> unselected;
    for (int row = 0; row < host.GetTrackCount(); ++row)
        if (!selection.contains(row))
            unselected.addRange({row, row + 1});
    // With every row selected there is nothing to remove: no step that does
    // nothing, and the list stays unmodified.
    if (unselected.isEmpty())
        return false;
    if (!Perform(new SelectionRetriever(&host), true, Text("Menu_Item_CropSongs")))
        return false;
    return Perform(new RemoveSongAction(host, unselected), false, {});
}

bool ActionManager::channelLink()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (!host.CanLinkChannels())
        return false;
    const juce::SparseSet<int> selection = host.GetSelection();
    if (!Perform(new SelectionRetriever(&host), true, Text("Action_ChannelLink")))
        return false;
    bool result = true;
    int linked = 0;
    juce::SparseSet<int> newSelection;
    for (int i = 0; i + 1 < selection.size(); i += 2)
    {
        // Each link turns two rows into one: later rows move up by one.
        const int first = selection[i] - linked;
        const int second = selection[i + 1] - linked;
        juce::SparseSet<int> pair;
        pair.addRange({first, first + 1});
        pair.addRange({second, second + 1});
        if (Perform(new ChannelLinkAction(host, pair), false, {}))
        {
            newSelection.addRange({first, first + 1});
            ++linked;
        }
        else
            result = false;
    }
    host.SetSelection(newSelection, 0);
    return result;
}

bool ActionManager::selectPicture()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    juce::File picture;
    if (!UiServices::get().browseForFile(UiServices::BrowseMode::ChoosePicture, picture) || picture == juce::File())
        return true;
    return Perform(new ChangePictureAction(host, host.GetCurrentIndex(), picture.getFullPathName()), true,
                   Text("Action_Change").replace("%1", Text("ChangeTarget_AttachedPicture")));
}

bool ActionManager::removePicture()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    return Perform(new ChangePictureAction(host, host.GetCurrentIndex(), {}), true, Text("Action_RemovePicture"));
}

void ActionManager::editShortcutKeys()
{
    if (CommandManager* commands = CommandManager::GetStoredInstance())
        UiServices::get().showKeyMappingEditor(*commands->getKeyMappings(), m_target,
                                               Text("Menu_Item_EditShortcutKeys"));
}

// ---- transport commands

void ActionManager::performTransportCommand(const InvocationInfo& info)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (host.GetMode() != CTVHost::kPlayerMode || host.GetCueState() != CTVHost::kCueNone)
        return;
    switch (info.commandID)
    {
    case kCommandPlayPause:
        playPause(info);
        break;
    case kCommandStop:
        stop();
        break;
    case kCommandPlayFrom:
    case kCommandPlayTo:
        if (host.GetTransportState() == CTVHost::kPaused)
            host.SetCueState(info.commandID == kCommandPlayFrom ? CTVHost::kCueFrom : CTVHost::kCueTo);
        break;
    case kCommandNextSong:
        host.StepTrack(true, false);
        break;
    case kCommandPreviousSong:
        previousSong();
        break;
    case kCommandFastForward:
    case kCommandRewind:
        wind(info.commandID == kCommandFastForward, info);
        break;
    case kCommandForward1ms:
        moveBy(0.01);
        break;
    case kCommandBackward1ms:
        moveBy(-0.01);
        break;
    case kCommandForward1s:
        moveBy(10.0);
        break;
    case kCommandBackward1s:
        moveBy(-10.0);
        break;
    default:
        break;
    }
}

void ActionManager::playPause(const InvocationInfo& info)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (host.GetTrackCount() == 0 || IsKeyUp(info))
        return;
    host.SetTransportState(host.GetTransportState() == CTVHost::kPlaying ? CTVHost::kPaused : CTVHost::kPlaying);
}

void ActionManager::stop()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (host.GetTrackCount() == 0)
        return;
    host.SetTransportState(CTVHost::kStopped);
    host.StopPlayback();
}

void ActionManager::previousSong()
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (host.GetPlayer()->GetPosition() < kRestartSongAfterSeconds)
    {
        if (!host.StepTrack(false, false))
            host.ReturnToSongStart();
    }
    else
        host.ReturnToSongStart();
}

void ActionManager::wind(bool forward, const InvocationInfo& info)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    m_windingKeyHeld = info.isKeyDown;
    if (IsKeyUp(info))
    {
        stopWinding();
        return;
    }
    if (host.GetTransportState() != CTVHost::kPlaying)
        host.SeekBy(forward ? 0.5 : -0.5);
    else if (forward)
    {
        if (host.GetWindState() != CTVHost::kWindForward)
            host.SetWindState(CTVHost::kWindForward);
    }
    // A rewind key-down during fast forward is ignored.
    else if (host.GetWindState() != CTVHost::kWindForward)
        host.SetWindState(CTVHost::kWindRewind);
}

void ActionManager::stopWinding()
{
    // Also called from focus callbacks, hence the lock.
    const juce::MessageManagerLock lock;
    if (!lock.lockWasGained())
        return;
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr || host->GetCueState() != CTVHost::kCueNone)
        return;
    host->SetWindState(CTVHost::kWindNone);
}

void ActionManager::moveBy(double tenths)
{
    CTVHost& host = *CTVHost::GetStoredInstance();
    if (host.GetTransportState() != CTVHost::kPlaying)
        host.SeekBy(tenths);
}

// ---- help

void ActionManager::openUsersGuide()
{
    const juce::File folder = g_guideFolder != juce::File()
                                  ? g_guideFolder
                                  : juce::File::getSpecialLocation(juce::File::currentExecutableFile).getParentDirectory();
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    const juce::File guide = folder.getChildFile(usersGuideFileName(locale != nullptr ? locale : ""));
    const char* problem = nullptr;
    if (!guide.existsAsFile())
        problem = "Other_UsersGuideNotFound";
    else if (!(g_guideOpener ? g_guideOpener(guide) : OpenWithDesktop(guide)))
        problem = "Other_CannotOpenUsersGuide";
    if (problem != nullptr)
        UiServices::get().showOkMessageBox(juce::MessageBoxIconType::WarningIcon, Text("Common_ErrorDialogTitle"),
                                           Text(problem), {});
}
} // namespace Tavrel
