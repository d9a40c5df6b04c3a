#pragma once

#include <mutex>

// A lock object that the engine's owners enter and leave directly through its
// member. The mutex is recursive because the engine re-enters its locks on the
// same thread (a reader's lock is taken again by the helpers it calls).
//
//     std::lock_guard lock(m_ringLock.m_section);
class CCriticalSection
{
public:
    CCriticalSection() = default;
    virtual ~CCriticalSection() = default;

    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    std::recursive_mutex m_section;
};
