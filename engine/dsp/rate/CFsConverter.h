#pragma once

#include "engine/dsp/rate/CFscBase.h"

// Rational L/M polyphase rate converter: each output frame is the sum of the history
// with the phase table of its position, time being counted in 1/L input frames.
class CFsConverter : public CFscBase
{
public:
    explicit CFsConverter(uint16_t channels);
    ~CFsConverter() override;

    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;
};
