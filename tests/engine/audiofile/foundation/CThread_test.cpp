#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "engine/audiofile/foundation/CThread.h"

using namespace std::chrono_literals;
using qm::platform::ThreadPriority;

namespace
{

// Counts its runs and polls the stop flag, as every worker in the engine does.
class PollingThread : public CThread
{
public:
    ~PollingThread() override { StopAndJoin(); }

    void run() override
    {
        policy = sched_getscheduler(0);
        ++runs;
        while (!IsStopRequested())
            std::this_thread::sleep_for(1ms);
    }

    std::atomic<int> runs{0};
    std::atomic<int> policy{-1};
};

// Ignores the stop flag until released.
class StubbornThread : public CThread
{
public:
    ~StubbornThread() override { StopAndJoin(); }

    void run() override
    {
        ++runs;
        while (!release)
            std::this_thread::sleep_for(1ms);
    }

    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
};

// Its object members are used by run() until the very end, so a stop that
// came after their destruction would show under the sanitizer.
class MemberUsingThread : public CThread
{
public:
    ~MemberUsingThread() override { StopAndJoin(); }
    void run() override
    {
        while (!IsStopRequested())
            for (int& value : samples)
                ++value;
    }
    std::vector<int> samples = std::vector<int>(256);
};

} // namespace

TEST(Thread, PriorityTable)
{
    const std::pair<int, ThreadPriority> cases[] = {
        {-5, ThreadPriority::Idle},       {0, ThreadPriority::Idle},          {1, ThreadPriority::Lowest},
        {2, ThreadPriority::BelowNormal}, {4, ThreadPriority::BelowNormal},   {5, ThreadPriority::Normal},
        {6, ThreadPriority::Normal},      {7, ThreadPriority::AboveNormal},   {8, ThreadPriority::AboveNormal},
        {9, ThreadPriority::Highest},     {10, ThreadPriority::TimeCritical}, {15, ThreadPriority::TimeCritical},
    };
    for (const auto& [level, expected] : cases)
        EXPECT_EQ(CThread::PriorityFromLevel(level), expected) << level;
}

TEST(Thread, StartsStopsAndRestarts)
{
    PollingThread thread;
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.Start(0), ThreadStartResult::AtPriority);
    EXPECT_TRUE(thread.IsRunning());
    while (thread.runs == 0)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(thread.policy, SCHED_IDLE);
    EXPECT_NE(thread.GetThreadId(), 0u);

    // A second Start stops the body and runs it again from the beginning.
    EXPECT_EQ(thread.Start(3), ThreadStartResult::AtPriority);
    while (thread.runs < 2)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(thread.policy, SCHED_OTHER);
    EXPECT_FALSE(thread.IsStopRequested());

    thread.StopAndJoin();
    EXPECT_FALSE(thread.IsRunning());
    thread.StopAndJoin(); // idle: nothing to do
}

TEST(Thread, StopWaitsPastTheLimitWithOneDiagnostic)
{
    StubbornThread thread;
    EXPECT_EQ(thread.Start(6), ThreadStartResult::AtPriority);
    while (thread.runs == 0)
        std::this_thread::sleep_for(1ms);
    std::thread releaser([&] {
        std::this_thread::sleep_for(200ms);
        thread.release = true;
    });
    testing::internal::CaptureStderr();
    thread.StopAndJoin(20ms);
    const std::string diagnostics = testing::internal::GetCapturedStderr();
    releaser.join();
    // The thread was not killed: its body ran to its end and was joined.
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(std::count(diagnostics.begin(), diagnostics.end(), '\n'), 1) << diagnostics;
}

TEST(Thread, DerivedDestructorStopsBeforeMembersGo)
{
    for (int i = 0; i < 20; ++i)
    {
        MemberUsingThread thread;
        EXPECT_EQ(thread.Start(6), ThreadStartResult::AtPriority);
    }
}
