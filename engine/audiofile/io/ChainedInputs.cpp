#include "engine/audiofile/io/ChainedInputs.h"

#include <cmath>

#include "engine/audiofile/pcm/PcmBuffers.h"

namespace chained
{
int64_t FramesFromSeconds(uint32_t rate, double seconds)
{
    const double frames = static_cast<double>(rate) * seconds;
    if (std::isnan(frames))
        return 0;
    constexpr double top = 9223372036854775807.0;
    if (frames >= top)
        return INT64_MAX;
    if (frames <= -top)
        return -INT64_MAX;
    return static_cast<int64_t>(frames);
}

void MatchSampleKind(int32_t* const* channels, uint16_t channelCount, uint32_t frames, uint32_t offset,
                     bool inputIsFloat, bool readerIsFloat)
{
    if (inputIsFloat == readerIsFloat || channels == nullptr || frames == 0)
        return;
    for (uint16_t ch = 0; ch < channelCount; ++ch)
    {
        int32_t* samples = channels[ch];
        if (samples == nullptr)
            continue;
        samples += offset;
        // The buffers hold 32-bit words of either kind; the conversions run in
        // place, with the float view taken through a separate pointer array so
        // that the helpers see the types they expect.
        float* asFloat = reinterpret_cast<float*>(samples);
        if (inputIsFloat)
            FloatToInt32Clip(1, &asFloat, &samples, frames);
        else
            Int32ToFloat(1, &samples, &asFloat, frames, 0);
    }
}
} // namespace chained
