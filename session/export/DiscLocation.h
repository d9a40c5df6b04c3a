#pragma once

#include <juce_core/juce_core.h>

namespace Tavrel
{
// Whether a song's file is on the disc in a drive: its path is the drive's
// path or lies below it (a CD track is "<drive>/TrackNN.cda"; a song on
// /dev/sr10 is not on /dev/sr1), or lies at or below a mount point of the
// drive's device. Compared without regard to case.
class DiscLocation
{
public:
    explicit DiscLocation(const juce::String& drivePath);

    bool holds(const juce::String& file) const;
    bool isEmpty() const { return m_drive.isEmpty(); }

    // The mounts table read for the mount points (by default
    // /proc/self/mounts); tests replace it, an empty file puts it back.
    static void setMountsFile(const juce::File& file);

private:
    static bool atOrBelow(const juce::String& file, const juce::String& folder);

    juce::String m_drive;
    juce::StringArray m_mountPoints;
};
} // namespace Tavrel
