#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// The commands of the File, Edit, Controls, Help and View menus that the
// action manager owns. The numbers are stored in the user's key mappings and
// must not change.
enum ActionManagerCommand : juce::CommandID
{
    kCommandNew = 1,
    kCommandOpen = 2,
    kCommandOpenAutoSaved = 3,
    kCommandSave = 4,
    kCommandSaveAs = 5,
    kCommandAdd = 6,
    kCommandOpenFolder = 7,
    kCommandRemoveSongs = 8,
    kCommandCropSongs = 9,
    kCommandUndo = 10,
    kCommandRedo = 11,
    kCommandDivide = 12,
    kCommandCombine = 13,
    kCommandChannelLink = 14,
    kCommandSelectPicture = 15,
    kCommandRemovePicture = 16,
    kCommandPlayPause = 17,
    kCommandStop = 18,
    kCommandPlayFrom = 19,
    kCommandPlayTo = 20,
    kCommandNextSong = 21,
    kCommandPreviousSong = 22,
    kCommandFastForward = 23,
    kCommandRewind = 24,
    kCommandForward1ms = 25,
    kCommandBackward1ms = 26,
    kCommandForward1s = 27,
    kCommandBackward1s = 28,
    kCommandUsersGuide = 29,
    kCommandAbout = 30,
    // Owned by the main component, which lists it; described and performed
    // here.
    kCommandEditShortcutKeys = 40,
    // Entry id - kCommandOpenRecentFirst of the recent song lists.
    kCommandOpenRecentFirst = 256,
    kCommandOpenRecentLast = 265,
    // Entry id - first of the hold-time table.
    kCommandPeakHoldFirst = 512,
    kCommandPeakHoldLast = 519,
    kCommandClipHoldFirst = 768,
    kCommandClipHoldLast = 775,
};

// The level meter's hold times in milliseconds (-1: no limit), indexed by
// id - kCommandPeakHoldFirst and id - kCommandClipHoldFirst.
inline constexpr int kHoldTimeTableMs[] = {0, 500, 1000, 2000, 3000, 4000, 10000, -1};
} // namespace Tavrel
