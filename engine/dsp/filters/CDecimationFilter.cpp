#include "engine/dsp/filters/CDecimationFilter.h"

#include "engine/dsp/filters/FirKernels.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Copies n samples to dst (silence for a null source).
void StoreRun(float* dst, const float* src, uint32_t n)
{
    if (src)
        std::memcpy(dst, src, n * sizeof(float));
    else
        std::memset(dst, 0, n * sizeof(float));
}

// Copies n samples downwards from last: last[-j] = src[j].
void StoreReversedRun(float* last, const float* src, uint32_t n)
{
    for (uint32_t j = 0; j < n; ++j)
        last[-static_cast<std::ptrdiff_t>(j)] = src ? src[j] : 0.0f;
}

} // namespace

CDecimationFilter::CDecimationFilter(uint16_t channels)
    : CFirLpfBase(std::make_unique<CFirLpfCoeffs>(), channels),
      m_table(kHistoryLength),
      m_oddTaps(kHistoryLength),
      m_halfBand(false),
      m_betweenWriteIndex(0),
      m_writeIndex(0),
      m_outputCountdown(0),
      m_taps(1),
      m_decimation(1)
{
    m_coeffs->SetAttenuation(100.0);
    m_history.Resize(static_cast<std::size_t>(m_channels) * kChannelStride);
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
    m_betweenWriteIndex = 0;
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
    // The design is symmetric: h(N - 1 - n) = h(n). Taps that vanish against the centre tap
    // (the zeros of a half-band design, computed as ~1e-17) are stored as exact zeros.
    const int centre = (m_taps - 1) / 2;
    const double limit = std::fabs(m_coeffs->GetCoeff(centre)) * kNegligibleTap;
    for (int n = 0; n <= centre; ++n)
    {
        const double v = m_coeffs->GetCoeff(n);
        const float c = std::fabs(v) < limit ? 0.0f : static_cast<float>(v);
        m_table.data()[n] = c;
        m_table.data()[m_taps - 1 - n] = c;
    }
    m_halfBand = m_decimation == 2 && centre % 8 == 0 && centre > 0;
    for (int n = 0; n < centre && m_halfBand; n += 2)
        m_halfBand = m_table.data()[n] == 0.0f;
    m_oddTaps.Zero();
    if (m_halfBand)
        for (int j = 0; j < centre; ++j)
            m_oddTaps.data()[j] = m_table.data()[2 * j + 1];
    Reset();
}

uint32_t CDecimationFilter::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (m_channels == 0)
    {
        m_writeIndex = 0;
        m_outputCountdown = 0;
        return 0;
    }
    if (m_halfBand)
        return ProcessHalfBand(input, output, frames);
    qm::platform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t half = static_cast<uint32_t>(m_taps - 1) / 2;
    const uint32_t windowOffset = kHistoryLength + 1 - static_cast<uint32_t>(m_taps);
    const float* h = m_table.data();

    const uint16_t channels = m_channels;
    const BlockChannels block = GetBlockChannels(input, output, m_history.data(), kChannelStride);
    float* const* history = block.history;
    const float* const* in = block.input;
    float* const* out = block.output;
    const uint32_t base = m_writeIndex;
    // Input is copied into the rings in runs ahead of the outputs, never so far that the
    // window of the output being computed is overwritten.
    const uint32_t ahead = kHistoryLength - static_cast<uint32_t>(m_taps);
    auto push = [&](uint32_t first, uint32_t count) {
        if (count > kHistoryLength)
        {
            first += count - kHistoryLength;
            count = kHistoryLength;
        }
        const uint32_t position = (base + 1 + first) & kHistoryMask;
        const uint32_t run = std::min(count, kHistoryLength - position);
        const uint32_t rest = count - run;
        for (uint16_t ch = 0; ch < channels; ++ch)
        {
            float* forward = history[ch];
            float* reversed = history[ch] + 2 * kHistoryLength;
            const float* src = in[ch] ? in[ch] + first : nullptr;
            // Ring position p is stored at p and p + 512, and reversed at 511 - p and 1023 - p.
            StoreRun(forward + position, src, run);
            StoreRun(forward + position + kHistoryLength, src, run);
            StoreReversedRun(reversed + kHistoryMask - position, src, run);
            StoreReversedRun(reversed + kHistoryMask - position + kHistoryLength, src, run);
            if (rest == 0)
                continue;
            const float* tail = src ? src + run : nullptr;
            StoreRun(forward, tail, rest);
            StoreRun(forward + kHistoryLength, tail, rest);
            StoreReversedRun(reversed + kHistoryMask, tail, rest);
            StoreReversedRun(reversed + kHistoryMask + kHistoryLength, tail, rest);
        }
    };

    // Outputs fall on every M-th input frame, counted on from the previous block.
    uint32_t pushed = 0;
    uint32_t k = 0;
    for (uint64_t q = m_outputCountdown; q < frames; q += m_decimation)
    {
        if (q >= pushed)
        {
            const uint32_t until = static_cast<uint32_t>(std::min<uint64_t>(frames, q + 1 + ahead));
            push(pushed, until - pushed);
            pushed = until;
        }
        const uint32_t w = (base + 1 + static_cast<uint32_t>(q)) & kHistoryMask;
        const uint32_t r = kHistoryMask - w;
        uint16_t ch = 0;
        // Pairs of channels share each pass over the taps.
        for (; ch + 1 < channels; ch += 2)
        {
            float y0 = 0.0f;
            float y1 = 0.0f;
            kernels.symmetricDotStereo(history[ch] + w + windowOffset, history[ch] + 2 * kHistoryLength + r,
                                       history[ch + 1] + w + windowOffset, history[ch + 1] + 2 * kHistoryLength + r, h,
                                       half, &y0, &y1);
            if (out[ch])
                out[ch][k] = y0;
            if (out[ch + 1])
                out[ch + 1][k] = y1;
        }
        if (ch < channels)
        {
            const float y =
                kernels.symmetricDot(history[ch] + w + windowOffset, history[ch] + 2 * kHistoryLength + r, h, half);
            if (out[ch])
                out[ch][k] = y;
        }
        ++k;
        if (q + m_decimation >= frames)
            m_outputCountdown = static_cast<uint32_t>(q + m_decimation - frames);
    }
    if (k == 0)
        m_outputCountdown -= frames;
    if (pushed < frames)
        push(pushed, frames - pushed);
    m_writeIndex = (base + frames) & kHistoryMask;
    return k;
}

