#include "engine/audiofile/pcm/PcmPacking.h"

#include <cstddef>

namespace
{

bool IsPackedWidth(uint32_t bits)
{
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Rounds a left-aligned sample to bits bits: half a step is added in 64 bits
// and the top saturates. Nothing can overflow at the bottom.
inline uint32_t RoundToWidth(int32_t sample, uint32_t bits)
{
    if (bits >= 32)
        return static_cast<uint32_t>(sample);
    int64_t v = static_cast<int64_t>(sample) + (int64_t{1} << (31 - bits));
    if (v > 2147483647)
        v = 2147483647;
    return static_cast<uint32_t>(static_cast<int32_t>(v));
}

template <bool BigEndian>
uint32_t Unpack(uint16_t channels, int32_t* const* dst, const uint8_t* src, uint32_t frames, uint32_t bits,
                uint32_t dstOffset)
{
    if (!IsPackedWidth(bits))
        return 0;
    const uint32_t n = bits / 8;
    const size_t stride = static_cast<size_t>(channels) * n;
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        int32_t* out = dst[ch];
        if (out == nullptr)
            continue;
        out += dstOffset;
        const uint8_t* in = src + static_cast<size_t>(ch) * n;
        for (uint32_t i = 0; i < frames; ++i, in += stride)
        {
            uint32_t v = 0;
            for (uint32_t k = 0; k < n; ++k)
            {
                const uint32_t shift = BigEndian ? (3 - k) * 8 : (4 - n) * 8 + 8 * k;
                v |= static_cast<uint32_t>(in[k]) << shift;
            }
            out[i] = static_cast<int32_t>(v);
        }
    }
    return frames;
}

template <bool BigEndian>
uint32_t Pack(uint16_t channels, uint8_t* dst, const int32_t* const* src, uint32_t frames, uint32_t bits,
              uint32_t srcOffset)
{
    if (!IsPackedWidth(bits))
        return 0;
    const uint32_t n = bits / 8;
    const size_t stride = static_cast<size_t>(channels) * n;
    for (uint16_t ch = 0; ch < channels; ++ch)
    {
        const int32_t* in = src[ch] != nullptr ? src[ch] + srcOffset : nullptr;
        uint8_t* out = dst + static_cast<size_t>(ch) * n;
        for (uint32_t i = 0; i < frames; ++i, out += stride)
        {
            const uint32_t v = in != nullptr ? RoundToWidth(in[i], bits) : 0;
            for (uint32_t k = 0; k < n; ++k)
            {
                const uint32_t shift = BigEndian ? 24 - 8 * k : (4 - n) * 8 + 8 * k;
                out[k] = static_cast<uint8_t>(v >> shift);
            }
        }
    }
    return frames;
}

} // namespace

uint32_t UnpackLittleEndian(uint16_t channels, int32_t* const* dst, const uint8_t* src, uint32_t frames,
                            uint32_t bitsPerSample, uint32_t dstOffset)
{
    return Unpack<false>(channels, dst, src, frames, bitsPerSample, dstOffset);
}

uint32_t UnpackBigEndian(uint16_t channels, int32_t* const* dst, const uint8_t* src, uint32_t frames,
                         uint32_t bitsPerSample, uint32_t dstOffset)
{
    return Unpack<true>(channels, dst, src, frames, bitsPerSample, dstOffset);
}

uint32_t PackLittleEndian(uint16_t channels, uint8_t* dst, const int32_t* const* src, uint32_t frames,
                          uint32_t bitsPerSample, uint32_t srcOffset)
{
    return Pack<false>(channels, dst, src, frames, bitsPerSample, srcOffset);
}

uint32_t PackBigEndian(uint16_t channels, uint8_t* dst, const int32_t* const* src, uint32_t frames,
                       uint32_t bitsPerSample, uint32_t srcOffset)
{
    return Pack<true>(channels, dst, src, frames, bitsPerSample, srcOffset);
}
