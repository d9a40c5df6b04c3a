// The controller's recovery files, song-list path, device changes and the
// switch between player mode and session mode.

#include <juce_events/juce_events.h>

#include <filesystem>

#include "app/core/CTVPreferences.h"
#include "app/core/SessionMonitor.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFile.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"
#include "platform/files/FileSafety.h"

using Tavrel::TrackInfo;

namespace
{
constexpr int kEraseSessionKind = 3;

std::function<void()>& QuitHook()
{
    static std::function<void()> hook = [] {
        if (auto* app = juce::JUCEApplicationBase::getInstance())
            app->quit();
        else if (auto* manager = juce::MessageManager::getInstanceWithoutCreating())
            manager->stopDispatchLoop();
    };
    return hook;
}
} // namespace

void CTVHost::SetQuitHook(std::function<void()> hook)
{
    QuitHook() = std::move(hook);
}

void CTVHost::QuitApplication()
{
    if (QuitHook())
        QuitHook()();
}

juce::File CTVHost::GetRecoveryFolder()
{
    // The configuration folder of the settings file ($XDG_CONFIG_HOME when it
    // is an absolute path, else ~/.config), so that the recovery files are
    // kept beside the settings they belong to.
    return CHfcPreferences::GetSettingsFile().getParentDirectory().getParentDirectory().getChildFile("Tavrel");
}

void CTVHost::PrepareRecoveryFiles()
{
    const juce::File folder = GetRecoveryFolder();
    folder.createDirectory();
    const juce::File backup = folder.getChildFile("TavrelBackup.qmpl");
    const juce::File last = folder.getChildFile("TavrelLast.qmpl");
    backupPath = backup.getFullPathName();
    lastSessionPath = last.getFullPathName();
    // Read-only is the owner's write bit (an access check would pass for
    // the superuser whatever the bits say).
    for (const juce::File& file : {backup, last})
    {
        std::error_code error;
        const auto status = std::filesystem::status(file.getFullPathName().toStdString(), error);
        if (!error && std::filesystem::is_regular_file(status) &&
            (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
            file.setReadOnly(false);
    }
    // The backup of the previous run becomes the last-session file; the copy
    // is written beside it and renamed into place, so a failed copy leaves
    // the previous last-session file whole. Failures are ignored: the program
    // starts with whatever the last-session file holds.
    if (backupPath != lastSessionPath && backup.existsAsFile())
    {
        juce::MemoryBlock bytes;
        if (backup.loadFileAsData(bytes))
            (void)qm::platform::replaceFile(lastSessionPath.toStdString(), bytes.getData(), bytes.getSize());
    }
}

void CTVHost::SetSonglistPath(const juce::String& path)
{
    songListPath = path;
    if (path.isNotEmpty())
    {
        recentSongLists.removeString(path);
        recentSongLists.insert(0, path);
        while (recentSongLists.size() > kMaxRecentSongLists)
            recentSongLists.remove(recentSongLists.size() - 1);
    }
    const juce::File file = path.isNotEmpty() && juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File();
    CallListeners([&](CTVHostListener& l) { l.songListPathChanged(this, file); });
}

void CTVHost::MarkSongListChanged(bool isModified)
{
    if (isModified == modified)
        return;
    modified = isModified;
    const juce::File file =
        songListPath.isNotEmpty() && juce::File::isAbsolutePath(songListPath) ? juce::File(songListPath) : juce::File();
    CallListeners([&](CTVHostListener& l) { l.songListPathChanged(this, file); });
}

void CTVHost::HandleDeviceChange(const juce::String& drive)
{
    TrackInfo* track = GetTrack(GetCurrentIndex());
    if (track == nullptr || !songReader->HasChannelGroups() || drive.isEmpty() || !juce::File::isAbsolutePath(drive))
        return;
    // A source matches when its path is the drive or lies below it by whole
    // path components: /dev/sr1 never matches /dev/sr10.
    const juce::File volume(drive);
    std::vector<CPlaylistFile*> sources;
    track->getSourceFiles(sources);
    for (const CPlaylistFile* source : sources)
    {
        const juce::String text(juce::CharPointer_UTF16(
            reinterpret_cast<const juce::CharPointer_UTF16::CharType*>(source->GetPath().c_str())));
        if (text.isEmpty() || !juce::File::isAbsolutePath(text))
            continue;
        const juce::File file(text);
        if (file == volume || file.isAChildOf(volume))
        {
            CloseCurrentSong();
            return;
        }
    }
}

void CTVHost::CloseCurrentSong()
{
    StopPlayback();
    player->DetachSource();
    songReader->Close();
}

void CTVHost::SuspendForExport(int newMode)
{
    if (newMode == mode)
        return;
    if (newMode == kSessionMode)
    {
        mode = kSessionMode;
        CloseCurrentSong();
        savedSelection = selection;
        quitAfterSession = false;
    }
    else
    {
        mode = kPlayerMode;
        if (currentTrackIndex == -1)
            currentTrackIndex = 0;
        StopPlayback();
        if (IsValidTrackIndex(currentTrackIndex))
        {
            for (TrackInfo* track : tracks)
                track->isCurrent = false;
            tracks[static_cast<size_t>(currentTrackIndex)]->isCurrent = true;
            OpenCurrentTrack();
        }
        NotifyCurrentTrackChanged();
        // Stopped, a running cue play ended, the listeners told.
        StopPlayback();
        SetSelection(savedSelection, 0);
    }
    UpdateSelectionFlags();
    CallListeners([&](CTVHostListener& l) { l.controlsEnabledChanged(this, mode); });
}

void CTVHost::exportSessionStarted(Tavrel::ExportSession*)
{
    if (sessionMonitor != nullptr && sessionMonitor->getCurrentSessionKind() == kEraseSessionKind)
        return;
    savedSelection = selection;
    SuspendForExport(kSessionMode);
}

void CTVHost::exportSessionFinished(Tavrel::ExportSession*, bool)
{
    if (sessionMonitor != nullptr && sessionMonitor->getCurrentSessionKind() == kEraseSessionKind)
        return;
    if (quitAfterSession)
    {
        QuitApplication();
        return;
    }
    SuspendForExport(kPlayerMode);
    SetSelection(savedSelection, 0);
}
