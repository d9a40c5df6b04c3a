#pragma once

#include <cstdint>
#include <vector>

namespace qm::platform
{
// One track of a disc's table of contents.
struct CdTocTrack
{
    int number = 0;       // track number as the disc states it (1..99)
    int32_t startLsn = 0; // first sector, logical sector number (0 = 00:02:00)
    bool isAudio = false;
    int session = 1; // session holding the track (1 when not known)
};

// The table of contents of the medium in a drive. Tracks are in disc order,
// their starts ascend, and the lead-out follows the last one.
struct CdToc
{
    std::vector<CdTocTrack> tracks;
    int32_t leadOutLsn = 0;
    // True when the drive told which session each track belongs to (real
    // drives); disc images cannot tell, and then every track is in session 1.
    bool sessionsKnown = false;

    // True when there is at least one track, the starts ascend, none is
    // negative and the lead-out lies after the last start.
    bool IsValid() const;

    // The CDDB-style disc identifier: the digit sum of (LSN + 150) / 75 over
    // all tracks, masked to 8 bits and shifted 24, or'ed with the disc length
    // in seconds shifted 8 and with the track count. Song lists store it as
    // the media identifier, so it must stay the same for the same disc.
    uint32_t DiscId() const;
};
} // namespace qm::platform
