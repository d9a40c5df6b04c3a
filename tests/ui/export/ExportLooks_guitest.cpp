#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/session/ScriptedExportSession.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/export/ExportParameterDialog.h"
#include "ui/export/ExportSheet.h"
#include "ui/main/ExportAndBurnCD.h"
#include "ui/progress/ExportProgressWindow.h"
#include "session/parameters/CommonExportParameter.h"

// Pictures of the export sheet, its options dialog and the session windows
// in both languages, kept as test artefacts for the developer to look at:
//   QM_RENDER_DIR=/tmp/renders tests/support/own-display.sh
//     build/asan/tests/test_ui_gui --gtest_filter='ExportLooks*'
namespace
{
struct Scene final : public qm::test::ExportUiFixture
{
    explicit Scene(const char* locale)
        : qm::test::ExportUiFixture(locale)
    {
        background.setBounds(0, 0, 699, 533);
        main.addAndMakeVisible(background);
    }
    void TestBody() override {}
    using ExportUiFixture::language;
    using ExportUiFixture::main;

    juce::String Suffix() const { return language.isJapanese() ? "-ja" : "-en"; }
    void Keep(const juce::Image& image, const std::string& name)
    {
        qm::test::screenshots::artifactFile("ExportLooks", name);
        qm::test::KeepRender(image, juce::String(name) + Suffix());
    }
    juce::Image Snap(juce::Component& c) { return c.createComponentSnapshot(c.getLocalBounds(), true, 1.0f); }

    // A progress window over a session that says one thing and waits.
    void SessionWindow(std::unique_ptr<Tavrel::ExportProgressWindow> window, const char* title, const char* key,
                       const juce::StringArray& texts, const std::string& name)
    {
        auto owned = std::make_unique<ScriptedExportSession>(title, [key, texts](ScriptedExportSession& s) {
            s.notifyProgress(37.0, key, texts);
            s.waitForStop();
            s.notifyFinished(true);
        });
        window->show();
        ASSERT_TRUE(exports->startSession(std::move(owned)));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return window->getProgress() > 0.3; }, 5));
        // The bar follows its value on a timer of its own.
        juce::MessageManager::getInstance()->runDispatchLoopUntil(150);
        Keep(Snap(*window->getWindow()), name);
        exports->cancelSession();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return exports->getCurrentSessionKind() == 0; }, 5));
        window.reset();
    }

    BackGroundComponent background;
};

TEST(ExportLooks, Pictures)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        Scene scene(locale);
        {
            Tavrel::ExportSheet sheet("isCancelled");
            sheet.setVisible(false);
            scene.main.addChildComponent(sheet);
            ASSERT_TRUE(sheet.open());
            ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet.getState() == CBfcSheet::kOpen; }, 5));
            juce::MessageManager::getInstance()->runDispatchLoopUntil(300);
            scene.Keep(scene.Snap(scene.main), "sheet-wav");
            for (int i = 0; i < sheet.getFormatBox().getNumItems(); ++i)
                if (sheet.getFormatBox().getItemText(i) == "MP3")
                    sheet.getFormatBox().setSelectedItemIndex(i, juce::sendNotificationAsync);
            juce::MessageManager::getInstance()->runDispatchLoopUntil(700);
            EXPECT_TRUE(sheet.getBitRateBox().isVisible());
            scene.Keep(scene.Snap(scene.main), "sheet-mp3");

            // The options dialog, pictured from inside its modal loop.
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
                scene.Keep(scene.Snap(modal), "options-dialog");
                qm::test::ModalResponder::pressButton(CBJXResource::GetString("Button_Cancel"))(modal, self);
            });
            sheet.getEditButton().triggerClick();
            ASSERT_TRUE(qm::test::PumpUntil([&] { return responder.answered(); }, 10));
            qm::test::PumpPosted();
            sheet.close();
            qm::test::PumpPosted();
        }
        scene.SessionWindow(std::make_unique<Tavrel::ExportProgressWindow>(), "Export_Title",
                            "Export_DetectNormalizeGain", {"Song number 1"}, "export-normalising");
        scene.SessionWindow(std::make_unique<Tavrel::DiscEraseProgressWindow>(), "DiscErase_Title",
                            "DiscErase_Erase", {}, "erase");

        // The burn window's two questions.
        for (const bool succeeded : {true, false})
        {
            auto window = std::make_unique<Tavrel::DiscBurnProgressWindow>();
            std::atomic<int> answered{-1};
            auto owned = std::make_unique<ScriptedExportSession>("DiscBurn_Title", [&answered](ScriptedExportSession& s) {
                answered = s.notifyAskRepeat() ? 1 : 0;
                s.waitForStop();
                s.notifyFinished(true);
            });
            owned->succeeded = succeeded;
            owned->failureText = CBJXResource::GetString("DiscBurn_Failed");
            window->show();
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
                scene.Keep(scene.Snap(modal), succeeded ? "burn-again" : "burn-retry");
                qm::test::ModalResponder::pressKey("Escape")(modal, self);
            });
            ASSERT_TRUE(scene.exports->startSession(std::move(owned)));
            ASSERT_TRUE(qm::test::PumpUntil([&] { return answered >= 0; }, 10));
            scene.exports->cancelSession();
            ASSERT_TRUE(qm::test::PumpUntil([&] { return scene.exports->getCurrentSessionKind() == 0; }, 5));
            window.reset();
        }
    }
}
} // namespace
