#include "app/host/CTVHost.h"

#include <algorithm>

#include "app/core/SessionMonitor.h"
#include "app/devices/DeviceChangeBroadcaster.h"
#include "app/devices/DeviceChangeMessage.h"
#include "app/songlist/SongListFile.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CMarker.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

// A cue play started or ended: posted to the controller itself, so that the
// listeners hear of it after the operation that posted it has returned.
class CTVHost::CueMessage : public juce::Message
{
public:
    explicit CueMessage(int state)
        : cueState(state)
    {
    }
    const int cueState;
};

// The player's reader thread recorded an event (the end of the song or of a
// cue play, or a failed source); the message thread carries it out.
class CTVHost::TransportEventMessage : public juce::Message
{
};

namespace
{
constexpr int kDeviceChangeTag = 1;
constexpr double kDefaultDeviceRate = 44100.0;
} // namespace

CTVHost::CTVHost()
{
    deviceManager = CTVAudioDeviceManager::GetStoredInstance();
    if (deviceManager != nullptr)
        deviceManager->AddListener(this);

    player = std::make_unique<CAudioFilePlayerPcmOutput>();
    player->AddListener(this);
    const double deviceRate =
        deviceManager != nullptr && deviceManager->GetCurrentDevice() != nullptr && deviceManager->GetSampleRate() > 0.0
            ? deviceManager->GetSampleRate()
            : kDefaultDeviceRate;
    player->SetDeviceSampleRate(static_cast<float>(deviceRate));

    songReader = std::make_unique<CSongRead>();

    // The device manager takes its callback lock while it changes the
    // processor, so the audio thread never meets a half-built controller.
    if (deviceManager != nullptr)
        deviceManager->SetProcessor(this);

    sessionMonitor = Tavrel::SessionMonitor::getInstalled();
    if (sessionMonitor != nullptr)
        sessionMonitor->addSessionListener(this);
    // The broadcaster is gone once the framework has shut down.
    if (DeviceChangeBroadcaster* broadcaster = DeviceChangeBroadcaster::getInstance())
        broadcaster->addListener(this, kDeviceChangeTag);

    loadRecentSonglists();
    PrepareRecoveryFiles();
    startTimer(kTimerIntervalMs);
}

CTVHost::~CTVHost()
{
    stopTimer();
    // The list of this run survives a crash of the next start-up; an empty
    // list leaves the backup as it was. Failures are ignored.
    if (!tracks.empty() && backupPath.isNotEmpty())
        (void)Tavrel::writeSongListFile(tracks, juce::File(backupPath));
    saveRecentSonglists();

    if (DeviceChangeBroadcaster* broadcaster = DeviceChangeBroadcaster::getInstance())
        broadcaster->removeListener(this);
    if (sessionMonitor != nullptr && Tavrel::SessionMonitor::getInstalled() == sessionMonitor)
        sessionMonitor->removeSessionListener(this);
    if (deviceManager != nullptr)
    {
        deviceManager->RemoveListener(this);
        // Once this returns the audio thread calls this controller no more.
        deviceManager->SetProcessor(nullptr);
    }

    // The player's reader thread must not call into a controller that is
    // going: it is told first, then stopped with the player.
    player->RemoveListener(this);
    player->DetachSource();
    player.reset();
    songReader.reset();

    for (Tavrel::TrackInfo* track : tracks)
    {
        track->removeListener(this);
        delete track;
    }
    tracks.clear();
}

Tavrel::TrackInfo* CTVHost::GetTrack(int index) const
{
    return IsValidTrackIndex(index) ? tracks[static_cast<size_t>(index)] : nullptr;
}

bool CTVHost::IsValidTrackIndex(int index) const
{
    return index >= 0 && index < GetTrackCount();
}

int CTVHost::GetCurrentIndexForMode(int forMode) const
{
    if (forMode == kPlayerMode)
        return currentTrackIndex;
    if (forMode == kSessionMode)
        return sessionTrackIndex;
    return -1;
}

void CTVHost::SetMode(int newMode)
{
    mode = newMode;
    CallListeners([&](CTVHostListener& l) { l.controlsEnabledChanged(this, mode); });
}

CAudioPlayerInput* CTVHost::GetCurrentInput() const
{
    return songReader.get();
}

void CTVHost::AddTrackInfoListenerEntry(Tavrel::TrackInfoListener* listener, int trackIndex)
{
    trackInfoRegistrations.push_back({listener, trackIndex});
}

