#pragma once

#include "engine/dsp/filters/AlignedFloatArray.h"
#include "engine/dsp/filters/CDecimationFilter.h"
#include "engine/dsp/rate/CFsCwInterpolation.h"

#include <cstdint>
#include <memory>

// The player's rate converter: from the file rate to the device rate, with short filters
// designed at set-up. 1-bit-derived rates (2822400 Hz and above) are first decimated by
// 16, 32 or 64 into the PCM range; any remaining ratio goes through the fractional-step
// polyphase interpolator.
class CRealTimeFsConverterPcmOutput
{
public:
    static constexpr double kInterpolatorAttenuationDb = 85.0;
    static constexpr double kDecimatorAttenuationDb = 82.0;

    explicit CRealTimeFsConverterPcmOutput(uint32_t channels);
    virtual ~CRealTimeFsConverterPcmOutput();

    CRealTimeFsConverterPcmOutput(const CRealTimeFsConverterPcmOutput&) = delete;
    CRealTimeFsConverterPcmOutput& operator=(const CRealTimeFsConverterPcmOutput&) = delete;

    // Stores the rates and designs the filters for them. A zero rate converts nothing
    // (the blocks are copied).
    void SetSampleRates(uint32_t inputRate, uint32_t outputRate);
    // Converts frames input frames; returns the output frames written.
    uint32_t Process(const float* const* input, float* const* output, uint32_t frames);
    // Delay through the active filters in seconds.
    double GetLatencyInSeconds() const;
    // Clears both filters (on every seek and start).
    void Reset();

    bool IsInterpolationActive() const { return m_interpolationActive; }
    bool IsDecimationActive() const { return m_decimationActive; }
    uint32_t GetInputRate() const { return m_inputRate; }
    uint32_t GetOutputRate() const { return m_outputRate; }
    const CFsCwInterpolation& GetInterpolator() const { return *m_interpolator; }
    const CDecimationFilter& GetDecimator() const { return *m_decimator; }

private:
    // Frames of decimated signal held between the two filters per pass.
    static constexpr uint32_t kStageFrames = 4096;

    void SetUp();

    std::unique_ptr<CFsCwInterpolation> m_interpolator;
    std::unique_ptr<CDecimationFilter> m_decimator;
    bool m_interpolationActive;
    bool m_decimationActive;
    uint32_t m_inputRate;
    uint32_t m_outputRate;
    uint32_t m_channels;
    AlignedFloatArray m_stage;
};
