#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace qm::platform
{
// Lets one thread sleep until another has something for it, without the
// waker ever blocking: wake() is one atomic exchange and, only when the
// sleeper is asleep, one system call. That makes it safe to call from an
// audio callback. A wake that comes while nobody waits is kept for the next
// wait, so none is lost.
//
// One thread waits; any number of threads may wake.
class WakeEvent
{
public:
    void wake() noexcept;
    // Returns when woken (true) or when the time-out has passed (false).
    bool waitFor(std::chrono::milliseconds timeout) noexcept;

private:
    // 0: nothing pending, nobody asleep; 1: a wake is pending; 2: the
    // waiter is asleep (or about to be).
    std::atomic<uint32_t> m_state{0};
};
} // namespace qm::platform
