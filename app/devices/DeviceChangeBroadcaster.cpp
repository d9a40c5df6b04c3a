#include "app/devices/DeviceChangeBroadcaster.h"

#include <mutex>

namespace
{
// Re-entrant, so that a getInstance made by the constructor on the creating
// thread returns null instead of waiting for itself.
std::recursive_mutex g_instanceLock;
DeviceChangeBroadcaster* g_instance = nullptr;
bool g_creating = false;
bool g_createdOnce = false;
} // namespace

DeviceChangeBroadcaster* DeviceChangeBroadcaster::getInstance()
{
    std::lock_guard lock(g_instanceLock);
    if (g_instance == nullptr && !g_creating && !g_createdOnce)
    {
        g_creating = true;
        g_createdOnce = true;
        g_instance = new DeviceChangeBroadcaster(qm::platform::CreateDeviceWatcher());
        g_creating = false;
    }
    return g_instance;
}

DeviceChangeBroadcaster::DeviceChangeBroadcaster(std::unique_ptr<qm::platform::DeviceWatcher> watcher)
    : m_watcher(std::move(watcher))
{
    if (m_watcher)
        m_watcher->Start([this](qm::platform::MediaEvent event, const std::vector<std::string>& drives) {
            handleNotice(event, drives);
        });
}

DeviceChangeBroadcaster::~DeviceChangeBroadcaster()
{
    if (m_watcher)
        m_watcher->Stop();
    std::lock_guard lock(g_instanceLock);
    if (g_instance == this)
        g_instance = nullptr;
}

void DeviceChangeBroadcaster::addListener(juce::MessageListener* listener, int tag)
{
    if (listener == nullptr)
        return;
    const juce::ScopedLock lock(m_lock);
    for (const auto& entry : m_listeners)
        if (entry.listener == listener)
            return;
    m_listeners.add({listener, juce::WeakReference<juce::MessageListener>(listener), tag});
}

void DeviceChangeBroadcaster::removeListener(juce::MessageListener* listener)
{
    const juce::ScopedLock lock(m_lock);
    for (int i = m_listeners.size(); --i >= 0;)
        if (m_listeners.getReference(i).listener == listener)
            m_listeners.remove(i); // the storage shrinks as entries go
}

void DeviceChangeBroadcaster::broadcast(int event, const juce::String& drive)
{
    // Posting may run on the watcher's thread, where the message manager must
    // not be created; without one there is nobody to deliver to.
    if (juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return;
    const juce::ScopedLock lock(m_lock);
    for (const auto& entry : m_listeners)
    {
        if (entry.reference.get() == nullptr)
            continue; // destroyed without removing itself
        // A message the queue refuses (shut-down under way) is deleted by the
        // framework.
        entry.listener->postMessage(new DeviceChangeMessage(entry.tag, event, drive));
    }
}

void DeviceChangeBroadcaster::handleNotice(qm::platform::MediaEvent event, const std::vector<std::string>& drives)
{
    int code;
    switch (event)
    {
    case qm::platform::MediaEvent::Arrived:
        code = DeviceChangeMessage::kMediaArrived;
        break;
    case qm::platform::MediaEvent::Removed:
        code = DeviceChangeMessage::kMediaRemoved;
        break;
    default:
        return;
    }
    for (const auto& drive : drives)
        broadcast(code, juce::String::fromUTF8(drive.c_str(), int(drive.size())));
}
