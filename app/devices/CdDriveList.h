#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace Tavrel
{
// The process-wide list of audio-CD drives with the identifier of the disc in
// each, used to find a CD song's disc again after it moved to another drive.
// Drives are the CD drives and disc images that the platform's drive registry
// lists, each under its full name (/dev/sr0, or an image's name). A drive
// without a readable audio disc is listed with identifier 0, which no song's
// disc carries.
//
// Built only on demand (opening every drive takes time); emptied at program
// end. Thread-safe: the song-list open flow and the add-songs thread may ask
// at the same time.
class CdDriveList
{
public:
    struct Entry
    {
        juce::String driveName;
        // The CDDB-style disc identifier, as CD songs store it as the media
        // unique id of their files.
        uint32_t discId = 0;
    };

    // Empties the list, then opens every drive the registry lists and stores
    // its disc identifier. True when the list is not empty.
    static bool rebuild();

    static void clear();

    // A copy of the list as last built.
    static std::vector<Entry> getEntries();

    // The drive that holds the disc of that identifier, by the list as last
    // built; false (and the name untouched) when none does or the id is 0.
    static bool findDriveForDisc(uint32_t discId, juce::String& driveName);

    // True when the list says that drive holds that disc (never for id 0).
    static bool holdsDisc(const juce::String& driveName, uint32_t discId);
};
} // namespace Tavrel
