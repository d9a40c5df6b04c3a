#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CTVHost;
class CTVMainWindow;

namespace Tavrel
{
// The files a command line names: one per argument (the arguments come as
// an array, so names with blanks, tabs or quotes stay whole), relative names
// made absolute against the folder the command was given in, an empty
// argument kept as an empty name.
juce::StringArray commandLineFiles(const juce::StringArray& arguments, const juce::File& workingDirectory);

// One song-list file is opened as the list; any other files go to the main
// window as if dropped on it; none does nothing.
void handleCommandLineFiles(const juce::StringArray& files, CTVHost& host, CTVMainWindow* window);

// After a crash: removes the leftover disc images of the temporary folder
// (whole, without following links) and the leftover temporary files
// "TavrelTempFile.???.tmp" of each folder (not recursively; a folder of that
// name only when empty, a link as a link). Errors are left silently.
void deleteLeftovers(const juce::File& temporaryFolder, const juce::StringArray& folders);
} // namespace Tavrel
