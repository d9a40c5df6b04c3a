#pragma once

#include "engine/dsp/rate/CFscBase.h"

#include <vector>

// Integer oversampler: L output frames per input frame, one per phase table.
class COversamplingFilter : public CFscBase
{
public:
    explicit COversamplingFilter(uint16_t channels);
    ~COversamplingFilter() override;

    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;
    void Init(int taps, int rate, int cutoffHz, uint32_t interpolation, uint32_t decimation, double gainDb) override;

private:
    // Per phase: the one non-zero entry of its table, or -1. A half-band design (x 2 at a
    // quarter of the design rate) has such a phase, a plain delay, whose sum is that one
    // product.
    std::vector<int> m_singleTap;
};
