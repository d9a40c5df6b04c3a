#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qm::platform
{
// Listens to udevd's events for block devices (disks), so that media
// changes of CD drives are seen as they happen. Only meaningful while udevd
// runs: the kernel's media polling that produces the events is switched on
// by udev's rules.
class UdevMediaMonitor
{
public:
    UdevMediaMonitor();
    ~UdevMediaMonitor();

    UdevMediaMonitor(const UdevMediaMonitor&) = delete;
    UdevMediaMonitor& operator=(const UdevMediaMonitor&) = delete;

    // True when udevd runs on this system.
    static bool IsUdevRunning();

    // Connects to udevd's event stream; false when that fails.
    bool Open();
    // The descriptor that becomes readable when events wait; -1 when closed.
    int GetFd() const;
    // Takes every waiting event and returns the device nodes (resolved to
    // their real paths) of the disks that were added, changed or removed.
    std::vector<std::string> ReceiveChangedNodes();

private:
    struct Handles;
    std::unique_ptr<Handles> m_handles;
};
} // namespace qm::platform
