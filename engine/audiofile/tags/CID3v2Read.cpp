#include "engine/audiofile/tags/CID3v2Read.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "engine/audiofile/tags/Id3Genres.h"
#include "engine/audiofile/tags/LegacyText.h"

namespace
{
constexpr uint8_t kEncodingLegacy = 0;
constexpr uint8_t kEncodingUtf16Bom = 1;
constexpr uint8_t kEncodingUtf16BigEndian = 2;
constexpr uint8_t kEncodingUtf8 = 3;

// The bytes before a picture's data (encoding, format or MIME type, picture
// type, description) are looked for in this many bytes of the frame at most.
constexpr uint32_t kPictureHeadWindow = 8192;

struct FrameIds
{
    const char* v22;
    const char* v23;
};

// Indexed by CID3v2Read::TextKind.
constexpr FrameIds kFrameIds[] = {
    {"TAL", "TALB"}, {"TSA", "TSOA"},   {"TP2", "TPE2"}, {"TS2", "TSO2"}, {"TT2", "TIT2"}, {"TST", "TSOT"},
    {"TP1", "TPE1"}, {"TSP", "TSOP"},   {"TCM", "TCOM"}, {"TSC", "TSOC"}, {"TSS", "TSSE"}, {"TEN", "TENC"},
    {"TBP", "TBPM"}, {"TT1", "TIT1"},   {"TRK", "TRCK"}, {"TPA", "TPOS"}, {"TCP", "TCMP"}, {"TCO", "TCON"},
    {"TYE", "TYER"}, {nullptr, "TDRC"}, {"TDA", "TDAT"}, {"TIM", "TIME"}, {"TXX", "TXXX"}, {"PIC", "APIC"},
};

uint32_t SyncSafe(const uint8_t* bytes)
{
    return (uint32_t(bytes[0] & 0x7F) << 21) | (uint32_t(bytes[1] & 0x7F) << 14) | (uint32_t(bytes[2] & 0x7F) << 7) |
           uint32_t(bytes[3] & 0x7F);
}

// Copies count UTF-16 units to out (capacity units, terminator included),
// cutting before a high surrogate whose partner does not fit. Stops at a zero
// unit.
uint32_t CopyUnits(char16_t* out, uint32_t capacity, const char16_t* units, uint32_t count)
{
    if (capacity == 0)
        return 0;
    uint32_t n = 0;
    while (n < count && n < capacity - 1 && units[n] != 0)
        ++n;
    if (n > 0 && n < count && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF)
        --n;
    std::memcpy(out, units, n * sizeof(char16_t));
    out[n] = 0;
    return n;
}

// Decodes one string of a frame: the text in the encoding up to its terminator
// (one zero byte, or a zero 16-bit unit for the UTF-16 encodings) or the end
// of the bytes. consumed (when given) receives the bytes taken, terminator
// included. An unknown encoding gives an empty text and consumes everything.
uint32_t DecodeString(uint8_t encoding, const uint8_t* bytes, uint32_t length, char16_t* out, uint32_t capacity,
                      uint32_t* consumed)
{
    if (capacity > 0)
        out[0] = 0;
    uint32_t used = length;
    uint32_t result = 0;
    switch (encoding)
    {
    case kEncodingLegacy:
    case kEncodingUtf8: {
        const uint32_t textLength = static_cast<uint32_t>(strnlen(reinterpret_cast<const char*>(bytes), length));
        used = std::min(textLength + 1, length);
        if (capacity == 0)
            break;
        if (encoding == kEncodingLegacy)
            result = LegacyBytesToWide(out, capacity, reinterpret_cast<const char*>(bytes), textLength);
        else
            result = Utf8ToWide(out, capacity, reinterpret_cast<const char*>(bytes), textLength);
        break;
    }
    case kEncodingUtf16Bom:
    case kEncodingUtf16BigEndian: {
        uint32_t pos = 0;
        bool bigEndian = encoding == kEncodingUtf16BigEndian;
        if (encoding == kEncodingUtf16Bom && length >= 2)
        {
            if (bytes[0] == 0xFE && bytes[1] == 0xFF)
            {
                bigEndian = true;
                pos = 2;
            }
            else if (bytes[0] == 0xFF && bytes[1] == 0xFE)
            {
                pos = 2;
            }
        }
        std::vector<char16_t> units;
        units.reserve((length - pos) / 2);
        used = length;
        for (; pos + 1 < length; pos += 2)
        {
            const char16_t unit =
                bigEndian ? char16_t(bytes[pos] << 8 | bytes[pos + 1]) : char16_t(bytes[pos] | bytes[pos + 1] << 8);
            if (unit == 0)
            {
                used = pos + 2;
                break;
            }
            units.push_back(unit);
        }
        units.push_back(0);
        result = CopyUnits(out, capacity, units.data(), static_cast<uint32_t>(units.size() - 1));
        break;
    }
    default:
        break;
    }
    if (consumed != nullptr)
        *consumed = used;
    return result;
}

uint32_t CopyNarrowToOut(char16_t* out, uint32_t capacity, const char16_t* text)
{
    return CopyWideBounded(out, capacity, text, WideLength(text));
}

bool WideEquals(const char16_t* a, const char16_t* b)
{
    while (*a != 0 && *a == *b)
    {
        ++a;
        ++b;
    }
    return *a == *b;
}
} // namespace

