#pragma once

#include <cstdint>

// Splits seconds into whole hours, minutes (0..59) and the remaining seconds
// with their fraction; negative results become 0.
void SecondsToHourMinSec(double seconds, int* hours, int* minutes, float* secondsOut);

// Assemble min(n, 8) bytes, least or most significant first; 0 for n < 1.
uint64_t LittleEndianBytesToInt(const uint8_t* bytes, int n);
uint64_t BigEndianBytesToInt(const uint8_t* bytes, int n);

// Lay out the low min(n, 8) bytes of value, least or most significant first.
void IntToLittleEndianBytes(uint8_t* bytes, uint64_t value, int n);
void IntToBigEndianBytes(uint8_t* bytes, uint64_t value, int n);
