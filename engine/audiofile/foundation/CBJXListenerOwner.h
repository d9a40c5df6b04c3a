#pragma once

#include <algorithm>
#include <mutex>
#include <vector>

// Lists of listeners (not owned), called in the order they were added. A
// listener added twice is called twice; RemoveListener removes the first entry
// of that listener only.
//
// CallListeners walks a copy of the list and skips every entry that has been
// removed in the meantime, so a listener may remove itself or another listener,
// or add one, while it is being called: removed listeners are not called any
// more, and listeners added during a broadcast are called from the next one.

namespace qm::detail
{
template <typename T>
class ListenerArray
{
public:
    void Add(T* listener) { m_listeners.push_back(listener); }

    void Remove(T* listener)
    {
        auto it = std::find(m_listeners.begin(), m_listeners.end(), listener);
        if (it != m_listeners.end())
            m_listeners.erase(it);
    }

    bool Contains(T* listener) const
    {
        return std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end();
    }

    std::vector<T*> Snapshot() const { return m_listeners; }

private:
    std::vector<T*> m_listeners;
};
} // namespace qm::detail

// Guarded by a lock of the owner's own: any thread may add and remove
// listeners. The lock is held while the listeners are called, so a listener
// removed by another thread is never called after RemoveListener returns; the
// lock is re-entrant, so listeners may add and remove listeners from inside
// the call.
template <typename T>
class CBJXListenerOwner
{
public:
    virtual ~CBJXListenerOwner() = default;

    void AddListener(T* listener)
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_listeners.Add(listener);
    }

    void RemoveListener(T* listener)
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_listeners.Remove(listener);
    }

    // The listeners in registration order.
    std::vector<T*> GetListeners()
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        return m_listeners.Snapshot();
    }

    // Calls callback(listener) for every listener, in registration order.
    template <typename Callback>
    void CallListeners(Callback&& callback)
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        for (T* listener : m_listeners.Snapshot())
        {
            if (m_listeners.Contains(listener))
                callback(*listener);
        }
    }

private:
    std::recursive_mutex m_lock;
    qm::detail::ListenerArray<T> m_listeners;
};

// The same list without a lock, for objects used on one thread at a time.
template <typename T>
class CBfcListenerOwner
{
public:
    virtual ~CBfcListenerOwner() = default;

    void AddListener(T* listener) { m_listeners.Add(listener); }
    void RemoveListener(T* listener) { m_listeners.Remove(listener); }

    template <typename Callback>
    void CallListeners(Callback&& callback)
    {
        for (T* listener : m_listeners.Snapshot())
        {
            if (m_listeners.Contains(listener))
                callback(*listener);
        }
    }

private:
    qm::detail::ListenerArray<T> m_listeners;
};
