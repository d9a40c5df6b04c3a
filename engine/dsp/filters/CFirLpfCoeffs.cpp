#include "engine/dsp/filters/CFirLpfCoeffs.h"

#include <cmath>
#include <numbers>

CFirLpfCoeffs::CFirLpfCoeffs()
    : m_twoFcOverFs(0.0),
      m_omega(0.0),
      m_rate(2822400),
      m_invRate(1.0 / 2822400.0),
      m_cutoff(158000),
      m_gain(1.0)
{
    UpdateCutoff();
}

CFirLpfCoeffs::~CFirLpfCoeffs() = default;

void CFirLpfCoeffs::SetTaps(int taps)
{
    CKaiserWindowCoeffs::SetTaps(taps);
}

double CFirLpfCoeffs::GetCoeff(int n) const
{
    if (n < 0 || n >= m_taps)
        return 0.0;
    const double x = n - m_centre;
    if (x == 0.0)
        return m_gain * m_twoFcOverFs;
    const double arg = m_omega * x;
    return m_gain * m_twoFcOverFs * (std::sin(arg) / arg) * GetWindow(n);
}

void CFirLpfCoeffs::SetRate(int fs)
{
    m_rate = fs < 1 ? 1 : fs;
    m_invRate = 1.0 / m_rate;
    UpdateCutoff();
}

int CFirLpfCoeffs::GetLatency() const
{
    return m_taps >> 1;
}

void CFirLpfCoeffs::SetCutoff(int cutoffHz)
{
    m_cutoff = cutoffHz;
    UpdateCutoff();
}

void CFirLpfCoeffs::SetGainDecibels(double gainDb)
{
    m_gain = std::pow(10.0, gainDb * 0.05);
}

void CFirLpfCoeffs::UpdateCutoff()
{
    m_twoFcOverFs = 2.0 * m_cutoff * m_invRate;
    m_omega = 2.0 * std::numbers::pi * m_cutoff * m_invRate;
}
