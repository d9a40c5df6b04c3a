#pragma once

#include <cstdint>

// Gain and fades on per-channel float buffers. Each writes every non-null
// destination channel from the same source channel; dst and src may be the
// same buffers. All return frames.

// dst = src x gain.
uint32_t ApplyGain(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames, float gain);

// Sample i gets g = startGain + i x step; the factor is g^2 when curve is
// positive, else g, clamped to 0..1 (NaN gives 0).
uint32_t ApplyGainRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames, float startGain,
                       float step, int curve);

// position is the stream frame of the block's first frame relative to the
// start of the fade. Fade-out: before the fade the block is copied, after it
// silence. Fade-in: before the fade silence, after it a copy. A rampLength of
// 0 is no fade: the block is copied unchanged. A positive curve squares the
// gain (a quadratic fade), as ApplyGainRamp does.
uint32_t ApplyFadeOutRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                          uint32_t rampLength, int64_t position, int curve = 0);
uint32_t ApplyFadeInRamp(uint16_t channels, float* const* dst, const float* const* src, uint32_t frames,
                         uint32_t rampLength, int64_t position, int curve = 0);
