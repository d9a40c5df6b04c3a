#include "engine/dsp/rate/CFscBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CFscBase::CFscBase(uint16_t channels)
    : CFirLpfBase(std::make_unique<COversamplingFilterCoeffs>(), channels),
      m_writeIndex(0),
      m_phasePosition(0),
      m_tapsPerPhase(0),
      m_interpolation(1),
      m_decimation(1)
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

    // Phase table p holds h(p + k L) at entry k (stored reversed); the extra table L is
    // table 0 one frame later.
    m_tables.Resize(static_cast<std::size_t>(l + 1) * m_tapsPerPhase);
    auto place = [&](uint32_t tap, float value) {
        const uint32_t p = tap % l;
        const uint32_t k = tap / l;
        m_tables.data()[static_cast<std::size_t>(p) * m_tapsPerPhase + m_tapsPerPhase - 1 - k] = value;
        if (p == 0 && k > 0)
            m_tables.data()[static_cast<std::size_t>(l) * m_tapsPerPhase + m_tapsPerPhase - k] = value;
    };
    // The design is symmetric, h(N - 1 - i) = h(i): each value is computed once. Taps that
    // vanish against the centre tap (the zeros of a half-band design, computed as ~1e-17)
    // are stored as exact zeros, which lets the filters skip them.
    const double limit = std::fabs(c.GetCoeff((n - 1) / 2)) * kNegligibleTap;
    for (int i = 0; i <= (n - 1) / 2; ++i)
    {
        const double v = c.GetCoeff(i);
        const float f = std::fabs(v) < limit ? 0.0f : static_cast<float>(v);
        place(static_cast<uint32_t>(i), f);
        place(static_cast<uint32_t>(n - 1 - i), f);
    }
    Reset();
}

void CFscBase::PushFrames(const BlockChannels& b, uint32_t base, uint32_t first, uint32_t count) const
{
    if (count > kHistoryLength)
    {
        // Only the newest 1024 frames survive in the ring.
        first += count - kHistoryLength;
        count = kHistoryLength;
    }
    const uint32_t position = (base + 1 + first) & kHistoryMask;
    const uint32_t run = std::min(count, kHistoryLength - position);
    const uint32_t rest = count - run;
    for (uint16_t ch = 0; ch < m_channels; ++ch)
    {
        float* history = b.history[ch];
        const float* in = b.input[ch];
        if (in)
        {
            std::memcpy(history + position, in + first, run * sizeof(float));
            std::memcpy(history + position + kHistoryLength, in + first, run * sizeof(float));
            std::memcpy(history, in + first + run, rest * sizeof(float));
            std::memcpy(history + kHistoryLength, in + first + run, rest * sizeof(float));
        }
        else
        {
            std::memset(history + position, 0, run * sizeof(float));
            std::memset(history + position + kHistoryLength, 0, run * sizeof(float));
            std::memset(history, 0, rest * sizeof(float));
            std::memset(history + kHistoryLength, 0, rest * sizeof(float));
        }
    }
}

float CFscBase::GetPhaseCoeff(uint32_t phase, uint32_t k) const
{
    if (phase > m_interpolation || k >= m_tapsPerPhase)
        return 0.0f;
    return Table(phase)[m_tapsPerPhase - 1 - k];
}
