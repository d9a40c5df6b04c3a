#include "session/parameters/ExportParameter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CTVPreferences.h"
#include "tests/session/TestExportParameter.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

using Item = TestExportParameter::Item;
using Log = std::vector<std::string>;

TEST(ExportParameter, AFreshSetHasNoChoiceAndNoText)
{
    TestExportParameter set(false);
    for (int item : {Item::kFormat, Item::kRate, Item::kUnstored})
    {
        EXPECT_EQ(set.getSelectedIndex(item), -1);
        EXPECT_EQ(set.getChoiceValue(item), 0);
        EXPECT_EQ(set.getItemText(item), "");
    }
    EXPECT_EQ(set.getItemText(Item::kFolder), "");
    // Items that do not exist, and the text item as a choice.
    for (int item : {-1, 4, 100, static_cast<int>(Item::kFolder)})
    {
        EXPECT_EQ(set.getSelectedIndex(item), -1) << item;
        EXPECT_EQ(set.getChoiceValue(item), 0) << item;
        EXPECT_FALSE(set.setChoice(item, 0)) << item;
    }
    EXPECT_FALSE(set.setItemText("x", -1));
    EXPECT_FALSE(set.setItemText("x", 4));
}

TEST(ExportParameter, AChoiceIsValidatedStoredAnnouncedThenCascades)
{
    TestExportParameter set;
    ParameterLog listener(set.log);
    set.AddListener(&listener);

    ASSERT_TRUE(set.setChoice(Item::kRate, 2));
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 96000);
    EXPECT_EQ(set.getItemText(Item::kRate), "96.0 kHz");
    set.log.clear();

    // MP3 takes no 96 kHz: the rate falls to the lowest enabled one, after
    // the listeners heard of the format.
    ASSERT_TRUE(set.setChoice(Item::kFormat, 2));
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 44100);
    EXPECT_EQ(set.log, (Log{"changed 0", "itemChanged 0", "changed 1", "itemChanged 1"}));

    // A disabled choice is corrected; re-selecting the current choice runs
    // the whole sequence again.
    set.log.clear();
    ASSERT_TRUE(set.setChoice(Item::kRate, 2));
    EXPECT_EQ(set.getSelectedIndex(Item::kRate), 0);
    EXPECT_EQ(set.log, (Log{"changed 1", "itemChanged 1"}));

    // Nothing enabled: rejected, nothing changes and nobody hears of it.
    set.disabledFormats = {0, 1, TestExportParameter::kMp3};
    set.log.clear();
    EXPECT_FALSE(set.setChoice(Item::kFormat, 0));
    EXPECT_EQ(set.getSelectedIndex(Item::kFormat), 2);
    EXPECT_TRUE(set.log.empty());
    set.RemoveListener(&listener);
}

TEST(ExportParameter, SelectingByValueFallsBackToRevalidatingTheCurrentChoice)
{
    TestExportParameter set;
    EXPECT_TRUE(set.selectChoiceByValue(Item::kFormat, TestExportParameter::kMp3));
    EXPECT_EQ(set.getSelectedIndex(Item::kFormat), 2);

    // A value not offered keeps the current choice, re-validated.
    set.log.clear();
    EXPECT_TRUE(set.selectChoiceByValue(Item::kFormat, 99));
    EXPECT_EQ(set.getSelectedIndex(Item::kFormat), 2);
    EXPECT_EQ(set.log, (Log{"itemChanged 0", "itemChanged 1"}));

    // ... which moves it when it has become disabled, or fails when nothing
    // can be chosen.
    set.disabledFormats = {TestExportParameter::kMp3};
    EXPECT_TRUE(set.selectChoiceByValue(Item::kFormat, 99));
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 0);
    set.disabledFormats = {0, 1, TestExportParameter::kMp3};
    EXPECT_FALSE(set.selectChoiceByValue(Item::kFormat, 1));
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 0);
}

TEST(ExportParameter, TextsSelectChoicesExactlyAndPassTheSetsCheck)
{
    TestExportParameter set;
    ParameterLog listener(set.log);
    set.AddListener(&listener);

    EXPECT_TRUE(set.setItemText("AIFF", Item::kFormat));
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 1);
    set.log.clear();
    for (const char* text : {"aiff", "MP3 ", "", "Ogg"})
        EXPECT_FALSE(set.setItemText(text, Item::kFormat)) << text;
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 1);

    EXPECT_TRUE(set.setItemText("  /tmp/out  ", Item::kFolder));
    EXPECT_EQ(set.getItemText(Item::kFolder), "/tmp/out");
    EXPECT_FALSE(set.setItemText("   ", Item::kFolder));
    EXPECT_EQ(set.getItemText(Item::kFolder), "/tmp/out");
    EXPECT_EQ(set.log, (Log{"changed 2", "itemChanged 2"}));
    set.RemoveListener(&listener);
}

