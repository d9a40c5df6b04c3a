#pragma once

#include <juce_core/juce_core.h>

namespace Tavrel
{
// Stops a sheet's reload thread without ever killing it: asks it to exit,
// wakes it (its own event and, when given, the event it scans on) and waits
// for it to end. When that takes longer than the limit, one line goes to
// standard error and the wait goes on. Message thread.
void stopReloadThread(juce::Thread& thread, int limitMs, juce::WaitableEvent* scanEvent = nullptr);
} // namespace Tavrel
