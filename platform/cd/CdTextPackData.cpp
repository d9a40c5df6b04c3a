#include "platform/cd/CdTextPackData.h"

#include <algorithm>

namespace qm::platform
{
std::vector<uint8_t> PacksFromBytes(const uint8_t* data, size_t size)
{
    if (data == nullptr)
        return {};
    const size_t packs = std::min(size / kCdTextPackBytes, kCdTextMaxPacks);
    return std::vector<uint8_t>(data, data + packs * kCdTextPackBytes);
}

std::vector<uint8_t> PacksFromPackFile(const std::vector<uint8_t>& file)
{
    size_t begin = 0;
    size_t size = file.size();
    if (size % kCdTextPackBytes == 1 && file.back() == 0)
        --size;
    if (size >= 4 && size % kCdTextPackBytes == 4)
    {
        const size_t length = (size_t(file[0]) << 8) | file[1];
        if (length + 2 == size)
            begin = 4;
    }
    return PacksFromBytes(file.data() + begin, size - begin);
}
} // namespace qm::platform
