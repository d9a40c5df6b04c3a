#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// The pieces of the ASF header (a Windows Media file's header) that the
// attribute reader and writer share: object GUIDs as the file stores them (the
// first three groups little-endian), little-endian integers and the walk over
// a run of objects.
namespace qm::asf
{
using Guid = uint8_t[16];

inline constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                         0x8E, 0xE4, 0x00, 0xC0, 0x4F, 0xD9, 0xC0, 0xE5};
inline constexpr Guid kContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kExtendedContentDescription = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                     0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
inline constexpr Guid kHeaderExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                          0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kHeaderExtensionReserved = {0x11, 0xD2, 0xD3, 0xAB, 0xBA, 0xA9, 0xCF, 0x11,
                                                  0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kMetadataLibrary = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                          0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

inline constexpr size_t kObjectHeaderSize = 24;    // GUID and 64-bit size
inline constexpr size_t kHeaderObjectSize = 30;    // plus count and two reserved bytes
inline constexpr size_t kHeaderExtensionSize = 46; // plus reserved GUID, 16-bit field, 32-bit data size
// The largest header either side handles (a header holds the attributes,
// pictures included, but no audio).
inline constexpr uint64_t kMaxHeaderSize = 256u << 20;

inline bool IsGuid(const uint8_t* at, const Guid& guid)
{
    return std::memcmp(at, guid, 16) == 0;
}

inline uint64_t ReadLE(const uint8_t* at, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

// Object boundaries in [begin, end) of `bytes`: (offset, size) of each; false
// when an object's size does not fit what is there.
inline bool ListObjects(const uint8_t* bytes, size_t begin, size_t end, std::vector<std::pair<size_t, size_t>>& objects)
{
    objects.clear();
    for (size_t at = begin; at < end;)
    {
        if (end - at < kObjectHeaderSize)
            return false;
        const uint64_t size = ReadLE(bytes + at + 16, 8);
        if (size < kObjectHeaderSize || size > end - at)
            return false;
        objects.emplace_back(at, static_cast<size_t>(size));
        at += static_cast<size_t>(size);
    }
    return true;
}
} // namespace qm::asf
