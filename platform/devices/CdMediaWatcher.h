#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/devices/DeviceWatcher.h"
#include "platform/devices/UdevMediaMonitor.h"

namespace qm::platform
{
// Watches the media of every drive that CdDriveRegistry lists, on a thread of
// its own, through the drives' media-presence test. A drive that appears in
// the list with a medium counts as an arrival, one that leaves the list with
// its medium as a removal.
//
// Without a udev monitor every drive is looked at every interval. With one,
// a device node is looked at when it first appears and whenever udev reports
// a change of it, and the watcher wakes at once for such a change; since a
// drive may still be spinning up when udev reports the new disc, a reported
// node is looked at again on the next few intervals. Disc images, which udev
// cannot see, are looked at every interval.
class CdMediaWatcher final : public DeviceWatcher
{
public:
    static constexpr std::chrono::milliseconds kDefaultInterval{1500};
    // Intervals during which a device node that udev reported is looked at
    // again.
    static constexpr int kRecheckIntervals = 8;

    explicit CdMediaWatcher(std::chrono::milliseconds interval = kDefaultInterval,
                            std::unique_ptr<UdevMediaMonitor> monitor = nullptr);
    ~CdMediaWatcher() override;

    CdMediaWatcher(const CdMediaWatcher&) = delete;
    CdMediaWatcher& operator=(const CdMediaWatcher&) = delete;

    // Takes the first look at the drives on the caller's thread (so that a
    // change made right after Start is measured against the state before
    // it), then starts the thread. Must not be called from the callback.
    bool Start(Callback callback) override;
    // Must not be called from the callback.
    void Stop() override;

private:
    struct DriveState
    {
        std::string name;
        bool present = false;
    };

    void Run();
    // Waits for the interval, a udev event or the stop request; false on
    // the stop request. Device nodes that udev reported go to `changed`.
    bool Wait(std::set<std::string>& changed);
    // Looks at the drives, keeps their states and, when `report` is set,
    // tells the callback what arrived and what was removed.
    void Scan(const std::set<std::string>& changed, bool report);

    std::chrono::milliseconds m_interval;
    std::unique_ptr<UdevMediaMonitor> m_monitor;
    Callback m_callback;
    std::vector<DriveState> m_drives;     // in the registry's order; used by one thread at a time
    std::map<std::string, int> m_recheck; // device node -> intervals left to look at it again
    int m_wakeFd = -1;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
} // namespace qm::platform
