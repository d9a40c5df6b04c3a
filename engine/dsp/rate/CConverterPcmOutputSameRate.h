#pragma once

#include "engine/dsp/rate/CConverterDspBase.h"

// Stage for equal rates: copies every channel.
class CConverterPcmOutputSameRate : public CConverterPcmOutputDspBase
{
public:
    explicit CConverterPcmOutputSameRate(uint16_t channels);

    uint32_t GetDecimation() const override { return 1; }
    uint32_t GetInterpolation() const override { return 1; }
    uint32_t GetLatency() const override { return 0; }
    void Reset() override {}
    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;

private:
    uint16_t m_channels;
};
