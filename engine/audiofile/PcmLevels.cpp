#include "engine/audiofile/PcmLevels.h"

#include <array>
#include <cmath>
#include <cstring>

namespace
{

const std::array<float, kLevelTableSize>& LevelTable()
{
    static const std::array<float, kLevelTableSize> table = [] {
        std::array<float, kLevelTableSize> t{};
        for (int i = 0; i < kLevelTableSize; ++i)
            t[i] = static_cast<float>(std::pow(10.0, (0.5 * i - 60.0) / 20.0));
        return t;
    }();
    return table;
}

} // namespace

const float* GetLevelTable()
{
    return LevelTable().data();
}

float FindPeakAbs(uint32_t count, const float* const* buffer)
{
    if (count == 0 || buffer == nullptr || buffer[0] == nullptr)
        return 0.0f;
    // With the sign bit masked off, finite floats and infinity order like
    // their bit patterns as unsigned integers; NaN patterns lie above
    // infinity and are dropped. Integer maxima vectorise well.
    constexpr uint32_t kInfinity = 0x7F800000u;
    const float* in = buffer[0];
    uint32_t peak = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t bits;
        std::memcpy(&bits, in + i, sizeof bits);
        bits &= 0x7FFFFFFFu;
        bits = bits > kInfinity ? 0 : bits;
        peak = bits > peak ? bits : peak;
    }
    float result;
    std::memcpy(&result, &peak, sizeof result);
    return result;
}

float LinearToDecibels(float level)
{
    const auto& table = LevelTable();
    if (std::isnan(level))
        return -60.0f;
    for (int i = 0; i < kLevelTableSize - 1; ++i)
        if (table[i] >= level)
            return -60.0f + 0.5f * static_cast<float>(i);
    return 3.5f;
}

float PeakToDecibels(uint32_t count, const float* const* buffer)
{
    return LinearToDecibels(FindPeakAbs(count, buffer));
}

float DecibelsToLinear(float decibels)
{
    return static_cast<float>(std::pow(10.0, static_cast<double>(decibels) * 0.05));
}
