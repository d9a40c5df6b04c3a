#include <gtest/gtest.h>

#include "tests/ui/UiFixture.h"
#include "ui/look/ProgramImages.h"
#include "ui/main/ExportAndBurnCD.h"

namespace
{
// Stands in for the main component as the target of the export and burn
// commands: enabled in player mode with songs.
class ExportTarget final : public juce::ApplicationCommandTarget
{
public:
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return next; }
    void getAllCommands(juce::Array<juce::CommandID>& ids) override { ids.addArray({32, 33}); }
    void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        info.shortName = id == 32 ? "Export" : "Burn";
        CTVHost* host = CTVHost::GetStoredInstance();
        info.setActive(host != nullptr && host->GetMode() == CTVHost::kPlayerMode && host->GetTrackCount() > 0);
    }
    bool perform(const InvocationInfo& info) override
    {
        invoked.push_back(info.commandID);
        return true;
    }
    juce::ApplicationCommandTarget* next = nullptr;
    std::vector<int> invoked;
};

using MainParts = qm::test::UiFixture;

TEST_F(MainParts, ExportAndBurnButtonsFollowTheirCommands)
{
    ExportTarget target;
    target.next = actions.get();
    commands->registerAllCommandsForTarget(&target);
    commands->setFirstCommandTarget(&target);
    ExportAndBurnCD buttons(*host);
    EXPECT_EQ(buttons.getBounds(), juce::Rectangle<int>(0, 0, 80, 44));
    Show(buttons);
    EXPECT_EQ(buttons.getExportButton().getBounds(), juce::Rectangle<int>(0, 0, 80, 22));
    EXPECT_EQ(buttons.getBurnButton().getBounds(), juce::Rectangle<int>(0, 22, 80, 22));

    commands->commandStatusChanged();
    qm::test::PumpUntil([&] { return !buttons.getExportButton().isEnabled(); }, 2);
    EXPECT_FALSE(buttons.getExportButton().isEnabled());
    EXPECT_FALSE(buttons.getBurnButton().isEnabled());
    Named({"one"});
    commands->commandStatusChanged();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return buttons.getExportButton().isEnabled(); }, 2));
    EXPECT_TRUE(buttons.getBurnButton().isEnabled());

    ASSERT_TRUE(qm::test::xinput::click(buttons.getExportButton(), {40, 11}));
    ASSERT_TRUE(qm::test::xinput::click(buttons.getBurnButton(), {40, 11}));
    EXPECT_EQ(target.invoked, (std::vector<int>{32, 33}));
    commands->setFirstCommandTarget(actions.get());
}

TEST_F(MainParts, TheBackgroundRepeatsItsStripAndShowsTheLogo)
{
    BackGroundComponent background;
    EXPECT_EQ(background.getHeight(), 350);
    background.setSize(699, 600);
    const juce::Image image = background.createComponentSnapshot(background.getLocalBounds(), true, 1.0f);
    const juce::Image strip = Tavrel::loadProgramImage("BackGround_cont");
    const juce::Image logo = Tavrel::loadProgramImage("Player_BrenlowLogo");
    for (const int x : {0, 350, 698})
        EXPECT_EQ(image.getPixelAt(x, 599), strip.getPixelAt(x, 0)) << x;
    const juce::Point<int> inLogo(logo.getWidth() / 2, logo.getHeight() / 2);
    if (logo.getPixelAt(inLogo.x, inLogo.y).getAlpha() == 255)
    {
        EXPECT_EQ(image.getPixelAt(611 + inLogo.x, 32 + inLogo.y), logo.getPixelAt(inLogo.x, inLogo.y));
    }
}
} // namespace
