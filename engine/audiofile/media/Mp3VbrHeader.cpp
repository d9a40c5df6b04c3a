#include "engine/audiofile/media/Mp3VbrHeader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/audiofile/foundation/CBinaryFile64.h"

namespace
{
// How far past the tag the first frame is looked for.
constexpr size_t kSearchWindow = 64 * 1024;
// The longest frame header plus side information plus a header id.
constexpr size_t kFrameProbe = 4 + 32 + 4 + 32;
// Tags in a row that are skipped before the first frame; a file that holds
// more is not taken for an MP3 with a bit-rate header.
constexpr int kMaxTagsInRow = 64;

// Size of an ID3v2 tag at the start of data (header, footer included), 0 without one.
uint64_t Id3v2TagSize(const uint8_t* data, size_t size)
{
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0)
        return 0;
    for (int i = 6; i < 10; ++i)
        if (data[i] & 0x80)
            return 0;
    const uint64_t body = (uint64_t{data[6]} << 21) | (uint64_t{data[7]} << 14) | (uint64_t{data[8]} << 7) | data[9];
    return 10 + body + ((data[5] & 0x10) ? 10 : 0);
}

bool IsLayer3Header(const uint8_t* p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    const int version = (p[1] >> 3) & 3; // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    const int layer = (p[1] >> 1) & 3;   // 1 Layer III
    const int bitrate = p[2] >> 4;
    const int rate = (p[2] >> 2) & 3;
    return version != 1 && layer == 1 && bitrate != 15 && rate != 3;
}

Mp3VbrHeader HeaderInFrame(const uint8_t* frame, size_t available)
{
    const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
    const bool mono = (frame[3] >> 6) == 3;
    const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const size_t xing = 4 + sideInfo;
    if (available >= xing + 4)
    {
        if (std::memcmp(frame + xing, "Xing", 4) == 0)
            return Mp3VbrHeader::Xing;
        if (std::memcmp(frame + xing, "Info", 4) == 0)
            return Mp3VbrHeader::Info;
    }
    if (available >= 36 + 4 && std::memcmp(frame + 36, "VBRI", 4) == 0)
        return Mp3VbrHeader::Vbri;
    return Mp3VbrHeader::None;
}
} // namespace

namespace
{
// Looks for the header in the first frame of `data`, which starts after the
// tags.
Mp3VbrHeader FindInFrames(const uint8_t* data, size_t size)
{
    const size_t end = std::min(size, kSearchWindow);
    for (size_t i = 0; i + 4 <= end; ++i)
        if (IsLayer3Header(data + i))
            return HeaderInFrame(data + i, size - i);
    return Mp3VbrHeader::None;
}
} // namespace

// Encoders and taggers may leave several ID3v2 tags in a row (a tag added in
// front of an old one); the decoder skips them all, so the probe does too.
Mp3VbrHeader FindMp3VbrHeader(const uint8_t* data, size_t size)
{
    if (data == nullptr)
        return Mp3VbrHeader::None;
    uint64_t at = 0;
    for (int tags = 0;; ++tags)
    {
        const uint64_t tag = Id3v2TagSize(data + at, size - at);
        if (tag == 0)
            break;
        if (tags == kMaxTagsInRow || tag >= size - at)
            return Mp3VbrHeader::None;
        at += tag;
    }
    return FindInFrames(data + at, size - at);
}

Mp3VbrHeader ReadMp3VbrHeader(CBinaryFile64& file)
{
    const int64_t length = file.GetFileLength();
    uint64_t at = 0;
    for (int tags = 0;; ++tags)
    {
        uint8_t head[10] = {};
        if (file.Seek(static_cast<int64_t>(at), SEEK_SET) < 0 || file.Read(head, sizeof head) != sizeof head)
            return Mp3VbrHeader::None;
        const uint64_t tag = Id3v2TagSize(head, sizeof head);
        if (tag == 0)
            break;
        if (tags == kMaxTagsInRow || tag >= static_cast<uint64_t>(length) - at)
            return Mp3VbrHeader::None;
        at += tag;
    }
    if (file.Seek(static_cast<int64_t>(at), SEEK_SET) < 0)
        return Mp3VbrHeader::None;
    std::vector<uint8_t> window(kSearchWindow + kFrameProbe);
    const uint32_t got = file.Read(window.data(), static_cast<uint32_t>(window.size()));
    return FindInFrames(window.data(), got);
}
