#include "app/core/CTVPreferences.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <optional>
#include <string>
#include <sys/stat.h>

using qm::test::ScopedEnv;

namespace
{
class Preferences : public ::testing::Test
{
protected:
    qm::test::TempFolder folder;
    ScopedEnv config{"XDG_CONFIG_HOME", folder.path().string()};

    std::filesystem::path SettingsPath() const { return folder.file("Quillmark") / "Quillmark.settings"; }
};
} // namespace

TEST_F(Preferences, FirstStartCreatesTheFileAndReadsDefaults)
{
    CTVPreferences* prefs = CTVPreferences::GetInstance();
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(prefs->IsOpen());
    EXPECT_TRUE(std::filesystem::is_regular_file(SettingsPath()));
    EXPECT_EQ(prefs->GetInt("AppHasNormallyQuit", 7), 7);
    EXPECT_EQ(prefs->GetString("RecentSonglist_0", "none"), "none");
    CTVPreferences::Release();
}

TEST_F(Preferences, ValuesAreOnDiskAtOnceAndReadBackWhole)
{
    juce::String longText;
    for (int i = 0; i < 3000; ++i)
        longText << juce::String::charToString(juce::juce_wchar(i % 3 == 0 ? 0x3042 : 'a' + i % 26));
    juce::String xmlLooking = "<Strings Language=\"en\"><a Text='x'/></Strings>";

    CHfcPreferences writer;
    ASSERT_TRUE(writer.Open());
    writer.SetInt("PlayerMode", 2);
    writer.SetInt("Negative", -5);
    writer.SetString("RecentSonglist_0", longText);
    writer.SetString("Export_File_OutputPath", "");
    writer.SetString("Xml", xmlLooking);

    // A second reader of the file, while the writer still lives, sees every
    // value: nothing waits for a later save.
    CHfcPreferences reader;
    ASSERT_TRUE(reader.Open());
    EXPECT_EQ(reader.GetInt("PlayerMode", 0), 2);
    EXPECT_EQ(reader.GetInt("playermode", 0), 2) << "value names ignore case";
    EXPECT_EQ(reader.GetInt("Negative", 0), -5);
    EXPECT_EQ(reader.GetString("RecentSonglist_0", "default"), longText) << "a text of any length reads back";
    EXPECT_EQ(reader.GetString("Export_File_OutputPath", "default"), "") << "an empty text is a value";
    EXPECT_EQ(reader.GetString("Xml", ""), xmlLooking);
    EXPECT_EQ(reader.GetInt("RecentSonglist_0", 9), 9) << "a text is not a number";
}

TEST_F(Preferences, WithoutAUsableFileReadsGiveDefaultsAndWritesDoNothing)
{
    // A settings folder below a regular file cannot be made.
    std::ofstream(folder.file("plain")) << "x";
    ScopedEnv blocked{"XDG_CONFIG_HOME", folder.file("plain").string()};

    CTVPreferences* prefs = CTVPreferences::GetInstance();
    ASSERT_NE(prefs, nullptr);
    EXPECT_FALSE(prefs->IsOpen());
    prefs->SetInt("PlayerMode", 2);
    prefs->SetString("RecentSonglist_0", "x");
    EXPECT_EQ(prefs->GetInt("PlayerMode", 1), 1);
    EXPECT_EQ(prefs->GetString("RecentSonglist_0", "default"), "default");
    juce::String untouched = "untouched";
    prefs->ReadString("RecentSonglist_0", untouched, "default");
    EXPECT_EQ(untouched, "untouched");
    CTVPreferences::Release();
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("plain")));
}

TEST_F(Preferences, SettingsFolderFollowsTheEnvironment)
{
    ScopedEnv home{"HOME", folder.file("home").string()};
    struct Case
    {
        std::optional<std::string> xdg;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {folder.file("cfg").string(), folder.file("cfg") / "Quillmark" / "Quillmark.settings"},
        {std::nullopt, folder.file("home") / ".config" / "Quillmark" / "Quillmark.settings"},
        {std::string(""), folder.file("home") / ".config" / "Quillmark" / "Quillmark.settings"},
        {std::string("relative/cfg"), folder.file("home") / ".config" / "Quillmark" / "Quillmark.settings"},
    };
    for (const auto& c : cases)
    {
        ScopedEnv xdg{"XDG_CONFIG_HOME", c.xdg};
        EXPECT_EQ(CHfcPreferences::GetSettingsFile().getFullPathName().toStdString(), c.expected.string())
            << (c.xdg ? *c.xdg : "(unset)");
    }
}

// The settings are read at start-up, before anything could report a problem:
// a file the XML parser would loop on is kept aside and the program starts
// with its defaults; a FIFO named as the file gives no settings, without
// blocking.
TEST_F(Preferences, AFileThatCouldHangTheStartIsSetAside)
{
    std::filesystem::create_directories(SettingsPath().parent_path());
    const std::string hanging = "<PROPERTIES><?x?>text</PROPERTIES>";
    std::ofstream(SettingsPath()) << hanging;
    std::ofstream(SettingsPath().string() + ".damaged") << "an older one";

    CHfcPreferences prefs;
    ASSERT_TRUE(prefs.Open());
    EXPECT_EQ(prefs.GetInt("PlayerMode", 1), 1);
    prefs.SetInt("PlayerMode", 2);
    prefs.Close();
    std::ifstream aside(SettingsPath().string() + ".damaged-2");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), hanging);
    ASSERT_TRUE(prefs.Open());
    EXPECT_EQ(prefs.GetInt("PlayerMode", 1), 2);
    prefs.Close();

    std::filesystem::remove(SettingsPath());
    ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
    EXPECT_FALSE(prefs.Open());
}
