#include "engine/audiofile/tags/CID3v1.h"

#include <cstring>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/tags/Id3Genres.h"
#include "engine/audiofile/tags/LegacyText.h"

namespace
{
uint32_t TrimmedLength(const char* field, uint32_t size)
{
    uint32_t length = static_cast<uint32_t>(strnlen(field, size));
    while (length > 0 && field[length - 1] == ' ')
        --length;
    return length;
}

uint32_t FieldToWide(const char* field, uint32_t size, char16_t* out, uint32_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    return LegacyBytesToWide(out, capacity, field, TrimmedLength(field, size));
}

uint32_t AsciiToWide(const char* text, char16_t* out, uint32_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    uint32_t n = 0;
    for (; text[n] != 0 && n < capacity - 1; ++n)
        out[n] = char16_t(static_cast<unsigned char>(text[n]));
    out[n] = 0;
    return n;
}
} // namespace

CID3v1::CID3v1()
{
    Clear();
}

CID3v1::~CID3v1() = default;

void CID3v1::Clear()
{
    std::memset(m_tag, 0, sizeof m_tag);
    std::memset(m_title, 0, sizeof m_title);
    std::memset(m_artist, 0, sizeof m_artist);
    std::memset(m_album, 0, sizeof m_album);
    std::memset(m_year, 0, sizeof m_year);
    std::memset(m_comment, 0, sizeof m_comment);
    m_track = 0;
    m_genre = 0;
}

bool CID3v1::SetFromBytes(const uint8_t* bytes)
{
    Clear();
    if (std::memcmp(bytes, "TAG", 3) != 0)
        return false;
    const uint8_t* p = bytes;
    std::memcpy(m_tag, p, 3);
    p += 3;
    std::memcpy(m_title, p, 30);
    p += 30;
    std::memcpy(m_artist, p, 30);
    p += 30;
    std::memcpy(m_album, p, 30);
    p += 30;
    std::memcpy(m_year, p, 4);
    p += 4;
    std::memcpy(m_comment, p, 29);
    p += 29;
    m_track = *p++;
    m_genre = *p;
    return true;
}

uint32_t CID3v1::GetTitle(char16_t* out, uint32_t capacity) const
{
    return FieldToWide(m_title, sizeof m_title, out, capacity);
}

uint32_t CID3v1::GetArtist(char16_t* out, uint32_t capacity) const
{
    return FieldToWide(m_artist, sizeof m_artist, out, capacity);
}

uint32_t CID3v1::GetAlbum(char16_t* out, uint32_t capacity) const
{
    return FieldToWide(m_album, sizeof m_album, out, capacity);
}

uint32_t CID3v1::GetDate(char16_t* out, uint32_t capacity) const
{
    char date[11];
    FormatId3v1Year(date, m_year);
    return AsciiToWide(date, out, capacity);
}

uint32_t CID3v1::GetGenre(char16_t* out, uint32_t capacity) const
{
    const char* name = GetId3GenreName(m_genre);
    return AsciiToWide(name != nullptr ? name : "", out, capacity);
}

void FormatId3v1Year(char* out, const char* yearField)
{
    std::memcpy(out, "    -  -  ", 11);
    if (TrimmedLength(yearField, 4) == 4)
        std::memcpy(out, yearField, 4);
}

CID3v1FileRead::CID3v1FileRead()
    : CBinaryFile64(false)
{
}

CID3v1FileRead::~CID3v1FileRead() = default;

int CID3v1FileRead::Open(const char16_t* path)
{
    Close();
    m_tag.Clear();
    if (CBinaryFile64::Open(path) < 0)
        return 2;
    const int64_t length = GetFileLength();
    uint8_t bytes[CID3v1::kSize] = {};
    if (length < int64_t(CID3v1::kSize) || Seek(length - CID3v1::kSize, SEEK_SET) < 0 ||
        Read(bytes, CID3v1::kSize) != CID3v1::kSize || !m_tag.SetFromBytes(bytes))
    {
        m_tag.Clear();
        Close();
        return 4;
    }
    return 0;
}
