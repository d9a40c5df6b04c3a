#include "engine/dsp/rate/CFsCwInterpolation.h"

#include "engine/dsp/filters/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

#include <algorithm>

CFsCwInterpolation::CFsCwInterpolation(uint16_t channels)
    : CFscBase(channels),
      m_step(kFractionOne),
      m_fractionScale(1.0f / kFractionOne),
      m_fractionMask(kFractionOne - 1)
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
    if (m_channels == 0)
        return ProcessNoChannels();
    qm::platform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    // Positions are 64-bit: L x 16384 per input frame overflows 32 bits after a few
    // thousand frames.
    const uint64_t l = static_cast<uint64_t>(m_interpolation) << kFractionBits;
    const uint32_t taps = m_tapsPerPhase;
    const uint32_t base = m_writeIndex;
    const BlockChannels b = GetBlockChannels(input, output);

    // As the rational converter, with time in L x 16384 units per input frame: the output
    // at t blends phase tables p and p + 1 by the fraction f of its position between them.
    const uint64_t start = m_phasePosition;
    uint64_t q = start / l;
    uint64_t phase = start - q * l;
    const uint64_t stepFrames = m_step / l;
    const uint64_t stepPhase = m_step % l;

    uint32_t pushed = 0;
    uint32_t k = 0;
    while (q < frames)
    {
        PushUpTo(b, base, q, frames, pushed);
        const uint32_t position = (base + 1 + static_cast<uint32_t>(q)) & kHistoryMask;
        const uint32_t p = static_cast<uint32_t>(phase >> kFractionBits);
        const float f = static_cast<float>(phase & m_fractionMask) * m_fractionScale;
        for (uint16_t ch = 0; ch < m_channels; ++ch)
        {
            float a = 0.0f;
            float c = 0.0f;
            kernels.dot2(Window(b.history[ch], position), Table(p), Table(p + 1), taps, &a, &c);
            if (b.output[ch])
                b.output[ch][k] = f * c + (1.0f - f) * a;
        }
        ++k;
        StepTime(q, phase, stepFrames, stepPhase, l);
    }
    FinishBlock(b, base, pushed, frames);
    m_phasePosition = (q - frames) * l + phase;
    return k;
}
