#include "platform/files/FileSafety.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using qm::platform::RenameResult;
using qm::platform::ReplaceResult;

namespace
{
std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ReplaceResult replaceWith(const fs::path& path, const std::string& text)
{
    return qm::platform::replaceFile(path.string(), text.data(), text.size());
}
} // namespace

TEST(FileSafety, ReplacesKeepingPermissionsAndLinks)
{
    qm::test::TempFolder folder;
    const auto created = folder.file("new.qmpl");
    EXPECT_EQ(replaceWith(created, "first"), ReplaceResult::Ok);
    EXPECT_EQ(contentOf(created), "first");

    const auto kept = folder.file("kept.qmpl");
    put(kept, "old");
    ::chmod(kept.c_str(), 0640);
    EXPECT_EQ(replaceWith(kept, "new"), ReplaceResult::Ok);
    EXPECT_EQ(contentOf(kept), "new");
    struct stat info = {};
    ASSERT_EQ(::stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A link stays a link; the file it names gets the new content, also when
    // that file does not exist yet.
    const auto link = folder.file("link.qmpl");
    fs::create_symlink("kept.qmpl", link);
    EXPECT_EQ(replaceWith(link, "through the link"), ReplaceResult::Ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contentOf(kept), "through the link");
    const auto dangling = folder.file("dangling.qmpl");
    fs::create_symlink("named.qmpl", dangling);
    EXPECT_EQ(replaceWith(dangling, "made"), ReplaceResult::Ok);
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(contentOf(folder.file("named.qmpl")), "made");

    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"dangling.qmpl", "kept.qmpl", "link.qmpl", "named.qmpl", "new.qmpl"}));
}

TEST(FileSafety, RefusalsLeaveEverythingAsItWas)
{
    qm::test::TempFolder folder;
    fs::create_directory(folder.file("a folder"));
    ASSERT_EQ(::mkfifo(folder.file("a fifo").c_str(), 0600), 0);
    put(folder.file("read-only"), "kept");
    ::chmod(folder.file("read-only").c_str(), 0444);
    const auto before = namesIn(folder.path());

    const struct
    {
        fs::path target;
        ReplaceResult expected;
    } cases[] = {
        {folder.file("a folder"), ReplaceResult::NotAFile},
        {folder.file("a fifo"), ReplaceResult::NotAFile},
        {folder.file("read-only"), ReplaceResult::ReadOnly},
        {folder.file("no such folder") / "list.qmpl", ReplaceResult::CreateFailed},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.target.string());
        EXPECT_EQ(replaceWith(c.target, "new"), c.expected);
    }
    EXPECT_EQ(contentOf(folder.file("read-only")), "kept");
    EXPECT_EQ(namesIn(folder.path()), before);
}

TEST(FileSafety, AFullDiskKeepsTheOldFileAndLeavesNoSibling)
{
    qm::test::TempFolder folder;
    const auto target = folder.file("list.qmpl");
    put(target, "the user's list");
    {
        qm::test::ScopedFileSizeLimit limit(1000);
        ASSERT_TRUE(limit.isSet());
        EXPECT_EQ(replaceWith(target, std::string(5000, 'x')), ReplaceResult::WriteFailed);
    }
    EXPECT_EQ(contentOf(target), "the user's list");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"list.qmpl"});

    // A replacer given up half-way removes its sibling too.
    {
        qm::platform::SafeFileReplacer replacer;
        ASSERT_EQ(replacer.begin(target.string()), ReplaceResult::Ok);
        EXPECT_TRUE(replacer.write("part", 4));
        EXPECT_TRUE(
            qm::platform::isReplacementSiblingName(fs::path(replacer.siblingPath()).filename().string(), "list.qmpl"));
    }
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"list.qmpl"});
}

TEST(FileSafety, RenameNeverReplaces)
{
    qm::test::TempFolder folder;
    put(folder.file("part"), "new");
    put(folder.file("taken"), "old");
    EXPECT_EQ(qm::platform::renameNoReplace(folder.file("part").string(), folder.file("taken").string()),
              RenameResult::TargetExists);
    EXPECT_EQ(contentOf(folder.file("taken")), "old");
    EXPECT_EQ(contentOf(folder.file("part")), "new");
    EXPECT_EQ(qm::platform::renameNoReplace(folder.file("part").string(), folder.file("free").string()),
              RenameResult::Ok);
    EXPECT_EQ(contentOf(folder.file("free")), "new");
    EXPECT_FALSE(qm::platform::pathExists(folder.file("part").string()));
    EXPECT_EQ(qm::platform::renameNoReplace(folder.file("part").string(), folder.file("other").string()),
              RenameResult::Failed);
}
