#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/thread/ThreadPriority.h"

// Base of a worker thread with a start priority and a stop flag.
//
// A derived class implements run(), which polls IsStopRequested() (or the
// stop flag) and returns when it is set. Threads are never killed: stopping
// sets the flag and joins. Every derived destructor must call StopAndJoin()
// first, while the derived object (and the run() it overrides) still exists;
// the base destructor only joins as a last resort.
// What CThread::Start says. The numbers are the ones Start has always
// returned (non-zero: as asked).
enum class [[nodiscard]] ThreadStartResult : int{
    NotAsAsked = 0,
    AtPriority = 1,
};

class CThread
{
public:
    // How long a stop waits before it writes a diagnostic line; it then goes
    // on waiting for the thread to end.
    static constexpr std::chrono::milliseconds kStopWait{5000};

    CThread();
    virtual ~CThread();

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // The thread body.
    virtual void run() = 0;

    // Stops a running thread (as StopAndJoin), clears the stop flag, starts
    // run() on a new thread and gives it the priority of the table below.
    // AtPriority when the thread runs with that priority; NotAsAsked when the
    // thread could not be created or its priority could not be set (the
    // thread then still runs, at the priority it inherited: IsRunning() tells
    // the two apart), and when called from the thread itself.
    //   below 1: idle; 1: lowest; 2-4: below normal; 5-6: normal;
    //   7-8: above normal; 9: highest; 10 and above: time critical.
    virtual ThreadStartResult Start(int priority);

    // Sets the stop flag and joins the thread. After warnAfter it writes one
    // line to stderr and keeps waiting. Does nothing when no thread runs.
    // Must not be called from the thread itself.
    void StopAndJoin(std::chrono::milliseconds warnAfter = kStopWait);

    // The scheduling class of a priority argument (the table above).
    static qm::platform::ThreadPriority PriorityFromLevel(int priority);

    // True from Start until run() has returned.
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }
    bool IsStopRequested() const { return m_stop.load(std::memory_order_acquire); }
    // The kernel's id of the running thread (0 when none has run yet).
    uint32_t GetThreadId() const { return m_threadId.load(std::memory_order_acquire); }

protected:
    // Called by StopAndJoin right after the stop flag is set, before the
    // join: a body that sleeps on an event of its own wakes it here, so that
    // it sees the flag at once. Any thread; must not block.
    virtual void WakeForStop() {}

    // The thread handle: joinable while a thread has been started and not
    // yet joined.
    std::thread m_thread;
    std::atomic<uint32_t> m_threadId{0};
    // True = the thread is asked to stop.
    std::atomic<bool> m_stop{false};

private:
    void ThreadProc(int priority, std::shared_ptr<std::promise<bool>> priorityResult);

    std::atomic<bool> m_running{false};
    std::mutex m_doneMutex;
    std::condition_variable m_doneCondition;
};
