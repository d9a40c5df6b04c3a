#include "platform/thread/WakeEvent.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(WakeEvent, AWakeIsNeverLost)
{
    qm::platform::WakeEvent event;
    // Nobody waits yet: the wake is kept for the next wait, and only once.
    event.wake();
    event.wake();
    EXPECT_TRUE(event.waitFor(10s));
    EXPECT_FALSE(event.waitFor(1ms));

    // A sleeper is woken from another thread long before its time-out, also
    // when wakes come in bursts from several threads.
    for (int round = 0; round < 200; ++round)
    {
        std::atomic<bool> woken{false};
        std::thread sleeper([&] { woken = event.waitFor(30s); });
        std::thread a([&] { event.wake(); });
        std::thread b([&] { event.wake(); });
        a.join();
        b.join();
        sleeper.join();
        ASSERT_TRUE(woken) << round;
        (void)event.waitFor(0ms); // a second wake may still be pending
    }
}
