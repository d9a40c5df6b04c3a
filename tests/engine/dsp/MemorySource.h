#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/audiofile/io/CAudioPlayerInput.h"

namespace qm::test
{

// A song held in memory as floats per channel. Integer reads give the samples
// x 2^31 (exact for samples on a 16- or 24-bit grid).
class MemorySource : public CAudioPlayerInput
{
public:
    MemorySource(uint32_t rate, std::vector<std::vector<float>> channels, uint16_t bits = 16)
        : m_rate(rate),
          m_bits(bits),
          m_samples(std::move(channels))
    {
    }

    uint32_t GetSampleRate() override { return m_rate; }
    uint16_t GetBitsPerSample() override { return m_bits; }
    uint16_t GetChannelCount() override { return static_cast<uint16_t>(m_samples.size()); }
    bool IsLossless() override { return lossless; }
    bool IsVariableBitRate() override { return variableBitRate; }
    bool IsFloat() override { return isFloat; }
    uint64_t GetLength() override { return m_samples.empty() ? 0 : m_samples[0].size(); }
    uint64_t GetPosition() override { return m_position; }
    uint64_t SetPosition(uint64_t frame) override { return m_position = std::min(frame, GetLength()); }

    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override
    {
        const uint32_t n = Take(frames);
        for (size_t c = 0; c < m_samples.size(); ++c)
            if (channels[c] != nullptr)
                std::copy_n(m_samples[c].begin() + static_cast<std::ptrdiff_t>(m_position), n, channels[c] + offset);
        return Advance(n);
    }
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override
    {
        const uint32_t n = Take(frames);
        for (size_t c = 0; c < m_samples.size(); ++c)
            if (channels[c] != nullptr)
                for (uint32_t i = 0; i < n; ++i)
                {
                    const double v =
                        std::clamp(m_samples[c][m_position + i] * 2147483648.0, -2147483648.0, 2147483647.0);
                    channels[c][offset + i] = static_cast<int32_t>(v);
                }
        return Advance(n);
    }

    bool lossless = true;
    bool variableBitRate = false;
    bool isFloat = false;
    int reads = 0;
    std::function<void()> onRead; // called before every read

private:
    uint32_t Take(uint32_t frames)
    {
        ++reads;
        if (onRead)
            onRead();
        return static_cast<uint32_t>(std::min<uint64_t>(frames, GetLength() - m_position));
    }
    uint32_t Advance(uint32_t n)
    {
        m_position += n;
        return n;
    }

    uint32_t m_rate;
    uint16_t m_bits;
    std::vector<std::vector<float>> m_samples;
    uint64_t m_position = 0;
};

// Reproducible noise on the 16-bit grid, at most `amplitude`.
inline std::vector<float> Noise16(size_t frames, double amplitude, uint32_t seed)
{
    std::vector<float> out(frames);
    uint32_t x = seed;
    for (auto& v : out)
    {
        x = x * 1664525u + 1013904223u;
        const double r = (static_cast<int32_t>(x) / 2147483648.0) * amplitude;
        v = static_cast<float>(std::round(r * 32768.0) / 32768.0);
    }
    return out;
}

} // namespace qm::test
