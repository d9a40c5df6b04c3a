#include <gtest/gtest.h>

#include "platform/burn/DiscRecorderRegistry.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/disc/DiscBurnSheet.h"
#include "ui/disc/DiscOpenSheet.h"
#include "ui/main/ExportAndBurnCD.h"

// Pictures of the disc sheets and their questions in both languages, kept
// for the developer to look at (QM_RENDER_DIR names a folder for copies).
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
    using ExportUiFixture::exports;
    using ExportUiFixture::folder;
    using ExportUiFixture::language;
    using ExportUiFixture::main;

    void Keep(juce::Component& c, const std::string& name)
    {
        const juce::Image image = qm::test::screenshots::snapshot(c, "DiscLooks", name);
        qm::test::KeepRender(image, juce::String(name) + (language.isJapanese() ? "-ja" : "-en"));
    }

    BackGroundComponent background;
};

TEST(DiscLooks, Pictures)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        Scene scene(locale);
        {
            Tavrel::DiscOpenSheet sheet;
            sheet.setVisible(false);
            scene.main.addChildComponent(sheet);
            ASSERT_TRUE(sheet.open());
            juce::MessageManager::getInstance()->runDispatchLoopUntil(700);
            scene.Keep(scene.main, "disc-open-empty");
            sheet.close();
            juce::MessageManager::getInstance()->runDispatchLoopUntil(400);

            qm::test::RegisteredCdImage first(scene.folder, "alpha", {{true, 375}, {true, 375}}, qm::test::AlbumTitlePacks("Alpha", 2));
            // "日本語" in the disc's double-byte code.
            qm::test::RegisteredCdImage second(scene.folder, "jp", {{true, 375}, {true, 375}},
                                               qm::test::AlbumTitlePacks("\x93\xfa\x96\x7b\x8c\xea", 2, 0x80));
            ASSERT_TRUE(sheet.open());
            ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet.getShownDiscCount() == 2; }, 10));
            sheet.getTable().selectRow(1);
            juce::MessageManager::getInstance()->runDispatchLoopUntil(200);
            scene.Keep(scene.main, "disc-open-two");
            sheet.close();
            juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
        }
        std::string target;
        ASSERT_TRUE(qm::platform::DiscRecorderRegistry::Instance().RegisterImageTarget(
            scene.folder.file("blank").string(), {}, &target));
        scene.exports->getDiscBurnProxy()->SetRecreate(true);
        {
            Tavrel::DiscBurnSheet sheet("isCancelled");
            sheet.setVisible(false);
            scene.main.addChildComponent(sheet);
            ASSERT_TRUE(sheet.open());
            ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet.getDiscStateLabel().getText().startsWith("CD-R"); }, 5));
            juce::MessageManager::getInstance()->runDispatchLoopUntil(300);
            scene.Keep(scene.main, "disc-burn-blank");
            sheet.close();
            juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
        }
        qm::platform::DiscRecorderRegistry::Instance().UnregisterImageTarget(target);

        // The erase question, over a rewritable disc, pictured from inside
        // its loop.
        qm::platform::ImageRecorderOptions rewritable;
        rewritable.rewritable = true;
        ASSERT_TRUE(qm::platform::DiscRecorderRegistry::Instance().RegisterImageTarget(
            scene.folder.file("rw").string(), rewritable, &target));
        scene.exports->getDiscBurnProxy()->SetRecreate(true);
        {
            Tavrel::DiscBurnSheet sheet("isCancelled");
            sheet.setVisible(false);
            scene.main.addChildComponent(sheet);
            ASSERT_TRUE(sheet.open());
            ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet.getDiscStateLabel().getText().startsWith("CD-RW"); }, 5));
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
                scene.Keep(modal, "erase-question");
                qm::test::ModalResponder::pressKey("Escape")(modal, self);
            });
            sheet.getEraseButton().triggerClick();
            qm::test::PumpUntil([&] { return responder.answered(); }, 10);
            qm::test::PumpPosted();
            EXPECT_EQ(responder.seen().title, CBJXResource::GetString("DiscErase_Title"));
            sheet.close();
            juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
        }
        qm::platform::DiscRecorderRegistry::Instance().UnregisterImageTarget(target);

        // The gap warning, on a drive without raw P-W writing.
        qm::platform::ImageRecorderOptions trackAtOnce;
        trackAtOnce.modes = {true, false, false, false};
        ASSERT_TRUE(qm::platform::DiscRecorderRegistry::Instance().RegisterImageTarget(
            scene.folder.file("tao").string(), trackAtOnce, &target));
        scene.exports->getDiscBurnProxy()->SetRecreate(true);
        {
            Tavrel::DiscBurnSheet sheet("isCancelled");
            sheet.setVisible(false);
            scene.main.addChildComponent(sheet);
            qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& self) {
                scene.Keep(modal, "gap-warning");
                qm::test::ModalResponder::pressKey("Return")(modal, self);
            });
            ASSERT_TRUE(sheet.open());
            qm::test::PumpUntil([&] { return responder.answered(); }, 10);
            qm::test::PumpPosted();
            sheet.close();
            juce::MessageManager::getInstance()->runDispatchLoopUntil(400);
        }
        qm::platform::DiscRecorderRegistry::Instance().UnregisterImageTarget(target);
    }
}
} // namespace
