// The controller's playback side: opening the current song into the player,
// the transport state on top of the player's transport, winding and cue play,
// seeking, the play order, stepping, the meters, the timer and the audio
// callback.

#include <algorithm>
#include <cmath>
#include <random>

#include "app/core/SessionMonitor.h"
#include "app/host/CTVHost.h"
#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CMarker.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

namespace
{
// A tenth of a second as the single-precision 0.1, widened.
constexpr double kTenth = static_cast<double>(0.1f);
// Clip states of the meters.
constexpr double kHardClipDb = 3.0;
} // namespace

double CTVHost::SongLengthSeconds() const
{
    const uint32_t rate = songReader->GetSampleRate();
    return rate > 0 ? static_cast<double>(songReader->GetLength()) / rate : 0.0;
}

void CTVHost::UpdateHoldAtEnd()
{
    player->SetHoldAtEnd(repeat || playMode != kPlayOneSong);
}

void CTVHost::StopPlayback()
{
    transportState = kStopped;
    if (cueState != kCueNone)
    {
        cueState = kCueNone;
        PostCueMessage(kCueNone);
    }
    player->Stop();
    CallListeners([&](CTVHostListener& l) { l.transportStateChanged(this, kStopped); });
    player->Stop();
}

void CTVHost::ReturnToSongStart()
{
    player->SetPositionPercent(0.0);
}

void CTVHost::SetTransportState(int state)
{
    if (state == kPlaying || state == kPaused)
    {
        const bool deviceRuns =
            deviceManager != nullptr && deviceManager->GetCurrentDevice() != nullptr && deviceManager->IsRunning();
        if (!deviceRuns || (!songReader->HasChannelGroups() && !OpenCurrentTrack()))
            state = kStopped;
    }
    transportState = state;
    if (state == kPlaying)
        player->Play();
    else if (state == kPaused)
    {
        windState = kWindNone;
        CallListeners([&](CTVHostListener& l) { l.windStateChanged(this, kWindNone); });
        player->Pause();
    }
    else if (state == kStopped)
    {
        if (cueState != kCueNone)
        {
            cueState = kCueNone;
            PostCueMessage(kCueNone);
        }
        player->Stop();
    }
    CallListeners([&](CTVHostListener& l) { l.transportStateChanged(this, transportState); });
}

void CTVHost::SetWindState(int state)
{
    windState = state;
    if (transportState == kPlaying)
    {
        if (state == kWindNone)
            player->Play();
        else if (state == kWindForward)
            player->FastForward();
        else if (state == kWindRewind)
            player->Rewind();
    }
    else if (transportState == kStopped && state != kWindNone)
        SetTransportState(kPaused);
    CallListeners([&](CTVHostListener& l) { l.windStateChanged(this, windState); });
}

void CTVHost::SetCueState(int state)
{
    if (state == cueState)
        return;
    cueState = state;
    if (state == kCueFrom)
        player->CuePlayFrom();
    else if (state == kCueTo)
        player->CuePlayTo();
    PostCueMessage(state);
}

void CTVHost::SetPlayMode(int newMode)
{
    playMode = newMode;
    UpdateHoldAtEnd();
    BuildShuffleOrder();
}

void CTVHost::SetRepeat(bool on)
{
    repeat = on;
    UpdateHoldAtEnd();
}

bool CTVHost::OpenCurrentTrack()
{
    if (player->GetSource() != nullptr)
        player->DetachSource();
    songReader->Close();
    if (mode != kPlayerMode && mode != kSessionMode)
        return false;
    Tavrel::TrackInfo* track = GetTrack(GetCurrentIndex());
    if (track == nullptr)
        return false;

    bool moved = false;
    const bool opened = track->refreshDataSpec(*songReader, &moved, true);
    if (moved)
    {
        // The disc was found in another drive: the other CD songs look for
        // their discs again too.
        for (Tavrel::TrackInfo* other : tracks)
        {
            if (other != track && other->getFormatName() == "CD")
                other->isReadable();
        }
    }
    if (!opened)
        return false;
    player->SetSource(songReader.get());
    if (CMarker* marks = player->GetMarkers(); marks != nullptr && track->markers != nullptr)
        marks->CopyFrom(*track->markers);
    if (CDynamicControl* dynamics = player->GetDynamicControl())
        track->applyControls(*dynamics, false);
    return true;
}

