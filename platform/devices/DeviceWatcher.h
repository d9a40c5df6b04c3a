#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm::platform
{
// What happened to the medium of a drive.
enum class MediaEvent
{
    Arrived = 0,
    Removed = 1,
};

// Tells when a medium arrives in or leaves a CD drive. Drives are named as
// CdDriveRegistry names them (/dev/sr0, or a disc image's name). One notice
// may name several drives, in the registry's order.
class DeviceWatcher
{
public:
    // Called on the watcher's own thread, never on the caller of Start.
    using Callback = std::function<void(MediaEvent event, const std::vector<std::string>& drives)>;

    virtual ~DeviceWatcher() = default;

    // Starts watching; what the drives hold at this moment is the starting
    // point and is not reported. False when watching cannot start (then the
    // callback is never called). Starting twice fails.
    virtual bool Start(Callback callback) = 0;
    // Stops watching and waits until no callback runs any more. Safe to call
    // more than once and without Start.
    virtual void Stop() = 0;

protected:
    DeviceWatcher() = default;
};

// The watcher for this system: woken by the udev monitor when udevd runs,
// otherwise polling the drives.
std::unique_ptr<DeviceWatcher> CreateDeviceWatcher();
} // namespace qm::platform
