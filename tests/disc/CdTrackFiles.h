#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/audiofile/wav/CWavFileRead.h"

// Helpers of the CD track-file tests: a stereo ramp that survives 16-bit
// files exactly, and the samples of a written track file.
namespace qm::test::cd
{
// Left: a ramp of 16-bit steps, left-aligned in 32 bits; right: its negative.
// Frame i of the whole stream has the value of rampValue(i).
inline int32_t rampValue(uint64_t frame)
{
    return static_cast<int32_t>((static_cast<int64_t>(frame % 60000) - 30000) * 0x10000);
}

struct Stereo
{
    std::vector<int32_t> left;
    std::vector<int32_t> right;
    size_t size() const { return left.size(); }
};

// Frames first .. first + frames - 1 of the ramp.
inline Stereo ramp(uint64_t first, uint32_t frames)
{
    Stereo s;
    for (uint32_t i = 0; i < frames; ++i)
    {
        s.left.push_back(rampValue(first + i));
        s.right.push_back(-rampValue(first + i));
    }
    return s;
}

// The samples of a WAV file as left-aligned 32-bit integers; empty when it
// does not open. rate, bits and channels are the file's format.
struct TrackFile
{
    Stereo samples;
    uint32_t rate = 0;
    uint16_t bits = 0;
    uint16_t channels = 0;
    bool opened = false;
};

inline TrackFile readTrackFile(const std::u16string& path)
{
    TrackFile file;
    CWavFileRead reader;
    if (reader.Open(path.c_str()) != ReaderOpenResult::Ok)
        return file;
    file.opened = true;
    file.rate = reader.GetSampleRate();
    file.bits = reader.GetBitsPerSample();
    file.channels = reader.GetChannelCount();
    const uint64_t length = reader.GetLength();
    file.samples.left.resize(length);
    file.samples.right.resize(length);
    int32_t* channels[2] = {file.samples.left.data(), file.samples.right.data()};
    const uint32_t got = reader.ReadInt32(channels, static_cast<uint32_t>(length), 0);
    file.samples.left.resize(got);
    file.samples.right.resize(got);
    return file;
}

// The first frame from `from` on whose samples differ from the ramp that
// starts at rampFirst; count when all match.
inline size_t firstRampMismatch(const Stereo& s, size_t from, size_t count, uint64_t rampFirst)
{
    for (size_t i = 0; i < count; ++i)
    {
        const int32_t want = rampValue(rampFirst + i);
        if (from + i >= s.size() || s.left[from + i] != want || s.right[from + i] != -want)
            return i;
    }
    return count;
}

// True when frames from..end of the file are silent.
inline bool silentFrom(const Stereo& s, size_t from)
{
    for (size_t i = from; i < s.size(); ++i)
        if (s.left[i] != 0 || s.right[i] != 0)
            return false;
    return true;
}
} // namespace qm::test::cd
