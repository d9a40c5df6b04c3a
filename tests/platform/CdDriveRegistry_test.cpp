#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cd/CdDriveRegistry.h"
#include "platform/cd/CdTextPackData.h"
#include "platform/cd/CdToc.h"

using qm::platform::CdDriveRegistry;
using qm::platform::CdToc;

TEST(CdDriveRegistry, DeviceNodesSortNaturallyWithoutDuplicates)
{
    const std::vector<std::string> sorted =
        CdDriveRegistry::SortDeviceNames({"/dev/sr10", "/dev/sr2", "/dev/sr0", "/dev/sr2", "/dev/scd1"});
    EXPECT_EQ(sorted, (std::vector<std::string>{"/dev/scd1", "/dev/sr0", "/dev/sr2", "/dev/sr10"}));
}

TEST(CdDriveRegistry, ImagesAreNamedByCuePathWithoutExtensionAndMatchExactly)
{
    auto& registry = CdDriveRegistry::Instance();
    std::string sr1;
    ASSERT_TRUE(registry.RegisterImage("/tmp/qm-registry/sr1.cue", &sr1));
    EXPECT_EQ(sr1, "/tmp/qm-registry/sr1");
    EXPECT_FALSE(registry.RegisterImage("/tmp/qm-registry/sr2.bin"));
    EXPECT_FALSE(registry.RegisterImage(".cue"));

    EXPECT_TRUE(registry.IsDrive("/tmp/qm-registry/sr1"));
    EXPECT_TRUE(registry.IsDrive("/tmp/qm-registry/./sr1"));
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-registry/sr10"));
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-registry/sr"));
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-registry/sr1.cue"));
    EXPECT_FALSE(registry.IsDrive(""));
    EXPECT_EQ(registry.OpenDrive("/tmp/qm-registry/sr10"), nullptr);
    auto drive = registry.OpenDrive("/tmp/qm-registry/sr1");
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->GetName(), "/tmp/qm-registry/sr1");
    EXPECT_FALSE(drive->IsMediaPresent()); // no such files

    EXPECT_TRUE(registry.UnregisterImage("/tmp/qm-registry/sr1"));
    EXPECT_FALSE(registry.UnregisterImage("/tmp/qm-registry/sr1"));
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-registry/sr1"));
}

TEST(CdDriveRegistry, ImagesFromEnvironmentVariable)
{
    auto& registry = CdDriveRegistry::Instance();
    ASSERT_EQ(setenv(CdDriveRegistry::kImagesVariable,
                     "/tmp/qm-env/a.cue::/tmp/qm-env/b.CUE:/tmp/qm-env/c.bin:/tmp/qm-env/a.cue", 1),
              0);
    const auto names = registry.GetDriveNames();
    int a = 0;
    for (const auto& name : names)
        a += name == "/tmp/qm-env/a";
    EXPECT_EQ(a, 1);
    EXPECT_TRUE(registry.IsDrive("/tmp/qm-env/b"));
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-env/c"));
    unsetenv(CdDriveRegistry::kImagesVariable);
    EXPECT_FALSE(registry.IsDrive("/tmp/qm-env/a"));
}

TEST(CdToc, DiscIdFollowsTheCddbFormula)
{
    auto toc = [](std::vector<int32_t> starts, int32_t leadOut) {
        CdToc result;
        int number = 1;
        for (int32_t start : starts)
            result.tracks.push_back({number++, start, true, 1});
        result.leadOutLsn = leadOut;
        return result;
    };
    struct Case
    {
        CdToc toc;
        uint32_t id;
    };
    const Case cases[] = {
        // (0 + 150) / 75 = 2, (225 + 150) / 75 = 5; 375 / 75 = 5 seconds; 2 tracks.
        {toc({0, 225}, 375), 0x07000502u},
        // 2, (22350 + 150) / 75 = 300 -> 3, (45000 + 150) / 75 = 602 -> 8: 13; length 900 s.
        {toc({0, 22350, 45000}, 67500), (13u << 24) | (900u << 8) | 3u},
        // A first track at a later start: the length counts from it.
        {toc({150, 300}, 750), ((4u + 6u) << 24) | (8u << 8) | 2u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.toc.DiscId(), c.id);
    EXPECT_EQ(CdToc{}.DiscId(), 0u);
}

TEST(CdToc, ValidityOfLayouts)
{
    CdToc toc;
    EXPECT_FALSE(toc.IsValid());
    toc.tracks = {{1, 0, true, 1}, {2, 225, true, 1}};
    toc.leadOutLsn = 375;
    EXPECT_TRUE(toc.IsValid());
    toc.leadOutLsn = 225;
    EXPECT_FALSE(toc.IsValid());
    toc.leadOutLsn = 375;
    toc.tracks[1].startLsn = 0;
    EXPECT_FALSE(toc.IsValid());
}

TEST(CdTextPackData, PackFilesWithHeaderOrTrailingZero)
{
    std::vector<uint8_t> packs(36);
    for (size_t i = 0; i < packs.size(); ++i)
        packs[i] = uint8_t(0x80 + i);
    std::vector<uint8_t> withHeader = {0x00, 38, 0, 0};
    withHeader.insert(withHeader.end(), packs.begin(), packs.end());
    std::vector<uint8_t> withZero = packs;
    withZero.push_back(0);
    std::vector<uint8_t> partial = packs;
    partial.insert(partial.end(), {1, 2, 3, 4, 5});
    std::vector<uint8_t> wrongHeader = withHeader;
    wrongHeader[1] = 37; // not a header: its length does not fit

    EXPECT_EQ(qm::platform::PacksFromPackFile(packs), packs);
    EXPECT_EQ(qm::platform::PacksFromPackFile(withHeader), packs);
    EXPECT_EQ(qm::platform::PacksFromPackFile(withZero), packs);
    EXPECT_EQ(qm::platform::PacksFromPackFile(partial), packs);
    EXPECT_EQ(qm::platform::PacksFromPackFile(wrongHeader).size(), 36u);
    EXPECT_EQ(qm::platform::PacksFromPackFile(wrongHeader)[0], 0x00);
    EXPECT_TRUE(qm::platform::PacksFromPackFile({}).empty());
}
