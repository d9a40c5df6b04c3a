#pragma once

#include <juce_events/juce_events.h>

#include <memory>
#include <string>
#include <vector>

#include "app/devices/DeviceChangeMessage.h"
#include "platform/devices/DeviceWatcher.h"

// Turns every medium arriving in or leaving a drive into one
// DeviceChangeMessage per drive and per registered listener, posted to the
// listener through the framework's message queue. The controller and the
// disc-open sheet listen and re-read the discs when a message arrives.
//
// The notices come from a device watcher on its own thread, so posting never
// waits for the message thread. The framework deletes the process-wide
// instance at shut-down.
class DeviceChangeBroadcaster : public juce::DeletedAtShutdown
{
public:
    // The process-wide instance, created on first use with the system's
    // device watcher. Null once it has been deleted (it is never made again)
    // and, on the creating thread, while it is being constructed.
    static DeviceChangeBroadcaster* getInstance();

    // A broadcaster fed by the given watcher (which may be null: then only
    // broadcast posts). It starts the watcher.
    explicit DeviceChangeBroadcaster(std::unique_ptr<qm::platform::DeviceWatcher> watcher);
    // Stops the watcher first, so no notice arrives during destruction.
    ~DeviceChangeBroadcaster() override;

    DeviceChangeBroadcaster(const DeviceChangeBroadcaster&) = delete;
    DeviceChangeBroadcaster& operator=(const DeviceChangeBroadcaster&) = delete;

    // Registers a listener with its tag; a listener already registered keeps
    // its first tag. Any thread.
    void addListener(juce::MessageListener* listener, int tag);
    // Removes every registration of the listener; after the return no
    // further message is posted to it. Listeners call this in their
    // destructors. Any thread.
    void removeListener(juce::MessageListener* listener);

    // Posts one message (tag, event, drive) to every registered listener, in
    // the order of registration. A message that cannot be posted (no message
    // manager, or it is shutting down) is dropped.
    void broadcast(int event, const juce::String& drive);

    // A watcher's notice: one broadcast per drive, in the notice's order.
    void handleNotice(qm::platform::MediaEvent event, const std::vector<std::string>& drives);

private:
    struct Entry
    {
        juce::MessageListener* listener = nullptr;
        // Taken on the registering thread, so that posting from the
        // watcher's thread only copies it.
        juce::WeakReference<juce::MessageListener> reference;
        int tag = 0;
    };

    juce::CriticalSection m_lock;
    juce::Array<Entry, juce::DummyCriticalSection, 8> m_listeners;
    std::unique_ptr<qm::platform::DeviceWatcher> m_watcher;
};
