#include "app/songlist/RelativePath.h"

namespace Tavrel
{
namespace
{
juce::StringArray splitParts(const juce::String& path)
{
    juce::StringArray parts;
    parts.addTokens(path, "/", "");
    parts.removeEmptyStrings();
    parts.removeString(".");
    return parts;
}
} // namespace

juce::String makeRelativePath(const juce::String& path, const juce::String& folder)
{
    if (!path.startsWithChar('/') || !folder.startsWithChar('/'))
        return path;

    const juce::StringArray pathParts = splitParts(path);
    const juce::StringArray folderParts = splitParts(folder);

    int common = 0;
    while (common < pathParts.size() && common < folderParts.size() && pathParts[common] == folderParts[common])
        ++common;

    juce::StringArray steps;
    for (int i = common; i < folderParts.size(); ++i)
        steps.add("..");
    for (int i = common; i < pathParts.size(); ++i)
        steps.add(pathParts[i]);
    if (steps.isEmpty())
        return ".";
    return steps.joinIntoString("/");
}

juce::String resolveRelativePath(const juce::String& text, const juce::File& folder)
{
    if (text.isEmpty() || text.startsWithChar('/'))
        return text;
    return folder.getChildFile(text).getFullPathName();
}
} // namespace Tavrel
