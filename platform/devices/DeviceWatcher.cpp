#include "platform/devices/DeviceWatcher.h"

#include "platform/devices/CdMediaWatcher.h"
#include "platform/devices/UdevMediaMonitor.h"

namespace qm::platform
{
std::unique_ptr<DeviceWatcher> CreateDeviceWatcher()
{
    std::unique_ptr<UdevMediaMonitor> monitor;
    if (UdevMediaMonitor::IsUdevRunning())
    {
        monitor = std::make_unique<UdevMediaMonitor>();
        if (!monitor->Open())
            monitor.reset();
    }
    return std::make_unique<CdMediaWatcher>(CdMediaWatcher::kDefaultInterval, std::move(monitor));
}
} // namespace qm::platform
