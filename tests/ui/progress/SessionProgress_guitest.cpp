#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/session/ScriptedExportSession.h"
#include "tests/support/ModalResponder.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/progress/ExportProgressWindow.h"
#include "ui/windows/CBfcSheet.h"

using Tavrel::DiscBurnProgressWindow;
using Tavrel::DiscEraseProgressWindow;
using Tavrel::ExportProgressWindow;
namespace xinput = qm::test::xinput;

namespace
{
using ScriptedSession = ScriptedExportSession;

class SessionProgress : public qm::test::ExportUiFixture
{
protected:
    ~SessionProgress() override
    {
        if (session != nullptr)
            session->stop = true;
        progress.reset();
    }
    // Starts a session whose thread waits for the test's go before each step.
    void Start(const char* title, ScriptedSession::Script work)
    {
        auto owned = std::make_unique<ScriptedSession>(title, std::move(work));
        session = owned.get();
        ASSERT_TRUE(exports->startSession(std::move(owned)));
    }
    juce::String Message() const
    {
        return progress->getWindow()->getProperties()[CTVLookAndFeel::kAlertMessageProperty].toString();
    }
    bool HasButton(const juce::String& text) const
    {
        for (juce::Button* button : qm::test::ModalResponder::buttonsOf(*progress->getWindow()))
            if (button->getButtonText() == text && button->isShowing())
                return true;
        return false;
    }

    ScriptedSession* session = nullptr;
    std::unique_ptr<ExportProgressWindow> progress;
};

// Progress with a key and values, without a key, and a "%1" key without
// values; Cancel by a click and by a real Escape.
TEST_F(SessionProgress, TheExportWindowFollowsTheSession)
{
    progress = std::make_unique<ExportProgressWindow>();
    Start("Export_Title", [](ScriptedSession& s) {
        s.waitForStep(1);
        s.notifyProgress(42.0, "Export_DetectNormalizeGain", {"Song A"});
        s.waitForStep(2);
        s.notifyProgress(50.0, nullptr, {});
        s.waitForStep(3);
        s.notifyProgress(60.0, "Export_DetectNormalizeGain", {});
        s.waitForStop();
    });
    progress->show();
    ASSERT_NE(progress->getWindow(), nullptr);
    EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), progress->getWindow());
    session->step = 1;
    ASSERT_TRUE(qm::test::PumpUntil([&] { return progress->getProgress() == 0.42; }, 5));
    EXPECT_TRUE(Message().contains("Song A"));
    EXPECT_FALSE(Message().contains("%1"));
    const juce::String first = Message();
    session->step = 2;
    ASSERT_TRUE(qm::test::PumpUntil([&] { return progress->getProgress() == 0.5; }, 5));
    EXPECT_EQ(Message(), first) << "no key keeps the text";
    session->step = 3;
    ASSERT_TRUE(qm::test::PumpUntil([&] { return progress->getProgress() == 0.6; }, 5));
    EXPECT_EQ(Message(), Text("Export_DetectNormalizeGain").replace("%1", ""));

    juce::Button& cancel = progress->getCancelButton();
    EXPECT_EQ(cancel.getBounds().getWidth(), 88);
    ASSERT_TRUE(xinput::click(cancel, cancel.getLocalBounds().getCentre()));
    EXPECT_EQ(session->cancels, 1);
    ASSERT_TRUE(xinput::key(*progress->getWindow(), "Escape"));
    EXPECT_EQ(session->cancels, 2);
}

TEST_F(SessionProgress, TheEraseWindowHasNoButtonAndKeepsEscape)
{
    progress = std::make_unique<DiscEraseProgressWindow>();
    Start("DiscErase_Title", [](ScriptedSession& s) {
        s.waitForStop();
    });
    progress->show();
    EXPECT_EQ(progress->getWindow()->getName(), Text("DiscErase_Title"));
    EXPECT_TRUE(qm::test::ModalResponder::buttonsOf(*progress->getWindow()).empty());
    ASSERT_TRUE(xinput::key(*progress->getWindow(), "Escape"));
    EXPECT_TRUE(progress->getWindow()->isVisible());
    EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), progress->getWindow());
    EXPECT_EQ(session->cancels, 0);
}

