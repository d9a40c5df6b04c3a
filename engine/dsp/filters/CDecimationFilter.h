#pragma once

#include "engine/dsp/filters/AlignedFloatArray.h"
#include "engine/dsp/filters/CFirLpfBase.h"

// Integer decimator: a symmetric low-pass of 8k + 1 taps evaluated at every M-th input
// frame, with a 512-sample history ring per channel.
class CDecimationFilter : public CFirLpfBase
{
public:
    static constexpr uint32_t kHistoryLength = 512;
    // The largest tap count of the form 8k + 1 that the 512-entry tables hold.
    static constexpr int kMaxTaps = 505;
    // Taps smaller than this fraction of the centre tap are stored as zeros.
    static constexpr double kNegligibleTap = 1e-12;

    explicit CDecimationFilter(uint16_t channels);
    ~CDecimationFilter() override;

    uint32_t GetDecimation() const override;
    void Reset() override;
    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;

    // Designs the filter: taps are cut down to the form 8k + 1, then rate, cutoff (Hz),
    // gain (dB) and the decimation factor are set and the state is reset.
    void Init(int taps, int rate, int cutoffHz, double gainDb, uint32_t decimation);

    int GetTaps() const { return m_taps; }
    float GetCoeff(int n) const { return n >= 0 && n < m_taps ? m_table.data()[n] : 0.0f; }

private:
    static constexpr uint32_t kHistoryMask = kHistoryLength - 1;
    // Per channel: the full ring forwards and reversed, then the ring of the frames between
    // outputs, each kept twice in a row.
    static constexpr uint32_t kChannelStride = 6 * kHistoryLength;

    // A half-band design decimating by 2 has zeros at every even distance from its centre:
    // its sum needs the centre frame and only the frames between outputs.
    uint32_t ProcessHalfBand(const float* const* input, float* const* output, uint32_t frames);

    AlignedFloatArray m_table;
    // Half-band: the taps at odd positions h[1], h[3], ..., h[N - 2].
    AlignedFloatArray m_oddTaps;
    bool m_halfBand;
    // Ring position of the newest frame between outputs.
    uint32_t m_betweenWriteIndex;
    // Per channel, kChannelStride floats: the ring kept twice in a row (so the window is one
    // contiguous run from its oldest sample), then the ring reversed, also twice (one run
    // from its newest sample backwards), which lets the symmetric sum read both halves
    // forwards.
    AlignedFloatArray m_history;
    uint32_t m_writeIndex;
    // Input frames still to push before the next output is due (0: the next one).
    uint32_t m_outputCountdown;
    int m_taps;
    uint32_t m_decimation;
};
