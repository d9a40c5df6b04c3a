#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace Tavrel
{
// The output files of one song of an export.
struct SongOutputFiles
{
    int row = -1;
    // The song's name, numbered when an earlier song of the export has the
    // same name without regard to case.
    juce::String baseName;
    // In channel order; one per channel for file type 0 and a song of two or
    // more channels, else one.
    juce::Array<juce::File> files;
};

// Names the output files of an export's songs in the destination folder:
// the base name, ".trk" and the file's number from 1 when the song gives two
// or more files, then the format's extension. Song names are unique exactly,
// but "Intro" and "intro" are one file on a case-folding volume: a name
// equal to an earlier one without regard to case gets ".1", ".2" (the first
// free), as the song list's own rule numbers names.
class ExportFileNames
{
public:
    struct Song
    {
        int row;
        juce::String name;
        int channels;
    };

    // fileType 0: one file per channel; 1: one file for the song.
    static std::vector<SongOutputFiles> name(const juce::File& folder, const std::vector<Song>& songs, int fileType,
                                             const juce::String& extension);
    // How many files a song of the channels gives.
    static int fileCount(int fileType, int channels) { return fileType == 0 && channels >= 2 ? channels : 1; }
};
} // namespace Tavrel
