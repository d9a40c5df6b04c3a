#include "platform/devices/UdevMediaMonitor.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

#include <libudev.h>

namespace qm::platform
{
struct UdevMediaMonitor::Handles
{
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;

    ~Handles()
    {
        if (monitor != nullptr)
            udev_monitor_unref(monitor);
        if (context != nullptr)
            udev_unref(context);
    }
};

UdevMediaMonitor::UdevMediaMonitor() = default;
UdevMediaMonitor::~UdevMediaMonitor() = default;

bool UdevMediaMonitor::IsUdevRunning()
{
    // udevd creates its control socket here while it runs.
    return ::access("/run/udev/control", F_OK) == 0;
}

bool UdevMediaMonitor::Open()
{
    if (m_handles)
        return true;
    auto handles = std::make_unique<Handles>();
    handles->context = udev_new();
    if (handles->context == nullptr)
        return false;
    // Events as udevd passes them on, after its rules have run.
    handles->monitor = udev_monitor_new_from_netlink(handles->context, "udev");
    if (handles->monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(handles->monitor, "block", "disk") < 0 ||
        udev_monitor_enable_receiving(handles->monitor) < 0 || udev_monitor_get_fd(handles->monitor) < 0)
        return false;
    m_handles = std::move(handles);
    return true;
}

int UdevMediaMonitor::GetFd() const
{
    return m_handles ? udev_monitor_get_fd(m_handles->monitor) : -1;
}

std::vector<std::string> UdevMediaMonitor::ReceiveChangedNodes()
{
    std::vector<std::string> nodes;
    if (!m_handles)
        return nodes;
    // The monitor's socket does not block: receiving ends when nothing waits.
    while (udev_device* device = udev_monitor_receive_device(m_handles->monitor))
    {
        const char* node = udev_device_get_devnode(device);
        if (node != nullptr)
        {
            char resolved[PATH_MAX];
            // A removed node no longer resolves; its own path names it then.
            nodes.emplace_back(::realpath(node, resolved) != nullptr ? resolved : node);
        }
        udev_device_unref(device);
    }
    return nodes;
}
} // namespace qm::platform
