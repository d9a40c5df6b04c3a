#include "engine/dsp/COversamplingFilter.h"

#include "engine/dsp/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

COversamplingFilter::COversamplingFilter(uint16_t channels)
    : CFscBase(channels)
{
}

COversamplingFilter::~COversamplingFilter() = default;

uint32_t COversamplingFilter::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0) {
        m_writeIndex = 0;
        m_phasePosition = 0;
        return 0;
    }
    qmplatform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t l = m_interpolation;
    const uint32_t taps = m_tapsPerPhase;

    uint32_t lastWrite = m_writeIndex;
    for (uint16_t ch = 0; ch < m_channels; ++ch) {
        const float* in = input ? input[ch] : nullptr;
        float* out = output ? output[ch] : nullptr;
        float* history = History(ch);
        uint32_t w = m_writeIndex;
        for (uint32_t i = 0; i < frames; ++i) {
            Push(history, w, in ? in[i] : 0.0f);
            if (!out)
                continue;
            const float* window = Window(history, w);
            float* y = out + static_cast<std::size_t>(i) * l;
            uint32_t p = 0;
            // Neighbouring phases share the window: two sums per pass.
            for (; p + 1 < l; p += 2)
                kernels.dot2(window, Table(p), Table(p + 1), taps, y + p, y + p + 1);
            if (p < l)
                y[p] = kernels.dot(window, Table(p), taps);
        }
        lastWrite = w;
    }
    m_writeIndex = lastWrite;
    return frames * l;
}
