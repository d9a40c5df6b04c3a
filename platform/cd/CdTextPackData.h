#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::platform
{
// Bytes of one CD-TEXT pack.
constexpr size_t kCdTextPackBytes = 18;
// At most 8 blocks of 256 packs each.
constexpr size_t kCdTextMaxPacks = 8 * 256;

// The whole packs among `size` bytes (a trailing part shorter than a pack is
// dropped), at most kCdTextMaxPacks of them.
std::vector<uint8_t> PacksFromBytes(const uint8_t* data, size_t size);

// The packs of a CD-TEXT pack file. Such files are usually headerless; some
// writers put the 4-byte response header in front (its length field then
// counts the rest of the file plus 2) or a zero byte after the last pack.
// Both are removed.
std::vector<uint8_t> PacksFromPackFile(const std::vector<uint8_t>& file);
} // namespace qm::platform