CID3v2Read::CID3v2Read()
    : CBinaryFile64(false)
{
}

CID3v2Read::~CID3v2Read() = default;

uint64_t CID3v2Read::ReadUInt(int bytes)
{
    return ReadUIntBigEndian(bytes);
}

int CID3v2Read::Open(const char16_t* path, int64_t startOffset)
{
    Close();
    m_startOffset = 0;
    m_frameAreaStart = m_frameAreaEnd = 0;
    m_version = 0;
    m_headerFlags = 0;
    m_tagSize = 0;
    if (CBinaryFile64::Open(path) < 0)
        return 2;
    m_startOffset = startOffset;
    if (!ParseHeader())
    {
        Close();
        m_version = 0;
        return 2;
    }
    return 0;
}

bool CID3v2Read::ParseHeader()
{
    if (m_startOffset < 0 || Seek(m_startOffset, SEEK_SET) < 0)
        return false;
    uint8_t header[10] = {};
    if (Read(header, 10) != 10 || std::memcmp(header, "ID3", 3) != 0)
        return false;
    // A new major version is not readable by an older reader; 0xFF never
    // appears in a version byte.
    if (header[3] < 2 || header[3] > 4 || header[4] == 0xFF)
        return false;
    m_version = uint16_t(header[3] << 8 | header[4]);
    m_headerFlags = header[5];
    m_tagSize = SyncSafe(header + 6);
    m_frameAreaStart = m_startOffset + 10;
    m_frameAreaEnd = std::min<int64_t>(m_frameAreaStart + m_tagSize, GetFileLength());
    if (m_frameAreaEnd < m_frameAreaStart)
        m_frameAreaEnd = m_frameAreaStart;
    return true;
}

const char* CID3v2Read::FrameIdFor(TextKind kind) const
{
    return kind < kTextKindCount ? kFrameIds[kind].v22 : nullptr;
}

bool CID3v2Read::FramesReadable() const
{
    // Unsynchronisation and compression of a whole ID3v2.2 tag.
    return (m_headerFlags & 0xC0) == 0;
}

bool CID3v2Read::ReadFrameHeader(FrameHeader& header)
{
    header = FrameHeader();
    header.headerStart = Tell();
    if (header.headerStart + 6 > m_frameAreaEnd)
        return false;
    if (Read(header.id, 3) != 3)
        return false;
    const uint64_t size = ReadUInt(3);
    if (size == 0)
        return false;
    header.dataStart = header.headerStart + 6;
    header.statedEnd = header.dataStart + static_cast<int64_t>(size);
    header.dataEnd = std::min(header.statedEnd, m_frameAreaEnd);
    return true;
}

bool CID3v2Read::FindFrameHeader(const char* id, bool fromStart, FrameHeader& header)
{
    if (!IsOpen() || !FramesReadable())
        return false;
    if (fromStart)
        Seek(m_frameAreaStart, SEEK_SET);
    const size_t idLength = std::strlen(id);
    for (;;)
    {
        const int64_t position = Tell();
        if (position < m_frameAreaStart || position >= m_frameAreaEnd)
            return false;
        if (!ReadFrameHeader(header))
            return false;
        if (std::strlen(header.id) == idLength && std::memcmp(header.id, id, idLength) == 0)
            return true;
        // The frame size covers everything after the header, the extra bytes
        // of a flagged frame included: skip exactly that.
        if (header.statedEnd >= m_frameAreaEnd)
            return false;
        Seek(header.statedEnd, SEEK_SET);
    }
}

