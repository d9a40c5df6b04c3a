#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/songlist/SongListFile.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/app/StartUp.h"
#include "ui/main/CTVMainWindow.h"

namespace
{
// Command lines come as argument arrays: every argument is one name.
TEST(CommandLine, ArgumentsAreNames)
{
    const juce::File here("/work/here");
    const struct
    {
        juce::StringArray arguments;
        juce::StringArray files;
    } cases[] = {
        {{}, {}},
        {{"/x/My List.QMPL"}, {"/x/My List.QMPL"}},
        {{"a.wav", "b.qmpl"}, {"/work/here/a.wav", "/work/here/b.qmpl"}},
        {{"", "x.qmpl"}, {"", "/work/here/x.qmpl"}},
        {{"tab\there.wav"}, {"/work/here/tab\there.wav"}},
        {{"\"quoted\".wav"}, {"/work/here/\"quoted\".wav"}},
        {{"../take.wav"}, {"/work/take.wav"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tavrel::commandLineFiles(c.arguments, here), c.files) << c.arguments.joinIntoString("|");
}

// After a crash: the leftover disc images and temporary files go; other
// names, link targets and full folders of that name stay.
TEST(Leftovers, OnlyTheProgramsOwn)
{
    namespace fs = std::filesystem;
    qm::test::TempFolder temp;
    qm::test::TempFolder elsewhere;
    const fs::path t = temp.path();
    fs::create_directories(t / "TavrelDiscImage_20240101120000" / "inner");
    std::ofstream(t / "TavrelDiscImage_20240101120000" / "inner" / "track.bin") << "x";
    std::ofstream(t / "TavrelTempFile.abc.tmp") << "x";
    std::ofstream(t / "TavrelTempFile.abcd.tmp") << "x";
    fs::create_directories(t / "TavrelTempFile.xyz.tmp" / "full");
    fs::create_directories(elsewhere.path() / "target");
    std::ofstream(elsewhere.path() / "target" / "keep.bin") << "x";
    fs::create_directory_symlink(elsewhere.path() / "target", t / "TavrelDiscImage_20240101120001");
    fs::create_directory_symlink(elsewhere.path() / "target", t / "TavrelTempFile.lnk.tmp");

    const juce::File folder(juce::String(t.string()));
    Tavrel::deleteLeftovers(folder, {folder.getFullPathName(), folder.getFullPathName(), "relative/ignored"});
    EXPECT_FALSE(fs::exists(t / "TavrelDiscImage_20240101120000"));
    EXPECT_FALSE(fs::exists(t / "TavrelTempFile.abc.tmp"));
    EXPECT_TRUE(fs::exists(t / "TavrelTempFile.abcd.tmp"));
    EXPECT_TRUE(fs::exists(t / "TavrelTempFile.xyz.tmp" / "full")) << "a folder only when empty";
    EXPECT_FALSE(fs::is_symlink(t / "TavrelTempFile.lnk.tmp")) << "the link goes";
    EXPECT_TRUE(fs::exists(elsewhere.path() / "target" / "keep.bin")) << "its target stays";
    EXPECT_TRUE(fs::is_symlink(t / "TavrelDiscImage_20240101120001")) << "a linked image is no image of ours";
}

TEST(MainWindowPlace, Centring)
{
    EXPECT_EQ(CTVMainWindow::placeOnArea({0, 0, 1280, 1024}, 699, 553, 0), juce::Rectangle<int>(290, 235, 699, 553));
    EXPECT_EQ(CTVMainWindow::placeOnArea({10, 20, 1280, 1024}, 699, 553, 21),
              juce::Rectangle<int>(300, 245, 699, 553));
    EXPECT_EQ(CTVMainWindow::captionFor({}, false), "untitled.qmpl - QUILLMARK");
    EXPECT_EQ(CTVMainWindow::captionFor(juce::File("/l/name.qmpl"), false), "name.qmpl - QUILLMARK");
    EXPECT_EQ(CTVMainWindow::captionFor(juce::File("/l/name.qmpl"), true), "name.qmpl* - QUILLMARK");
}

class MainWindow : public qm::test::ExportUiFixture
{
protected:
    MainWindow()
    {
        // The window registers the action manager's commands itself.
        commands->setFirstCommandTarget(nullptr);
        commands->clearCommands();
    }
};

// The saved height comes back within the limits; the width is the content's.
TEST_F(MainWindow, SizeComesBackWithinTheLimits)
{
    int fixedWidth = 0;
    int initialHeight = 0;
    {
        CTVMainWindow window(*host);
        fixedWidth = window.getWidth();
        initialHeight = window.getHeight();
        EXPECT_EQ(window.getContentComponent()->getBounds().getWidth(), 699);
        EXPECT_EQ(window.getContentComponent()->getHeight(), 533);
        EXPECT_EQ(window.getName(), "untitled.qmpl - QUILLMARK");
        window.setSize(fixedWidth, initialHeight + 40);
    }
    auto* preferences = CTVPreferences::GetInstance();
    EXPECT_EQ(preferences->GetInt("MainWindowHeight", 0), initialHeight + 40);
    {
        CTVMainWindow window(*host);
        EXPECT_EQ(window.getHeight(), initialHeight + 40);
    }
    const int tallest = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea.getHeight();
    for (const int saved : {0, -5, 5000})
    {
        preferences->SetInt("MainWindowWidth", 900);
        preferences->SetInt("MainWindowHeight", saved);
        CTVMainWindow window(*host);
        EXPECT_EQ(window.getWidth(), fixedWidth) << saved;
        EXPECT_GE(window.getHeight(), initialHeight) << saved;
        EXPECT_LE(window.getHeight(), juce::jmax(initialHeight, tallest)) << saved;
    }
    CTVPreferences::Release();
}

// Drops: one song list on an empty list opens it, on a non-empty list its
// songs are added in one undo step; nothing is taken during a session.
TEST_F(MainWindow, Drops)
{
    Named({"one"});
    const juce::File list(juce::String(folder.file("X.QMPL").string()));
    ASSERT_TRUE(Tavrel::writeSongListFile(host->tracks, list));
    ASSERT_TRUE(host->RemoveTracks(0, true, false, true));
    CTVMainWindow window(*host);
    ASSERT_TRUE(window.isInterestedInFileDrag({list.getFullPathName()}));
    window.filesDropped({list.getFullPathName()}, 0, 0);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 1; }, 10));
    EXPECT_EQ(commands->getNumTransactions(), 0) << "opened, not added";

    // The song list's name in capitals is a song list all the same.
    window.filesDropped({list.getFullPathName()}, 0, 0);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 2; }, 10));
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : " + Text("Action_AddAudioFiles"));

    host->SetMode(CTVHost::kSessionMode);
    EXPECT_FALSE(window.isInterestedInFileDrag({list.getFullPathName()}));
    window.filesDropped({list.getFullPathName()}, 0, 0);
    qm::test::PumpPosted();
    EXPECT_EQ(host->GetTrackCount(), 2);
    host->SetMode(CTVHost::kPlayerMode);
}
} // namespace
