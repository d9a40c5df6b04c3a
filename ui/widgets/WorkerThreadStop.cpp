#include "ui/widgets/WorkerThreadStop.h"

#include <cstdio>
#include <thread>

namespace Tavrel
{
void stopWorkerThread(juce::Thread& thread, int limitMs, juce::WaitableEvent* scanEvent, const std::atomic<bool>* ended)
{
    thread.signalThreadShouldExit();
    thread.notify();
    if (scanEvent != nullptr)
        scanEvent->signal();
    if (!thread.waitForThreadToExit(limitMs))
    {
        // A drive or file that hangs in a call: the thread ends when the call
        // returns, and waiting is the only safe way.
        std::fprintf(stderr, "%s: still in a drive call after %d ms, waiting for it\n",
                     thread.getThreadName().toRawUTF8(), limitMs);
        thread.waitForThreadToExit(-1);
    }
    while (ended != nullptr && !ended->load(std::memory_order_acquire))
        std::this_thread::yield();
}
} // namespace Tavrel
