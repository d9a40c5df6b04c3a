#include "session/parameters/ExportParameterComponentBinder.h"

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/session/TestExportParameter.h"
#include "tests/support/MessageLoop.h"

using Item = TestExportParameter::Item;
using Log = std::vector<std::string>;

namespace
{
using qm::test::PumpPosted;
using qm::test::PumpUntil;

std::vector<juce::String> EntriesOf(const juce::ComboBox& box)
{
    std::vector<juce::String> entries;
    for (int i = 0; i < box.getNumItems(); ++i)
    {
        EXPECT_EQ(box.getItemId(i), i + 1);
        entries.push_back(box.getItemText(i) + (box.isItemEnabled(i + 1) ? "" : " (off)"));
    }
    return entries;
}

// A user's pick in a box, with the notice a user's pick sends.
void Pick(juce::ComboBox& box, int index)
{
    box.setSelectedItemIndex(index, juce::sendNotificationSync);
}
} // namespace

TEST(ExportParameterBinder, ComboBoxesFollowTheItemsAndTheUsersPickCascades)
{
    TestExportParameter set;
    set.setChoice(Item::kRate, 2);
    set.disabledFormats = {1};
    juce::ComboBox format, rate;
    ASSERT_TRUE(set.bindComponent(&format, Item::kFormat));
    ASSERT_TRUE(set.bindComponent(&rate, Item::kRate));
    EXPECT_EQ(EntriesOf(format), (std::vector<juce::String>{"WAV", "AIFF (off)", "MP3"}));
    EXPECT_EQ(format.getSelectedItemIndex(), 0);
    EXPECT_EQ(rate.getText(), "96.0 kHz");
    EXPECT_TRUE(format.isEnabled());

    Log log;
    ParameterLog listener(log);
    set.AddListener(&listener);
    Pick(format, 2);
    // The rate follows the format; only the control the set changed is
    // reported as changed by it, not the one the user picked in.
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 44100);
    EXPECT_EQ(rate.getSelectedItemIndex(), 0);
    EXPECT_EQ(EntriesOf(rate), (std::vector<juce::String>{"44.1 kHz", "48.0 kHz", "96.0 kHz (off)"}));
    EXPECT_EQ(log, (Log{"changed 0", "changed 1", "component 1"}));
    EXPECT_EQ(listener.components, (std::vector<juce::Component*>{&rate}));

    // A change made in the set reaches its box.
    set.setChoice(Item::kFormat, 0);
    EXPECT_EQ(format.getText(), "WAV");
    EXPECT_EQ(EntriesOf(rate), (std::vector<juce::String>{"44.1 kHz", "48.0 kHz", "96.0 kHz"}));
    set.RemoveListener(&listener);
}

TEST(ExportParameterBinder, RefillingKeepsTheShownTextOrShowsTheValidatedChoice)
{
    TestExportParameter set;
    set.setChoice(Item::kRate, 1);
    juce::ComboBox rate;
    set.bindComponent(&rate, Item::kRate);
    ASSERT_EQ(rate.getText(), "48.0 kHz");

    // The shown text is still offered, at another place: it stays selected
    // and the item follows the box.
    set.rates = {32000, 44100, 48000, 96000};
    set.updateBoundComponent(Item::kRate);
    EXPECT_EQ(rate.getText(), "48.0 kHz");
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 48000);

    // The shown text is gone: the item's own choice, validated against the
    // new choices, is shown.
    set.setChoice(Item::kFormat, 2); // MP3: nothing above 48 kHz
    set.rates = {8000, 96000};
    set.updateBoundComponent(Item::kRate);
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 8000);
    EXPECT_EQ(rate.getText(), "8.0 kHz");
    EXPECT_EQ(EntriesOf(rate), (std::vector<juce::String>{"8.0 kHz", "96.0 kHz (off)"}));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(set.getChoiceValue(Item::kRate), 8000);
}

TEST(ExportParameterBinder, ABoxWithoutEnabledChoicesIsDisabledAndEmpty)
{
    TestExportParameter set;
    set.setChoice(Item::kRate, 1);
    juce::ComboBox rate;
    set.bindComponent(&rate, Item::kRate);
    Log log;
    ParameterLog listener(log);
    set.AddListener(&listener);

    set.rates = {};
    set.updateBoundComponent(Item::kRate);
    EXPECT_FALSE(rate.isEnabled());
    EXPECT_EQ(rate.getNumItems(), 0);
    EXPECT_EQ(rate.getSelectedItemIndex(), -1);
    EXPECT_EQ(rate.getText(), "");
    EXPECT_EQ(log, (Log{"component 1"}));
    // The item keeps its choice for when the choices come back.
    EXPECT_EQ(set.getSelectedIndex(Item::kRate), 1);

    set.rates = {44100, 48000};
    set.updateBoundComponent(Item::kRate);
    EXPECT_TRUE(rate.isEnabled());
    EXPECT_EQ(rate.getText(), "48.0 kHz");
    set.RemoveListener(&listener);
}

