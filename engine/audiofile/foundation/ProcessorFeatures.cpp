#include "engine/audiofile/foundation/ProcessorFeatures.h"

bool HasSse()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool present = __builtin_cpu_supports("sse");
    return present;
#else
    return false;
#endif
}

bool HasSse2()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool present = __builtin_cpu_supports("sse2");
    return present;
#else
    return false;
#endif
}
