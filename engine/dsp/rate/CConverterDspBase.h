#pragma once

#include <cstdint>

// A sample-rate stage of export and peak detection: L/M conversion of float channel
// buffers with a latency in input frames, used to prime and flush the stage.
class CConverterDspBase
{
public:
    virtual ~CConverterDspBase() = default;

    virtual uint32_t GetDecimation() const = 0;
    virtual uint32_t GetInterpolation() const = 0;
    // Input frames of delay through the stage.
    virtual uint32_t GetLatency() const = 0;
    virtual void Reset() = 0;
    // Converts frames input frames; returns the output frames written.
    virtual uint32_t Process(const float* const* input, float* const* output, uint32_t frames) = 0;
};

class CConverterPcmOutputDspBase : public CConverterDspBase
{
};

class CConverterPcmOutput1xStageDspBase : public CConverterPcmOutputDspBase
{
};
