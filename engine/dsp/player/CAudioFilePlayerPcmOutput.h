#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/audiofile/foundation/CCriticalSection.h"
#include "engine/audiofile/pcm/CRingBufferPcm.h"
#include "engine/audiofile/pcm/CSimpleBufferPcm.h"
#include "engine/dsp/player/CAudioFilePlayerBase.h"
#include "platform/thread/WakeEvent.h"

class CAudioPlayerInput;
class CDynamicControl;
class CRealTimeFsConverterPcmOutput;

// Plays one source (not owned) on the audio device. The reader thread pulls
// samples from the source, converts them to the device rate and fills a ring;
// the audio device thread takes blocks out of the ring, applies the song's
// dynamics and hands them on.
//
// Threads and locks. The owner's thread calls the transport operations,
// SetSource and SetDeviceSampleRate; the reader thread runs run(); the audio
// device thread calls only ProcessBlock (and through it ReadForDevice). The
// player lock guards the source and the reader's work; the ring lock guards
// the ring between a seek and the device side. Order: player lock, then ring
// lock. ProcessBlock never waits: it only tries the ring lock, and when a seek
// or a restart holds it the block is silence and nothing advances (the seek
// empties the ring anyway). Fields read across threads are atomics.
//
// Listeners are called on the reader thread: at the end of the source (unless
// holding at end), at the end of a cue play (the audio thread only marks the
// end; the reader thread seeks and tells the listeners), and when the source
// fails. A transport command given after a cue play ended and before the
// reader thread has finished that end replaces it: the return seek is not
// made and the listeners are not told.
class CAudioFilePlayerPcmOutput : public CAudioFilePlayerBase
{
public:
    static constexpr uint32_t kRingFrames = 262144;
    static constexpr uint32_t kSourceBufferFrames = 16384;
    static constexpr uint32_t kSrcBufferFrames = 1024;
    static constexpr uint32_t kMaxChunkFrames = 1023;
    static constexpr uint32_t kPrebufferFrames = 65536;
    static constexpr uint32_t kMinFreeFrames = 128;
    static constexpr uint32_t kEdgeRampFrames = 512;
    static constexpr int kReaderPriority = 3; // below normal

    CAudioFilePlayerPcmOutput();
    ~CAudioFilePlayerPcmOutput() override;

    // The reader thread body.
    void run() override;
    // Starts the reader thread when a source is set and no thread runs.
    ThreadStartResult Start(int priority) override;
    // Detaches the current source (without deleting it), then plays the new
    // one (null: none) from 0.
    virtual void SetSource(CAudioPlayerInput* source);
    // Restarts at position 0 when the rate changes; a rate that is not a
    // positive number is refused. Returns the device rate in use.
    virtual float SetDeviceSampleRate(float rate);
    // Audio device thread: up to frames frames from the ring into the two
    // output channels (what is missing is silence), through the dynamics.
    // Returns the frames that came from the ring.
    virtual uint32_t ReadForDevice(float* const* output, uint32_t frames);
    virtual void UpdateSrc();
    virtual void WriteSilence(float* const* output, uint32_t frames, uint32_t offset);
    virtual int GetType();
    // A source is set, the ring is (nearly) empty, the state is playing or
    // fast-forward and the source has nothing left.
    virtual bool IsFinished();
    // Stops the reader thread and forgets the source (not deleted).
    void DetachSource();

    uint32_t ProcessBlock(const float* const* input, float* const* output, uint32_t frames) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void FastForward() override;
    void Rewind() override;
    void CuePlayFrom() override;
    void CuePlayTo() override;
    // A negative (or NaN) target is 0.
    double SetPosition(double seconds) override;
    double SetPositionPercent(double percent) override;
    bool SetHoldAtEnd(bool hold) override;
    void ReadPeakLevels(float* levels) override;
    double GetPosition() override;
    double GetPositionPercent() override;
    double GetBufferFill() override;
    bool GetHoldAtEnd() override;
    bool IsHoldingAtEnd() override;
    bool IsRewoundToStart() override;
    CMarker* GetMarkers() override;
    bool JumpToMarker(int index) override;
    bool NextMarker() override;
    bool PreviousMarker() override;
    int GetMarkerIndexAtPosition() override;
    CDynamicControl* GetDynamicControl() override;

    int GetState() const { return m_state.load(std::memory_order_acquire); }
    bool IsPrebuffering() const { return m_prebuffering.load(std::memory_order_acquire); }
    CAudioPlayerInput* GetSource() const { return m_source.load(std::memory_order_acquire); }
    float GetDeviceSampleRate() const { return m_deviceRate.load(std::memory_order_acquire); }

private:
    // Reads one chunk from the source into the ring; the caller holds the
    // player lock.
    void ReadChunk();
    // Wakes the reader thread (any thread, the audio callback included).
    void WakeForStop() override { m_readerWake.wake(); }
    // Carries out the end of a cue play that the audio thread marked: the
    // return seek under the player lock, then the listeners. True when there
    // was one.
    bool FinishCuePlay();
    // Drops a cue-play end that the reader thread has not carried out yet;
    // the caller holds the player lock.
    void CancelCuePlayEnd();
    uint32_t FadeRate() const;
    int64_t WindFrames(double seconds) const;

    std::atomic<int> m_state{kStateStopped};
    std::atomic<CAudioPlayerInput*> m_source{nullptr};
    std::unique_ptr<CDynamicControl> m_dynamics;
    uint16_t m_channels = 2;
    uint32_t m_fileRate = 2822400;
    std::atomic<float> m_deviceRate{44100.0f};
    std::atomic<uint32_t> m_deliveredCounter{0};
    std::atomic<uint32_t> m_readCounter{0};
    std::atomic<double> m_basePosition{0.0};
    // Signed: rewinding may take it below zero (the position is limited at 0).
    std::atomic<int64_t> m_playFrames{0};
    std::atomic<bool> m_prebuffering{true};
    std::atomic<bool> m_holdAtEnd{false};
    std::atomic<uint32_t> m_cueFrames{0};
    std::atomic<double> m_cueStart{0.0};
    std::atomic<double> m_lastJump{-1.0};
    std::atomic<double> m_rateRatio{1.0};
    uint64_t m_sourceFramesRead = 0;
    // The source's length, kept when it is set, so that positions are computed
    // without calling into the source (the audio thread reads them too).
    std::atomic<double> m_sourceLength{0.0};
    // The cue state (6 or 7) whose end the audio thread marked; 0 for none.
    std::atomic<int> m_cueEndPending{0};
    CCriticalSection m_playerLock;
    CCriticalSection m_ringLock;
    std::unique_ptr<CRingBufferPcm> m_ring;
    // The reader thread sleeps on this until the device has taken frames
    // from the ring, a command has changed what it must do, or it must stop.
    qm::platform::WakeEvent m_readerWake;
    std::unique_ptr<CSimpleBufferPcm> m_sourceBuffer;
    std::unique_ptr<CSimpleBufferPcm> m_srcBuffer;
    std::unique_ptr<CRealTimeFsConverterPcmOutput> m_converter;
};
