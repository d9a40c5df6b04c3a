#include "engine/audiofile/pcm/PcmGain.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/pcm/PcmBuffers.h"

// The loops are plain scalar code over one channel at a time; the compiler
// turns them into vector code. dst and src may be the same buffer, which is
// safe because each sample is read before it is written at the same index.

uint32_t ApplyGain(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames, float gain)
{
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        float* out = dst[ch];
        const float* in = src[ch];
        if (out == nullptr)
            continue;
        if (in == nullptr)
        {
            std::fill_n(out, frames, 0.0f);
            continue;
        }
        for (uint32_t i = 0; i < frames; ++i)
            out[i] = in[i] * gain;
    }
    return frames;
}

uint32_t ApplyGainRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames, float startGain,
                       float step, int curve)
{
    const bool squared = curve > 0;
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        float* out = dst[ch];
        const float* in = src[ch];
        if (out == nullptr)
            continue;
        if (in == nullptr)
        {
            std::fill_n(out, frames, 0.0f);
            continue;
        }
        for (uint32_t i = 0; i < frames; ++i)
        {
            const float g = startGain + static_cast<float>(i) * step;
            float factor = squared ? g * g : g;
            // Written so that a NaN factor fails both tests' positive branch
            // and ends at 0.
            factor = factor > 0.0f ? factor : 0.0f;
            factor = factor < 1.0f ? factor : 1.0f;
            out[i] = in[i] * factor;
        }
    }
    return frames;
}

namespace
{

uint32_t CopyBlock(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames)
{
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        if (dst[ch] == nullptr)
            continue;
        if (src[ch] == nullptr)
            std::fill_n(dst[ch], frames, 0.0f);
        else if (dst[ch] != src[ch])
            std::memmove(dst[ch], src[ch], static_cast<size_t>(frames) * sizeof(float));
    }
    return frames;
}

} // namespace

uint32_t ApplyFadeOutRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                          uint32_t rampLength, int64_t position, int curve)
{
    if (rampLength == 0 || position + static_cast<int64_t>(frames) < 0)
        return CopyBlock(channels, dst, src, frames);
    if (position > static_cast<int64_t>(rampLength))
        return ClearChannelBuffers(channels, dst, frames, 0);
    const double length = rampLength;
    const float startGain = static_cast<float>(1.0 - static_cast<double>(position + 1) / length);
    const float step = static_cast<float>(-1.0 / length);
    return ApplyGainRamp(channels, dst, src, frames, startGain, step, curve);
}

uint32_t ApplyFadeInRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                         uint32_t rampLength, int64_t position, int curve)
{
    if (rampLength == 0 || position > static_cast<int64_t>(rampLength))
        return CopyBlock(channels, dst, src, frames);
    if (position + static_cast<int64_t>(frames) < 0)
        return ClearChannelBuffers(channels, dst, frames, 0);
    const double length = rampLength;
    const float startGain = static_cast<float>(static_cast<double>(position) / length);
    const float step = static_cast<float>(1.0 / length);
    return ApplyGainRamp(channels, dst, src, frames, startGain, step, curve);
}
