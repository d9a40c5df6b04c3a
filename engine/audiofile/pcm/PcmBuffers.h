#pragma once

#include <cstdint>

// Per-channel sample buffers: an array of channel pointers plus a channel
// count. A null channel pointer is skipped by every function that writes into
// it. Offsets and counts are in frames. Integer samples are 32-bit signed and
// left-aligned; float samples have full scale -1.0 to 1.0.

// Zeroes frames samples of each non-null channel from offset. Returns frames.
uint32_t ClearChannelBuffers(uint16_t channels, float* const* buffers, uint32_t frames, uint32_t offset);

// Copies frames 32-bit samples per channel from src[ch] + srcOffset to
// dst[ch] + dstOffset; a null destination channel is skipped, a null source
// channel gives silence. Returns frames.
uint32_t CopyChannelBuffers(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                            uint32_t srcOffset, uint32_t dstOffset);

// Fills bytes bytes of each non-null channel from byteOffset with the 1-bit
// idle pattern 0x96. Returns bytes.
uint32_t FillDsdSilence(uint16_t channels, uint8_t* const* buffers, uint32_t bytes, uint32_t byteOffset);

// v = x * 2^31, clipped to -2147483647..2147483647, truncated toward zero;
// NaN gives 0. src and dst may be the same buffers. Returns frames.
uint32_t FloatToInt32Clip(uint16_t channels, float* const* src, int32_t* const* dst, uint32_t frames);

// x / 2^31 for frames samples from offset (in both buffers); may run in place.
// Returns frames.
uint32_t Int32ToFloat(uint16_t channels, int32_t* const* src, float* const* dst, uint32_t frames, uint32_t offset);