bool CID3v2Read::FindFrame(const char* id, bool fromStart)
{
    if (id == nullptr)
        return false;
    FrameHeader header;
    if (!FindFrameHeader(id, fromStart, header))
        return false;
    Seek(header.headerStart, SEEK_SET);
    return true;
}

uint32_t CID3v2Read::ReadFrameBytes(const FrameHeader& header, uint8_t* buffer, uint32_t size)
{
    const int64_t available = std::max<int64_t>(header.dataEnd - header.dataStart, 0);
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(available, size));
    Seek(header.dataStart, SEEK_SET);
    return Read(buffer, want);
}

uint32_t CID3v2Read::ReadTextFrame(char16_t* out, uint32_t capacity, const char* id)
{
    if (out == nullptr || capacity == 0)
        return 0;
    std::memset(out, 0, capacity * sizeof(char16_t));
    FrameHeader header;
    if (id == nullptr || !FindFrameHeader(id, true, header) || header.transformed)
        return 0;
    uint8_t bytes[1 + kTextWindow + 1] = {};
    const uint32_t got = ReadFrameBytes(header, bytes, 1 + kTextWindow);
    if (got < 1)
        return 0;
    return DecodeString(bytes[0], bytes + 1, got - 1, out, capacity, nullptr);
}

uint32_t CID3v2Read::ReadUserTextFrame(char16_t* out, uint32_t capacity, const char* id, const char16_t* description)
{
    if (out == nullptr || capacity == 0)
        return 0;
    std::memset(out, 0, capacity * sizeof(char16_t));
    if (id == nullptr || description == nullptr)
        return 0;
    FrameHeader header;
    bool fromStart = true;
    while (FindFrameHeader(id, fromStart, header))
    {
        fromStart = false;
        if (!header.transformed)
        {
            uint8_t bytes[1 + kTextWindow + 1] = {};
            const uint32_t got = ReadFrameBytes(header, bytes, 1 + kTextWindow);
            if (got >= 1)
            {
                char16_t found[kTextWindow + 1] = {};
                uint32_t consumed = 0;
                DecodeString(bytes[0], bytes + 1, got - 1, found, kTextWindow + 1, &consumed);
                if (WideEquals(found, description))
                {
                    const uint32_t used = std::min(consumed, got - 1);
                    return DecodeString(bytes[0], bytes + 1 + used, got - 1 - used, out, capacity, nullptr);
                }
            }
        }
        if (header.statedEnd >= m_frameAreaEnd)
            break;
        Seek(header.statedEnd, SEEK_SET);
    }
    return 0;
}

namespace
{
// Where the picture's bytes begin in an attached-picture frame, counted from
// the frame's data, given the frame's first bytes (`got` of them): after the
// text encoding, the image format (version 2.2) or the MIME type, the picture
// type and the description with its terminator. -1 when the frame is not of
// the type asked for (-1 takes any) or its head does not fit the bytes read.
int64_t PictureDataOffset(const uint8_t* head, uint32_t got, bool version22, int pictureType)
{
    uint32_t pos = 0;
    int type = -2;
    uint8_t encoding = 0;
    if (got >= 1)
    {
        encoding = head[pos++];
        if (version22)
        {
            // Image format (three characters), then the picture type.
            if (got >= pos + 4 && (std::memcmp(head + pos, "JPG", 3) == 0 || std::memcmp(head + pos, "PNG", 3) == 0))
                type = head[pos + 3];
            pos += 4;
        }
        else
        {
            // MIME type up to and including its zero byte.
            const void* zero = pos < got ? std::memchr(head + pos, 0, got - pos) : nullptr;
            if (zero != nullptr)
            {
                pos = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - head) + 1;
                if (pos < got)
                    type = head[pos];
                ++pos;
            }
        }
    }
    if (type == -2 || (pictureType != -1 && pictureType != type) || pos > got)
        return -1;
    // The description up to and including its terminator.
    bool terminated = false;
    if (encoding == kEncodingUtf16Bom || encoding == kEncodingUtf16BigEndian)
    {
        for (; pos + 1 < got; pos += 2)
            if (head[pos] == 0 && head[pos + 1] == 0)
            {
                pos += 2;
                terminated = true;
                break;
            }
    }
    else
    {
        for (; pos < got; ++pos)
            if (head[pos] == 0)
            {
                ++pos;
                terminated = true;
                break;
            }
    }
    if (!terminated)
        return -1;
    return pos;
}
} // namespace

