#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/dsp/dynamics/CDynamicControlParams.h"
#include "engine/dsp/dynamics/DynamicStages.h"

// A song's level controls applied in place to blocks of float samples: DC cut,
// gain, pan, fade-in and fade-out, in that order, then per-channel peak meters.
//
// Threads. The settings (the CDynamicControlParams setters, the sample rate and
// the fade length) may be changed from any thread while another one runs
// Process: they are kept under a lock of their own, and Process takes them over
// at the start of a block only when that lock is free, so it never waits. The
// stream state (fade position and origin, DC-cut history) belongs to the thread
// that runs Process: set it there or under the lock that serialises Process.
// The peak meters are atomics, read-and-reset from any thread.
class CDynamicControl : public CDynamicControlParams
{
public:
    static constexpr uint16_t kMaxChannels = 4;
    static constexpr float kNoPeak = -200.0f;

    // Channel counts above 4 become 4.
    explicit CDynamicControl(uint16_t channels);
    ~CDynamicControl() override;

    uint16_t GetChannelCount() const { return m_channels.load(std::memory_order_relaxed); }
    // Serves another channel count (above 4 become 4) with the same settings:
    // a pan asked for while the count was not 2 applies once it is. Clears the
    // DC-cut history and the meters. Call it where Process runs.
    void SetChannelCount(uint16_t channels);

    float SetGain(float decibels) override;
    float SetPan(float pan) override;
    uint32_t SetDcCut(uint32_t mode) override;
    void SetFade(int fadeInKind, float fadeInSeconds, int fadeOutKind, float fadeOutSeconds) override;
    float GetGain() override;
    float GetPan() override;
    uint32_t GetDcCut() override;
    void GetFade(int* fadeInKind, float* fadeInSeconds, int* fadeOutKind, float* fadeOutSeconds) override;

    // Gain exactly 0 dB, pan 0 and DC cut off; the fades do not count.
    bool IsNeutral();

    // The DC-cut rate and the fade rate (the fade position and origin are
    // rescaled to it). Returns the rate.
    uint32_t SetSampleRate(uint32_t rate);
    // The song length the fades are fitted into.
    void SetFadeLength(double seconds);
    // The fade values in use: total frames, fade-in and fade-out frames.
    CFadeControl::Settings GetFadeSettings();

    // Stream state (the processing thread): position := trunc(seconds x rate).
    void SetFadePosition(double seconds);
    void SetFadePositionFrames(int64_t frame);
    int64_t GetFadePosition();
    void SetFadeOrigin(int32_t frame);

    // Clears the DC-cut history and sets every peak to -200 dB.
    void ResetMeters();
    // Sets every peak to -200 dB (any thread).
    void ResetPeaks();
    // The peak of a channel in dB since the last read, which it resets to
    // -200 dB in the same step; -200 for a channel beyond the count.
    float ReadPeak(uint16_t channel);

    // Processes the first min(channel count, 4) channels of buffers in place;
    // returns frames.
    uint32_t Process(float* const* buffers, uint32_t frames);

private:
    // Takes the pending settings over into the stages in use; the caller
    // holds m_settingsLock.
    void TakeOverLocked();
    // Takes the settings over, waiting for the lock (not for the audio thread).
    void Synchronise();

    std::atomic<uint16_t> m_channels;

    // Settings as last set, under m_settingsLock.
    std::mutex m_settingsLock;
    CDcCutFilter m_pendingDcCut;
    CGainControl m_pendingGain;
    CPanControl m_pendingPan;
    CFadeControl m_pendingFade;
    std::atomic<uint64_t> m_settingsVersion{0};

    // The stages in use, owned by the processing side.
    uint64_t m_versionInUse = 0;
    CDcCutFilter m_dcCut;
    CGainControl m_gain;
    CPanControl m_pan;
    CFadeControl m_fade;

    std::atomic<float> m_peak[kMaxChannels];
};
