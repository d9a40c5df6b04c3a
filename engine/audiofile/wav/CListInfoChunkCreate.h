#pragma once

#include <cstdint>

#include "engine/audiofile/io/CBinaryFileWriteBuffer.h"
#include "engine/audiofile/tags/CAudioMetaData.h"

// Builds a RIFF "LIST"/"INFO" chunk in memory: the 12-byte head ("LIST",
// size, "INFO") and one sub-chunk per text. Only printable ASCII texts are
// written; each sub-chunk holds the text, its terminating zero and a pad
// byte when that makes the size odd, so every sub-chunk has an even size.
class CListInfoChunkCreate : public CBinaryFileWriteBuffer
{
public:
    static constexpr uint32_t kHeadSize = 12;

    CListInfoChunkCreate();

    // Empties the buffer and writes the head.
    void Reset() override;

    // Adds a sub-chunk; returns the bytes added (0 for an empty text or one
    // with a character outside 0x20..0x7E).
    uint32_t AddText(const char* id, const char* text);

    // Builds the chunk of a record: title, artist, genre, location, date,
    // software.
    void CreateListInfo(const CAudioMetaData& metadata);

    // True when at least one text was added.
    bool HasTexts() const { return GetSize() > kHeadSize; }
};
