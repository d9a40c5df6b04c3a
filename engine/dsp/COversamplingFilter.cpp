#include "engine/dsp/COversamplingFilter.h"

#include "engine/dsp/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

#include <algorithm>

COversamplingFilter::COversamplingFilter(uint16_t channels)
    : CFscBase(channels)
{
}

COversamplingFilter::~COversamplingFilter() = default;

void COversamplingFilter::Init(int taps, int rate, int cutoffHz, uint32_t interpolation, uint32_t decimation,
                               double gainDb)
{
    CFscBase::Init(taps, rate, cutoffHz, interpolation, decimation, gainDb);
    m_singleTap.assign(m_interpolation, -1);
    for (uint32_t p = 0; p < m_interpolation; ++p) {
        int found = -1;
        int count = 0;
        for (uint32_t k = 0; k < m_tapsPerPhase; ++k) {
            if (Table(p)[k] != 0.0f) {
                found = static_cast<int>(k);
                ++count;
            }
        }
        if (count == 1)
            m_singleTap[p] = found;
    }
}

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
    const uint32_t base = m_writeIndex;
    const BlockChannels b = GetBlockChannels(input, output);

    // Each input frame gives L outputs, one per phase table, over the same window.
    uint32_t pushed = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        if (i >= pushed) {
            const uint32_t until = std::min<uint32_t>(frames, i + 1 + PushAhead());
            PushFrames(b, base, pushed, until - pushed);
            pushed = until;
        }
        const uint32_t position = (base + 1 + i) & kHistoryMask;
        const std::size_t at = static_cast<std::size_t>(i) * l;
        for (uint32_t p = 0; p < l; ++p) {
            const float* table = Table(p);
            const int single = p < m_singleTap.size() ? m_singleTap[p] : -1;
            uint16_t ch = 0;
            if (single >= 0) {
                // Every other product is an exact zero: the sum is this one product.
                for (; ch < m_channels; ++ch)
                    if (b.output[ch])
                        b.output[ch][at + p] = Window(b.history[ch], position)[single] * table[single];
                continue;
            }
            // Pairs of channels share each pass over the taps.
            for (; ch + 1 < m_channels; ch += 2) {
                float y0 = 0.0f;
                float y1 = 0.0f;
                kernels.dotStereo(Window(b.history[ch], position), Window(b.history[ch + 1], position), table, taps,
                                  &y0, &y1);
                if (b.output[ch])
                    b.output[ch][at + p] = y0;
                if (b.output[ch + 1])
                    b.output[ch + 1][at + p] = y1;
            }
            if (ch < m_channels && b.output[ch])
                b.output[ch][at + p] = kernels.dot(Window(b.history[ch], position), table, taps);
        }
    }
    m_writeIndex = (base + frames) & kHistoryMask;
    return frames * l;
}
