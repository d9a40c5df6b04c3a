#include "engine/audiofile/foundation/CThread.h"

#include <cstdio>
#include <memory>
#include <system_error>

CThread::CThread() = default;

CThread::~CThread()
{
    // Derived destructors stop the thread first; this only catches a thread
    // that is still running so that it is never left behind.
    StopAndJoin();
}

qm::platform::ThreadPriority CThread::PriorityFromLevel(int priority)
{
    using qm::platform::ThreadPriority;
    if (priority < 1)
        return ThreadPriority::Idle;
    if (priority == 1)
        return ThreadPriority::Lowest;
    if (priority <= 4)
        return ThreadPriority::BelowNormal;
    if (priority <= 6)
        return ThreadPriority::Normal;
    if (priority <= 8)
        return ThreadPriority::AboveNormal;
    if (priority == 9)
        return ThreadPriority::Highest;
    return ThreadPriority::TimeCritical;
}

void CThread::StopAndJoin(std::chrono::milliseconds warnAfter)
{
    m_stop.store(true, std::memory_order_release);
    WakeForStop();
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        return; // a thread cannot join itself; it returns from run() on the flag
    {
        std::unique_lock lock(m_doneMutex);
        if (!m_doneCondition.wait_for(lock, warnAfter, [this] { return !m_running.load(std::memory_order_acquire); }))
        {
            std::fprintf(stderr, "Quillmark: thread %u has not stopped after %lld ms; waiting for it to end\n",
                         GetThreadId(), static_cast<long long>(warnAfter.count()));
        }
    }
    m_thread.join();
}

ThreadStartResult CThread::Start(int priority)
{
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id())
        return ThreadStartResult::NotAsAsked; // the body cannot restart itself: it would have to join itself
    StopAndJoin();
    m_stop.store(false, std::memory_order_release);

    auto priorityResult = std::make_shared<std::promise<bool>>();
    std::future<bool> priorityDone = priorityResult->get_future();
    m_running.store(true, std::memory_order_release);
    try
    {
        m_thread = std::thread(&CThread::ThreadProc, this, priority, priorityResult);
    }
    catch (const std::system_error& error)
    {
        m_running.store(false, std::memory_order_release);
        std::fprintf(stderr, "Quillmark: cannot start a thread: %s\n", error.what());
        return ThreadStartResult::NotAsAsked;
    }
    return priorityDone.get() ? ThreadStartResult::AtPriority : ThreadStartResult::NotAsAsked;
}

void CThread::ThreadProc(int priority, std::shared_ptr<std::promise<bool>> priorityResult)
{
    m_threadId.store(qm::platform::currentThreadId(), std::memory_order_release);
    priorityResult->set_value(qm::platform::setCurrentThreadPriority(PriorityFromLevel(priority)));
    priorityResult.reset();

    run();

    std::lock_guard lock(m_doneMutex);
    m_running.store(false, std::memory_order_release);
    m_doneCondition.notify_all();
}
