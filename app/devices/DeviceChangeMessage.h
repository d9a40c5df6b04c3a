#pragma once

#include <juce_events/juce_events.h>

// A medium arrived in or left one drive: posted by DeviceChangeBroadcaster to
// each of its listeners, which tell it apart from other messages by its type.
class DeviceChangeMessage : public juce::Message
{
public:
    static constexpr int kMediaArrived = 0;
    static constexpr int kMediaRemoved = 1;

    DeviceChangeMessage(int tagValue, int eventValue, const juce::String& driveName)
        : tag(tagValue),
          event(eventValue),
          drive(driveName)
    {
    }

    // The tag the listener registered with.
    const int tag;
    // kMediaArrived or kMediaRemoved.
    const int event;
    // The drive's name, as the CD drive registry names it (/dev/sr0, or a disc
    // image's name).
    const juce::String drive;
};
