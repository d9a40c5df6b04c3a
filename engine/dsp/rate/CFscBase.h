#pragma once

#include "engine/dsp/filters/AlignedFloatArray.h"
#include "engine/dsp/filters/CFirLpfBase.h"
#include "engine/dsp/filters/COversamplingFilterCoeffs.h"

#include <algorithm>

// Polyphase FIR base: a low-pass designed at L times the input rate, split into L + 1
// phase tables of P taps, and a 1024-sample history ring per channel.
class CFscBase : public CFirLpfBase
{
public:
    static constexpr uint32_t kHistoryLength = 1024;
    static constexpr uint32_t kMaxInterpolation = 511;
    // Taps smaller than this fraction of the centre tap are stored as zeros.
    static constexpr double kNegligibleTap = 1e-12;

    explicit CFscBase(uint16_t channels);
    ~CFscBase() override;

    uint32_t GetInterpolation() const override;
    uint32_t GetDecimation() const override;
    void Reset() override;
    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override = 0;
    void SetFilter(int taps, int rate, int cutoffHz, double gainDb) override;
    // Designs the filter (taps at rate x L, cutoff in Hz, gain in dB), builds the phase
    // tables for interpolation L (at most 511) and decimation M, and resets the state.
    virtual void Init(int taps, int rate, int cutoffHz, uint32_t interpolation, uint32_t decimation, double gainDb);

    // Taps per phase table.
    uint32_t GetTapsPerPhase() const { return m_tapsPerPhase; }
    // Entry k of phase table p: h(p + k L).
    float GetPhaseCoeff(uint32_t phase, uint32_t k) const;

protected:
    // The ring keeps every sample twice (at i and i + 1024), so the newest P samples are
    // always one contiguous run that the kernels read in order. Input is copied into the
    // ring in runs ahead of the outputs that need it (bulk copies keep the kernels' loads
    // clear of the stores just made), at most PushAhead() frames beyond the newest frame
    // of the output being computed, so that its window is never overwritten.

    BlockChannels GetBlockChannels(const float* const* input, float* const* output)
    {
        return CFirLpfBase::GetBlockChannels(input, output, m_history.data(), 2 * kHistoryLength);
    }
    // A filter without channels has nothing to process: its block state starts over.
    uint32_t ProcessNoChannels()
    {
        m_writeIndex = 0;
        m_phasePosition = 0;
        return 0;
    }

    // Copies frames [first, first + count) of the block into the rings; frame q of the
    // block goes to ring position (base + 1 + q) & mask.
    void PushFrames(const BlockChannels& b, uint32_t base, uint32_t first, uint32_t count) const;
    uint32_t PushAhead() const { return kHistoryLength - m_tapsPerPhase; }
    // Makes frame q of the block present in the rings: when it is not yet, pushes the
    // frames from pushed on, up to PushAhead() beyond q, and moves pushed on.
    void PushUpTo(const BlockChannels& b, uint32_t base, uint64_t q, uint32_t frames, uint32_t& pushed) const
    {
        if (q < pushed)
            return;
        const uint32_t until = static_cast<uint32_t>(std::min<uint64_t>(frames, q + 1 + PushAhead()));
        PushFrames(b, base, pushed, until - pushed);
        pushed = until;
    }
    // Pushes the block's frames not pushed yet and moves the write index past the block.
    void FinishBlock(const BlockChannels& b, uint32_t base, uint32_t pushed, uint32_t frames)
    {
        if (pushed < frames)
            PushFrames(b, base, pushed, frames - pushed);
        m_writeIndex = (base + frames) & kHistoryMask;
    }
    // Moves a time (input frame q and phase within it, of l phases) on by a step of
    // stepFrames frames and stepPhase (< l) phases.
    template <class Phase>
    static void StepTime(uint64_t& q, Phase& phase, uint64_t stepFrames, Phase stepPhase, Phase l)
    {
        q += stepFrames;
        phase += stepPhase;
        if (phase >= l)
        {
            phase -= l;
            ++q;
        }
    }
    // The P samples up to the one at ring position, oldest first.
    const float* Window(const float* history, uint32_t position) const
    {
        return history + position + kHistoryLength + 1 - m_tapsPerPhase;
    }
    // Phase table p, stored reversed so that it lines up with Window().
    const float* Table(uint32_t phase) const { return m_tables.data() + phase * m_tapsPerPhase; }

    static constexpr uint32_t kHistoryMask = kHistoryLength - 1;

    AlignedFloatArray m_tables;
    AlignedFloatArray m_history;
    uint32_t m_writeIndex;
    // Carried time of the next output, relative to the next block's first input frame.
    uint64_t m_phasePosition;
    uint32_t m_tapsPerPhase;
    uint32_t m_interpolation;
    uint32_t m_decimation;

    COversamplingFilterCoeffs& Coeffs() { return static_cast<COversamplingFilterCoeffs&>(*m_coeffs); }
};
