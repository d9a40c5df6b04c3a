#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// Implemented by a component that must keep commands off while it is busy
// (the main component while a sheet or a modal window is up); the action
// manager disables every command that any registered blocker blocks.
class ActionBlocker
{
public:
    virtual ~ActionBlocker() = default;
    virtual bool isActionBlocked(juce::CommandID commandId) = 0;
};
} // namespace Tavrel
