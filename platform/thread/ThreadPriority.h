#pragma once

namespace qm::platform
{

// Scheduling classes of a thread, lowest first. Idle runs under SCHED_IDLE,
// the others under SCHED_OTHER with a nice value.
enum class ThreadPriority
{
    Idle,
    Lowest,
    BelowNormal,
    Normal,
    AboveNormal,
    Highest,
    TimeCritical,
};

// The nice value used for a priority (Idle: 19, but SCHED_IDLE governs).
int niceValueFor(ThreadPriority priority);

// Gives the calling thread the priority. Returns false when the system
// refused (raising above normal needs the right to do so); the thread then
// keeps the priority it had.
bool setCurrentThreadPriority(ThreadPriority priority);

// The calling thread's kernel id.
unsigned currentThreadId();

} // namespace qm::platform
