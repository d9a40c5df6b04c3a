#pragma once

#include <cstdint>

#include "engine/audiofile/io/CBinaryFileWriteBuffer.h"
#include "engine/audiofile/tags/CAudioMetaData.h"

// Builds an ID3v2.3 tag in memory: a 10-byte header (tag size sync-safe) and
// the frames one after another, with no padding, footer or extended header.
// Integers are written big-endian. The caller writes the bytes to its file.
class CID3v2_3Create : public CBinaryFileWriteBuffer
{
public:
    // The largest tag body the sync-safe size field can state (2^28 - 1).
    static constexpr uint32_t kMaxTagBodySize = 0x0FFFFFFF;
    // Text frames carry at most this many characters.
    static constexpr uint32_t kMaxTextLength = 511;

    CID3v2_3Create();

    void WriteUInt(uint64_t value, int byteCount) override;
    // Empties the buffer and writes the tag header with size 0.
    void Reset() override;

    // A text frame; printable ASCII is written as single bytes, anything else
    // as UTF-16 with a byte-order mark. Returns the bytes added; 0 for an
    // empty text.
    uint32_t AddTextFrame(const char* id, const char16_t* text);
    // An "APIC" frame with a JPEG or PNG image as it is stored. Returns the
    // bytes added; 0 for other data or when the tag would outgrow its size
    // field.
    uint32_t AddPicture(const uint8_t* data, uint32_t size);
    // "TYER" (year) and "TDAT" (day, month) from a date "YYYY-MM-DD"; each is
    // written only when its characters are digits.
    uint32_t AddDate(const char16_t* dateText);
    // "TIME" (hour, minute) from a time "HH:MM:SS", when those are digits.
    uint32_t AddTime(const char16_t* timeText);

    // Builds the tag of a whole record: album, title, album artist, artist,
    // genre, date, time, software, and the picture the record names.
    void CreateId3v2Tag(const CAudioMetaData& metadata);

private:
    // Starts a frame at the end of the buffer; returns where it starts.
    uint32_t BeginFrame(const char* id);
    // Fixes the frame's size and the tag's size. A frame that would push the
    // tag past its size limit is removed again (0 returned).
    uint32_t FinishFrame(uint32_t frameStart);
};
