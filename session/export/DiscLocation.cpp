#include "session/export/DiscLocation.h"

namespace Tavrel
{
namespace
{
juce::File g_mountsFile;

// The mounts table escapes blanks, tabs, newlines and backslashes as a
// backslash and three octal digits.
juce::String Unescape(const juce::String& field)
{
    auto octal = [](juce::juce_wchar c) { return c >= '0' && c <= '7'; };
    juce::String out;
    for (int i = 0; i < field.length(); ++i)
    {
        if (field[i] == '\\' && i + 3 < field.length() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3]))
        {
            out += static_cast<juce::juce_wchar>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                                 (field[i + 3] - '0'));
            i += 3;
        }
        else
            out += field[i];
    }
    return out;
}
} // namespace

void DiscLocation::setMountsFile(const juce::File& file)
{
    g_mountsFile = file;
}

DiscLocation::DiscLocation(const juce::String& drivePath)
    : m_drive(drivePath)
{
    if (m_drive.isEmpty())
        return;
    const juce::File mounts = g_mountsFile != juce::File() ? g_mountsFile : juce::File("/proc/self/mounts");
    juce::StringArray lines;
    lines.addLines(mounts.loadFileAsString());
    for (const juce::String& line : lines)
    {
        juce::StringArray fields;
        fields.addTokens(line, " \t", "");
        fields.removeEmptyStrings();
        if (fields.size() >= 2 && Unescape(fields[0]).equalsIgnoreCase(m_drive))
            m_mountPoints.add(Unescape(fields[1]));
    }
}

bool DiscLocation::atOrBelow(const juce::String& file, const juce::String& folder)
{
    if (folder.isEmpty())
        return false;
    const juce::String base = folder.endsWithChar('/') ? folder.dropLastCharacters(1) : folder;
    return file.equalsIgnoreCase(base) || file.toLowerCase().startsWith(base.toLowerCase() + "/");
}

bool DiscLocation::holds(const juce::String& file) const
{
    if (m_drive.isEmpty() || file.isEmpty())
        return false;
    if (atOrBelow(file, m_drive))
        return true;
    for (const juce::String& mountPoint : m_mountPoints)
        if (atOrBelow(file, mountPoint))
            return true;
    return false;
}
} // namespace Tavrel
