#include <gtest/gtest.h>

#include "tests/session/FakeExportSession.h"
#include "session/parameters/CommonExportParameter.h"
#include "session/parameters/FileExportParameter.h"
#include "tests/support/ModalResponder.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/export/ExportSheet.h"

using Tavrel::CommonExportParameter;
using Tavrel::ExportSheet;
using Tavrel::FileExportParameter;
namespace xinput = qm::test::xinput;

namespace
{
constexpr const char* kProperty = "isCancelled";

// Notes the end of a session.
struct Finished final : public Tavrel::ExportSessionListener
{
    void exportSessionStarted(Tavrel::ExportSession*) override { ++started; }
    void exportSessionFinished(Tavrel::ExportSession*, bool) override { ++finished; }
    int started = 0;
    int finished = 0;
};

class ExportSheetTest : public qm::test::ExportUiFixture
{
protected:
    ExportSheetTest()
    {
        exports->AddListener(&events);
        sheet = std::make_unique<ExportSheet>(kProperty);
        sheet->setVisible(false);
        main.addChildComponent(*sheet);
    }
    ~ExportSheetTest() override
    {
        if (sheet->getState() == CBfcSheet::kOpen)
            sheet->close();
        if (!fakeRuns)
            qm::test::PumpUntil([&] { return exports->getCurrentSessionKind() == 0; }, 30);
        sheet.reset();
        exports->RemoveListener(&events);
    }
    void Open()
    {
        ASSERT_TRUE(sheet->open());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5));
        qm::test::PumpPosted();
    }
    void Close()
    {
        ASSERT_TRUE(sheet->close());
        qm::test::PumpPosted();
    }
    void Pick(juce::ComboBox& box, const juce::String& text)
    {
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText(i) == text)
            {
                box.setSelectedItemIndex(i, juce::sendNotificationAsync);
                qm::test::PumpPosted();
                qm::test::PumpPosted();
                return;
            }
        ADD_FAILURE() << "no entry " << text << " in " << box.getName();
    }
    static bool IsItemEnabledByText(juce::ComboBox& box, const juce::String& text)
    {
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText(i) == text)
                return box.isItemEnabled(box.getItemId(i));
        return false;
    }
    juce::var Property() { return sheet->getProperties()[kProperty]; }

    Finished events;
    // A fake session that never reports its end runs: nothing to wait for.
    bool fakeRuns = false;
    std::unique_ptr<ExportSheet> sheet;
};

TEST_F(ExportSheetTest, OpensWithTheDefaults)
{
    CTVPreferences::GetStoredInstance()->SetInt("Export_Common_Source", 1);
    Open();
    EXPECT_EQ(sheet->getPosition(), juce::Point<int>(169, 0));
    EXPECT_EQ(sheet->getSourceBox().getText(), Text("Export_Source_All")) << "a stored source of 1 with no selection";
    EXPECT_FALSE(IsItemEnabledByText(sheet->getSourceBox(), Text("Export_Source_Selected")));
    EXPECT_EQ(sheet->getFormatBox().getText(), "WAV");
    EXPECT_EQ(sheet->getFileTypeBox().getText(), Text("Export_FileType_Stereo"));
    EXPECT_EQ(sheet->getSampleRateBox().getText(), "44.1 kHz");
    EXPECT_TRUE(sheet->getBitDepthBox().isVisible());
    EXPECT_FALSE(sheet->getBitRateBox().isVisible());
    Tavrel::ExportParameterDisplay& display = sheet->getOptionsDisplay();
    EXPECT_EQ(display.getBounds(), juce::Rectangle<int>(32, 312, 296, 16));
    EXPECT_EQ(display.getValueLabel(1).getText(), Text("Export_Normalize_Off"));
    EXPECT_FALSE(display.getRowComponent(0).isVisible());
    EXPECT_FALSE(display.getRowComponent(2).isVisible());
}

// MP3 with 96 kHz chosen: the rate falls back to 44.1 kHz and the bit-rate
// row shows; the boxes the sets changed flash, the one the user chose does
// not.
TEST_F(ExportSheetTest, ChoosingMp3FlashesWhatTheSettingsChanged)
{
    Open();
    Pick(sheet->getSampleRateBox(), "96.0 kHz");
    ASSERT_EQ(sheet->getSampleRateBox().getText(), "96.0 kHz");
    const int formatChildren = sheet->getFormatBox().getNumChildComponents();
    const int rateChildren = sheet->getSampleRateBox().getNumChildComponents();
    Pick(sheet->getFormatBox(), "MP3");
    EXPECT_EQ(sheet->getSampleRateBox().getText(), "44.1 kHz");
    EXPECT_TRUE(sheet->getBitRateBox().isVisible());
    EXPECT_FALSE(sheet->getBitDepthBox().isVisible());
    EXPECT_EQ(sheet->getBitRateBox().getText(), "128 kbps");
    EXPECT_GT(sheet->getSampleRateBox().getNumChildComponents(), rateChildren) << "tinted";
    EXPECT_GT(sheet->getBitRateBox().getNumChildComponents(), 1) << "tinted";
    EXPECT_EQ(sheet->getFormatBox().getNumChildComponents(), formatChildren) << "the user's choice is not tinted";
    juce::MessageManager::getInstance()->runDispatchLoopUntil(600);
    EXPECT_EQ(sheet->getSampleRateBox().getNumChildComponents(), rateChildren) << "clear after the fade";
}