bool CTVHost::SetCurrentTrack(int index, bool openInPlayer, bool rebuildShuffle)
{
    bool openFailed = false;
    if (mode == kSessionMode)
    {
        sessionTrackIndex = index;
        CallListeners([&](CTVHostListener& l) { l.currentTrackChanged(this, GetCurrentIndex()); });
    }
    else
    {
        currentTrackIndex = index;
        if (openInPlayer)
        {
            StopPlayback();
            if (IsValidTrackIndex(index))
            {
                for (Tavrel::TrackInfo* track : tracks)
                    track->isCurrent = false;
                tracks[static_cast<size_t>(index)]->isCurrent = true;
                openFailed = !OpenCurrentTrack();
            }
            CallListeners([&](CTVHostListener& l) { l.currentTrackChanged(this, GetCurrentIndex()); });
        }
    }
    if (rebuildShuffle)
        BuildShuffleOrder();
    return !openFailed;
}

void CTVHost::BuildShuffleOrder()
{
    const int n = GetTrackCount();
    shuffleOrder.clearQuick();
    for (int i = 0; i < n; ++i)
        shuffleOrder.add(i);
    const int c = GetCurrentIndex();
    if (c >= 0 && c < n)
        shuffleOrder.swap(0, c);
    shufflePosition = 0;
    std::mt19937 random(shuffleSeed ? *shuffleSeed : static_cast<uint32_t>(juce::Time::currentTimeMillis()));
    // The current song stays first; the others are shuffled behind it.
    for (int i = n - 1; i >= 2; --i)
    {
        const int k = 1 + static_cast<int>(random() % static_cast<uint32_t>(i));
        shuffleOrder.swap(i, k);
    }
}

bool CTVHost::StepTrack(bool forward, bool skipUnplayable)
{
    const int n = GetTrackCount();
    const int c = GetCurrentIndex();
    std::vector<int> after, before;
    if (playMode == kPlayShuffle)
    {
        for (int i = shufflePosition + 1; i < shuffleOrder.size(); ++i)
            after.push_back(shuffleOrder[i]);
        for (int i = 0; i < shufflePosition && i < shuffleOrder.size(); ++i)
            before.push_back(shuffleOrder[i]);
    }
    else
    {
        for (int i = c + 1; i < n; ++i)
            after.push_back(i);
        for (int i = 0; i < c && i < n; ++i)
            before.push_back(i);
    }
    const bool wrap = repeat && playMode != kPlayOneSong;
    std::vector<int> candidates;
    if (forward)
    {
        candidates = after;
        if (wrap)
        {
            candidates.insert(candidates.end(), before.begin(), before.end());
            candidates.push_back(c);
        }
    }
    else
    {
        if (wrap)
        {
            candidates.push_back(c);
            candidates.insert(candidates.end(), after.begin(), after.end());
        }
        candidates.insert(candidates.end(), before.begin(), before.end());
        std::reverse(candidates.begin(), candidates.end());
    }
    if (candidates.empty())
        return false;

    const int keptState = transportState;
    const int keptWind = windState;
    int taken = -1;
    for (size_t i = 0; i < candidates.size(); ++i)
    {
        if (SetCurrentTrack(candidates[i], true, false))
        {
            taken = static_cast<int>(i);
            break;
        }
        if (!skipUnplayable)
            break;
    }
    if (taken >= 0)
    {
        player->SetPosition(0.0);
        if (playMode == kPlayShuffle && n > 0)
        {
            const int step = forward ? taken + 1 : n - taken - 1;
            shufflePosition = (shufflePosition + step) % n;
        }
    }
    SetTransportState(keptState);
    SetWindState(keptWind);
    return true;
}

