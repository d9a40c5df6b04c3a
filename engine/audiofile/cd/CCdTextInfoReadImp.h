#pragma once

#include "engine/audiofile/cd/CdTextOpenResult.h"

// Reads the CD-TEXT of the disc in a drive. The platform's implementation
// opens the drive, reads its table of contents and its CD-TEXT packs, and
// assembles the text of one pack type for one track in one block.
class CCdTextInfoReadImp
{
public:
    CCdTextInfoReadImp() = default;
    virtual ~CCdTextInfoReadImp() = default;

    CCdTextInfoReadImp(const CCdTextInfoReadImp&) = delete;
    CCdTextInfoReadImp& operator=(const CCdTextInfoReadImp&) = delete;

    // 0 success, 1 failure (no such drive, no disc, no CD-TEXT).
    virtual CdTextOpenResult Open(const char16_t* drive) = 0;
    virtual void Close() = 0;
    // Store the title or performer of a track (0: the disc) in a block into
    // dst (capacity units, terminator included), without trailing blanks;
    // return the units stored. Without packs dst is zero-filled and 0 returned.
    virtual int GetTitle(char16_t* dst, int capacity, int block, int track) = 0;
    virtual int GetPerformer(char16_t* dst, int capacity, int block, int track) = 0;
    // The language code of a block; 0 when unknown.
    virtual int GetLanguage(int block) = 0;
};
