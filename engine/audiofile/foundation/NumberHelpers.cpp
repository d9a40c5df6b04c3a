#include "engine/audiofile/foundation/NumberHelpers.h"

#include <algorithm>
#include <cmath>

void SecondsToHourMinSec(double seconds, int* hours, int* minutes, float* secondsOut)
{
    // Out-of-range and NaN inputs give 0 rather than an undefined conversion.
    if (!(seconds > 0.0))
        seconds = 0.0;
    seconds = std::min(seconds, 2147483647.0 * 60.0);
    const int64_t whole = static_cast<int64_t>(seconds);
    int64_t m = whole / 60;
    const double rest = seconds - static_cast<double>(m) * 60.0;
    const int64_t h = m / 60;
    m %= 60;
    if (hours != nullptr)
        *hours = static_cast<int>(std::max<int64_t>(h, 0));
    if (minutes != nullptr)
        *minutes = static_cast<int>(std::max<int64_t>(m, 0));
    if (secondsOut != nullptr)
        *secondsOut = static_cast<float>(std::max(rest, 0.0));
}

uint64_t LittleEndianBytesToInt(const uint8_t* bytes, int n)
{
    uint64_t value = 0;
    for (int k = std::min(n, 8) - 1; k >= 0; --k)
        value = (value << 8) | bytes[k];
    return value;
}

uint64_t BigEndianBytesToInt(const uint8_t* bytes, int n)
{
    uint64_t value = 0;
    for (int k = 0; k < std::min(n, 8); ++k)
        value = (value << 8) | bytes[k];
    return value;
}

void IntToLittleEndianBytes(uint8_t* bytes, uint64_t value, int n)
{
    for (int k = 0; k < std::min(n, 8); ++k)
        bytes[k] = static_cast<uint8_t>(value >> (8 * k));
}

void IntToBigEndianBytes(uint8_t* bytes, uint64_t value, int n)
{
    const int count = std::min(n, 8);
    for (int k = 0; k < count; ++k)
        bytes[k] = static_cast<uint8_t>(value >> (8 * (count - 1 - k)));
}
