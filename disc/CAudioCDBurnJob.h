#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What an audio-CD burn writes: the album's CD-TEXT and one prepared track
// file per CD track, in burn order. The temporary-file creator fills it while
// the songs are converted; the disc writer burns it.

// One CD track.
struct CAudioCDTrackEntry
{
    std::u16string title;     // CD-TEXT track title
    std::u16string performer; // CD-TEXT track performer
    std::u16string path;      // the temporary WAV file (44100 Hz, 16-bit, stereo)
    uint32_t gapSectors = 0;  // the pause before this track that the disc writer makes
    uint64_t frames = 0;      // the length of the finished file in frames
};

// The whole disc.
struct CAudioCDBurnJob
{
    std::u16string albumTitle;
    std::u16string albumPerformer;
    std::vector<CAudioCDTrackEntry> tracks;
};
