#pragma once

#include "engine/dsp/rate/CFscBase.h"

// Polyphase interpolator with a fractional step, for any ratio of rates: L is held in
// fixed point with 14 fractional bits, and each output blends the two neighbouring phase
// tables linearly by the fraction of its position.
class CFsCwInterpolation : public CFscBase
{
public:
    static constexpr uint32_t kFractionBits = 14;
    static constexpr uint32_t kFractionOne = 1u << kFractionBits;

    explicit CFsCwInterpolation(uint16_t channels);
    ~CFsCwInterpolation() override;

    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;

    // Sets the step between outputs, trunc(L x input rate / output rate x 16384); at least 1.
    void SetStep(uint64_t step);
    uint64_t GetStep() const { return m_step; }
    // The step for interpolation l from inputRate to outputRate.
    static uint64_t StepFor(uint32_t interpolation, uint32_t inputRate, uint32_t outputRate);

private:
    uint64_t m_step;
    float m_fractionScale;
    uint64_t m_fractionMask;
};
