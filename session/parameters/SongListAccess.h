#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace Tavrel
{
class TrackInfo;

// What the export settings read of the song list: the number of songs, a
// song by row, and the rows the user selected. By default it reads the
// controller; tests install their own. Message thread only.
struct SongListAccess
{
    std::function<int()> count;
    // Null for a row outside the list.
    std::function<const TrackInfo*(int row)> track;
    std::function<juce::SparseSet<int>()> selection;

    // The installed access, or the controller's (an empty list while there
    // is no controller).
    static SongListAccess get();
    // Replaces the access; an access without its three functions puts the
    // controller's back.
    static void install(SongListAccess access);
};
} // namespace Tavrel
