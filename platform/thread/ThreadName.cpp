#include "platform/thread/ThreadName.h"

#include <pthread.h>

namespace qm::platform
{
namespace
{
constexpr size_t kMaxNameBytes = 15;
}

std::string systemThreadName(const std::string& name)
{
    if (name.size() <= kMaxNameBytes)
        return name;
    size_t cut = kMaxNameBytes;
    // Back to the start of a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

bool setCurrentThreadName(const std::string& name)
{
    return pthread_setname_np(pthread_self(), systemThreadName(name).c_str()) == 0;
}
} // namespace qm::platform