// OK starts the export and saves the settings; the sheet stays open.
TEST_F(ExportSheetTest, OkStartsTheExportAndSavesTheSettings)
{
    Named({"one", "two"}, 0.2);
    Open();
    const juce::File destination(folder.file("out").string());
    ASSERT_TRUE(destination.createDirectory());
    ASSERT_TRUE(sheet->getFile().setItemText(destination.getFullPathName(), FileExportParameter::kDestination));
    sheet->getOkButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished == 1; }, 60));
    EXPECT_EQ(destination.getNumberOfChildFiles(juce::File::findFiles), 2);
    EXPECT_EQ(Property(), juce::var(false));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kOpen);
    for (const char* key : {"Export_Common_Source", "Export_Common_DsdFilter", "Export_Common_NormalizeMode",
                            "Export_Common_DitherType", "Export_Disc_TempDirectory", "Export_File_OutputPath",
                            "Export_File_OutputPath_0", "Export_File_Format", "Export_File_Type",
                            "Export_File_SampleRate", "Export_File_BitDepth", "Export_File_QualityOption"})
        EXPECT_TRUE(SettingsHold(key)) << key;
}

// OK while another session runs: nothing saved, the sheet keeps its values.
TEST_F(ExportSheetTest, ARefusedOkSavesNothing)
{
    Named({"one"}, 0.2);
    // The manager keeps the session after the test's body (and cancels it
    // when it goes), so what the session touches lives as long.
    static FakeExportSession::Record record;
    static std::atomic<bool> release{false};
    fakeRuns = true;
    ASSERT_TRUE(exports->startSession(std::make_unique<FakeExportSession>(
        record, "Export_Title", true, [&](FakeExportSession& s) {
            while (!release && !s.cancelled)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        })));
    Open();
    Pick(sheet->getFormatBox(), "AIFF");
    const juce::MemoryBlock before = SettingsBytes();
    sheet->getOkButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_TRUE(SettingsBytes() == before);
    EXPECT_EQ(sheet->getState(), CBfcSheet::kOpen);
    EXPECT_EQ(sheet->getFormatBox().getText(), "AIFF");
    EXPECT_TRUE(Property().isVoid());
    release = true;
}

// Cancel: the property is true, the sheet closes and nothing is kept; real
// keys confirm and cancel only while the sheet is open.
TEST_F(ExportSheetTest, CancelAndTheKeys)
{
    Open();
    Pick(sheet->getFormatBox(), "AIFF");
    const juce::MemoryBlock before = SettingsBytes();
    sheet->getCancelButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_EQ(Property(), juce::var(true));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
    EXPECT_TRUE(SettingsBytes() == before);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
    Open();
    EXPECT_EQ(sheet->getFormatBox().getText(), "WAV");

    // Real Escape cancels.
    sheet->getProperties().remove(kProperty);
    ASSERT_TRUE(xinput::key(main, "Escape"));
    EXPECT_EQ(Property(), juce::var(true));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
    EXPECT_FALSE(sheet->getOkButton().isRegisteredForShortcut(
        juce::KeyPress('e', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0)));
    EXPECT_FALSE(sheet->getCancelButton().isRegisteredForShortcut(juce::KeyPress(juce::KeyPress::escapeKey)));

    // Real Ctrl+Shift+E confirms: the export starts.
    juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
    Named({"one"}, 0.2);
    Open();
    const juce::File destination(folder.file("keys").string());
    ASSERT_TRUE(destination.createDirectory());
    ASSERT_TRUE(sheet->getFile().setItemText(destination.getFullPathName(), FileExportParameter::kDestination));
    ASSERT_TRUE(xinput::key(main, "ctrl+shift+e"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished == 1; }, 60));
    EXPECT_EQ(Property(), juce::var(false));
}

// Edit: the options dialog with the normalise mode; Cancel puts it back.
TEST_F(ExportSheetTest, TheOptionsDialog)
{
    Open();
    qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
        for (juce::Component* child : modal.getChildren())
            for (juce::Component* inner : child->getChildren())
                if (auto* box = dynamic_cast<juce::ComboBox*>(inner))
                    for (int i = 0; i < box->getNumItems(); ++i)
                        if (box->getItemText(i) == Text("Export_Normalize_Each"))
                            box->setSelectedItemIndex(i, juce::sendNotificationSync);
        EXPECT_EQ(sheet->getOptionsDisplay().getValueLabel(1).getText(), Text("Export_Normalize_Each"));
        qm::test::ModalResponder::pressButton(Text("Button_Cancel"))(modal, self);
    });
    sheet->getEditButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
    qm::test::PumpPosted();
    EXPECT_EQ(responder.seen().title, Text("Export_Title"));
    EXPECT_EQ(responder.seen().message, Text("Export_Option"));
    EXPECT_EQ(sheet->getOptionsDisplay().getValueLabel(1).getText(), Text("Export_Normalize_Off"));
}
} // namespace
