#pragma once

#include <cstdint>
#include <memory>

#include "engine/audiofile/tags/CMultiString.h"

// The metadata record of the audio engine: nine text fields of 128 units each
// and the attached picture as a file path (empty: no picture).
class CAudioMetaData
{
public:
    // Field indexes, in the record's order.
    enum Field : int
    {
        kAlbum = 0,       // ID3 "TALB"
        kTitle = 1,       // "TIT2"
        kAlbumArtist = 2, // "TPE2"
        kArtist = 3,      // "TPE1"
        kGenre = 4,       // "TCON"
        kLocation = 5,    // RIFF "IARL"
        kDate = 6,        // recording date, YYYY-MM-DD
        kTime = 7,        // recording time, HH:MM:SS
        kSoftware = 8,    // ID3 "TSSE", RIFF "ISFT"
        kFieldCount = 9
    };

    static constexpr uint32_t kFieldCapacity = 128;
    // The picture path block holds at most this many UTF-16 units plus a terminator.
    static constexpr int kMaxPicturePathLength = 1023;

    CAudioMetaData();
    virtual ~CAudioMetaData();

    CAudioMetaData(const CAudioMetaData&) = delete;
    CAudioMetaData& operator=(const CAudioMetaData&) = delete;

    // Empties every field in both widths and the picture path.
    void Clear();

    // Copies every field as wide text (bringing the source's wide text up to
    // date first) and the picture path. Copying a record into itself does nothing.
    void CopyFrom(const CAudioMetaData& source);

    // The year at the start of the date field; -1 when there is none or it is below 1.
    int GetYear() const;

    // The field at the index (see Field); null for an index out of range.
    CMultiString* GetField(int index);
    const CMultiString* GetField(int index) const;

    // The picture path, always terminated; empty when there is no picture.
    const char16_t* GetPicturePath() const;

    // Stores the picture path (negative length: up to its terminator). A path
    // longer than the block holds would name another file, so it is refused:
    // the picture path becomes empty and the result is false.
    [[nodiscard]] bool SetPicturePath(const char16_t* path, int length = -1);

private:
    std::unique_ptr<CMultiString> m_fields[kFieldCount];
    char16_t m_picturePath[kMaxPicturePathLength + 1];
};
