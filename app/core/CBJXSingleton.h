#pragma once

#include <atomic>
#include <mutex>
#include <new>

// Counted process-wide instances. Each class T that derives from one of these
// templates has one instance at a time: the first GetInstance creates it, every
// GetInstance takes a reference, and the Release that gives back the last
// reference deletes it (through the virtual destructor). A Release without a
// reference does nothing.

// Acquire and release run under a lock of T's own, so any thread may use them.
template <typename T>
class CBJXSingleton
{
public:
    virtual ~CBJXSingleton() = default;

    // Takes a reference and returns the instance (null when T could not be
    // allocated).
    static T* GetInstance()
    {
        std::lock_guard<std::mutex> guard(s_lock);
        if (s_count == 0 && s_instance.load() == nullptr)
            s_instance.store(new (std::nothrow) T());
        ++s_count;
        return s_instance.load();
    }

    // Gives a reference back; the last one deletes the instance.
    static void Release()
    {
        std::lock_guard<std::mutex> guard(s_lock);
        if (s_count <= 0)
            return;
        if (--s_count == 0)
            delete s_instance.exchange(nullptr);
    }

    // The instance without taking a reference: for code that runs between the
    // acquisition at start-up and the release at shut-down.
    static T* GetStoredInstance() { return s_instance.load(); }

private:
    // std::mutex is constant-initialised, so the lock exists before any code runs.
    static inline std::mutex s_lock;
    static inline std::atomic<T*> s_instance{nullptr};
    static inline int s_count = 0;
};

// The same counting without a lock, for objects used on one thread at a time.
template <typename T>
class CBfcSingleton
{
public:
    virtual ~CBfcSingleton() = default;

    static T* GetInstance()
    {
        if (s_count == 0 && s_instance == nullptr)
            s_instance = new (std::nothrow) T();
        ++s_count;
        return s_instance;
    }

    static void Release()
    {
        if (s_count <= 0)
            return;
        if (--s_count == 0)
        {
            T* instance = s_instance;
            s_instance = nullptr;
            delete instance;
        }
    }

    static T* GetStoredInstance() { return s_instance; }

private:
    static inline T* s_instance = nullptr;
    static inline int s_count = 0;
};
