#include "platform/thread/ThreadPriority.h"

#include <cerrno>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm::platform
{

int niceValueFor(ThreadPriority priority)
{
    switch (priority)
    {
    case ThreadPriority::Idle:
        return 19;
    case ThreadPriority::Lowest:
        return 10;
    case ThreadPriority::BelowNormal:
        return 5;
    case ThreadPriority::Normal:
        return 0;
    case ThreadPriority::AboveNormal:
        return -5;
    case ThreadPriority::Highest:
        return -10;
    case ThreadPriority::TimeCritical:
        return -20;
    }
    return 0;
}

unsigned currentThreadId()
{
    return static_cast<unsigned>(::syscall(SYS_gettid));
}

bool setCurrentThreadPriority(ThreadPriority priority)
{
    sched_param param{};
    param.sched_priority = 0;
    const int policy = priority == ThreadPriority::Idle ? SCHED_IDLE : SCHED_OTHER;

    int oldPolicy = SCHED_OTHER;
    sched_param oldParam{};
    if (pthread_getschedparam(pthread_self(), &oldPolicy, &oldParam) != 0)
        return false;
    const int oldNice = [] {
        errno = 0;
        const int value = ::getpriority(PRIO_PROCESS, static_cast<id_t>(currentThreadId()));
        return errno == 0 ? value : 0;
    }();

    // On Linux the nice value of PRIO_PROCESS with a thread id applies to that
    // thread alone.
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(currentThreadId()), niceValueFor(priority)) != 0)
        return false;
    if (pthread_setschedparam(pthread_self(), policy, &param) != 0)
    {
        // Leave the thread as it was.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(currentThreadId()), oldNice);
        return false;
    }
    return true;
}

} // namespace qm::platform
