#include "engine/dsp/filters/CFirLpfBase.h"

CFirLpfBase::CFirLpfBase(std::unique_ptr<CFirLpfCoeffs> coeffs, uint16_t channels)
    : m_coeffs(std::move(coeffs)),
      m_channels(channels > kMaxChannels ? kMaxChannels : channels)
{
}

CFirLpfBase::~CFirLpfBase() = default;

uint32_t CFirLpfBase::GetInterpolation() const
{
    return 1;
}

uint32_t CFirLpfBase::GetDecimation() const
{
    return 1;
}

void CFirLpfBase::SetFilter(int taps, int rate, int cutoffHz, double gainDb)
{
    m_coeffs->SetTaps(taps);
    m_coeffs->SetRate(rate);
    m_coeffs->SetCutoff(cutoffHz);
    m_coeffs->SetGainDecibels(gainDb);
}

CFirLpfBase::BlockChannels CFirLpfBase::GetBlockChannels(const float* const* input, float* const* output,
                                                         float* histories, std::size_t historyStride) const
{
    BlockChannels b{};
    for (uint16_t ch = 0; ch < m_channels; ++ch)
    {
        b.history[ch] = histories + ch * historyStride;
        b.input[ch] = input ? input[ch] : nullptr;
        b.output[ch] = output ? output[ch] : nullptr;
    }
    return b;
}

double CFirLpfBase::SetAttenuation(double attenuationDb)
{
    return m_coeffs->SetAttenuation(attenuationDb);
}
