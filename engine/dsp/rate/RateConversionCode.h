#pragma once

#include <cstdint>

// Code of a pair of PCM rates from {44100, 48000, 88200, 96000}: a base by input rate
// (0, 6, 10, 14) plus an offset by output rate (0..3). -1 for any other rate.
using RateConversionCode = int;

RateConversionCode GetRateConversionCode(uint32_t inputRate, uint32_t outputRate);
