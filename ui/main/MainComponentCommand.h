#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// The commands the main component owns. The numbers are stored in the
// user's key mappings and must not change.
enum MainComponentCommand : juce::CommandID
{
    kCommandOpenDisc = 31,
    kCommandExport = 32,
    kCommandBurnDisc = 33,
    kCommandQuitSafely = 34,
    kCommandSelectAll = 35,
    kCommandInvertSelection = 36,
    kCommandEditSongName = 37,
    kCommandBatchEdit = 38,
    kCommandPreferences = 39,
    kCommandShortcutKeys = 40,
    kCommandFileInfo = 41,
};
} // namespace Tavrel
