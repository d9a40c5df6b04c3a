#include "app/songlist/SongListFlows.h"

#include <memory>

#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "app/core/UiServices.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"
#include "platform/files/FileSafety.h"

namespace Tavrel
{
namespace
{
juce::String Text(const char* key)
{
    return CBJXResource::GetString(key);
}

void ShowError(const juce::String& message)
{
    UiServices::get().showOkMessageBox(juce::MessageBoxIconType::WarningIcon, Text("Common_ErrorDialogTitle"), message,
                                       {});
}

// The command manager's reset after an open or a save, when there is one
// (there is none before the main window exists); the controller is told
// either way.
void ResetCommands(CTVHost& controller, bool afterOpen)
{
    if (CommandManager* commands = CommandManager::GetStoredInstance())
    {
        if (afterOpen)
            commands->resetAfterOpen();
        else
            commands->resetAfterSave();
    }
    controller.MarkSongListChanged(false);
}

// While an action runs the list must not change under it.
bool RefusedWhileBusy()
{
    const CommandManager* commands = CommandManager::GetStoredInstance();
    if (commands == nullptr || !commands->isBusy())
        return false;
    UiServices::get().beep();
    return true;
}

// The opened file becomes the backup: written beside it and renamed into
// place, so a failed copy leaves the old backup whole. Failures are ignored.
void CopyOverBackup(CTVHost& controller, const juce::File& file)
{
    const juce::File backup(controller.GetBackupPath());
    if (controller.GetBackupPath().isEmpty() || backup == file)
        return;
    juce::MemoryBlock bytes;
    if (file.loadFileAsData(bytes))
        (void)qm::platform::replaceFile(backup.getFullPathName().toStdString(), bytes.getData(), bytes.getSize());
}
} // namespace

bool askToSaveBeforeOpening(CTVHost& controller)
{
    if (controller.tracks.empty() || !controller.IsModified())
        return true;
    const int answer = UiServices::get().showYesNoCancelBox(
        juce::MessageBoxIconType::QuestionIcon, Text("Common_ConfirmationDialogTitle"),
        Text("Songlist_SaveBeforeOpening"), Text("Button_Save"), Text("Button_DontSave"), Text("Button_Cancel"));
    if (answer == 1)
        return saveSonglist(controller, false);
    return answer == 2;
}

bool saveSonglist(CTVHost& controller, bool saveAs)
{
    if (RefusedWhileBusy())
        return false;
    juce::File target;
    const juce::String path = controller.GetSonglistPath();
    if (!path.isEmpty() && juce::File::isAbsolutePath(path))
        target = juce::File(path);
    if (target == juce::File() || saveAs)
    {
        juce::File chosen = target;
        if (!UiServices::get().browseForSaveAsFile(chosen))
            return false;
        target = chosen;
    }
    while (!writeSongListFile(controller.tracks, target))
    {
        const bool again = UiServices::get().showOkCancelBox(
            juce::MessageBoxIconType::WarningIcon, Text("Common_ErrorDialogTitle"),
            Text("Songlist_CannotSave").replace("%1", target.getFullPathName()).replace("##", "\n"),
            Text("Button_Save"), Text("Button_Cancel"), {});
        juce::File chosen = target;
        if (!again || !UiServices::get().browseForSaveAsFile(chosen))
            return false;
        target = chosen;
    }
    controller.SetSonglistPath(target.getFullPathName());
    ResetCommands(controller, false);
    return true;
}

bool openSonglist(CTVHost& controller, const juce::File& file)
{
    if (RefusedWhileBusy())
        return false;
    if (file == juce::File() || !file.existsAsFile())
    {
        ShowError(Text("Songlist_FileNotFound"));
        return false;
    }
    TVSLReader reader(file);
    if (!reader.hasNext())
    {
        // A document error, or a valid document without any song, for which
        // the reader has no text: that is no song list this program wrote.
        const juce::String text = reader.getErrorText();
        ShowError(text.isNotEmpty() ? text : Text("Songlist_Invalid"));
        return false;
    }
    // The song reader lets go of the current song before its record goes.
    controller.CloseCurrentSong();
    while (controller.GetTrackCount() > 0)
        controller.RemoveTracks(controller.GetTrackCount() - 1, false, false, true);
    ResetCommands(controller, true);

    while (reader.hasNext())
    {
        std::unique_ptr<TrackInfo> record(reader.next());
        if (record == nullptr)
            continue;
        // Element errors are not shown: the song comes as far as it was read.
        record->setTextField(controller.MakeUniqueSongName(record->getTextField(TrackInfo::kSongName)),
                             TrackInfo::kSongName, true);
        TrackInfo* added = record.release();
        added->addListener(&controller);
        controller.tracks.push_back(added);
        // The list is filled directly: the name index follows it, so that the
        // next name is made unique against this one at little cost.
        controller.IndexAppendedRecord(added);
    }

    if (controller.GetMode() == CTVHost::kPlayerMode)
        controller.SetCurrentTrack(0, true, false);
    else if (controller.GetMode() == CTVHost::kSessionMode)
        controller.SetCurrentTrack(0, false, false);
    controller.NotifySongListChanged();
    CopyOverBackup(controller, file);
    return true;
}

bool openSonglistFile(const juce::File& file, CTVHost& controller)
{
    if (RefusedWhileBusy())
        return false;
    if (!askToSaveBeforeOpening(controller))
        return false;
    juce::File chosen = file;
    if (chosen == juce::File() && !UiServices::get().browseForFile(UiServices::BrowseMode::OpenSongList, chosen))
        return false;
    if (!openSonglist(controller, chosen))
        return false;
    controller.SetSonglistPath(chosen.getFullPathName());
    return true;
}

bool restoreLastSession(CTVHost& controller)
{
    if (RefusedWhileBusy())
        return false;
    if (!askToSaveBeforeOpening(controller))
        return false;
    const juce::String last = controller.GetLastSessionPath();
    if (!openSonglist(controller,
                      last.isNotEmpty() && juce::File::isAbsolutePath(last) ? juce::File(last) : juce::File()))
        return false;
    controller.SetSonglistPath({});
    return true;
}
bool newSonglist(CTVHost& controller)
{
    if (RefusedWhileBusy())
        return false;
    if (!askToSaveBeforeOpening(controller))
        return true;
    // The song reader lets go of the current song before its record goes;
    // with no current song no removal opens another one.
    controller.CloseCurrentSong();
    controller.SetCurrentTrack(-1, true, false);
    for (int row = controller.GetTrackCount() - 1; row >= 0; --row)
        controller.RemoveTracks(row, row == 0, false, true);
    controller.SetSonglistPath({});
    ResetCommands(controller, true);
    return true;
}
} // namespace Tavrel
