#pragma once

#include <juce_core/juce_core.h>

namespace Tavrel
{
// The path of a file relative to a folder, with ".." steps and "/" between the
// parts: "sub/a.wav" for /music/list/sub/a.wav from /music/list, "../b.wav"
// for /music/b.wav. Parts are compared exactly (file names on Linux are
// case-sensitive: /Music is not /music), whole part by part, so /music/ab is
// not inside /music/a. Empty and "." parts are skipped. A path or folder that
// is not absolute is returned unchanged (there is no common part to start
// from); a path equal to the folder gives ".".
juce::String makeRelativePath(const juce::String& path, const juce::String& folder);

// Resolves a stored relative path against a folder; a text that is already a
// full path is returned unchanged, an empty text stays empty.
juce::String resolveRelativePath(const juce::String& text, const juce::File& folder);
} // namespace Tavrel
