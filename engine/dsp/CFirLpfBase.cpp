#include "engine/dsp/CFirLpfBase.h"

CFirLpfBase::CFirLpfBase(std::unique_ptr<CFirLpfCoeffs> coeffs, uint16_t channels)
    : m_coeffs(std::move(coeffs))
    , m_channels(channels > kMaxChannels ? kMaxChannels : channels)
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

double CFirLpfBase::SetAttenuation(double attenuationDb)
{
    return m_coeffs->SetAttenuation(attenuationDb);
}
