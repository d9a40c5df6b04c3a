#pragma once

#include <juce_core/juce_core.h>

class CHfcPreferences;

namespace Tavrel
{
// A list of recently used folders stored as the settings values
// "<name>_0" to "<name>_9". Saving writes the first ten entries and empties
// the values after them, so a shorter list does not get the old tail back;
// loading stops at the first missing or empty value and skips repeats.
namespace RecentFolders
{
inline constexpr int kMaxSaved = 10;

void save(CHfcPreferences& preferences, const juce::String& name, const juce::StringArray& folders);
juce::StringArray load(const CHfcPreferences& preferences, const juce::String& name);

// The full path of the folder the text names, or empty when the text is
// empty, relative or not an existing folder.
juce::String existingFolder(const juce::String& text);
} // namespace RecentFolders
} // namespace Tavrel
