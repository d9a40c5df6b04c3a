#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include <chrono>

#include "platform/desktop/DesktopOpener.h"
#include "tests/support/TempFolder.h"

using qm::platform::DesktopOpenResult;
using qm::platform::openWithDesktop;

namespace
{
class DesktopOpener : public ::testing::Test
{
protected:
    // An executable shell script in the temporary folder.
    std::string Script(const std::string& name, const std::string& body)
    {
        const juce::File file(folder.file(name).string());
        EXPECT_TRUE(file.replaceWithText("#!/bin/sh\n" + body + "\n", false, false, "\n"));
        EXPECT_TRUE(file.setExecutePermission(true));
        return file.getFullPathName().toStdString();
    }

    qm::test::TempFolder folder;
};

TEST_F(DesktopOpener, TheDocumentIsOneArgumentAndNeverSeenByAShell)
{
    const std::string record = folder.file("args.txt").string();
    const std::string opener = Script("opener", "for a in \"$@\"; do printf '%s|' \"$a\" >> '" + record + "'; done");
    // Blanks, quotes, a semicolon and a dollar stay inside the one argument.
    const std::string document = folder.file("Users Guide 'a'; $(touch x) \"b\".pdf").string();
    EXPECT_EQ(openWithDesktop(document, opener), DesktopOpenResult::Opened);
    EXPECT_EQ(juce::File(record).loadFileAsString().toStdString(), document + "|");
    EXPECT_FALSE(juce::File(folder.file("x").string()).exists());
}

TEST_F(DesktopOpener, FailuresAndSlowOpeners)
{
    const std::string document = folder.file("guide.pdf").string();
    EXPECT_EQ(openWithDesktop(document, Script("fails", "exit 3")), DesktopOpenResult::Failed);
    // A program that cannot be executed ends the child at once.
    EXPECT_EQ(openWithDesktop(document, folder.file("no-such-opener").string()), DesktopOpenResult::Failed);
    EXPECT_EQ(openWithDesktop("relative.pdf", Script("ok", "exit 0")), DesktopOpenResult::CannotStart);
    EXPECT_EQ(openWithDesktop(document, ""), DesktopOpenResult::CannotStart);

    // Still running at the end of the wait counts as opened, and the call
    // does not wait for it; it prints freely (no pipe to fill).
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(openWithDesktop(document, Script("slow", "yes | head -c 1000000; sleep 5"), 200),
              DesktopOpenResult::Opened);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}
} // namespace
