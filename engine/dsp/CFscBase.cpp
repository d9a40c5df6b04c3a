#include "engine/dsp/CFscBase.h"

#include <algorithm>
#include <vector>

CFscBase::CFscBase(uint16_t channels)
    : CFirLpfBase(std::make_unique<COversamplingFilterCoeffs>(), channels)
    , m_writeIndex(0)
    , m_phasePosition(0)
    , m_tapsPerPhase(0)
    , m_interpolation(1)
    , m_decimation(1)
{
    m_coeffs->SetAttenuation(100.0);
    m_history.Resize(static_cast<std::size_t>(m_channels) * 2 * kHistoryLength);
    Reset();
}

CFscBase::~CFscBase() = default;

uint32_t CFscBase::GetInterpolation() const
{
    return m_interpolation;
}

uint32_t CFscBase::GetDecimation() const
{
    return m_decimation;
}

void CFscBase::Reset()
{
    m_history.Zero();
    m_writeIndex = 0;
    m_phasePosition = 0;
}

void CFscBase::SetFilter(int taps, int rate, int cutoffHz, double gainDb)
{
    CFirLpfBase::SetFilter(taps, rate, cutoffHz, gainDb);
}

void CFscBase::Init(int taps, int rate, int cutoffHz, uint32_t interpolation, uint32_t decimation, double gainDb)
{
    const uint32_t l = std::clamp<uint32_t>(interpolation, 1, kMaxInterpolation);
    m_interpolation = l;
    m_decimation = decimation < 1 ? 1 : decimation;

    // Every phase must fit the history ring: at most 1024 taps per phase.
    const long long maxTaps = static_cast<long long>(kHistoryLength - 3) * l;
    const int n = static_cast<int>(std::clamp<long long>(taps, 1, maxTaps));

    COversamplingFilterCoeffs& c = Coeffs();
    c.SetInterpolation(l);
    c.SetRate(rate);
    c.SetTaps(n);
    c.SetCutoff(cutoffHz);
    c.SetGainDecibels(gainDb);

    m_tapsPerPhase = (((l - 1) + static_cast<uint32_t>(n)) / l + 3) & ~3u;

    std::vector<double> h(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        h[static_cast<std::size_t>(i)] = c.GetCoeff(i);

    m_tables.Resize(static_cast<std::size_t>(l + 1) * m_tapsPerPhase);
    for (uint32_t p = 0; p <= l; ++p) {
        float* table = m_tables.data() + static_cast<std::size_t>(p) * m_tapsPerPhase;
        for (uint32_t k = 0; k < m_tapsPerPhase; ++k) {
            const uint64_t index = p + static_cast<uint64_t>(k) * l;
            if (index >= static_cast<uint64_t>(n))
                break;
            table[m_tapsPerPhase - 1 - k] = static_cast<float>(h[index]);
        }
    }
    Reset();
}

float CFscBase::GetPhaseCoeff(uint32_t phase, uint32_t k) const
{
    if (phase > m_interpolation || k >= m_tapsPerPhase)
        return 0.0f;
    return Table(phase)[m_tapsPerPhase - 1 - k];
}
