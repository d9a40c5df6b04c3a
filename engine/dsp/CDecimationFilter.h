#pragma once

#include "engine/dsp/AlignedFloatArray.h"
#include "engine/dsp/CFirLpfBase.h"

// Integer decimator: a symmetric low-pass of 8k + 1 taps evaluated at every M-th input
// frame, with a 512-sample history ring per channel.
class CDecimationFilter : public CFirLpfBase
{
public:
    static constexpr uint32_t kHistoryLength = 512;
    // The largest tap count of the form 8k + 1 that the 512-entry tables hold.
    static constexpr int kMaxTaps = 505;

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

    float* History(uint16_t channel) { return m_history.data() + channel * 2 * kHistoryLength; }

    AlignedFloatArray m_table;
    AlignedFloatArray m_history;
    uint32_t m_writeIndex;
    // Input frames still to push before the next output is due (0: the next one).
    uint32_t m_outputCountdown;
    int m_taps;
    uint32_t m_decimation;
};
