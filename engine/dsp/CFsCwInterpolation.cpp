#include "engine/dsp/CFsCwInterpolation.h"

#include "engine/dsp/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

CFsCwInterpolation::CFsCwInterpolation(uint16_t channels)
    : CFscBase(channels)
    , m_step(kFractionOne)
    , m_fractionScale(1.0f / kFractionOne)
    , m_fractionMask(kFractionOne - 1)
{
}

CFsCwInterpolation::~CFsCwInterpolation() = default;

void CFsCwInterpolation::SetStep(uint64_t step)
{
    // A zero step would never advance past an output.
    m_step = step < 1 ? 1 : step;
}

uint64_t CFsCwInterpolation::StepFor(uint32_t interpolation, uint32_t inputRate, uint32_t outputRate)
{
    if (outputRate == 0)
        return 1;
    const double step = static_cast<double>(interpolation) * inputRate / outputRate * kFractionOne;
    return step < 1.0 ? 1 : static_cast<uint64_t>(step);
}

uint32_t CFsCwInterpolation::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0) {
        m_writeIndex = 0;
        m_phasePosition = 0;
        return 0;
    }
    qmplatform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    // Positions are 64-bit: L x 16384 per input frame overflows 32 bits after a few
    // thousand frames.
    const uint64_t l = static_cast<uint64_t>(m_interpolation) << kFractionBits;
    const uint64_t m = m_step;
    const uint64_t end = l * frames;
    const uint32_t taps = m_tapsPerPhase;

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
            const uint64_t q = t + l - u;
            const uint32_t phase = static_cast<uint32_t>(q >> kFractionBits);
            const float f = static_cast<float>(q & m_fractionMask) * m_fractionScale;
            float a = 0.0f;
            float b = 0.0f;
            kernels.dot2(Window(history, w), Table(phase), Table(phase + 1), taps, &a, &b);
            if (out)
                out[k] = f * b + (1.0f - f) * a;
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
