#include "engine/audiofile/pcm/PcmBuffers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

uint32_t ClearChannelBuffers(uint16_t channels, float* const* buffers, uint32_t frames, uint32_t offset)
{
    for (uint16_t ch = 0; ch < channels; ++ch)
        if (buffers[ch] != nullptr)
            std::fill_n(buffers[ch] + offset, frames, 0.0f);
    return frames;
}

uint32_t CopyChannelBuffers(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                            uint32_t srcOffset, uint32_t dstOffset)
{
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        if (dst[ch] == nullptr)
            continue;
        if (src[ch] == nullptr)
            std::fill_n(dst[ch] + dstOffset, frames, 0.0f);
        else
            std::memmove(dst[ch] + dstOffset, src[ch] + srcOffset, static_cast<size_t>(frames) * sizeof(float));
    }
    return frames;
}

uint32_t FillDsdSilence(uint16_t channels, uint8_t* const* buffers, uint32_t bytes, uint32_t byteOffset)
{
    for (uint16_t ch = 0; ch < channels; ++ch)
        if (buffers[ch] != nullptr)
            std::fill_n(buffers[ch] + byteOffset, bytes, uint8_t{0x96});
    return bytes;
}

// The float and integer buffers may be the same memory, so samples are moved
// through memcpy, which is free of aliasing assumptions and compiles to plain
// loads and stores.
uint32_t FloatToInt32Clip(uint16_t channels, float* const* src, int32_t* const* dst, uint32_t frames)
{
    constexpr double kScale = 2147483648.0;
    constexpr double kUpper = 2147483647.0;
    constexpr double kLower = -2147483647.0;
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        if (dst[ch] == nullptr)
            continue;
        if (src[ch] == nullptr)
        {
            std::fill_n(dst[ch], frames, 0);
            continue;
        }
        auto* in = reinterpret_cast<const unsigned char*>(src[ch]);
        auto* out = reinterpret_cast<unsigned char*>(dst[ch]);
        for (uint32_t i = 0; i < frames; ++i)
        {
            float x;
            std::memcpy(&x, in + i * sizeof(float), sizeof x);
            double v = static_cast<double>(x) * kScale;
            v = v > kUpper ? kUpper : v;
            v = v < kLower ? kLower : v;
            v = v == v ? v : 0.0; // NaN
            const int32_t sample = static_cast<int32_t>(v);
            std::memcpy(out + i * sizeof(int32_t), &sample, sizeof sample);
        }
    }
    return frames;
}

uint32_t Int32ToFloat(uint16_t channels, int32_t* const* src, float* const* dst, uint32_t frames, uint32_t offset)
{
    constexpr float kScale = 1.0f / 2147483648.0f;
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        if (dst[ch] == nullptr)
            continue;
        if (src[ch] == nullptr)
        {
            std::fill_n(dst[ch] + offset, frames, 0.0f);
            continue;
        }
        auto* in = reinterpret_cast<const unsigned char*>(src[ch] + offset);
        auto* out = reinterpret_cast<unsigned char*>(dst[ch] + offset);
        for (uint32_t i = 0; i < frames; ++i)
        {
            int32_t sample;
            std::memcpy(&sample, in + i * sizeof(int32_t), sizeof sample);
            const float x = static_cast<float>(sample) * kScale;
            std::memcpy(out + i * sizeof(float), &x, sizeof x);
        }
    }
    return frames;
}
