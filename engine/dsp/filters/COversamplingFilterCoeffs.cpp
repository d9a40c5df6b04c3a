#include "engine/dsp/filters/COversamplingFilterCoeffs.h"

#include <cmath>
#include <limits>

namespace
{
int TruncatedFactor(double l)
{
    const double t = std::trunc(l);
    return t < 1.0 ? 1 : static_cast<int>(t);
}
} // namespace

COversamplingFilterCoeffs::COversamplingFilterCoeffs()
    : m_interpolation(1.0),
      m_baseRate(44100)
{
}

COversamplingFilterCoeffs::~COversamplingFilterCoeffs() = default;

void COversamplingFilterCoeffs::SetTaps(int taps)
{
    CFirLpfCoeffs::SetTaps(taps);
}

double COversamplingFilterCoeffs::GetCoeff(int n) const
{
    return CFirLpfCoeffs::GetCoeff(n) * m_interpolation;
}

void COversamplingFilterCoeffs::SetRate(int baseRate)
{
    m_baseRate = baseRate < 1 ? 1 : baseRate;
    const long long fs = static_cast<long long>(m_baseRate) * TruncatedFactor(m_interpolation);
    CFirLpfCoeffs::SetRate(fs > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                : static_cast<int>(fs));
}

int COversamplingFilterCoeffs::GetLatency() const
{
    return (m_taps / 2) / TruncatedFactor(m_interpolation);
}

void COversamplingFilterCoeffs::SetInterpolation(double l)
{
    m_interpolation = l;
}
