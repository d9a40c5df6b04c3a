#pragma once

// Builds ID3v2 tags and AIFF files byte by byte for the tag and AIFF tests.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "tests/engine/audiofile/RiffBytes.h"

namespace qm::test
{
inline void putBE(Bytes& bytes, uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline uint64_t readBE(const Bytes& bytes, size_t offset, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes.at(offset + i);
    return value;
}

inline void putSyncSafe(Bytes& bytes, uint32_t value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

inline Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// A text frame body: the encoding byte, then the bytes as given.
inline Bytes textBody(uint8_t encoding, const Bytes& text)
{
    Bytes bytes{encoding};
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

inline Bytes textBody(uint8_t encoding, const std::string& text)
{
    return textBody(encoding, bytesOf(text));
}

// A frame of an ID3v2 tag of the major version: ID3v2.2 has three-character
// ids and three-byte sizes, ID3v2.3 plain and ID3v2.4 sync-safe four-byte
// sizes with two flag bytes.
inline Bytes frame(int major, const std::string& id, const Bytes& body, uint8_t flags2 = 0, int64_t statedSize = -1)
{
    Bytes bytes;
    putText(bytes, id);
    const uint64_t size = statedSize >= 0 ? uint64_t(statedSize) : body.size();
    if (major == 2)
        putBE(bytes, size, 3);
    else if (major == 3)
        putBE(bytes, size, 4);
    else
        putSyncSafe(bytes, static_cast<uint32_t>(size));
    if (major != 2)
    {
        bytes.push_back(0);
        bytes.push_back(flags2);
    }
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// A tag: header ("ID3", version, flags, sync-safe size of what follows, or
// statedSize), then the body (extended header, frames, padding).
inline Bytes id3Tag(int major, uint8_t flags, const Bytes& body, int64_t statedSize = -1)
{
    Bytes bytes;
    putText(bytes, "ID3");
    bytes.push_back(static_cast<uint8_t>(major));
    bytes.push_back(0);
    bytes.push_back(flags);
    putSyncSafe(bytes, static_cast<uint32_t>(statedSize >= 0 ? statedSize : int64_t(body.size())));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// A big-endian IFF chunk; a pad byte follows an odd body when pad is set.
inline Bytes iffChunk(const std::string& id, const Bytes& body, bool pad = true, int64_t statedSize = -1)
{
    Bytes bytes;
    putText(bytes, id);
    putBE(bytes, statedSize >= 0 ? uint64_t(statedSize) : body.size(), 4);
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (pad && (body.size() & 1) != 0)
        bytes.push_back(0);
    return bytes;
}

inline Bytes form(const std::string& type, std::initializer_list<Bytes> chunks)
{
    Bytes bytes;
    putText(bytes, "FORM");
    putBE(bytes, 0, 4);
    putText(bytes, type);
    for (const Bytes& c : chunks)
        bytes.insert(bytes.end(), c.begin(), c.end());
    const uint64_t size = bytes.size() - 8;
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<uint8_t>(size >> (8 * (3 - i)));
    return bytes;
}

// The 80-bit extended rate of the common rates: exponent and the mantissa's
// top 16 bits.
inline Bytes extendedRate(uint16_t exponent, uint16_t mantissaTop)
{
    Bytes bytes;
    putBE(bytes, exponent, 2);
    putBE(bytes, mantissaTop, 2);
    bytes.resize(10, 0);
    return bytes;
}

// A "COMM" body; with a compression type (AIFC) the type and an empty name
// follow the common fields.
inline Bytes commBody(uint16_t channels, uint32_t frames, uint16_t bits, const Bytes& rate,
                      const std::string& compression = "")
{
    Bytes bytes;
    putBE(bytes, channels, 2);
    putBE(bytes, frames, 4);
    putBE(bytes, bits, 2);
    bytes.insert(bytes.end(), rate.begin(), rate.end());
    if (!compression.empty())
    {
        putText(bytes, compression);
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

// An "SSND" body: offset, block size, then offset bytes of filler and the data.
inline Bytes ssndBody(const Bytes& data, uint32_t offset = 0)
{
    Bytes bytes;
    putBE(bytes, offset, 4);
    putBE(bytes, 0, 4);
    bytes.resize(bytes.size() + offset, 0xEE);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}
} // namespace qm::test