TEST(ExportParameter, ACopyTakesTheValuesButNotTheListeners)
{
    TestExportParameter set;
    Log log;
    ParameterLog listener(log);
    set.AddListener(&listener);
    set.setChoice(Item::kFormat, 1);
    set.setItemText("/a", Item::kFolder);

    TestExportParameter copy(set);
    EXPECT_EQ(copy.getChoiceValue(Item::kFormat), 1);
    EXPECT_EQ(copy.getItemText(Item::kFolder), "/a");
    log.clear();
    copy.setChoice(Item::kFormat, 0);
    copy.setItemText("/b", Item::kFolder);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 1);
    EXPECT_EQ(set.getItemText(Item::kFolder), "/a");
    set.RemoveListener(&listener);
}

using qm::test::ScopedEnv;

namespace
{
// The process's settings in a folder of the test's own.
class ExportParameterSettings : public ::testing::Test
{
protected:
    ExportParameterSettings() { preferences = CTVPreferences::GetInstance(); }
    ~ExportParameterSettings() override { CTVPreferences::Release(); }

    qm::test::TempFolder folder;
    ScopedEnv config{"XDG_CONFIG_HOME", folder.path().string()};
    CTVPreferences* preferences = nullptr;
};
} // namespace

TEST_F(ExportParameterSettings, SavedValuesLoadIntoANewSet)
{
    ASSERT_TRUE(preferences != nullptr && preferences->IsOpen());
    TestExportParameter saved;
    saved.setChoice(Item::kFormat, 2);
    saved.setChoice(Item::kRate, 1);
    saved.setItemText("/home/user/Exports", Item::kFolder);
    saved.setChoice(Item::kUnstored, 1);
    saved.extra = "extra";
    saved.saveToRegistry();

    // Choices are stored by value, not by index; unnamed items not at all.
    EXPECT_EQ(preferences->GetInt("Test_Format", -1), TestExportParameter::kMp3);
    EXPECT_EQ(preferences->GetInt("Test_Rate", -1), 48000);
    EXPECT_EQ(preferences->GetString("Test_Folder", ""), "/home/user/Exports");

    TestExportParameter loaded;
    loaded.loadFromRegistry();
    EXPECT_EQ(loaded.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    EXPECT_EQ(loaded.getChoiceValue(Item::kRate), 48000);
    EXPECT_EQ(loaded.getItemText(Item::kFolder), "/home/user/Exports");
    EXPECT_EQ(loaded.getChoiceValue(Item::kUnstored), 5);
    EXPECT_EQ(loaded.extra, "extra");
    EXPECT_EQ(loaded.extraLoads, 1);
}

TEST_F(ExportParameterSettings, LoadingKeepsWhatIsMissingGoneOrRefused)
{
    // Nothing stored yet: the defaults stay, and the set's own values are
    // still loaded.
    TestExportParameter fresh;
    fresh.loadFromRegistry();
    EXPECT_EQ(fresh.getChoiceValue(Item::kFormat), 0);
    EXPECT_EQ(fresh.getChoiceValue(Item::kRate), 44100);
    EXPECT_EQ(fresh.getItemText(Item::kFolder), "/music");
    EXPECT_EQ(fresh.extraLoads, 1);

    // A format that is no longer offered keeps the current one; a refused
    // folder keeps the current one; the format loaded first decides which
    // rates the stored rate may take.
    preferences->SetInt("Test_Format", TestExportParameter::kMp3);
    preferences->SetInt("Test_Rate", 96000);
    preferences->SetString("Test_Folder", "   ");
    TestExportParameter withoutMp3(true, false);
    withoutMp3.setChoice(Item::kFormat, 1);
    withoutMp3.loadFromRegistry();
    EXPECT_EQ(withoutMp3.getChoiceValue(Item::kFormat), 1);
    EXPECT_EQ(withoutMp3.getChoiceValue(Item::kRate), 96000);
    EXPECT_EQ(withoutMp3.getItemText(Item::kFolder), "/music");

    TestExportParameter withMp3;
    withMp3.loadFromRegistry();
    EXPECT_EQ(withMp3.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    EXPECT_EQ(withMp3.getChoiceValue(Item::kRate), 44100);

    // A value that is not a number keeps the current choice.
    preferences->SetString("Test_Format", "MP3");
    TestExportParameter garbled;
    garbled.setChoice(Item::kFormat, 1);
    garbled.loadFromRegistry();
    EXPECT_EQ(garbled.getChoiceValue(Item::kFormat), 1);
}

TEST(ExportParameterWithoutSettings, SavingAndLoadingWithoutSettingsChangeNothing)
{
    ASSERT_EQ(CTVPreferences::GetStoredInstance(), nullptr);
    TestExportParameter set;
    set.setChoice(Item::kFormat, 1);
    set.saveToRegistry();
    set.loadFromRegistry();
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), 1);
    EXPECT_EQ(set.getItemText(Item::kFolder), "/music");
    EXPECT_EQ(set.extraLoads, 1);
}