uint32_t CID3v2Read::ReadPicture(uint8_t* buffer, uint32_t bufferSize, int pictureType)
{
    if (buffer != nullptr)
        std::memset(buffer, 0, bufferSize);
    const char* id = FrameIdFor(kPictureText);
    if (id == nullptr)
        return 0;
    const bool version22 = (m_version >> 8) == 2;
    FrameHeader header;
    bool fromStart = true;
    while (FindFrameHeader(id, fromStart, header))
    {
        fromStart = false;
        int64_t dataStart = -1;
        if (!header.transformed)
        {
            uint8_t head[kPictureHeadWindow] = {};
            const uint32_t got = ReadFrameBytes(header, head, kPictureHeadWindow);
            const int64_t offset = PictureDataOffset(head, got, version22, pictureType);
            if (offset >= 0)
                dataStart = header.dataStart + offset;
        }
        if (dataStart >= 0)
        {
            const int64_t size = std::max<int64_t>(header.dataEnd - dataStart, 0);
            if (size > 0xFFFFFFFF)
                return 0;
            if (buffer == nullptr)
                return static_cast<uint32_t>(size);
            if (bufferSize < size)
                return 0;
            Seek(dataStart, SEEK_SET);
            const uint32_t got = Read(buffer, static_cast<uint32_t>(size));
            if (got != size)
            {
                std::memset(buffer, 0, bufferSize);
                return 0;
            }
            return got;
        }
        if (header.statedEnd >= m_frameAreaEnd)
            break;
        Seek(header.statedEnd, SEEK_SET);
    }
    return 0;
}

uint32_t CID3v2Read::ReadKind(TextKind kind, char16_t* out, uint32_t capacity)
{
    const char* id = FrameIdFor(kind);
    if (id == nullptr)
    {
        if (out != nullptr && capacity > 0)
            std::memset(out, 0, capacity * sizeof(char16_t));
        return 0;
    }
    return ReadTextFrame(out, capacity, id);
}

uint32_t CID3v2Read::GetAlbum(char16_t* out, uint32_t capacity)
{
    return ReadKind(kAlbumText, out, capacity);
}
uint32_t CID3v2Read::GetAlbumSort(char16_t* out, uint32_t capacity)
{
    return ReadKind(kAlbumSortText, out, capacity);
}
uint32_t CID3v2Read::GetAlbumArtist(char16_t* out, uint32_t capacity)
{
    return ReadKind(kAlbumArtistText, out, capacity);
}
uint32_t CID3v2Read::GetAlbumArtistSort(char16_t* out, uint32_t capacity)
{
    return ReadKind(kAlbumArtistSortText, out, capacity);
}
uint32_t CID3v2Read::GetTitle(char16_t* out, uint32_t capacity)
{
    return ReadKind(kTitleText, out, capacity);
}
uint32_t CID3v2Read::GetTitleSort(char16_t* out, uint32_t capacity)
{
    return ReadKind(kTitleSortText, out, capacity);
}
uint32_t CID3v2Read::GetArtist(char16_t* out, uint32_t capacity)
{
    return ReadKind(kArtistText, out, capacity);
}
uint32_t CID3v2Read::GetArtistSort(char16_t* out, uint32_t capacity)
{
    return ReadKind(kArtistSortText, out, capacity);
}
uint32_t CID3v2Read::GetComposer(char16_t* out, uint32_t capacity)
{
    return ReadKind(kComposerText, out, capacity);
}
uint32_t CID3v2Read::GetComposerSort(char16_t* out, uint32_t capacity)
{
    return ReadKind(kComposerSortText, out, capacity);
}
uint32_t CID3v2Read::GetGuitarist(char16_t* out, uint32_t capacity)
{
    return ReadUserTextFrame(out, capacity, FrameIdFor(kUserText), u"guitarist");
}
uint32_t CID3v2Read::GetGuitaristSort(char16_t* out, uint32_t capacity)
{
    return ReadUserTextFrame(out, capacity, FrameIdFor(kUserText), u"sort guitarist");
}
uint32_t CID3v2Read::GetEncoder(char16_t* out, uint32_t capacity)
{
    const uint32_t length = ReadKind(kEncoderText, out, capacity);
    return length > 0 ? length : ReadKind(kEncodedByText, out, capacity);
}
uint32_t CID3v2Read::GetTempo(char16_t* out, uint32_t capacity)
{
    return ReadKind(kTempoText, out, capacity);
}
uint32_t CID3v2Read::GetGrouping(char16_t* out, uint32_t capacity)
{
    return ReadKind(kGroupingText, out, capacity);
}
uint32_t CID3v2Read::GetTrack(char16_t* out, uint32_t capacity)
{
    return ReadKind(kTrackText, out, capacity);
}
uint32_t CID3v2Read::GetPartOfSet(char16_t* out, uint32_t capacity)
{
    return ReadKind(kPartOfSetText, out, capacity);
}
uint32_t CID3v2Read::GetCompilation(char16_t* out, uint32_t capacity)
{
    return ReadKind(kCompilationText, out, capacity);
}
uint32_t CID3v2Read::GetYearFrame(char16_t* out, uint32_t capacity)
{
    const uint32_t length = ReadKind(kYearText, out, capacity);
    return length > 0 ? length : ReadKind(kRecordingTimeText, out, capacity);
}
uint32_t CID3v2Read::GetDateFrame(char16_t* out, uint32_t capacity)
{
    return ReadKind(kDateText, out, capacity);
}
uint32_t CID3v2Read::GetTimeFrame(char16_t* out, uint32_t capacity)
{
    return ReadKind(kTimeText, out, capacity);
}

