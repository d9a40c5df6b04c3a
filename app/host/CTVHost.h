#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/CBJXListenerOwner.h"
#include "app/core/CBJXSingleton.h"
#include "app/core/ExportSessionListener.h"
#include "app/devices/CTVAudioDeviceManager.h"
#include "app/host/CTVHostListener.h"
#include "app/songlist/TrackInfo.h"
#include "app/songlist/TrackInfoListener.h"
#include "engine/dsp/player/CAudioFileTransport.h"

class CAudioFilePlayerPcmOutput;
class CAudioPlayerInput;
class CSongRead;

namespace Tavrel
{
class SessionMonitor;
}

// The central controller: owns the song list (the records in display order),
// the selection, the current song with its song reader, the one file player
// and the play order, and tells its listeners (the user interface) of every
// change. A counted singleton, acquired after the audio device manager and the
// export manager and released at shut-down.
//
// Threads: everything belongs to the message thread, except processAudio
// (the audio device thread, under the device manager's callback lock) and
// SetCurrentTrack in session mode (the export's converter thread, under the
// framework's message-manager lock). The player's reader thread only records
// its events and posts them to the controller; they are handled on the
// message thread. Listener calls are made on the message thread.
class CTVHost : public CBJXListenerOwner<CTVHostListener>,
                public CTVAudioDeviceManagerListener,
                public CTVAudioDeviceManagerProcessor,
                public CAudioFileTransportListener,
                public Tavrel::ExportSessionListener,
                public Tavrel::TrackInfoListener,
                public juce::MessageListener,
                public juce::Timer,
                public CBJXSingleton<CTVHost>
{
public:
    // The controller's transport states.
    enum TransportState : int
    {
        kPlaying = 0,
        kPaused = 1,
        kStopped = 2,
    };
    enum WindState : int
    {
        kWindNone = 0,
        kWindForward = 1,
        kWindRewind = 2,
    };
    enum CueState : int
    {
        kCueNone = 0,
        kCueFrom = 1,
        kCueTo = 2,
    };
    enum PlayMode : int
    {
        kPlayOneSong = 0,
        kPlayList = 1,
        kPlayShuffle = 2,
    };
    enum Mode : int
    {
        kPlayerMode = 0,
        kSessionMode = 1,
    };
    // Where the displayed position comes from.
    enum PositionSource : int
    {
        kPositionFromTransport = 0,
        kPositionFromTimeBar = 2,
    };

    static constexpr int kTimerIntervalMs = 50;
    static constexpr int kMaxRecentSongLists = 10;
    static constexpr int kDefaultHoldTimeMs = 2000;
    static constexpr double kNoLevelDb = -100.0;

    // The enabling states of the transport commands.
    struct TransportCommandStates
    {
        bool listEmpty = false;
        bool selectionNotEmpty = false;
        bool playerMode = false;
        bool paused = false;
        bool playingOrNoCurrentSong = false;
        bool notStoppedWithCurrentSong = false;
        bool atLastSong = false;
        bool atFirstSongStart = false;
    };

    CTVHost();
    ~CTVHost() override;

    CTVHost(const CTVHost&) = delete;
    CTVHost& operator=(const CTVHost&) = delete;

    // ---- data, accessors
    // Null when the index is outside the list.
    Tavrel::TrackInfo* GetTrack(int index) const;
    bool IsValidTrackIndex(int index) const;
    int GetTrackCount() const { return static_cast<int>(tracks.size()); }
    // The current song: currentTrackIndex in player mode, sessionTrackIndex
    // in session mode, -1 in any other mode.
    int GetCurrentIndex() const { return GetCurrentIndexForMode(mode); }
    int GetCurrentIndexForMode(int forMode) const;
    int GetMode() const { return mode; }
    // Enters player mode (0) or session mode (1) and tells the listeners.
    void SetMode(int newMode);
    int GetTransportState() const { return transportState; }
    int GetWindState() const { return windState; }
    int GetCueState() const { return cueState; }
    int GetPlayMode() const { return playMode; }
    bool GetRepeat() const { return repeat; }
    bool IsModified() const { return modified; }
    void SetQuitAfterSession(bool quit) { quitAfterSession = quit; }
    bool GetQuitAfterSession() const { return quitAfterSession; }
    const juce::SparseSet<int>& GetSelection() const { return selection; }
    const juce::Array<int>& GetShuffleOrder() const { return shuffleOrder; }
    int GetShufflePosition() const { return shufflePosition; }
    const juce::StringArray& GetRecentSongLists() const { return recentSongLists; }
    juce::StringArray& GetRecentSongListsForEdit() { return recentSongLists; }
    juce::CriticalSection& GetListLock() { return listLock; }

    // The level meter's hold times in ms (-1: no limit).
    int GetPeakHoldTime() const { return peakHoldTimeMs; }
    void SetPeakHoldTime(int ms) { peakHoldTimeMs = ms; }
    int GetClipHoldTime() const { return clipHoldTimeMs; }
    void SetClipHoldTime(int ms) { clipHoldTimeMs = ms; }

    // The time bar says where the displayed position comes from.
    void SetPositionSource(int source) { positionSource = source; }
    int GetPositionSource() const { return positionSource; }

    // The file player (owned) and the song reader as the player's input.
    CAudioFilePlayerPcmOutput* GetPlayer() const { return player.get(); }
    CAudioPlayerInput* GetCurrentInput() const;

    // Registrations of observers that follow song records through the
    // controller: trackIndex -1 every song, -2 the current song, 0 or more the
    // song at that row.
    void AddTrackInfoListenerEntry(Tavrel::TrackInfoListener* listener, int trackIndex);
    void RemoveTrackInfoListenerEntries(Tavrel::TrackInfoListener* listener);

    // ---- playback
    void StopPlayback();
    void ReturnToSongStart();
    void SetTransportState(int state);
    void SetWindState(int state);
    void SetCueState(int state);
    void SetPlayMode(int newMode);
    void SetRepeat(bool on);
    bool OpenCurrentTrack();
    bool SetCurrentTrack(int index, bool openInPlayer, bool rebuildShuffle);
    bool StepTrack(bool forward, bool skipUnplayable);
    void NextTrack(bool skipUnplayable) { StepTrack(true, skipUnplayable); }
    void PreviousTrack(bool skipUnplayable) { StepTrack(false, skipUnplayable); }
    // Relative seek by tenths of a second.
    void SeekBy(double tenths);
    void SetSeekFraction(double fraction) { seekFraction = fraction; }
    double GetSeekFraction() const { return seekFraction; }
    void SetPositionFraction(double fraction);
    bool IsTimeInsideSong(double seconds) const;
    bool IsPositionInsideSong() const;
    float GetProgressFraction() const;
    // False when no time is shown (nothing is written then).
    bool GetPositionForDisplay(int& hours, int& minutes, float& seconds);
    TransportCommandStates GetTransportCommandStates() const;
    // True while an event of the player's reader thread (the end of a song,
    // a failed source) waits to be handled on the message thread.
    bool HasPendingTransportEvent() const { return pendingTransportEnd.load() || pendingSourceFailed.load(); }
    void BuildShuffleOrder();
    // Tests fix the shuffle generator's seed; without one it is the clock.
    void SetShuffleSeed(std::optional<uint32_t> seed) { shuffleSeed = seed; }
    void UpdateMeters();

    // ---- song-list edits. InsertTracks, RemoveTracks, LinkChannels and
    // CombineTracks hold the list lock for their whole run (the add-songs
    // thread inserts); the others belong to the message thread. Records taken
    // out of the list are not deleted unless asked: the undoable actions keep
    // them.
    bool InsertTracks(int row, Tavrel::TrackInfo* record);
    bool RemoveTracks(int row, bool notify, bool moveCurrent, bool deleteRecord);
    // Keeps the rows below the track count; tells the listeners only when
    // that changes the selection.
    void SetSelection(const juce::SparseSet<int>& rows, int flag);
    void SelectRange(int count, int start, int flag);
    void UpdateSelectionFlags();
    bool CanCombine() const { return canCombine; }
    bool CanLinkChannels() const { return canLinkChannels; }
    // Moves the moved rows as a block before dropRow.
    void PermutateTracks(const juce::SparseSet<int>& moved, int dropRow);
    // Puts back an order taken before a permutation, and its selection.
    void UndoPermutation(const std::vector<Tavrel::TrackInfo*>& order, const juce::SparseSet<int>& oldSelection);
    // Divides the current song at the position (seconds). On success the
    // divided record (out of the list) is handed back when asked for, and
    // then belongs to the caller; otherwise it is deleted. The two new ones
    // are handed back when asked for.
    bool DivideTrack(double position, Tavrel::TrackInfo** divided = nullptr, Tavrel::TrackInfo** first = nullptr,
                     Tavrel::TrackInfo** second = nullptr);
    // Joins pairs of mono songs into two-channel songs, or songs one after
    // another. The joined records (out of the list) are handed back when
    // asked for, and then belong to the caller; otherwise they are deleted.
    // The new record is handed back when asked for.
    bool LinkChannels(const juce::SparseSet<int>& pair, std::vector<Tavrel::TrackInfo*>* joined = nullptr,
                      Tavrel::TrackInfo** created = nullptr);
    bool CombineTracks(const juce::SparseSet<int>& rows, std::vector<Tavrel::TrackInfo*>* joined = nullptr,
                       Tavrel::TrackInfo** created = nullptr);
    // A name no song of the list has (from an index of the list's names).
    juce::String MakeUniqueSongName(const juce::String& name);
    // The accepted new name of the song at the row; empty when another song
    // has it.
    juce::String CheckNewSongName(const juce::String& oldName, const juce::String& newName, int row) const;
    // Code that fills `tracks` directly calls this after (or, appending one
    // record at a time as the open flow does, IndexAppendedRecord for each).
    void RebuildNameIndex();
    void IndexAppendedRecord(Tavrel::TrackInfo* record);
    void NotifySongListChanged();
    void NotifyCurrentTrackChanged();
    // Takes every listener away (in order), and brings them back one by one:
    // for the add of songs, whose thread must call no user interface.
    std::vector<CTVHostListener*> DetachAllListeners();
    void AttachListeners(const std::vector<CTVHostListener*>& listeners);

    // ---- song-list path, recovery files, devices and sessions
    void SetSonglistPath(const juce::String& path);
    const juce::String& GetSonglistPath() const { return songListPath; }
    void MarkSongListChanged(bool isModified);
    // Stops and closes the current song when it plays from the drive.
    void HandleDeviceChange(const juce::String& drive);
    // Stops playback, takes the song reader from the player and closes it.
    void CloseCurrentSong();
    // 1 enters session mode, 0 goes back to player mode.
    void SuspendForExport(int newMode);
    const juce::String& GetBackupPath() const { return backupPath; }
    const juce::String& GetLastSessionPath() const { return lastSessionPath; }
    // The folder of the recovery files: "Tavrel" in the configuration folder
    // the settings file uses.
    static juce::File GetRecoveryFolder();
    // What the end of a session calls when the user chose to quit meanwhile;
    // at first it quits the application. Tests replace it.
    static void SetQuitHook(std::function<void()> hook);
    // Quits the application through the hook (the main component's quit
    // command, the window's close button). Message thread.
    static void QuitApplication();

    // ---- preferences
    void loadPlayerPreferences();
    void savePlayerPreferences();
    void loadRecentSonglists();
    void saveRecentSonglists();

    // ---- the song list, public for the open flow and the sessions; the
    // records are owned.
    std::vector<Tavrel::TrackInfo*> tracks;

    // ---- interfaces
    void processAudio(const float* const* inputChannels, int inputCount, float* const* outputChannels, int outputCount,
                      int sampleCount) override;
    void timerCallback() override;
    void handleMessage(const juce::Message& message) override;

    void transportStateChanged(CAudioFileTransport* transport) override;
    void transportStopped(CAudioFileTransport* transport) override;

    void deviceAboutToStart(CTVAudioDeviceManager* manager, double sampleRate, int bufferSize) override;

    void exportSessionStarted(Tavrel::ExportSession* session) override;
    void exportSessionFinished(Tavrel::ExportSession* session, bool aborted) override;

    void markersChanged(Tavrel::TrackInfo* track, int markerIndex) override;
    void textChanged(Tavrel::TrackInfo* track, int field) override;
    void pictureChanged(Tavrel::TrackInfo* track) override;
    void controlChanged(Tavrel::TrackInfo* track, int target) override;
    void dataSpecChanged(Tavrel::TrackInfo* track) override;

private:
    struct TrackInfoRegistration
    {
        Tavrel::TrackInfoListener* listener;
        int trackIndex;
    };
    class CueMessage;
    class TransportEventMessage;

    // Calls `call` on every registration that follows `track`, in order.
    template <typename Call>
    void RelayTrackEvent(Tavrel::TrackInfo* track, Call call);
    int IndexOfTrack(const Tavrel::TrackInfo* track) const;
    void PostCueMessage(int state);
    double SongLengthSeconds() const;
    // The reader thread's events, carried out on the message thread.
    void HandleTransportEnd();
    void HandleSourceFailed();
    // Applies the hold-at-end rule: hold when repeat is on or the play mode
    // is not one song.
    void UpdateHoldAtEnd();
    // Builds the recovery paths and copies the backup over the last-session
    // file (construction).
    void PrepareRecoveryFiles();
    // After a link or combine: the joined records out, the new one in at the
    // first row, the current song kept on the same music.
    void FinishJoin(const std::vector<int>& rows, const std::vector<Tavrel::TrackInfo*>& joined,
                    Tavrel::TrackInfo* created, Tavrel::TrackInfo* previousCurrent, bool selectCreated);
    bool CanJoin(Tavrel::TrackInfo* first, Tavrel::TrackInfo* other, bool sameChannels) const;
    // The names index: whole names and, per base, the numbers in use.
    void IndexName(const juce::String& name, int delta);
    void IndexRecord(Tavrel::TrackInfo* record, bool add);

    bool quitAfterSession = false;
    int mode = kPlayerMode;
    int sessionTrackIndex = -1;
    juce::SparseSet<int> savedSelection;
    CTVAudioDeviceManager* deviceManager = nullptr;
    std::unique_ptr<CAudioFilePlayerPcmOutput> player;
    std::unique_ptr<CSongRead> songReader;
    int transportState = kStopped;
    int windState = kWindNone;
    int cueState = kCueNone;
    int playMode = kPlayOneSong;
    bool repeat = false;
    int positionSource = kPositionFromTransport;
    double seekFraction = 0.0;
    juce::Array<int> shuffleOrder;
    int shufflePosition = 0;
    int currentTrackIndex = -1;
    juce::SparseSet<int> selection;
    bool canCombine = false;
    bool canLinkChannels = false;
    juce::CriticalSection listLock;
    juce::String songListPath;
    bool modified = false;
    juce::StringArray recentSongLists;
    juce::String lastSessionPath;
    juce::String backupPath;
    std::vector<TrackInfoRegistration> trackInfoRegistrations;
    int peakHoldTimeMs = kDefaultHoldTimeMs;
    int clipHoldTimeMs = kDefaultHoldTimeMs;

    Tavrel::SessionMonitor* sessionMonitor = nullptr;
    std::optional<uint32_t> shuffleSeed;
    // The timer's tick counter and the last reported inside-song flag.
    int tickCounter = 1;
    bool lastInsideSong = false;
    // Set by the reader thread, taken by the message thread.
    std::atomic<bool> pendingTransportEnd{false};
    std::atomic<bool> pendingSourceFailed{false};
    // The names index.
    std::map<Tavrel::TrackInfo*, juce::String> indexedNames;
    std::map<juce::String, int> nameCounts;
    std::map<juce::String, std::map<int, int>> baseNumbers;
};
