#include <gtest/gtest.h>

#include "session/parameters/CommonExportParameter.h"
#include "tests/support/ModalResponder.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/export/ExportParameterDialog.h"
#include "ui/export/ExportParameterDisplay.h"

using Tavrel::CommonExportParameter;
using Tavrel::ExportParameterDialog;
using Tavrel::ExportParameterDisplay;

namespace
{
using ExportViews = qm::test::ExportUiFixture;

TEST_F(ExportViews, TheDisplayLaysOutVisibleRows)
{
    CommonExportParameter common;
    ExportParameterDisplay display(120, 176);
    display.addRow("Filter:", &common, CommonExportParameter::kDsdFilter);
    display.addRow("Normalize:", &common, CommonExportParameter::kNormalizeMode);
    display.addRow("Dither:", &common, CommonExportParameter::kDitherType);
    EXPECT_EQ(display.getHeight(), 48);
    EXPECT_TRUE(display.setRowVisible(&common, CommonExportParameter::kDsdFilter, false, false));
    EXPECT_TRUE(display.setRowVisible(&common, CommonExportParameter::kDitherType, false, true));
    EXPECT_EQ(display.getWidth(), 120 + 176);
    EXPECT_EQ(display.getHeight(), 16);
    EXPECT_EQ(display.getRowComponent(1).getY(), 0);
    EXPECT_EQ(display.getValueLabel(1).getText(), common.getItemText(CommonExportParameter::kNormalizeMode));

    // Hiding a hidden row changes nothing and lays nothing out.
    display.setSize(1, 1);
    EXPECT_FALSE(display.setRowVisible(&common, CommonExportParameter::kDitherType, false, false));
    EXPECT_EQ(display.getHeight(), 1);

    // A row whose item changed while hidden shows the new value.
    ASSERT_TRUE(common.setChoice(CommonExportParameter::kDitherType, 1));
    EXPECT_TRUE(display.setRowVisible(&common, CommonExportParameter::kDitherType, true, true));
    EXPECT_EQ(display.getValueLabel(2).getText(), common.getItemText(CommonExportParameter::kDitherType));
    EXPECT_EQ(display.getHeight(), 32);
}

TEST_F(ExportViews, TheDialogsRowsButtonsAndRevert)
{
    CommonExportParameter common;
    const juce::StringArray modes = common.getChoiceTexts(CommonExportParameter::kNormalizeMode);
    ASSERT_GE(modes.size(), 2);
    ASSERT_TRUE(common.setChoice(CommonExportParameter::kNormalizeMode, 0));
    auto dialog = std::make_unique<ExportParameterDialog>("Export", "Option");
    dialog->addComboBoxRow("Normalize", &common, CommonExportParameter::kNormalizeMode);
    dialog->addComboBoxRow({}, &common, -1);
    EXPECT_EQ(dialog->getRowComponent(0).getBounds().withZeroOrigin(), juce::Rectangle<int>(0, 0, 232, 36));
    EXPECT_EQ(dialog->getRowControl(0).getBounds(), juce::Rectangle<int>(0, 16, 232, 20));
    EXPECT_EQ(dialog->getRowComponent(1).getBounds().withZeroOrigin(), juce::Rectangle<int>(0, 0, 232, 20));
    EXPECT_EQ(dialog->getRowControl(1).getY(), 0);
    EXPECT_EQ(dynamic_cast<juce::ComboBox&>(dialog->getRowControl(1)).getNumItems(), 0) << "item -1 is not bound";

    auto& box = dynamic_cast<juce::ComboBox&>(dialog->getRowControl(0));
    // Escape: false; the change reached the set at once; revert restores it.
    bool changedWhileOpen = false;
    {
        qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
            box.setSelectedItemIndex(1, juce::sendNotificationSync);
            changedWhileOpen = common.getSelectedIndex(CommonExportParameter::kNormalizeMode) == 1;
            qm::test::ModalResponder::pressKey("Escape")(modal, self);
        });
        EXPECT_FALSE(dialog->runModal());
        EXPECT_EQ(responder.seen().buttons.joinIntoString("|"), Text("Button_Cancel") + "|" + Text("Button_Ok"));
    }
    EXPECT_TRUE(changedWhileOpen);
    dialog->revert();
    EXPECT_EQ(common.getSelectedIndex(CommonExportParameter::kNormalizeMode), 0);

    // Return: true, the new choice stays; the buttons are not added twice.
    {
        qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
            box.setSelectedItemIndex(1, juce::sendNotificationSync);
            qm::test::ModalResponder::pressKey("Return")(modal, self);
        });
        EXPECT_TRUE(dialog->runModal());
        EXPECT_EQ(responder.seen().buttons.size(), 2);
    }
    EXPECT_EQ(common.getSelectedIndex(CommonExportParameter::kNormalizeMode), 1);

    // Gone before its set changes again: clean.
    dialog.reset();
    ASSERT_TRUE(common.setChoice(CommonExportParameter::kNormalizeMode, 0));
}

// A value typed into a label row that its item refuses is taken back.
TEST_F(ExportViews, ALabelRowTakesBackARefusedText)
{
    CommonExportParameter common;
    ExportParameterDialog dialog("Export", "Option");
    dialog.addLabelRow("Normalize", &common, CommonExportParameter::kNormalizeMode);
    auto& label = dynamic_cast<juce::Label&>(dialog.getRowControl(0));
    const juce::String before = label.getText();
    EXPECT_EQ(before, common.getItemText(CommonExportParameter::kNormalizeMode));
    label.setText("no such mode", juce::sendNotificationSync);
    qm::test::PumpPosted();
    EXPECT_EQ(label.getText(), before);
    EXPECT_EQ(common.getItemText(CommonExportParameter::kNormalizeMode), before);
}
} // namespace
