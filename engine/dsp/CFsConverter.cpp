#include "engine/dsp/CFsConverter.h"

#include "engine/dsp/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

CFsConverter::CFsConverter(uint16_t channels)
    : CFscBase(channels)
{
}

CFsConverter::~CFsConverter() = default;

uint32_t CFsConverter::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0) {
        m_writeIndex = 0;
        m_phasePosition = 0;
        return 0;
    }
    qmplatform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint64_t l = m_interpolation;
    const uint64_t m = m_decimation;
    const uint64_t end = l * frames;
    const uint32_t taps = m_tapsPerPhase;

    // Every channel starts from the same saved positions and advances identically.
    uint64_t lastT = m_phasePosition;
    uint32_t lastWrite = m_writeIndex;
    uint32_t produced = 0;
    for (uint16_t ch = 0; ch < m_channels; ++ch) {
        const float* in = input ? input[ch] : nullptr;
        float* out = output ? output[ch] : nullptr;
        float* history = History(ch);
        uint64_t t = m_phasePosition;
        uint64_t u = 0;
        uint32_t w = m_writeIndex;
        uint32_t i = 0;
        uint32_t k = 0;
        while (t < end) {
            while (u <= t) {
                Push(history, w, in ? in[i] : 0.0f);
                ++i;
                u += l;
            }
            const uint32_t phase = static_cast<uint32_t>(t + l - u);
            const float y = kernels.dot(Window(history, w), Table(phase), taps);
            if (out)
                out[k] = y;
            ++k;
            t += m;
        }
        for (; i < frames; ++i)
            Push(history, w, in ? in[i] : 0.0f);
        lastT = t;
        lastWrite = w;
        produced = k;
    }
    m_phasePosition = lastT - end;
    m_writeIndex = lastWrite;
    return produced;
}
