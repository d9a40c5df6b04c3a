#pragma once

// Builds RIFF files byte by byte for the file-layer tests.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace qm::test
{
using Bytes = std::vector<uint8_t>;

inline void putLE(Bytes& bytes, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void putText(Bytes& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

inline uint64_t readLE(const Bytes& bytes, size_t offset, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= uint64_t(bytes.at(offset + i)) << (8 * i);
    return value;
}

inline std::string textAt(const Bytes& bytes, size_t offset, size_t count)
{
    return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
}

// A chunk: id, the body's size (or statedSize when given), the body, and a
// pad byte after an odd body when pad is set.
inline Bytes chunk(const std::string& id, const Bytes& body, bool pad = true, int64_t statedSize = -1)
{
    Bytes bytes;
    putText(bytes, id);
    putLE(bytes, statedSize >= 0 ? uint64_t(statedSize) : body.size(), 4);
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (pad && (body.size() & 1) != 0)
        bytes.push_back(0);
    return bytes;
}

inline Bytes riff(const std::string& form, std::initializer_list<Bytes> chunks)
{
    Bytes bytes;
    putText(bytes, "RIFF");
    putLE(bytes, 0, 4);
    putText(bytes, form);
    for (const Bytes& c : chunks)
        bytes.insert(bytes.end(), c.begin(), c.end());
    const uint64_t size = bytes.size() - 8;
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    return bytes;
}

inline Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes bytes;
    const uint32_t blockAlign = bits / 8 * channels;
    putLE(bytes, tag, 2);
    putLE(bytes, channels, 2);
    putLE(bytes, rate, 4);
    putLE(bytes, uint64_t(blockAlign) * rate, 4);
    putLE(bytes, blockAlign, 2);
    putLE(bytes, bits, 2);
    return bytes;
}

// The extensible header with the standard sub-format GUID of subTag.
inline Bytes extensibleFmtBody(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes bytes = fmtBody(0xFFFE, channels, rate, bits);
    putLE(bytes, 22, 2);
    putLE(bytes, bits, 2);
    putLE(bytes, channels == 1 ? 4 : 3, 4);
    putLE(bytes, subTag, 4);
    const uint8_t tail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    bytes.insert(bytes.end(), tail, tail + 12);
    return bytes;
}

// 16-bit samples, interleaved.
inline Bytes samples16(std::initializer_list<int16_t> samples)
{
    Bytes bytes;
    for (const int16_t s : samples)
        putLE(bytes, static_cast<uint16_t>(s), 2);
    return bytes;
}

inline Bytes silence(size_t byteCount)
{
    return Bytes(byteCount, 0);
}

// A cue chunk body of points at the given sample offsets.
inline Bytes cueBody(std::initializer_list<uint32_t> offsets)
{
    Bytes bytes;
    putLE(bytes, offsets.size(), 4);
    uint32_t id = 1;
    for (const uint32_t offset : offsets)
    {
        putLE(bytes, id++, 4);
        putLE(bytes, 0, 4);
        putText(bytes, "data");
        putLE(bytes, 0, 4);
        putLE(bytes, 0, 4);
        putLE(bytes, offset, 4);
    }
    return bytes;
}

// A "LIST"/"INFO" body from (id, text) pairs; each text gets its terminating
// zero, and odd sub-chunks are padded when pad is set.
inline Bytes infoBody(std::initializer_list<std::pair<std::string, std::string>> texts, bool pad = true)
{
    Bytes bytes;
    putText(bytes, "INFO");
    for (const auto& [id, text] : texts)
    {
        Bytes body(text.begin(), text.end());
        body.push_back(0);
        const Bytes sub = chunk(id, body, pad);
        bytes.insert(bytes.end(), sub.begin(), sub.end());
    }
    return bytes;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace qm::test
