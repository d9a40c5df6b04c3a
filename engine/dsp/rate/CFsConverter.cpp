#include "engine/dsp/rate/CFsConverter.h"

#include "engine/dsp/filters/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

#include <algorithm>

CFsConverter::CFsConverter(uint16_t channels)
    : CFscBase(channels)
{
}

CFsConverter::~CFsConverter() = default;

uint32_t CFsConverter::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0)
        return ProcessNoChannels();
    qm::platform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t l = m_interpolation;
    const uint32_t taps = m_tapsPerPhase;
    const uint16_t channels = m_channels;
    const uint32_t base = m_writeIndex;
    const BlockChannels b = GetBlockChannels(input, output);

    // Time runs in 1/L input frames. The output at time t is the sum of the newest input
    // frame q = t / L and the P - 1 before it with the phase table t - q L; each output
    // moves t on by M = stepFrames L + stepPhase.
    const uint64_t start = m_phasePosition;
    uint64_t q = start / l;
    uint32_t phase = static_cast<uint32_t>(start - q * l);
    const uint32_t stepFrames = m_decimation / l;
    const uint32_t stepPhase = m_decimation % l;

    uint32_t pushed = 0;
    uint32_t k = 0;
    auto store = [&](uint16_t ch, uint32_t index, float y) {
        if (b.output[ch])
            b.output[ch][index] = y;
    };
    while (q < frames)
    {
        PushUpTo(b, base, q, frames, pushed);
        const uint32_t position = (base + 1 + static_cast<uint32_t>(q)) & kHistoryMask;
        const float* table = Table(phase);
        // The next output, when its frames are already in the ring, is computed alongside.
        uint64_t nextQ = q;
        uint32_t nextPhase = phase;
        StepTime(nextQ, nextPhase, stepFrames, stepPhase, l);
        const bool pair = nextQ < pushed;
        const uint32_t nextPosition = (base + 1 + static_cast<uint32_t>(nextQ)) & kHistoryMask;
        const float* nextTable = Table(pair ? nextPhase : 0);

        // Pairs of channels share each pass over the taps.
        uint16_t ch = 0;
        for (; ch + 1 < channels; ch += 2)
        {
            const float* h0 = b.history[ch];
            const float* h1 = b.history[ch + 1];
            if (pair)
            {
                float y[4];
                kernels.dotStereoPair(Window(h0, position), Window(h1, position), table, Window(h0, nextPosition),
                                      Window(h1, nextPosition), nextTable, taps, y);
                store(ch, k, y[0]);
                store(ch + 1, k, y[1]);
                store(ch, k + 1, y[2]);
                store(ch + 1, k + 1, y[3]);
            }
            else
            {
                float y0 = 0.0f;
                float y1 = 0.0f;
                kernels.dotStereo(Window(h0, position), Window(h1, position), table, taps, &y0, &y1);
                store(ch, k, y0);
                store(ch + 1, k, y1);
            }
        }
        if (ch < channels)
        {
            store(ch, k, kernels.dot(Window(b.history[ch], position), table, taps));
            if (pair)
                store(ch, k + 1, kernels.dot(Window(b.history[ch], nextPosition), nextTable, taps));
        }
        k += pair ? 2 : 1;
        q = nextQ;
        phase = nextPhase;
        if (pair)
            StepTime(q, phase, stepFrames, stepPhase, l);
    }
    FinishBlock(b, base, pushed, frames);
    m_phasePosition = (q - frames) * l + phase;
    return k;
}
