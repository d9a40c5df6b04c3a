#include "engine/audiofile/pcm/PcmLevels.h"

#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "engine/audiofile/foundation/ProcessorFeatures.h"

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

namespace
{

inline float PeakOf(float peak, float sample)
{
    const float a = std::fabs(sample);
    return a > peak ? a : peak; // a NaN never wins
}

#if defined(__SSE__)
// Four running maxima of the samples with their sign bit masked off.
// _mm_max_ps returns its second operand when the first is NaN, so NaNs are
// dropped as in the scalar path.
float FindPeakAbsSse(const float* in, uint32_t count)
{
    const __m128 mask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 maxima = _mm_setzero_ps();
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4)
        maxima = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(in + i), mask), maxima);
    float lanes[4];
    _mm_storeu_ps(lanes, maxima);
    float peak = 0.0f;
    for (float lane : lanes)
        peak = PeakOf(peak, lane);
    for (; i < count; ++i)
        peak = PeakOf(peak, in[i]);
    return peak;
}
#endif

} // namespace

float FindPeakAbs(uint32_t count, const float* const* buffer)
{
    if (count == 0 || buffer == nullptr || buffer[0] == nullptr)
        return 0.0f;
    const float* in = buffer[0];
#if defined(__SSE__)
    if (HasSse())
        return FindPeakAbsSse(in, count);
#endif
    float peak = 0.0f;
    for (uint32_t i = 0; i < count; ++i)
        peak = PeakOf(peak, in[i]);
    return peak;
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