uint32_t CDecimationFilter::ProcessHalfBand(const float* const* input, float* const* output, uint32_t frames)
{
    qm::platform::ScopedTruncatingRounding rounding;
    const FirKernels& kernels = GetFirKernels();
    const uint32_t centre = static_cast<uint32_t>(m_taps - 1) / 2;
    const float* oddTaps = m_oddTaps.data();
    const float centreTap = m_table.data()[centre];

    const uint16_t channels = m_channels;
    const BlockChannels block = GetBlockChannels(input, output, m_history.data(), kChannelStride);
    float* const* history = block.history;
    const float* const* in = block.input;
    float* const* out = block.output;
    // Outputs fall on frames first, first + 2, ...; the frames between them (first + 1, ...,
    // and first - 1 from the previous block) also go to a ring of their own, where the odd
    // taps of consecutive outputs meet consecutive windows: a plain filter over that ring.
    const uint32_t first = m_outputCountdown;
    const uint32_t base = m_writeIndex;
    const uint32_t betweenBase = m_betweenWriteIndex;
    const uint32_t ahead = kHistoryLength - static_cast<uint32_t>(m_taps);

    auto push = [&](uint32_t from, uint32_t count) {
        const uint32_t position = (base + 1 + from) & kHistoryMask;
        const uint32_t run = std::min(count, kHistoryLength - position);
        // The frames between outputs in [from, from + count): s = from or from + 1, then every
        // other one; each goes to the next place of the between ring.
        const uint32_t firstBetween = from + ((from + first + 1) & 1);
        for (uint16_t ch = 0; ch < channels; ++ch)
        {
            float* ring = history[ch];
            const float* src = in[ch] ? in[ch] + from : nullptr;
            StoreRun(ring + position, src, run);
            StoreRun(ring + position + kHistoryLength, src, run);
            StoreRun(ring + ((position + run) & kHistoryMask), src ? src + run : nullptr, count - run);
            StoreRun(ring + ((position + run) & kHistoryMask) + kHistoryLength, src ? src + run : nullptr, count - run);

            float* between = ring + 4 * kHistoryLength;
            uint32_t b = (betweenBase + (firstBetween + first + 1) / 2) & kHistoryMask;
            for (uint32_t s = firstBetween; s < from + count; s += 2)
            {
                const float x = in[ch] ? in[ch][s] : 0.0f;
                between[b] = x;
                between[b + kHistoryLength] = x;
                b = (b + 1) & kHistoryMask;
            }
        }
    };

    float run[kHistoryLength];
    uint32_t pushed = 0;
    uint32_t k = 0;
    uint64_t q = first;
    while (q < frames)
    {
        if (q >= pushed)
        {
            const uint32_t until = static_cast<uint32_t>(std::min<uint64_t>(frames, q + 1 + ahead));
            push(pushed, until - pushed);
            pushed = until;
        }
        // The newest frame between outputs is q - 1 (at b); the centre frame is q - centre.
        const uint32_t b = (betweenBase + static_cast<uint32_t>(q + first) / 2) & kHistoryMask;
        const uint32_t count = std::min<uint32_t>((pushed - 1 - static_cast<uint32_t>(q)) / 2 + 1, kHistoryLength - b);
        for (uint16_t ch = 0; ch < channels; ++ch)
        {
            if (!out[ch])
                continue;
            const float* ring = history[ch];
            kernels.firRun(ring + 4 * kHistoryLength + b + kHistoryLength + 1 - centre, oddTaps, centre, run, count);
            for (uint32_t j = 0; j < count; ++j)
            {
                const uint32_t w = (base + 1 + static_cast<uint32_t>(q) + 2 * j) & kHistoryMask;
                out[ch][k + j] = run[j] + centreTap * ring[w + kHistoryLength - centre];
            }
        }
        k += count;
        q += 2 * static_cast<uint64_t>(count);
    }
    if (pushed < frames)
        push(pushed, frames - pushed);
    // Frames between outputs in this block: those of the other parity than first.
    const uint32_t betweenFrames = (frames + first) / 2;
    m_betweenWriteIndex = (betweenBase + betweenFrames) & kHistoryMask;
    m_outputCountdown = static_cast<uint32_t>((first + 2 * static_cast<uint64_t>(k)) - frames);
    m_writeIndex = (base + frames) & kHistoryMask;
    return k;
}
