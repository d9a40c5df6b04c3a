#pragma once

#include <cstdint>

// The level table: entry i = 10^((0.5 i - 60) / 20), i = 0..127, that is
// -60 dB to +3.5 dB in 0.5 dB steps (entry 120 is 1.0).
constexpr int kLevelTableSize = 128;
const float* GetLevelTable();

// The largest absolute value among count samples of buffer[0]; NaNs are
// ignored; 0 for count 0.
float FindPeakAbs(uint32_t count, const float* const* buffer);

// -60 + 0.5 i for the first i in 0..126 whose table entry is at least level,
// +3.5 above entry 126. Levels at or below 0.001 (and NaN) give -60.
float LinearToDecibels(float level);

// LinearToDecibels(FindPeakAbs(count, buffer)).
float PeakToDecibels(uint32_t count, const float* const* buffer);

// 10^(dB x 0.05).
float DecibelsToLinear(float decibels);
