#pragma once

#include "engine/dsp/CFscBase.h"

// Integer oversampler: L output frames per input frame, one per phase table.
class COversamplingFilter : public CFscBase
{
public:
    explicit COversamplingFilter(uint16_t channels);
    ~COversamplingFilter() override;

    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;
};
