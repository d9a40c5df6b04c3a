#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace qm::test
{
// Reads a whole stream of `channels` channels in blocks: read(pointers, frames)
// fills up to frames frames of each channel and returns how many it filled; 0
// ends the stream. One vector per channel.
template <class Read>
std::vector<std::vector<int32_t>> readAllBlocks(size_t channels, uint32_t block, Read read)
{
    std::vector<std::vector<int32_t>> out(channels);
    std::vector<std::vector<int32_t>> buf(channels, std::vector<int32_t>(block));
    std::vector<int32_t*> ptrs;
    for (auto& b : buf)
        ptrs.push_back(b.data());
    uint32_t n;
    while ((n = read(ptrs.data(), block)) > 0)
        for (size_t c = 0; c < channels; ++c)
            out[c].insert(out[c].end(), buf[c].begin(), buf[c].begin() + n);
    return out;
}

// Reads a headerless file of 32-bit signed little-endian samples, channels
// interleaved, into one vector per channel (as `sox ... -t s32 name` writes).
std::vector<std::vector<int32_t>> readRawS32(const std::filesystem::path& file, int channels);

// The lag (in frames, within +-maxLag) at which `decoded` best matches
// `source` (decoded[i + lag] ~ source[i]), measured over source frames
// [from, from + count), and the normalised correlation found there.
struct LagMatch
{
    long lag = 0;
    double correlation = 0.0;
};
LagMatch findLag(const std::vector<int32_t>& source, const std::vector<int32_t>& decoded, size_t from, size_t count,
                 long maxLag);

// Signal-to-difference ratio in dB of `b` against `a` over their common length
// (very large when equal).
double snrDb(const std::vector<int32_t>& a, const std::vector<int32_t>& b);
} // namespace qm::test
