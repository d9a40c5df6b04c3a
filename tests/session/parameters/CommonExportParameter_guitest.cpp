#include "session/parameters/CommonExportParameter.h"

#include "tests/session/parameters/SettingsFixture.h"

using Tavrel::CommonExportParameter;

namespace
{
using CommonSettings = qm::test::SettingsFixture;

TEST_P(CommonSettings, AFreshSet)
{
    CommonExportParameter set;
    Bind(set);
    EXPECT_EQ(set.getSelectedIndex(CommonExportParameter::kSource), 0);
    EXPECT_EQ(set.getSelectedIndex(CommonExportParameter::kDsdFilter), 2);
    EXPECT_EQ(set.getChoiceValue(CommonExportParameter::kDsdFilter), 0);
    EXPECT_EQ(set.getSelectedIndex(CommonExportParameter::kNormalizeMode), 0);
    EXPECT_EQ(set.getSelectedIndex(CommonExportParameter::kDitherType), 0);
    EXPECT_EQ(set.getItemText(CommonExportParameter::kTempDirectory),
              juce::File::getSpecialLocation(juce::File::tempDirectory).getFullPathName());
    EXPECT_EQ(set.getChoiceValues(CommonExportParameter::kDsdFilter), (juce::Array<int>{2, 1, 0}));
    EXPECT_EQ(set.getChoiceTexts(CommonExportParameter::kDsdFilter)[0], "Off");
}

TEST_P(CommonSettings, SelectedSongsNeedASelection)
{
    CTVPreferences::GetStoredInstance()->SetInt("Export_Common_Source", 1);
    struct Case
    {
        bool songSelected;
        int loaded;
    };
    for (const Case c : {Case{false, 0}, Case{true, 1}})
    {
        SCOPED_TRACE(c.songSelected);
        selection.clear();
        if (c.songSelected)
            selection.addRange({0, 1});
        CommonExportParameter set;
        Bind(set);
        EXPECT_EQ(set.getEnabledChoices(CommonExportParameter::kSource)[1], c.songSelected);
        set.loadFromRegistry();
        Settle();
        EXPECT_EQ(set.getChoiceValue(CommonExportParameter::kSource), c.loaded);
    }
}

TEST_P(CommonSettings, TheTemporaryFolder)
{
    const juce::String temp = CommonExportParameter::getSystemTempFolder();
    const juce::File mine(folder.file("work").string());
    ASSERT_TRUE(mine.createDirectory());
    struct Case
    {
        juce::String stored;
        juce::String loaded;
    };
    const Case cases[] = {
        {mine.getFullPathName(), mine.getFullPathName()},
        {folder.file("gone").string(), temp},
        {"relative/folder", temp},
        {"", temp},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.stored);
        CTVPreferences::GetStoredInstance()->SetString("Export_Disc_TempDirectory", c.stored);
        CommonExportParameter set;
        Bind(set);
        set.loadFromRegistry();
        Settle();
        EXPECT_EQ(set.getItemText(CommonExportParameter::kTempDirectory), c.loaded);
    }
}

TEST_P(CommonSettings, RecentFoldersAndStoredValues)
{
    CommonExportParameter set;
    Bind(set);
    juce::StringArray twelve;
    for (int i = 0; i < 12; ++i)
        twelve.add("/folder" + juce::String(i));
    set.setRecentFolders(twelve);
    // Off: value 2 at index 0.
    ASSERT_TRUE(set.selectChoiceByValue(CommonExportParameter::kDsdFilter, 2));
    set.saveToRegistry();
    ReopenSettings();
    CTVPreferences* prefs = CTVPreferences::GetStoredInstance();
    EXPECT_EQ(prefs->GetString("Export_Disc_TempDirectory_9", "<none>"), "/folder9");
    EXPECT_EQ(prefs->GetString("Export_Disc_TempDirectory_10", "<none>"), "<none>");
    EXPECT_EQ(prefs->GetInt("Export_Common_DsdFilter", -1), 2) << "the value, not the index";

    // A shorter list saved later does not get the old tail back.
    set.setRecentFolders({"/a", "/b", "/c", "/d", "/e"});
    set.saveToRegistry();
    set.setRecentFolders({"/x", "/y", "/x", "/z"});
    set.saveToRegistry();
    ReopenSettings();
    CommonExportParameter loaded;
    loaded.loadFromRegistry();
    EXPECT_EQ(loaded.getRecentFolders(), (juce::StringArray{"/x", "/y", "/z"})) << "a repeat is skipped";
    EXPECT_EQ(loaded.getChoiceValue(CommonExportParameter::kDsdFilter), 2);

    // A copy keeps values and folders, not listeners or controls.
    const CommonExportParameter copy(loaded);
    EXPECT_EQ(copy.getRecentFolders(), loaded.getRecentFolders());
    EXPECT_EQ(copy.getSelectedIndex(CommonExportParameter::kDsdFilter), 0);
}

INSTANTIATE_TEST_SUITE_P(Export, CommonSettings, ::testing::Bool(), qm::test::BareOrBound);
} // namespace
