#pragma once

#include <cstdint>

// Interleaved integer samples of bitsPerSample = 8, 16, 24 or 32 bits in
// either byte order <-> left-aligned 32-bit samples per channel. A frame is
// channels x (bitsPerSample / 8) bytes; channel c's sample starts at byte
// c x (bitsPerSample / 8) of its frame. 8-bit samples are signed here (no
// offset is added or removed). Other widths do nothing and return 0.

// Unpacks frames frames from src into dst[ch] + dstOffset; null channels are
// skipped. Returns frames.
uint32_t UnpackLittleEndian(uint16_t channels, int32_t* const* dst, const uint8_t* src, uint32_t frames,
                            uint32_t bitsPerSample, uint32_t dstOffset);
uint32_t UnpackBigEndian(uint16_t channels, int32_t* const* dst, const uint8_t* src, uint32_t frames,
                         uint32_t bitsPerSample, uint32_t dstOffset);

// Packs frames frames from src[ch] + srcOffset into dst. Below 32 bits each
// sample is rounded to the target width (half a step added in 64 bits, the
// top saturating at the largest value); at 32 bits it is copied unchanged. A
// null source channel gives zero samples. Returns frames.
uint32_t PackLittleEndian(uint16_t channels, uint8_t* dst, const int32_t* const* src, uint32_t frames,
                          uint32_t bitsPerSample, uint32_t srcOffset);
uint32_t PackBigEndian(uint16_t channels, uint8_t* dst, const int32_t* const* src, uint32_t frames,
                       uint32_t bitsPerSample, uint32_t srcOffset);
