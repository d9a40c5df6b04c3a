#include <gtest/gtest.h>

#include <cstdlib>

#include "app/commands/CommandManager.h"
#include "tests/session/ScriptedExportSession.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/app/DesktopUiServices.h"
#include "ui/main/CTVMainWindow.h"
#include "ui/main/MainComponent.h"
#include "ui/main/MainComponentCommand.h"

// Pictures of the main window in both languages, kept as test artefacts for
// the developer to look at:
//   QM_RENDER_DIR=/tmp/renders tests/support/own-display.sh
//     build/asan/tests/test_ui_gui --gtest_filter='MainLooks*'
namespace
{
struct Scene final : public qm::test::ExportUiFixture
{
    explicit Scene(const char* locale)
        : qm::test::ExportUiFixture(locale)
    {
        // The window registers the commands itself.
        commands->setFirstCommandTarget(nullptr);
        commands->clearCommands();
    }
    void TestBody() override {}
    std::string Suffix() const { return language.isJapanese() ? "-ja" : "-en"; }
    void Keep(juce::Component& component, const std::string& name)
    {
        const std::string full = name + Suffix();
        qm::test::KeepRender(qm::test::screenshots::snapshot(component, "MainLooks", full), full);
    }
    void KeepScreen(const std::string& name)
    {
        const std::string full = name + Suffix();
        const juce::File shot = qm::test::screenshots::captureScreen("MainLooks", full);
        if (const char* folder = std::getenv("QM_RENDER_DIR"))
            shot.copyFileTo(juce::File(juce::String(folder)).getChildFile(full + ".png"));
    }
    using ExportUiFixture::exports;
    using ExportUiFixture::host;
    using ExportUiFixture::Named;
    using ExportUiFixture::window;
};

TEST(MainLooks, WindowNumbersSessionAndDialogs)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        Scene scene(locale);
        // The fixture's stand-in window is not needed here.
        scene.window->removeFromDesktop();
        scene.Named({"Morning Song", juce::String::fromUTF8("夜の歌"), "A Very Long Song Name That Goes On And On"});
        CTVMainWindow main(*scene.host);
        scene.host->SetSelection(juce::SparseSet<int>(), 0);
        qm::test::PumpFor(400);
        scene.Keep(main, "main-window");

        // A typed song number with the song's name under it.
        Tavrel::MainComponent& content = main.getMainComponent();
        content.keyPressed(juce::KeyPress('2', juce::ModifierKeys(), '2'));
        qm::test::PumpFor(500);
        scene.Keep(main, "typed-number");
        content.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
        qm::test::PumpFor(700);

        // A burn's progress window over the main window.
        auto session = std::make_unique<ScriptedExportSession>("DiscBurn_Title", [](ScriptedExportSession& s) {
            s.notifyStarted();
            s.notifyProgress(37.0, "DiscBurn_CreateTemp", {});
            s.step = 1;
            s.waitForStop();
            s.notifyFinished(true);
        });
        ScriptedExportSession* burn = session.get();
        ASSERT_TRUE(scene.exports->startSession(std::move(session)));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return burn->step == 1; }, 10));
        qm::test::PumpFor(400);
        scene.KeepScreen("burn-progress");
        scene.exports->cancelSession();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return scene.exports->getCurrentSessionKind() == 0; }, 10));
        qm::test::PumpPosted();

        // The file information dialog and the key-mapping editor.
        juce::SparseSet<int> all;
        all.addRange({0, 3});
        scene.host->SetSelection(all, 0);
        {
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder&) {
                qm::test::PumpFor(300);
                scene.Keep(modal, "file-info");
                modal.exitModalState(0);
            });
            ASSERT_TRUE(Tavrel::CommandManager::GetStoredInstance()->invokeDirectly(Tavrel::kCommandFileInfo, false));
            EXPECT_TRUE(responder.answered());
        }
        {
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder&) {
                qm::test::PumpFor(300);
                scene.Keep(modal, "key-mappings");
                modal.exitModalState(0);
            });
            Tavrel::DesktopUiServices services;
            services.showKeyMappingEditor(*Tavrel::CommandManager::GetStoredInstance()->getKeyMappings(), &main,
                                          CBJXResource::GetString("Menu_Item_EditShortcutKeys"));
            EXPECT_TRUE(responder.answered());
        }
    }
}
} // namespace
