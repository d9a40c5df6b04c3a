#pragma once

#include <juce_core/juce_core.h>

class CTVHost;

// The user-level operations on the song-list file: open a given file or one
// the user chooses, save to the current file or a new one, the question
// whether to save before another list is opened, and the opening of the
// last-session file after an abnormal end. They talk to the user only
// through the user-interface services (a cancel when none are installed)
// and return true when the operation was carried out.
//
// Message thread only. While the command manager performs, undoes or redoes
// (an add of songs runs its window inside a perform, and messages still
// arrive), every flow refuses with a beep and answers false: the list must
// not change under a running action.
namespace Tavrel
{
// The open command: asks to save first, asks for a file when none is given,
// opens it and makes it the list's path.
bool openSonglistFile(const juce::File& file, CTVHost& controller);
// Replaces the controller's list by the songs of a song-list file; the
// current list stays when the file is missing or gives no song. The path is
// left to the caller.
bool openSonglist(CTVHost& controller, const juce::File& file);
// Save (to the list's path, or a chosen one for an untitled list) and Save
// As. A failed write offers another place until the user cancels.
bool saveSonglist(CTVHost& controller, bool saveAs);
// False when the user cancelled (or a save inside the question failed).
bool askToSaveBeforeOpening(CTVHost& controller);
// Opens the last-session file as an untitled list.
bool restoreLastSession(CTVHost& controller);
// The New command: asks to save first, then leaves an empty, untitled,
// unmodified list with no history. True also when the user cancelled; false
// only when refused.
bool newSonglist(CTVHost& controller);
} // namespace Tavrel
