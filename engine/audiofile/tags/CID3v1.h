#pragma once

#include <cstdint>

#include "engine/audiofile/foundation/CBinaryFile64.h"

// The 128-byte ID3v1 trailer, field by field. Text fields are bytes in the
// code page of their writer, padded with spaces or zeros.
class CID3v1
{
public:
    static constexpr uint32_t kSize = 128;

    CID3v1();
    virtual ~CID3v1();

    // Copies the fields of a 128-byte trailer; false (and the record zeroed)
    // when it does not begin with "TAG".
    bool SetFromBytes(const uint8_t* bytes);
    void Clear();

    // The text fields as UTF-16 without trailing spaces (capacity in units).
    uint32_t GetTitle(char16_t* out, uint32_t capacity) const;
    uint32_t GetArtist(char16_t* out, uint32_t capacity) const;
    uint32_t GetAlbum(char16_t* out, uint32_t capacity) const;
    // The recording date from the year field: "YYYY-  -  " when the field
    // holds four characters, otherwise the blank "    -  -  ".
    uint32_t GetDate(char16_t* out, uint32_t capacity) const;
    // The genre name of the genre byte; empty outside the genre list.
    uint32_t GetGenre(char16_t* out, uint32_t capacity) const;

    char m_tag[3];
    char m_title[30];
    char m_artist[30];
    char m_album[30];
    char m_year[4];
    char m_comment[29];
    uint8_t m_track;
    uint8_t m_genre;
};

// Formats a 4-byte ID3v1 year field as date text: the four characters
// followed by "-  -  " when the field holds four characters once trailing
// spaces are removed, otherwise "    -  -  ". out holds at least 11 bytes.
void FormatId3v1Year(char* out, const char* yearField);

// A file with an ID3v1 trailer.
class CID3v1FileRead : public CBinaryFile64
{
public:
    CID3v1FileRead();
    ~CID3v1FileRead() override;

    // 0 success, 2 the file cannot be opened, 4 the file is shorter than 128
    // bytes or its last 128 bytes do not begin with "TAG" (the record is then
    // zeroed and the file closed).
    int Open(const char16_t* path);

    const CID3v1& GetTag() const { return m_tag; }

private:
    CID3v1 m_tag;
};