uint32_t CID3v2Read::GetGenre(char16_t* out, uint32_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    char16_t text[kTextWindow + 1] = {};
    const uint32_t length = ReadKind(kGenreText, text, kTextWindow + 1);
    const char* replacement = nullptr;
    // Version 2.4 writes a genre number without parentheses ("8"): a text of
    // digits only is read as that number in parentheses.
    bool digitsOnly = length > 0 && length <= 3;
    for (uint32_t i = 0; i < length && digitsOnly; ++i)
        digitsOnly = text[i] >= u'0' && text[i] <= u'9';
    if (digitsOnly)
    {
        uint32_t value = 0;
        for (uint32_t i = 0; i < length; ++i)
            value = value * 10 + uint32_t(text[i] - u'0');
        replacement = GetId3GenreName(value);
    }
    else if (length >= 3 && text[0] == u'(' && text[1] != u'(')
    {
        if (text[1] == u'R' && text[2] == u'X')
            replacement = "Remix";
        else if (text[1] == u'C' && text[2] == u'R')
            replacement = "Cover";
        else if (text[1] >= u'0' && text[1] <= u'9')
        {
            // Only a digit starts a genre number: "(" followed by anything else
            // is ordinary text.
            uint32_t value = 0;
            for (uint32_t i = 1; i < length && text[i] >= u'0' && text[i] <= u'9' && value < 1000; ++i)
                value = value * 10 + uint32_t(text[i] - u'0');
            replacement = GetId3GenreName(value);
        }
    }
    if (replacement == nullptr)
        return CopyWideBounded(out, capacity, text, length);
    char16_t wide[32] = {};
    for (uint32_t i = 0; replacement[i] != 0 && i < 31; ++i)
        wide[i] = char16_t(static_cast<unsigned char>(replacement[i]));
    return CopyNarrowToOut(out, capacity, wide);
}

uint32_t CID3v2Read::GetDate(char16_t* out, uint32_t capacity)
{
    char16_t date[11] = u"    -  -  ";
    char16_t year[5] = {};
    const uint32_t yearLength = GetYearFrame(year, 5);
    if (yearLength >= 4)
        std::memcpy(date, year, 4 * sizeof(char16_t));
    char16_t dayMonth[5] = {};
    if (GetDateFrame(dayMonth, 5) >= 4)
    {
        date[5] = dayMonth[2];
        date[6] = dayMonth[3];
        date[8] = dayMonth[0];
        date[9] = dayMonth[1];
    }
    return CopyNarrowToOut(out, capacity, date);
}

uint32_t CID3v2Read::GetTime(char16_t* out, uint32_t capacity)
{
    char16_t time[9] = u"  :  :  ";
    char16_t hourMinute[5] = {};
    if (GetTimeFrame(hourMinute, 5) >= 4)
    {
        time[0] = hourMinute[0];
        time[1] = hourMinute[1];
        time[3] = hourMinute[2];
        time[4] = hourMinute[3];
        time[6] = u'0';
        time[7] = u'0';
    }
    return CopyNarrowToOut(out, capacity, time);
}