void CTVHost::SeekBy(double tenths)
{
    if (tenths == 0.0)
        return;
    const double length = SongLengthSeconds();
    double target = player->GetPosition() + tenths * kTenth;
    if (playMode == kPlayOneSong)
        target = std::clamp(target, 0.0, length);
    else if (target < 0.0)
        target = StepTrack(false, true) ? SongLengthSeconds() : 0.0;
    else if (target > length)
        target = StepTrack(true, true) ? 0.0 : length;
    player->SetPosition(target);
    if (transportState == kStopped && target > 0.0)
        SetTransportState(kPaused);
}

void CTVHost::SetPositionFraction(double fraction)
{
    player->SetPositionPercent(fraction * 100.0);
}

bool CTVHost::IsTimeInsideSong(double seconds) const
{
    return mode == kPlayerMode && cueState == kCueNone && seconds > 0.0 && seconds < SongLengthSeconds();
}

bool CTVHost::IsPositionInsideSong() const
{
    return IsTimeInsideSong(player->GetPosition());
}

float CTVHost::GetProgressFraction() const
{
    if (mode == kSessionMode)
        return sessionMonitor != nullptr ? static_cast<float>(sessionMonitor->getSessionProgress() * 0.01) : 0.0f;
    if (mode != kPlayerMode)
        return 0.0f;
    if (positionSource == kPositionFromTransport)
        return static_cast<float>(player->GetPositionPercent() * 0.01);
    if (positionSource == kPositionFromTimeBar)
        return static_cast<float>(seekFraction);
    return 0.0f;
}

bool CTVHost::GetPositionForDisplay(int& hours, int& minutes, float& seconds)
{
    if (mode == kSessionMode)
        return sessionMonitor != nullptr && sessionMonitor->getSessionPosition(hours, minutes, seconds);
    if (mode != kPlayerMode)
        return false;
    double time = 0.0;
    if (positionSource == kPositionFromTransport)
        time = player->GetPosition();
    else if (positionSource == kPositionFromTimeBar)
    {
        seekFraction = std::clamp(seekFraction, 0.0, 1.0);
        time = SongLengthSeconds() * seekFraction;
    }
    else
        return false;
    SecondsToHourMinSec(time, &hours, &minutes, &seconds);
    return true;
}

CTVHost::TransportCommandStates CTVHost::GetTransportCommandStates() const
{
    TransportCommandStates s;
    const int n = GetTrackCount();
    const int c = GetCurrentIndex();
    const bool hasCurrent = IsValidTrackIndex(c);
    s.listEmpty = n == 0;
    s.selectionNotEmpty = !selection.isEmpty();
    s.playerMode = mode == kPlayerMode;
    s.paused = transportState == kPaused;
    s.playingOrNoCurrentSong = transportState == kPlaying || !hasCurrent;
    s.notStoppedWithCurrentSong = transportState != kStopped && hasCurrent;
    if (!(repeat && playMode != kPlayOneSong))
    {
        const int place = playMode == kPlayShuffle ? shufflePosition : c;
        s.atLastSong = place >= n - 1;
        s.atFirstSongStart = c == 0 && player->GetPosition() < 0.0001;
    }
    return s;
}

void CTVHost::UpdateMeters()
{
    double levels[2] = {kNoLevelDb, kNoLevelDb};
    int clip = 0;
    if (mode == kPlayerMode)
    {
        float peaks[2] = {static_cast<float>(kNoLevelDb), static_cast<float>(kNoLevelDb)};
        player->ReadPeakLevels(peaks);
        levels[0] = peaks[0];
        levels[1] = peaks[1];
        const double peak = std::max({levels[0], levels[1], kNoLevelDb});
        clip = peak >= kHardClipDb ? 2 : (peak > 0.0 ? 1 : 0);
    }
    else if (mode == kSessionMode && sessionMonitor != nullptr)
    {
        float session[2] = {static_cast<float>(kNoLevelDb), static_cast<float>(kNoLevelDb)};
        sessionMonitor->getSessionLevels(session, clip);
        levels[0] = session[0];
        levels[1] = session[1];
    }
    for (int channel = 0; channel < 2; ++channel)
        CallListeners([&](CTVHostListener& l) { l.levelChanged(this, channel, levels[channel]); });
    CallListeners([&](CTVHostListener& l) { l.clipStateChanged(this, clip); });
}

