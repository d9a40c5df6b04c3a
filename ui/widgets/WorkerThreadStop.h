#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

namespace Tavrel
{
// Stops a window's worker thread (a sheet's reload thread, a picture
// view's loading thread) without ever killing it: asks it to exit,
// wakes it (its own event and, when given, the event it scans on) and waits
// for it to end. When that takes longer than the limit, one line goes to
// standard error and the wait goes on. When `ended` is given, the thread's
// run sets it (release) as its last step, and the stop also waits for it
// (acquire): the framework joins by polling a flag of its own, so without
// this the thread's last writes would not be ordered, to the sanitizer,
// before what the caller does next. Message thread.
void stopWorkerThread(juce::Thread& thread, int limitMs, juce::WaitableEvent* scanEvent = nullptr,
                      const std::atomic<bool>* ended = nullptr);
} // namespace Tavrel
