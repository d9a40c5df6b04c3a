#pragma once

#include "engine/dsp/filters/CFirLpfBase.h"
#include "engine/dsp/rate/CConverterDspBase.h"
#include "engine/dsp/rate/RateConversionCode.h"

#include <memory>

// Fixed filter designs of the rate stages. The designs are fixed in normalised frequency,
// so a pair with the same ratio at twice the rates (88200 -> 96000 and 44100 -> 48000)
// shares a class.
struct RateConverterDesign
{
    enum class Filter
    {
        Polyphase,    // CFsConverter, L/M
        Oversampling, // COversamplingFilter, x L
        Decimation,   // CDecimationFilter, / M
    };
    Filter filter;
    int exportTaps;
    int peakDetectionTaps;
    int designRate;
    int cutoffHz;
    uint32_t interpolation;
    uint32_t decimation;
};

// Stop-band attenuations of the two families (dB).
inline constexpr double kExportAttenuationDb = 120.0;
inline constexpr double kPeakDetectionAttenuationDb = 24.0;

// One filter stage: the export design (120 dB) or its short peak-detection twin (24 dB).
class CConverterFilterStage : public CConverterPcmOutput1xStageDspBase
{
public:
    ~CConverterFilterStage() override;

    uint32_t GetDecimation() const override;
    uint32_t GetInterpolation() const override;
    uint32_t GetLatency() const override;
    void Reset() override;
    uint32_t Process(const float* const* input, float* const* output, uint32_t frames) override;

    const CFirLpfBase& GetFilter() const { return *m_filter; }
    uint16_t GetChannels() const { return m_channels; }

protected:
    CConverterFilterStage(uint16_t channels, const RateConverterDesign& design, bool peakDetection);

private:
    uint16_t m_channels;
    std::unique_ptr<CFirLpfBase> m_filter;
};

#define QM_RATE_CONVERTER_CLASS(Name)                                                                                  \
    class Name : public CConverterFilterStage                                                                          \
    {                                                                                                                  \
    public:                                                                                                            \
        static const RateConverterDesign kDesign;                                                                      \
        explicit Name(uint16_t channels);                                                                              \
    };                                                                                                                 \
    class Name##_Peak_Detection : public CConverterFilterStage                                                         \
    {                                                                                                                  \
    public:                                                                                                            \
        explicit Name##_Peak_Detection(uint16_t channels);                                                             \
    };

QM_RATE_CONVERTER_CLASS(CConverter44_1kHz_To_48kHz)
QM_RATE_CONVERTER_CLASS(CConverter44_1kHz_To_88_2kHz)
QM_RATE_CONVERTER_CLASS(CConverter44_1kHz_To_96kHz)
QM_RATE_CONVERTER_CLASS(CConverter48kHz_To_44_1kHz)
QM_RATE_CONVERTER_CLASS(CConverter48kHz_To_88_2kHz)
QM_RATE_CONVERTER_CLASS(CConverter88_2kHz_To_44_1kHz)
QM_RATE_CONVERTER_CLASS(CConverter88_2kHz_To_48kHz)
QM_RATE_CONVERTER_CLASS(CConverter96kHz_To_44_1kHz)

#undef QM_RATE_CONVERTER_CLASS

// The export stage of a code: the same-rate copy for equal rates, a filter stage for the
// other pairs, null for codes without one (4, 5, -1).
std::unique_ptr<CConverterDspBase> CreateExportConverter(RateConversionCode code, uint16_t channels);

// The peak-detection stage for a pair of rates; null for equal or unsupported rates.
std::unique_ptr<CConverterDspBase> CreatePeakDetectionConverter(uint32_t inputRate, uint32_t outputRate,
                                                                uint16_t channels);
