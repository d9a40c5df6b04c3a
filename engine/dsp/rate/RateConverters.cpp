#include "engine/dsp/rate/RateConverters.h"

#include "engine/dsp/filters/CDecimationFilter.h"
#include "engine/dsp/filters/COversamplingFilter.h"
#include "engine/dsp/rate/CConverterPcmOutputSameRate.h"
#include "engine/dsp/rate/CFsConverter.h"

using Filter = RateConverterDesign::Filter;

// Down-conversions cut at the output's Nyquist frequency, up-conversions at the input's.
const RateConverterDesign CConverter44_1kHz_To_48kHz::kDesign{Filter::Polyphase, 15361, 2561, 44100, 22050, 160, 147};
const RateConverterDesign CConverter44_1kHz_To_88_2kHz::kDesign{Filter::Oversampling, 193, 33, 44100, 22050, 2, 1};
const RateConverterDesign CConverter44_1kHz_To_96kHz::kDesign{Filter::Polyphase, 30721, 5121, 44100, 22050, 320, 147};
const RateConverterDesign CConverter48kHz_To_44_1kHz::kDesign{Filter::Polyphase, 14113, 2353, 48000, 22050, 147, 160};
const RateConverterDesign CConverter48kHz_To_88_2kHz::kDesign{Filter::Polyphase, 14113, 2353, 48000, 24000, 147, 80};
const RateConverterDesign CConverter88_2kHz_To_44_1kHz::kDesign{Filter::Decimation, 193, 33, 88200, 22050, 1, 2};
const RateConverterDesign CConverter88_2kHz_To_48kHz::kDesign{Filter::Polyphase, 15361, 2561, 88200, 24000, 80, 147};
const RateConverterDesign CConverter96kHz_To_44_1kHz::kDesign{Filter::Polyphase, 56449, 9409, 96000, 22050, 147, 320};

CConverterFilterStage::CConverterFilterStage(uint16_t channels, const RateConverterDesign& design, bool peakDetection)
    : m_channels(channels)
{
    const int taps = peakDetection ? design.peakDetectionTaps : design.exportTaps;
    const double attenuation = peakDetection ? kPeakDetectionAttenuationDb : kExportAttenuationDb;
    switch (design.filter)
    {
    case Filter::Polyphase:
    case Filter::Oversampling: {
        std::unique_ptr<CFscBase> filter;
        if (design.filter == Filter::Polyphase)
            filter = std::make_unique<CFsConverter>(channels);
        else
            filter = std::make_unique<COversamplingFilter>(channels);
        filter->SetAttenuation(attenuation);
        filter->Init(taps, design.designRate, design.cutoffHz, design.interpolation, design.decimation, 0.0);
        m_filter = std::move(filter);
        break;
    }
    case Filter::Decimation: {
        auto filter = std::make_unique<CDecimationFilter>(channels);
        filter->SetAttenuation(attenuation);
        filter->Init(taps, design.designRate, design.cutoffHz, 0.0, design.decimation);
        m_filter = std::move(filter);
        break;
    }
    }
}

CConverterFilterStage::~CConverterFilterStage() = default;

uint32_t CConverterFilterStage::GetDecimation() const
{
    return m_filter->GetDecimation();
}

uint32_t CConverterFilterStage::GetInterpolation() const
{
    return m_filter->GetInterpolation();
}

uint32_t CConverterFilterStage::GetLatency() const
{
    const int latency = m_filter->GetCoeffs().GetLatency();
    return latency > 0 ? static_cast<uint32_t>(latency) : 0;
}

void CConverterFilterStage::Reset()
{
    m_filter->Reset();
}

uint32_t CConverterFilterStage::Process(const float* const* input, float* const* output, uint32_t frames)
{
    return m_filter->Process(input, output, frames);
}

#define QM_RATE_CONVERTER_DEFINE(Name)                                                                                 \
    Name::Name(uint16_t channels)                                                                                      \
        : CConverterFilterStage(channels, kDesign, false)                                                              \
    {                                                                                                                  \
    }                                                                                                                  \
    Name##_Peak_Detection::Name##_Peak_Detection(uint16_t channels)                                                    \
        : CConverterFilterStage(channels, Name::kDesign, true)                                                         \
    {                                                                                                                  \
    }

QM_RATE_CONVERTER_DEFINE(CConverter44_1kHz_To_48kHz)
QM_RATE_CONVERTER_DEFINE(CConverter44_1kHz_To_88_2kHz)
QM_RATE_CONVERTER_DEFINE(CConverter44_1kHz_To_96kHz)
QM_RATE_CONVERTER_DEFINE(CConverter48kHz_To_44_1kHz)
QM_RATE_CONVERTER_DEFINE(CConverter48kHz_To_88_2kHz)
QM_RATE_CONVERTER_DEFINE(CConverter88_2kHz_To_44_1kHz)
QM_RATE_CONVERTER_DEFINE(CConverter88_2kHz_To_48kHz)
QM_RATE_CONVERTER_DEFINE(CConverter96kHz_To_44_1kHz)

#undef QM_RATE_CONVERTER_DEFINE

namespace
{

template <typename Export, typename Peak>
std::unique_ptr<CConverterDspBase> Make(bool peakDetection, uint16_t channels)
{
    if (peakDetection)
        return std::make_unique<Peak>(channels);
    return std::make_unique<Export>(channels);
}

#define QM_STAGE(Name) Make<Name, Name##_Peak_Detection>(peakDetection, channels)

std::unique_ptr<CConverterDspBase> MakeStage(RateConversionCode code, bool peakDetection, uint16_t channels)
{
    switch (code)
    {
    case 0:
    case 7:
    case 12:
    case 17:
        if (peakDetection)
            return nullptr;
        return std::make_unique<CConverterPcmOutputSameRate>(channels);
    case 1:
        return QM_STAGE(CConverter44_1kHz_To_48kHz);
    case 2:
        return QM_STAGE(CConverter44_1kHz_To_88_2kHz);
    case 3:
        return QM_STAGE(CConverter44_1kHz_To_96kHz);
    case 6:
        return QM_STAGE(CConverter48kHz_To_44_1kHz);
    case 8:
        return QM_STAGE(CConverter48kHz_To_88_2kHz);
    case 9:
        return QM_STAGE(CConverter44_1kHz_To_88_2kHz);
    case 10:
        return QM_STAGE(CConverter88_2kHz_To_44_1kHz);
    case 11:
        return QM_STAGE(CConverter88_2kHz_To_48kHz);
    case 13:
        return QM_STAGE(CConverter44_1kHz_To_48kHz);
    case 14:
        return QM_STAGE(CConverter96kHz_To_44_1kHz);
    case 15:
        return QM_STAGE(CConverter88_2kHz_To_44_1kHz);
    case 16:
        return QM_STAGE(CConverter48kHz_To_44_1kHz);
    default:
        return nullptr;
    }
}

#undef QM_STAGE

} // namespace

std::unique_ptr<CConverterDspBase> CreateExportConverter(RateConversionCode code, uint16_t channels)
{
    return MakeStage(code, false, channels);
}

std::unique_ptr<CConverterDspBase> CreatePeakDetectionConverter(uint32_t inputRate, uint32_t outputRate,
                                                                uint16_t channels)
{
    return MakeStage(GetRateConversionCode(inputRate, outputRate), true, channels);
}