void CTVHost::RemoveTrackInfoListenerEntries(Tavrel::TrackInfoListener* listener)
{
    trackInfoRegistrations.erase(
        std::remove_if(trackInfoRegistrations.begin(), trackInfoRegistrations.end(),
                       [listener](const TrackInfoRegistration& r) { return r.listener == listener; }),
        trackInfoRegistrations.end());
}

int CTVHost::IndexOfTrack(const Tavrel::TrackInfo* track) const
{
    const auto it = std::find(tracks.begin(), tracks.end(), track);
    return it == tracks.end() ? -1 : static_cast<int>(it - tracks.begin());
}

template <typename Call>
void CTVHost::RelayTrackEvent(Tavrel::TrackInfo* track, Call call)
{
    const int row = IndexOfTrack(track);
    const bool isCurrent = row >= 0 && row == GetCurrentIndex();
    // A copy, so that a listener may remove registrations from inside the
    // call; a registration removed meanwhile is not called any more.
    const std::vector<TrackInfoRegistration> registrations = trackInfoRegistrations;
    for (const TrackInfoRegistration& r : registrations)
    {
        const bool follows =
            r.trackIndex == -1 || (r.trackIndex == -2 && isCurrent) || (r.trackIndex >= 0 && r.trackIndex == row);
        if (!follows)
            continue;
        const bool stillRegistered = std::any_of(
            trackInfoRegistrations.begin(), trackInfoRegistrations.end(),
            [&](const TrackInfoRegistration& e) { return e.listener == r.listener && e.trackIndex == r.trackIndex; });
        if (stillRegistered)
            call(*r.listener);
    }
}

void CTVHost::markersChanged(Tavrel::TrackInfo* track, int markerIndex)
{
    if (track != nullptr && IndexOfTrack(track) == GetCurrentIndex() && track->markers != nullptr)
    {
        if (CMarker* marks = player->GetMarkers())
            marks->CopyFrom(*track->markers);
    }
    RelayTrackEvent(track, [&](Tavrel::TrackInfoListener& l) { l.markersChanged(track, markerIndex); });
}

void CTVHost::textChanged(Tavrel::TrackInfo* track, int field)
{
    if (field == Tavrel::TrackInfo::kSongName && track != nullptr && indexedNames.count(track) != 0)
    {
        const juce::ScopedLock guard(listLock);
        IndexRecord(track, false);
        IndexRecord(track, true);
    }
    RelayTrackEvent(track, [&](Tavrel::TrackInfoListener& l) { l.textChanged(track, field); });
}

void CTVHost::pictureChanged(Tavrel::TrackInfo* track)
{
    RelayTrackEvent(track, [&](Tavrel::TrackInfoListener& l) { l.pictureChanged(track); });
}

void CTVHost::controlChanged(Tavrel::TrackInfo* track, int target)
{
    if (track != nullptr && IndexOfTrack(track) == GetCurrentIndex())
    {
        if (CDynamicControl* dynamics = player->GetDynamicControl())
            track->applyControls(*dynamics, false);
    }
    RelayTrackEvent(track, [&](Tavrel::TrackInfoListener& l) { l.controlChanged(track, target); });
}

void CTVHost::dataSpecChanged(Tavrel::TrackInfo* track)
{
    RelayTrackEvent(track, [&](Tavrel::TrackInfoListener& l) { l.dataSpecChanged(track); });
}

void CTVHost::PostCueMessage(int state)
{
    postMessage(new CueMessage(state));
}

void CTVHost::handleMessage(const juce::Message& message)
{
    if (const auto* cue = dynamic_cast<const CueMessage*>(&message))
    {
        CallListeners([&](CTVHostListener& l) { l.hostMessage(this, cue->cueState); });
        return;
    }
    if (dynamic_cast<const TransportEventMessage*>(&message) != nullptr)
    {
        if (pendingTransportEnd.exchange(false))
            HandleTransportEnd();
        if (pendingSourceFailed.exchange(false))
            HandleSourceFailed();
        return;
    }
    if (const auto* change = dynamic_cast<const DeviceChangeMessage*>(&message))
    {
        if (change->tag == kDeviceChangeTag && change->event == DeviceChangeMessage::kMediaRemoved &&
            mode == kPlayerMode)
            HandleDeviceChange(change->drive);
    }
}

// The reader thread only records the event: the handling calls the
// listeners (the user interface) and detaches the source, which waits for the
// very thread that reports it.
void CTVHost::transportStateChanged(CAudioFileTransport*)
{
    pendingTransportEnd = true;
    postMessage(new TransportEventMessage());
}

void CTVHost::transportStopped(CAudioFileTransport*)
{
    pendingSourceFailed = true;
    postMessage(new TransportEventMessage());
}
