#include "session/parameters/RecentFolders.h"

#include "app/core/CTVPreferences.h"

namespace Tavrel::RecentFolders
{
void save(CHfcPreferences& preferences, const juce::String& name, const juce::StringArray& folders)
{
    for (int i = 0; i < kMaxSaved; ++i)
        preferences.SetString(name + "_" + juce::String(i), i < folders.size() ? folders[i] : juce::String());
}

juce::StringArray load(const CHfcPreferences& preferences, const juce::String& name)
{
    juce::StringArray folders;
    for (int i = 0; i < kMaxSaved; ++i)
    {
        const juce::String folder = preferences.GetString(name + "_" + juce::String(i), {});
        if (folder.isEmpty())
            break;
        if (!folders.contains(folder))
            folders.add(folder);
    }
    return folders;
}

juce::String existingFolder(const juce::String& text)
{
    // juce::File asserts on a relative path: check before building one.
    if (text.isEmpty() || !juce::File::isAbsolutePath(text))
        return {};
    const juce::File folder(text);
    return folder.isDirectory() ? folder.getFullPathName() : juce::String();
}
} // namespace Tavrel::RecentFolders