// After a burn: the success and failure questions, answered by real keys;
// after Yes the window is back as it was and follows the next burn.
TEST_F(SessionProgress, TheBurnWindowsQuestions)
{
    progress = std::make_unique<DiscBurnProgressWindow>();
    auto& burn = static_cast<DiscBurnProgressWindow&>(*progress);
    Start("DiscBurn_Title", [](ScriptedSession& s) {
        s.waitForStep(1);
        s.repeats = s.notifyAskRepeat() ? 1 : 0; // succeeded
        s.waitForStep(2);
        s.succeeded = false;
        s.repeats = s.notifyAskRepeat() ? 1 : 0;
        s.waitForStep(3);
        s.notifyProgress(30.0, "DiscBurn_WriteTracks", {});
        s.waitForStop();
    });
    progress->show();

    // Success: "Create" / "Don't Create", Escape answers No.
    {
        qm::test::ModalResponder responder(qm::test::ModalResponder::pressKey("Escape"));
        session->step = 1;
        ASSERT_TRUE(qm::test::PumpUntil([&] { return session->repeats >= 0; }, 10));
    }
    EXPECT_EQ(session->repeats, 0);
    EXPECT_EQ(burn.getYesButton().getButtonText(), Text("Button_Burn"));
    EXPECT_EQ(burn.getNoButton().getButtonText(), Text("Button_DontBurn"));
    EXPECT_EQ(Message(), Text("DiscBurn_Completed"));

    // Failure: the failure text and the retry question in red; Return: Yes.
    session->repeats = -1;
    bool red = false;
    {
        qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
            const juce::Image image = modal.createComponentSnapshot(modal.getLocalBounds(), true, 1.0f);
            for (int y = 0; y < image.getHeight() && !red; ++y)
                for (int x = 0; x < image.getWidth() && !red; ++x)
                {
                    const juce::Colour c = image.getPixelAt(x, y);
                    red = c.getRed() > 200 && c.getGreen() < 60 && c.getBlue() < 60;
                }
            EXPECT_TRUE(HasButton(Text("Button_BurnRetry")));
            EXPECT_TRUE(HasButton(Text("Button_Stop")));
            EXPECT_FALSE(HasButton(Text("Button_Cancel")));
            qm::test::ModalResponder::pressKey("Return")(modal, self);
        });
        session->step = 2;
        ASSERT_TRUE(qm::test::PumpUntil([&] { return session->repeats >= 0; }, 10));
    }
    EXPECT_EQ(session->repeats, 1);
    EXPECT_TRUE(red) << "the retry question is red";
    EXPECT_EQ(Message(), "Burn failed.\n" + Text("DiscBurn_Retry"));
    EXPECT_EQ(progress->getWindow()->findColour(juce::AlertWindow::textColourId).getARGB(), 0xFF000000u);
    EXPECT_TRUE(HasButton(Text("Button_Cancel")));
    session->step = 3;
    ASSERT_TRUE(qm::test::PumpUntil([&] { return progress->getProgress() == 0.3; }, 5));
    EXPECT_EQ(Message(), Text("DiscBurn_WriteTracks"));
}

// Another session's question is not the burn window's to answer.
TEST_F(SessionProgress, OnlyABurnIsAsked)
{
    progress = std::make_unique<DiscBurnProgressWindow>();
    Start("Export_Title", [](ScriptedSession& s) {
        s.repeats = s.notifyAskRepeat() ? 1 : 0;
        s.waitForStop();
    });
    ASSERT_TRUE(qm::test::PumpUntil([&] { return session->repeats >= 0; }, 10));
    EXPECT_EQ(session->repeats, 0);
    EXPECT_EQ(progress->getWindow(), nullptr) << "nothing shown";
}

// While a sheet is open the window passes events only to top-level windows.
TEST_F(SessionProgress, ASheetKeepsTheMainWindowsButtonsAway)
{
    progress = std::make_unique<ExportProgressWindow>();
    juce::TextButton behind("Behind");
    int clicks = 0;
    behind.onClick = [&] { ++clicks; };
    behind.setBounds(10, 400, 100, 30);
    main.addAndMakeVisible(behind);
    struct Sheet final : public CBfcSheet
    {
    } sheet;
    sheet.setSize(360, 200);
    main.addChildComponent(sheet);
    ASSERT_TRUE(sheet.open());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return CBfcSheet::getOpenSheetCount() == 1; }, 5));
    progress->show();
    juce::AlertWindow box("Box", "Message", juce::MessageBoxIconType::NoIcon);
    EXPECT_FALSE(progress->canModalEventBeSentToComponent(&behind, progress->getWindow()));
    EXPECT_TRUE(progress->canModalEventBeSentToComponent(&box, progress->getWindow()));
    ASSERT_TRUE(xinput::click(behind, {50, 15}));
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(sheet.close());
    EXPECT_TRUE(progress->canModalEventBeSentToComponent(&behind, progress->getWindow()));
    progress.reset();
}

// Windows made and deleted inside the manager's events, as the main window
// does it.
TEST_F(SessionProgress, WindowsMadeAndDeletedInsideTheManagersEvents)
{
    struct Maker final : public Tavrel::ExportSessionListener
    {
        void exportSessionStarted(Tavrel::ExportSession*) override
        {
            window = std::make_unique<ExportProgressWindow>();
            window->show();
        }
        void exportSessionProcessingStarted(Tavrel::ExportSession*) override
        {
            window = std::make_unique<ExportProgressWindow>();
            window->show();
        }
        void exportSessionFinished(Tavrel::ExportSession*, bool) override
        {
            window.reset();
            finished = true;
        }
        std::unique_ptr<ExportProgressWindow> window;
        bool finished = false;
    } maker;
    exports->AddListener(&maker);
    Start("Export_Title", [](ScriptedSession& s) {
        s.notifyStarted();
        s.notifyProcessingStarted();
        s.notifyProgress(10.0, "DiscBurn_WriteTracks", {});
        s.notifyFinished(false);
    });
    ASSERT_TRUE(qm::test::PumpUntil([&] { return maker.finished; }, 10));
    qm::test::PumpPosted();
    exports->RemoveListener(&maker);
}
} // namespace
