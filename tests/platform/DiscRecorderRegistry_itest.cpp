#include <gtest/gtest.h>

#include <filesystem>

#include "platform/burn/CdTextPackWriter.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/burn/LibburnRecorders.h"

using namespace qm::platform;

namespace
{
bool MachineHasOpticalDrive()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error))
        if (entry.path().filename().string().rfind("sr", 0) == 0)
            return true;
    return false;
}
} // namespace

// The optical-drive back end on a machine without drives: the library
// starts, its scan finds nothing, and no drive can be opened.
TEST(DiscRecorderRegistry, FindsNoOpticalDriveWhereThereIsNone)
{
    if (MachineHasOpticalDrive())
        GTEST_SKIP() << "this machine has an optical drive";
    auto& registry = DiscRecorderRegistry::Instance();
    ASSERT_TRUE(registry.Start());
    ASSERT_TRUE(registry.Start()); // a second user
    std::string image;
    ASSERT_TRUE(registry.RegisterImageTarget("/nonexistent/target", {}, &image));

    const auto recorders = registry.ScanRecorders();
    ASSERT_EQ(recorders.size(), 1u);
    EXPECT_EQ(recorders[0].name, image);
    EXPECT_EQ(registry.OpenRecorder("/dev/sr0"), nullptr);
    EXPECT_EQ(registry.OpenRecorder(""), nullptr);

    // CD-TEXT packs are built while the library is in use and after it ended.
    RecorderDisc disc;
    disc.albumTitle = "Album";
    disc.tracks.resize(1);
    std::vector<uint8_t> packs;
    EXPECT_TRUE(BuildCdTextPacks(disc, packs));
    EXPECT_FALSE(packs.empty());
    registry.Shutdown();
    registry.Shutdown();
    registry.Shutdown(); // one too many: ignored
    EXPECT_TRUE(BuildCdTextPacks(disc, packs));
    EXPECT_EQ(libburn::Open("/dev/sr0"), nullptr);
    registry.UnregisterImageTarget(image);
}
