#include "platform/devices/CdMediaWatcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

#include "platform/cd/CdDeviceDrive.h"
#include "platform/cd/CdDriveRegistry.h"
#include "platform/devices/UdevMediaMonitor.h"

namespace qm::platform
{
CdMediaWatcher::CdMediaWatcher(std::chrono::milliseconds interval, std::unique_ptr<UdevMediaMonitor> monitor)
    : m_interval(std::max(interval, std::chrono::milliseconds(1))),
      m_monitor(std::move(monitor))
{
}

CdMediaWatcher::~CdMediaWatcher()
{
    Stop();
}

bool CdMediaWatcher::Start(Callback callback)
{
    if (m_thread.joinable() || m_wakeFd >= 0 || !callback)
        return false;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return false;
    m_callback = std::move(callback);
    m_stopping = false;
    Scan({}, false);
    try
    {
        m_thread = std::thread([this] { Run(); });
    }
    catch (const std::system_error&)
    {
        ::close(m_wakeFd);
        m_wakeFd = -1;
        m_callback = nullptr;
        return false;
    }
    return true;
}

void CdMediaWatcher::Stop()
{
    if (m_thread.joinable())
    {
        m_stopping = true;
        const uint64_t one = 1;
        // The counter cannot overflow from a handful of wake-ups, so the
        // write succeeds; the flag is checked on every turn anyway.
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    if (m_wakeFd >= 0)
    {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
    m_callback = nullptr;
}

void CdMediaWatcher::Run()
{
    std::set<std::string> changed;
    while (Wait(changed))
    {
        Scan(changed, true);
        changed.clear();
    }
}

bool CdMediaWatcher::Wait(std::set<std::string>& changed)
{
    const int monitorFd = m_monitor ? m_monitor->GetFd() : -1;
    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {monitorFd, POLLIN, 0}};
    const nfds_t count = monitorFd >= 0 ? 2 : 1;
    const auto deadline = std::chrono::steady_clock::now() + m_interval;
    for (;;)
    {
        if (m_stopping)
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int result = ::poll(fds, count, int(std::max<int64_t>(left.count(), 0)));
        if (result < 0 && errno == EINTR)
            continue;
        if (m_stopping || (result > 0 && (fds[0].revents & POLLIN) != 0))
            return false;
        if (result > 0 && count == 2 && fds[1].revents != 0)
        {
            if ((fds[1].revents & POLLIN) == 0)
            {
                // The monitor's socket broke: go on polling without it.
                m_monitor.reset();
                return true;
            }
            for (auto& node : m_monitor->ReceiveChangedNodes())
                changed.insert(std::move(node));
        }
        return true;
    }
}

void CdMediaWatcher::Scan(const std::set<std::string>& changed, bool report)
{
    auto& registry = CdDriveRegistry::Instance();
    for (const auto& node : changed)
        m_recheck[node] = kRecheckIntervals;
    std::vector<DriveState> now;
    std::vector<std::string> arrived;
    std::vector<std::string> removed;
    for (auto& name : registry.GetDriveNames())
    {
        const auto previous = std::find_if(m_drives.begin(), m_drives.end(),
                                           [&name](const DriveState& state) { return state.name == name; });
        const bool known = previous != m_drives.end();
        const bool wasPresent = known && previous->present;
        bool present;
        auto drive = registry.OpenDrive(name);
        const bool isDevice = dynamic_cast<const CdDeviceDrive*>(drive.get()) != nullptr;
        if (m_monitor && isDevice && known && m_recheck.count(name) == 0)
            present = wasPresent; // udev reported no change of this node lately
        else
            present = drive != nullptr && drive->IsMediaPresent();
        if (present && !wasPresent)
            arrived.push_back(name);
        else if (!present && wasPresent)
            removed.push_back(name);
        now.push_back({std::move(name), present});
    }
    // Drives that left the list take their media with them.
    for (const auto& state : m_drives)
    {
        const bool listed = std::any_of(now.begin(), now.end(),
                                        [&state](const DriveState& current) { return current.name == state.name; });
        if (!listed && state.present)
            removed.push_back(state.name);
    }
    m_drives = std::move(now);
    for (auto it = m_recheck.begin(); it != m_recheck.end();)
        it = --it->second <= 0 ? m_recheck.erase(it) : std::next(it);
    if (!report)
        return;
    if (!arrived.empty())
        m_callback(MediaEvent::Arrived, arrived);
    if (!removed.empty())
        m_callback(MediaEvent::Removed, removed);
}
} // namespace qm::platform
