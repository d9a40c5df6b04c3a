#pragma once

#include <cstdint>

class CAudioFileTransport;
class CDynamicControl;
class CMarker;

// Told when playback ended by itself. The calls come from the player's reader
// thread (never from the audio device thread): an owner that lives on another
// thread posts them on, and must not detach the player's source or change its
// device rate from inside the call (both wait for the reader thread).
class CAudioFileTransportListener
{
public:
    virtual ~CAudioFileTransportListener() = default;

    // The end of the source or the end of a cue play was reached.
    virtual void transportStateChanged(CAudioFileTransport* transport);
    // The source failed to read and was dropped.
    virtual void transportStopped(CAudioFileTransport* transport);
};

// The face of a file player towards its owner: play, pause, stop, winding,
// the two cue plays, positioning, marks, peak meters, and the block request of
// the audio device thread. Every operation except ProcessBlock is called from
// the owner's thread.
class CAudioFileTransport
{
public:
    // Transport states. There is no separate paused state: pause and stop
    // differ only in the position they leave.
    static constexpr int kStateStopped = 0;
    static constexpr int kStatePlaying = 1;
    static constexpr int kStateFastForward = 4;
    static constexpr int kStateRewind = 5;
    static constexpr int kStateCuePlayFrom = 6;
    static constexpr int kStateCuePlayTo = 7;

    virtual ~CAudioFileTransport() = default;

    // Audio device thread: fills `frames` frames of each output channel and
    // returns the frames that came from the source. input is not read.
    virtual uint32_t ProcessBlock(const float* const* input, float* const* output, uint32_t frames) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void FastForward();
    virtual void Rewind();
    virtual void CuePlayFrom();
    virtual void CuePlayTo();
    // Seconds; returns the position reached.
    virtual double SetPosition(double seconds);
    virtual double SetPositionPercent(double percent);
    virtual bool SetHoldAtEnd(bool hold);
    // levels receives one dB value per channel (two); meters are read-and-reset.
    virtual void ReadPeakLevels(float* levels) = 0;
    virtual double GetPosition() = 0;
    virtual double GetPositionPercent() = 0;
    virtual double GetBufferFill() = 0;
    virtual bool GetHoldAtEnd();
    virtual bool IsHoldingAtEnd();
    virtual bool IsRewoundToStart();
    virtual CMarker* GetMarkers() = 0;
    virtual bool JumpToMarker(int index);
    virtual bool NextMarker();
    virtual bool PreviousMarker();
    virtual int GetMarkerIndexAtPosition();
    virtual CDynamicControl* GetDynamicControl();
};
