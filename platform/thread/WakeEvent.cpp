#include "platform/thread/WakeEvent.h"

#include <climits>
#include <ctime>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm::platform
{
namespace
{
constexpr uint32_t kIdle = 0;
constexpr uint32_t kPending = 1;
constexpr uint32_t kAsleep = 2;

uint32_t* address(std::atomic<uint32_t>& word)
{
    static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
    return reinterpret_cast<uint32_t*>(&word);
}
} // namespace

void WakeEvent::wake() noexcept
{
    // Only a sleeper needs the system call; otherwise the wake is left
    // pending for the next wait.
    if (m_state.exchange(kPending, std::memory_order_acq_rel) == kAsleep)
        ::syscall(SYS_futex, address(m_state), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

bool WakeEvent::waitFor(std::chrono::milliseconds timeout) noexcept
{
    // A pending wake is taken at once.
    if (m_state.exchange(kIdle, std::memory_order_acq_rel) == kPending)
        return true;
    uint32_t expected = kIdle;
    if (!m_state.compare_exchange_strong(expected, kAsleep, std::memory_order_acq_rel))
    {
        m_state.store(kIdle, std::memory_order_release);
        return true; // woken between the two steps
    }
    struct timespec relative = {};
    relative.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    relative.tv_nsec = static_cast<long>((timeout.count() % 1000) * 1000000);
    // The kernel sleeps only while the word still says asleep, so a wake
    // between the exchange above and this call is not missed. Interruptions
    // and spurious returns end the wait early, which the caller's loop
    // tolerates.
    ::syscall(SYS_futex, address(m_state), FUTEX_WAIT_PRIVATE, kAsleep, &relative, nullptr, 0);
    return m_state.exchange(kIdle, std::memory_order_acq_rel) == kPending;
}
} // namespace qm::platform
