#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/cd/CdDriveRegistry.h"
#include "platform/devices/CdMediaWatcher.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::platform::CdMediaWatcher;
using qm::platform::MediaEvent;

namespace
{
struct Notice
{
    MediaEvent event;
    std::vector<std::string> drives;
    bool operator==(const Notice&) const = default;
};

// Collects what a watcher reports, on the watcher's thread.
class Notices
{
public:
    qm::platform::DeviceWatcher::Callback Callback()
    {
        return [this](MediaEvent event, const std::vector<std::string>& drives) {
            std::lock_guard lock(m_lock);
            m_notices.push_back({event, drives});
        };
    }

    std::vector<Notice> Get()
    {
        std::lock_guard lock(m_lock);
        return m_notices;
    }

    // Waits (generously) until `count` notices have come.
    bool WaitForCount(size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (Get().size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    std::mutex m_lock;
    std::vector<Notice> m_notices;
};

std::string WriteImage(const qm::test::TempFolder& folder, const std::string& name)
{
    return qm::test::WriteCdImage(folder.path(), name, {{true, 75}});
}
} // namespace

TEST(CdMediaWatcher, SeesAnImageMediumComeAndGo)
{
    qm::test::TempFolder folder;
    const std::string name = WriteImage(folder, "disc");
    auto& registry = CdDriveRegistry::Instance();

    Notices notices;
    CdMediaWatcher watcher(std::chrono::milliseconds(20));
    ASSERT_TRUE(watcher.Start(notices.Callback()));
    EXPECT_FALSE(watcher.Start(notices.Callback()));

    // A drive that appears with its medium, the medium taken out and put
    // back, and the drive going away with its medium.
    std::vector<Notice> expected;
    const std::vector<std::pair<std::function<void()>, MediaEvent>> steps = {
        {[&] { registry.RegisterImage(name + ".cue"); }, MediaEvent::Arrived},
        {[&] { std::filesystem::remove(name + ".bin"); }, MediaEvent::Removed},
        {[&] { WriteImage(folder, "disc"); }, MediaEvent::Arrived},
        {[&] { registry.UnregisterImage(name); }, MediaEvent::Removed},
    };
    for (const auto& [change, event] : steps)
    {
        change();
        expected.push_back({event, {name}});
        ASSERT_TRUE(notices.WaitForCount(expected.size()));
        EXPECT_EQ(notices.Get(), expected);
    }
    watcher.Stop();
    watcher.Stop();
}

TEST(CdMediaWatcher, MediaPresentAtStartAreNotReported)
{
    qm::test::TempFolder folder;
    auto& registry = CdDriveRegistry::Instance();
    std::string before, after;
    registry.RegisterImage(WriteImage(folder, "before") + ".cue", &before);

    Notices notices;
    {
        CdMediaWatcher watcher(std::chrono::milliseconds(20));
        ASSERT_TRUE(watcher.Start(notices.Callback()));
        registry.RegisterImage(WriteImage(folder, "after") + ".cue", &after);
        ASSERT_TRUE(notices.WaitForCount(1));
        // Any report of the first image would have come no later than this
        // one, in the same look at the drives or an earlier one.
    }
    EXPECT_EQ(notices.Get(), (std::vector<Notice>{{MediaEvent::Arrived, {after}}}));
    registry.UnregisterImage(before);
    registry.UnregisterImage(after);
}