TEST(ExportParameterBinder, LabelsShowAndEditTheItemsAsText)
{
    TestExportParameter set;
    juce::Label format, folder;
    set.bindComponent(&format, Item::kFormat);
    set.bindComponent(&folder, Item::kFolder);
    EXPECT_EQ(format.getText(), "WAV");
    EXPECT_EQ(folder.getText(), "/music");
    Log log;
    ParameterLog listener(log);
    set.AddListener(&listener);

    // An exact choice text selects that choice; anything else is refused and
    // the label shows the item's value again.
    format.setText("MP3", juce::sendNotificationSync);
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    format.setText("mp3", juce::sendNotificationSync);
    EXPECT_EQ(set.getChoiceValue(Item::kFormat), TestExportParameter::kMp3);
    EXPECT_EQ(format.getText(), "MP3");

    // A text the set rewrites comes back to the label as rewritten.
    log.clear();
    folder.setText("  /tmp/out ", juce::sendNotificationSync);
    EXPECT_EQ(set.getItemText(Item::kFolder), "/tmp/out");
    EXPECT_EQ(folder.getText(), "/tmp/out");
    EXPECT_EQ(log, (Log{"changed 2", "component 2"}));
    folder.setText("  ", juce::sendNotificationSync);
    EXPECT_EQ(set.getItemText(Item::kFolder), "/tmp/out");
    EXPECT_EQ(folder.getText(), "/tmp/out");
    set.RemoveListener(&listener);
}

TEST(ExportParameterBinder, AFileChooserShowsAndSetsAFolderItem)
{
    TestExportParameter set;
    juce::FilenameComponent chooser("folder", {}, true, true, false, {}, {}, "Choose");
    set.bindComponent(&chooser, Item::kFolder);
    EXPECT_EQ(chooser.getCurrentFile(), juce::File("/music"));
    EXPECT_TRUE(chooser.getRecentlyUsedFilenames().contains("/music"));

    chooser.setCurrentFile(juce::File("/tmp/exports"), false, juce::sendNotificationSync);
    EXPECT_EQ(set.getItemText(Item::kFolder), "/tmp/exports");

    set.setItemText("/srv/audio", Item::kFolder);
    EXPECT_EQ(chooser.getCurrentFile(), juce::File("/srv/audio"));
    EXPECT_TRUE(chooser.getRecentlyUsedFilenames().contains("/srv/audio"));
}

TEST(ExportParameterBinder, BindingMovesAControlAndGoneControlsAreLeftAlone)
{
    TestExportParameter set;
    juce::Label label;
    set.bindComponent(&label, Item::kFormat);
    set.bindComponent(&label, Item::kFolder);
    EXPECT_EQ(label.getText(), "/music");
    set.setChoice(Item::kFormat, 1);
    EXPECT_EQ(label.getText(), "/music");
    EXPECT_TRUE(set.unbindComponent(&label));
    EXPECT_FALSE(set.unbindComponent(&label));
    set.setItemText("/elsewhere", Item::kFolder);
    EXPECT_EQ(label.getText(), "/music");

    EXPECT_FALSE(set.bindComponent(&label, 4));
    EXPECT_FALSE(set.bindComponent(&label, -1));

    // A control of another kind is accepted and left alone.
    juce::TextButton button("OK");
    EXPECT_TRUE(set.bindComponent(&button, Item::kFormat));
    set.setChoice(Item::kFormat, 2);
    EXPECT_EQ(button.getButtonText(), "OK");

    // A control deleted before its binding: the set goes on without it.
    auto rate = std::make_unique<juce::ComboBox>();
    set.bindComponent(rate.get(), Item::kRate);
    rate.reset();
    EXPECT_TRUE(set.setChoice(Item::kFormat, 0));
    set.updateBoundComponent(Item::kRate);
    EXPECT_TRUE(set.setChoice(Item::kRate, 2));
}

TEST(ExportParameterBinder, DeletingTheSetReleasesItsControls)
{
    juce::ComboBox box;
    juce::Label label;
    {
        TestExportParameter set;
        set.bindComponent(&box, Item::kFormat);
        set.bindComponent(&label, Item::kFolder);
    }
    // No binder is left listening: user changes after the set is gone reach
    // nothing.
    Pick(box, 1);
    label.setText("/x", juce::sendNotificationSync);
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(box.getText(), "AIFF");
}