void CTVHost::timerCallback()
{
    if (tickCounter > 1)
    {
        const bool inside = IsPositionInsideSong();
        if (inside != lastInsideSong)
        {
            lastInsideSong = inside;
            CallListeners([&](CTVHostListener& l) { l.positionInsideSongChanged(this, inside); });
        }
        tickCounter = 0;
    }
    ++tickCounter;

    UpdateMeters();
    CallListeners([&](CTVHostListener& l) { l.positionChanged(this); });

    if (transportState == kPaused && positionSource == kPositionFromTransport &&
        (windState == kWindForward || windState == kWindRewind))
        SeekBy(windState == kWindForward ? 10.0 : -10.0);

    bool mayAdvance = true;
    CallListeners([&](CTVHostListener& l) { mayAdvance = l.canAdvanceToNextTrack(this) && mayAdvance; });
    if (!mayAdvance)
        return;

    if (player->IsHoldingAtEnd())
    {
        if (playMode == kPlayList || playMode == kPlayShuffle)
        {
            if (!StepTrack(true, true) && player->GetState() != CAudioFileTransport::kStateStopped)
            {
                // The list has been played through: back to its first song, stopped.
                if (mode == kPlayerMode)
                {
                    currentTrackIndex = 0;
                    StopPlayback();
                    if (!tracks.empty())
                    {
                        for (Tavrel::TrackInfo* track : tracks)
                            track->isCurrent = false;
                        tracks[0]->isCurrent = true;
                        OpenCurrentTrack();
                    }
                }
                else if (mode == kSessionMode)
                    sessionTrackIndex = 0;
                CallListeners([&](CTVHostListener& l) { l.currentTrackChanged(this, GetCurrentIndex()); });
            }
        }
        else
            player->SetPosition(0.0);
    }
    else if (player->IsRewoundToStart())
    {
        const bool stepped = playMode == kPlayOneSong ? repeat : StepTrack(false, true);
        if (stepped)
            player->SetPosition(SongLengthSeconds() - 2.0);
    }
}

void CTVHost::processAudio(const float* const*, int, float* const* outputChannels, int outputCount, int sampleCount)
{
    if (outputCount >= 2 && sampleCount > 0)
        player->ProcessBlock(nullptr, outputChannels, static_cast<uint32_t>(sampleCount));
}

void CTVHost::HandleTransportEnd()
{
    if (transportState == kPaused)
    {
        // A cue play ended.
        cueState = kCueNone;
        PostCueMessage(kCueNone);
        return;
    }
    transportState = kStopped;
    CallListeners([&](CTVHostListener& l) { l.transportStateChanged(this, kStopped); });
}

void CTVHost::HandleSourceFailed()
{
    StopPlayback();
    player->DetachSource();
    songReader->Close();
}

void CTVHost::deviceAboutToStart(CTVAudioDeviceManager*, double sampleRate, int)
{
    if (!(sampleRate > 0.0))
        return;
    const double position = player->GetPosition();
    player->SetDeviceSampleRate(static_cast<float>(sampleRate));
    SetTransportState(transportState);
    windState = kWindNone;
    if (transportState == kPlaying)
        player->Play();
    CallListeners([&](CTVHostListener& l) { l.windStateChanged(this, kWindNone); });
    if (cueState != kCueNone)
    {
        cueState = kCueNone;
        PostCueMessage(kCueNone);
    }
    player->SetPosition(position);
}