// ID3v2.3

bool CID3v2_3Read::ParseHeader()
{
    if (!CID3v2Read::ParseHeader())
        return false;
    if ((m_headerFlags & 0x40) != 0)
    {
        // Extended header: its size does not count its own four bytes.
        const uint64_t size = ReadUInt(4);
        const int64_t start = m_frameAreaStart + 4 + static_cast<int64_t>(std::min<uint64_t>(size, 0xFFFFFFFF));
        m_frameAreaStart = std::min(start, m_frameAreaEnd);
    }
    return true;
}

const char* CID3v2_3Read::FrameIdFor(TextKind kind) const
{
    return kind < kTextKindCount ? kFrameIds[kind].v23 : nullptr;
}

bool CID3v2_3Read::FramesReadable() const
{
    return (m_headerFlags & 0x80) == 0;
}

uint64_t CID3v2_3Read::ReadFrameSize()
{
    return ReadUInt(4);
}

bool CID3v2_3Read::ReadFrameHeader(FrameHeader& header)
{
    header = FrameHeader();
    header.headerStart = Tell();
    if (header.headerStart + 10 > m_frameAreaEnd)
        return false;
    if (Read(header.id, 4) != 4)
        return false;
    const uint64_t size = ReadFrameSize();
    if (size == 0)
        return false;
    uint8_t flags[2] = {};
    Read(flags, 2);
    header.transformed = flags[1] != 0;
    header.dataStart = header.headerStart + 10;
    header.statedEnd = header.dataStart + static_cast<int64_t>(size);
    header.dataEnd = std::min(header.statedEnd, m_frameAreaEnd);
    return true;
}

// ID3v2.4

bool CID3v2_4Read::ParseHeader()
{
    if (!CID3v2Read::ParseHeader())
        return false;
    if ((m_headerFlags & 0x40) != 0)
    {
        // Extended header: a sync-safe size that counts its own four bytes.
        uint8_t bytes[4] = {};
        Read(bytes, 4);
        const int64_t size = SyncSafe(bytes);
        const int64_t start = size >= 6 ? m_frameAreaStart + size : m_frameAreaEnd;
        m_frameAreaStart = std::min(start, m_frameAreaEnd);
    }
    // A footer follows the frame area; the tag size does not count it, so the
    // frame area ends where the size says.
    return true;
}

uint64_t CID3v2_4Read::ReadFrameSize()
{
    uint8_t bytes[4] = {};
    Read(bytes, 4);
    return SyncSafe(bytes);
}

uint32_t CID3v2_4Read::GetDate(char16_t* out, uint32_t capacity)
{
    char16_t date[11] = u"    -  -  ";
    char16_t recorded[24] = {};
    const uint32_t length = ReadTextFrame(recorded, 24, "TDRC");
    if (length >= 4)
        std::memcpy(date, recorded, 4 * sizeof(char16_t));
    if (length >= 7)
    {
        date[5] = recorded[5];
        date[6] = recorded[6];
    }
    if (length >= 10)
    {
        date[8] = recorded[8];
        date[9] = recorded[9];
    }
    return CopyNarrowToOut(out, capacity, date);
}

uint32_t CID3v2_4Read::GetTime(char16_t* out, uint32_t capacity)
{
    char16_t time[9] = u"  :  :  ";
    char16_t recorded[24] = {};
    const uint32_t length = ReadTextFrame(recorded, 24, "TDRC");
    if (length >= 13)
    {
        time[0] = recorded[11];
        time[1] = recorded[12];
    }
    if (length >= 16)
    {
        time[3] = recorded[14];
        time[4] = recorded[15];
    }
    if (length >= 19)
    {
        time[6] = recorded[17];
        time[7] = recorded[18];
    }
    return CopyNarrowToOut(out, capacity, time);
}

CID3v2Read* CreateId3v2Reader(const char16_t* path, int64_t startOffset)
{
    CID3v2Read* reader = new CID3v2_4Read();
    if (reader->Open(path, startOffset) != 0)
    {
        delete reader;
        return nullptr;
    }
    const int major = reader->GetVersion() >> 8;
    if (major == 4)
        return reader;
    delete reader;
    reader = major == 2 ? new CID3v2Read() : new CID3v2_3Read();
    if (reader->Open(path, startOffset) != 0)
    {
        delete reader;
        return nullptr;
    }
    return reader;
}
