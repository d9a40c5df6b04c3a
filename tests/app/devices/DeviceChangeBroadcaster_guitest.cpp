#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <chrono>
#include <functional>
#include <thread>

#include "app/devices/DeviceChangeBroadcaster.h"
#include "platform/cd/CdDriveRegistry.h"
#include "platform/devices/CdMediaWatcher.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/TempFolder.h"

using qm::platform::MediaEvent;

namespace
{
using qm::test::PumpUntil;

// Stands in for the system's watcher: a test hands it notices, which it
// delivers from a thread of its own as the real one does.
class FakeWatcher final : public qm::platform::DeviceWatcher
{
public:
    bool Start(Callback callback) override
    {
        m_callback = std::move(callback);
        return true;
    }
    void Stop() override { m_callback = nullptr; }

    void Notify(MediaEvent event, const std::vector<std::string>& drives)
    {
        std::thread([&] { m_callback(event, drives); }).join();
    }

private:
    Callback m_callback;
};

struct Received
{
    int tag;
    int event;
    juce::String drive;
    bool operator==(const Received&) const = default;
};

class Listener final : public juce::MessageListener
{
public:
    void handleMessage(const juce::Message& message) override
    {
        if (const auto* change = dynamic_cast<const DeviceChangeMessage*>(&message))
            received.push_back({change->tag, change->event, change->drive});
    }
    std::vector<Received> received;
};

std::unique_ptr<DeviceChangeBroadcaster> MakeBroadcaster(FakeWatcher*& watcher)
{
    auto fake = std::make_unique<FakeWatcher>();
    watcher = fake.get();
    return std::make_unique<DeviceChangeBroadcaster>(std::move(fake));
}
} // namespace

TEST(DeviceChangeBroadcaster, EveryDriveOfANoticeReachesEveryListenerInOrder)
{
    FakeWatcher* watcher = nullptr;
    auto broadcaster = MakeBroadcaster(watcher);
    Listener controller, sheet;
    broadcaster->addListener(&controller, 1);
    broadcaster->addListener(&sheet, 0);

    watcher->Notify(MediaEvent::Removed, {"/dev/sr0", "/tmp/images/disc"});
    watcher->Notify(MediaEvent::Arrived, {"/dev/sr1"});
    ASSERT_TRUE(PumpUntil([&] { return controller.received.size() == 3 && sheet.received.size() == 3; }));
    EXPECT_EQ(controller.received, (std::vector<Received>{{1, DeviceChangeMessage::kMediaRemoved, "/dev/sr0"},
                                                          {1, DeviceChangeMessage::kMediaRemoved, "/tmp/images/disc"},
                                                          {1, DeviceChangeMessage::kMediaArrived, "/dev/sr1"}}));
    EXPECT_EQ(sheet.received, (std::vector<Received>{{0, DeviceChangeMessage::kMediaRemoved, "/dev/sr0"},
                                                     {0, DeviceChangeMessage::kMediaRemoved, "/tmp/images/disc"},
                                                     {0, DeviceChangeMessage::kMediaArrived, "/dev/sr1"}}));
    broadcaster->removeListener(&controller);
    broadcaster->removeListener(&sheet);
}

TEST(DeviceChangeBroadcaster, RegistrationKeepsTheFirstTagAndEndsWithRemoval)
{
    FakeWatcher* watcher = nullptr;
    auto broadcaster = MakeBroadcaster(watcher);
    Listener twice, removed, last;
    auto gone = std::make_unique<Listener>();
    broadcaster->addListener(&twice, 1);
    broadcaster->addListener(&twice, 5);
    broadcaster->addListener(&removed, 0);
    broadcaster->addListener(gone.get(), 0);
    broadcaster->removeListener(&removed);
    broadcaster->addListener(&last, 7);

    watcher->Notify(MediaEvent::Arrived, {"/dev/sr0"});
    // Messages posted to a listener that is destroyed before they are
    // delivered are dropped.
    broadcaster->removeListener(gone.get());
    gone.reset();
    // The queue delivers in order, so once the last listener has its message
    // every earlier one has been delivered.
    ASSERT_TRUE(PumpUntil([&] { return !last.received.empty(); }));
    EXPECT_EQ(twice.received, (std::vector<Received>{{1, DeviceChangeMessage::kMediaArrived, "/dev/sr0"}}));
    EXPECT_TRUE(removed.received.empty());
    EXPECT_EQ(last.received, (std::vector<Received>{{7, DeviceChangeMessage::kMediaArrived, "/dev/sr0"}}));
    broadcaster->removeListener(&twice);
    broadcaster->removeListener(&last);
}

TEST(DeviceChangeBroadcaster, PollingWatcherReportsAnImageDisc)
{
    qm::test::TempFolder folder;
    const std::string name = qm::test::WriteCdImage(folder.path(), "disc", {{true, 75}});
    auto& registry = qm::platform::CdDriveRegistry::Instance();
    DeviceChangeBroadcaster broadcaster(std::make_unique<qm::platform::CdMediaWatcher>(std::chrono::milliseconds(20)));
    Listener listener;
    broadcaster.addListener(&listener, 1);

    registry.RegisterImage(name + ".cue");
    ASSERT_TRUE(PumpUntil([&] { return listener.received.size() == 1; }));
    registry.UnregisterImage(name);
    ASSERT_TRUE(PumpUntil([&] { return listener.received.size() == 2; }));
    const juce::String drive = juce::String::fromUTF8(name.c_str());
    EXPECT_EQ(listener.received, (std::vector<Received>{{1, DeviceChangeMessage::kMediaArrived, drive},
                                                        {1, DeviceChangeMessage::kMediaRemoved, drive}}));
    broadcaster.removeListener(&listener);
}

TEST(DeviceChangeBroadcaster, ProcessWideInstanceIsNotMadeAgainAfterDeletion)
{
    DeviceChangeBroadcaster* instance = DeviceChangeBroadcaster::getInstance();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(DeviceChangeBroadcaster::getInstance(), instance);
    delete instance;
    EXPECT_EQ(DeviceChangeBroadcaster::getInstance(), nullptr);
}
