#include "platform/thread/QuitSignals.h"

#include <atomic>
#include <csignal>

namespace qm::platform
{
namespace
{
// Lock-free, so the handler may touch it.
std::atomic<bool> g_quitRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void noteQuitSignal(int)
{
    g_quitRequested.store(true);
}
} // namespace

void installQuitSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = noteQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool takeQuitSignal()
{
    return g_quitRequested.exchange(false);
}
} // namespace qm::platform
