#include "engine/dsp/CDecimationFilter.h"

#include "engine/dsp/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

CDecimationFilter::CDecimationFilter(uint16_t channels)
    : CFirLpfBase(std::make_unique<CFirLpfCoeffs>(), channels)
    , m_table(kHistoryLength)
    , m_writeIndex(0)
    , m_outputCountdown(0)
    , m_taps(1)
    , m_decimation(1)
{
    m_coeffs->SetAttenuation(100.0);
    m_history.Resize(static_cast<std::size_t>(m_channels) * 2 * kHistoryLength);
    Reset();
}

CDecimationFilter::~CDecimationFilter() = default;

uint32_t CDecimationFilter::GetDecimation() const
{
    return m_decimation;
}

void CDecimationFilter::Reset()
{
    m_history.Zero();
    m_writeIndex = 0;
    m_outputCountdown = 0;
}

void CDecimationFilter::Init(int taps, int rate, int cutoffHz, double gainDb, uint32_t decimation)
{
    m_decimation = decimation < 1 ? 1 : decimation;
    // Cut down to 8k + 1 (so half the window is a multiple of four) and to what the tables hold.
    if (taps > kMaxTaps)
        taps = kMaxTaps;
    m_taps = taps < 1 ? 1 : ((taps - 1) & ~7) + 1;
    SetFilter(m_taps, rate, cutoffHz, gainDb);
    m_table.Zero();
    for (int n = 0; n < m_taps; ++n)
        m_table.data()[n] = static_cast<float>(m_coeffs->GetCoeff(n));
    Reset();
}

uint32_t CDecimationFilter::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0) {
        m_writeIndex = 0;
        m_outputCountdown = 0;
        return 0;
    }
    qmplatform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t half = static_cast<uint32_t>(m_taps - 1) / 2;
    const uint32_t windowOffset = kHistoryLength + 1 - static_cast<uint32_t>(m_taps);
    const float* h = m_table.data();

    uint32_t lastWrite = m_writeIndex;
    uint32_t lastCountdown = m_outputCountdown;
    uint32_t produced = 0;
    for (uint16_t ch = 0; ch < m_channels; ++ch) {
        const float* in = input ? input[ch] : nullptr;
        float* out = output ? output[ch] : nullptr;
        float* history = History(ch);
        uint32_t w = m_writeIndex;
        uint32_t countdown = m_outputCountdown;
        uint32_t k = 0;
        for (uint32_t i = 0; i < frames; ++i) {
            w = (w + 1) & kHistoryMask;
            const float x = in ? in[i] : 0.0f;
            history[w] = x;
            history[w + kHistoryLength] = x;
            if (countdown != 0) {
                --countdown;
                continue;
            }
            countdown = m_decimation - 1;
            const float y = kernels.symmetricDot(history + w + windowOffset, h, half);
            if (out)
                out[k] = y;
            ++k;
        }
        lastWrite = w;
        lastCountdown = countdown;
        produced = k;
    }
    m_writeIndex = lastWrite;
    m_outputCountdown = lastCountdown;
    return produced;
}
