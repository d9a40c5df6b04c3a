#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/audiofile/io/CAudioRecorderOutput.h"

namespace qm::test
{

// A sink that keeps every sample written, as integers (left-aligned 32 bits)
// or floats, per channel, and counts the calls of each kind.
class RecordingOutput : public CAudioRecorderOutput
{
public:
    RecordingOutput(uint32_t rate, uint16_t channels, uint16_t bits, bool isFloat = false)
        : m_rate(rate),
          m_channels(channels),
          m_bits(bits),
          m_float(isFloat),
          ints(channels),
          floats(channels)
    {
    }

    void Cancel() override { cancelled = true; }
    uint32_t GetSampleRate() override { return m_rate; }
    uint16_t GetChannelCount() override { return m_channels; }
    uint16_t GetBitsPerSample() override { return m_bits; }
    bool IsFloat() override { return m_float; }

    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override
    {
        ++intWrites;
        for (uint16_t c = 0; c < m_channels; ++c)
            ints[c].insert(ints[c].end(), channels[c], channels[c] + frames);
        return frames;
    }
    uint32_t WriteFloat(float** channels, uint32_t frames) override
    {
        ++floatWrites;
        if (!m_float)
            return WriteFloatAsInt32(channels, frames);
        for (uint16_t c = 0; c < m_channels; ++c)
            floats[c].insert(floats[c].end(), channels[c], channels[c] + frames);
        return frames;
    }
    void UpdateMetaData() override { ++metaDataUpdates; }

    // The integer samples rounded to the output's width, as a file stores them.
    int32_t Stored(uint16_t channel, size_t frame) const
    {
        const int64_t half = m_bits < 32 ? int64_t{1} << (31 - m_bits) : 0;
        int64_t v = int64_t{ints[channel][frame]} + half;
        if (v > INT32_MAX)
            v = INT32_MAX;
        return static_cast<int32_t>(v >> (32 - m_bits));
    }

    uint32_t m_rate;
    uint16_t m_channels;
    uint16_t m_bits;
    bool m_float;
    std::vector<std::vector<int32_t>> ints;
    std::vector<std::vector<float>> floats;
    int intWrites = 0;
    int floatWrites = 0;
    int metaDataUpdates = 0;
    bool cancelled = false;
};

} // namespace qm::test
