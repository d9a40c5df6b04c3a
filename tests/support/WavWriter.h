#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace qm::test
{
// Writes a WAV file: 16-bit integer or 32-bit float samples, one value per
// frame and channel from `sample(frame, channel)`.
template <typename Sample>
void WriteWav(const std::filesystem::path& path, int rate, int channels, int frames, bool asFloat, Sample sample)
{
    const int bytesPerSample = asFloat ? 4 : 2;
    const uint32_t dataSize = static_cast<uint32_t>(frames * channels * bytesPerSample);
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out.put(static_cast<char>(v >> (8 * i)));
    };
    out.write("RIFF", 4);
    put(36 + dataSize, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(asFloat ? 3 : 1, 2);
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * bytesPerSample), 4);
    put(static_cast<uint32_t>(channels * bytesPerSample), 2);
    put(static_cast<uint32_t>(bytesPerSample * 8), 2);
    out.write("data", 4);
    put(dataSize, 4);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
        {
            const float v = sample(i, c);
            if (asFloat)
            {
                uint32_t bits;
                std::memcpy(&bits, &v, 4);
                put(bits, 4);
            }
            else
                put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f))), 2);
        }
}
} // namespace qm::test
