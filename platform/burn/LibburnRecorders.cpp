#include "platform/burn/LibburnRecorders.h"

#include <mutex>

#include <libburn/libburn.h>

#include "platform/burn/LibburnLibrary.h"

using namespace burn;

namespace qm::platform::libburn
{
namespace
{
std::mutex g_libraryLock;
int g_libraryUsers = 0;
} // namespace

bool AcquireLibrary()
{
    std::lock_guard lock(g_libraryLock);
    if (g_libraryUsers == 0)
    {
        if (burn_initialize() != 1)
            return false;
        // Nothing is queued; only what ends the program reaches stderr.
        char never[] = "NEVER";
        char fatal[] = "FATAL";
        char prefix[] = "libburn: ";
        burn_msgs_set_severities(never, fatal, prefix);
    }
    ++g_libraryUsers;
    return true;
}

void ReleaseLibrary()
{
    std::lock_guard lock(g_libraryLock);
    if (g_libraryUsers > 0 && --g_libraryUsers == 0)
        burn_finish();
}

bool Start()
{
    return AcquireLibrary();
}

void Stop()
{
    ReleaseLibrary();
}

std::vector<DiscRecorderInfo> Scan()
{
    return {};
}

std::unique_ptr<DiscRecorder> Open(const std::string&)
{
    return nullptr;
}
} // namespace qm::platform::libburn
