#include "engine/dsp/filters/COversamplingFilter.h"

#include "engine/dsp/filters/FirKernels.h"
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
    for (uint32_t p = 0; p < m_interpolation; ++p)
    {
        int found = -1;
        int count = 0;
        for (uint32_t k = 0; k < m_tapsPerPhase; ++k)
        {
            if (Table(p)[k] != 0.0f)
            {
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
    if (m_channels == 0)
        return ProcessNoChannels();
    qm::platform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t l = m_interpolation;
    const uint32_t taps = m_tapsPerPhase;
    const uint32_t base = m_writeIndex;
    const BlockChannels b = GetBlockChannels(input, output);

    // Each input frame gives L outputs, one per phase table, over the same window: phase p
    // is a plain filter of the input with table p, run over as many frames as the ring
    // holds in one piece.
    float run[kHistoryLength];
    uint32_t pushed = 0;
    for (uint32_t i = 0; i < frames;)
    {
        PushUpTo(b, base, i, frames, pushed);
        const uint32_t position = (base + 1 + i) & kHistoryMask;
        const uint32_t count = std::min(pushed - i, kHistoryLength - position);
        for (uint32_t p = 0; p < l; ++p)
        {
            const float* table = Table(p);
            const int single = p < m_singleTap.size() ? m_singleTap[p] : -1;
            for (uint16_t ch = 0; ch < m_channels; ++ch)
            {
                float* out = b.output[ch];
                if (!out)
                    continue;
                const float* window = Window(b.history[ch], position);
                float* y = out + static_cast<std::size_t>(i) * l + p;
                if (single >= 0)
                {
                    // Every other product is an exact zero: the sum is this one product.
                    for (uint32_t j = 0; j < count; ++j)
                        y[static_cast<std::size_t>(j) * l] = window[single + static_cast<int>(j)] * table[single];
                    continue;
                }
                kernels.firRun(window, table, taps, run, count);
                for (uint32_t j = 0; j < count; ++j)
                    y[static_cast<std::size_t>(j) * l] = run[j];
            }
        }
        i += count;
    }
    FinishBlock(b, base, pushed, frames);
    return frames * l;
}
