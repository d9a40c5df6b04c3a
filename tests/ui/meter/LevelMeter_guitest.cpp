#include <gtest/gtest.h>

#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/UiFixture.h"
#include "ui/look/ProgramImages.h"
#include "ui/meter/LevelMeter.h"

using qm::test::MouseAt;

namespace
{
// The meter over a clock the test moves.
class Meter : public qm::test::UiFixture
{
protected:
    Meter()
    {
        Tavrel::setUiClockForTests([this] { return now; });
        meter = std::make_unique<LevelMeter>(*host);
    }
    ~Meter() override
    {
        meter.reset();
        Tavrel::setUiClockForTests({});
    }
    void Level(double db, int channel = 0) { meter->levelChanged(host, channel, db); }
    CTVCtrlLevelMeter& Bar() { return meter->getBar(0); }
    // The lit and unlit pictures of the bar, by probes at a height from its
    // bottom.
    bool LitAt(int fromBottom)
    {
        const juce::Image image = Bar().createComponentSnapshot(Bar().getLocalBounds(), true, 1.0f);
        const juce::Image lit = Tavrel::loadProgramImage("LevelMeterAllOn");
        const int y = image.getHeight() - 1 - fromBottom;
        return image.getPixelAt(12, y) == lit.getPixelAt(12, y);
    }

    int64_t now = 100000;
    std::unique_ptr<LevelMeter> meter;
};

TEST_F(Meter, TheDisplayFallsAndLights)
{
    Level(-30.0);
    EXPECT_EQ(Bar().getDisplayedLevel(), -30.0);
    Level(-200.0);
    EXPECT_EQ(Bar().getDisplayedLevel(), -42.0);
    Level(-200.0);
    EXPECT_EQ(Bar().getDisplayedLevel(), -200.0);

    struct Case
    {
        double level;
        int lit;
    };
    for (const Case& c : {Case{-44.0, 9}, Case{-49.0, 0}, Case{-1.0, 189}})
    {
        SCOPED_TRACE(c.level);
        Level(-200.0);
        Level(-200.0);
        Level(-200.0);
        Level(-200.0);
        ASSERT_EQ(Bar().getDisplayedLevel(), -200.0);
        meter->reset();
        Level(c.level);
        EXPECT_EQ(Bar().getLitHeight(), c.lit);
        // Probes inside the top lit segment and the unlit one above it.
        if (c.lit > 0)
        {
            EXPECT_TRUE(LitAt(c.lit - 4));
        }
        if (c.lit < 189)
        {
            EXPECT_FALSE(LitAt(c.lit + 5)) << "above the lit part";
        }
    }
}

// The held segment with hold times 0, 1000 and -1.
TEST_F(Meter, PeakHold)
{
    struct Case
    {
        int hold;
        int64_t after;
        bool dropped;
    };
    for (const Case& c : {Case{0, 50, true}, Case{1000, 999, false}, Case{1000, 1000, true}, Case{-1, 100000, false}})
    {
        SCOPED_TRACE(std::to_string(c.hold) + " after " + std::to_string(c.after));
        host->SetPeakHoldTime(c.hold);
        meter->reset();
        Level(-2.0); // segment 1
        ASSERT_EQ(Bar().getHeldSegment(), 1);
        now += c.after;
        Level(-40.0);
        EXPECT_EQ(Bar().getHeldSegment() != 1, c.dropped);
        now += 1;
    }
    // -1 holds until a left press on the meter.
    meter->mouseDown(MouseAt(*meter, 5, 100, juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier)));
    EXPECT_EQ(Bar().getHeldSegment(), CTVCtrlLevelMeter::kSegments);
}

// The clip indicator: raised at once, lowered after the hold time; -1 holds;
// the button is on while the state is not 0 and a press on it resets.
TEST_F(Meter, ClipHold)
{
    host->SetClipHoldTime(2000);
    meter->clipStateChanged(host, 2);
    now += 500;
    meter->clipStateChanged(host, 1);
    EXPECT_EQ(meter->getClipState(), 2);
    EXPECT_TRUE(meter->getClipButton().getToggleState());
    now += 2000;
    meter->clipStateChanged(host, 1);
    EXPECT_EQ(meter->getClipState(), 1);

    host->SetClipHoldTime(-1);
    meter->clipStateChanged(host, 2);
    for (int i = 0; i < 100; ++i)
    {
        now += 1000;
        meter->clipStateChanged(host, 0);
    }
    EXPECT_EQ(meter->getClipState(), 2);
    EXPECT_TRUE(meter->getClipButton().getToggleState());

    Show(*meter);
    Level(-1.0);
    ASSERT_TRUE(qm::test::xinput::click(meter->getClipButton(), {20, 10}));
    EXPECT_EQ(meter->getClipState(), 0);
    EXPECT_FALSE(meter->getClipButton().getToggleState());
    EXPECT_EQ(Bar().getHeldSegment(), CTVCtrlLevelMeter::kSegments);
}

// The menu: the two hold-time submenus of the command table, a separator,
// "Cancel"; exactly the current time ticked, none for a time outside the
// table.
TEST_F(Meter, TheHoldTimeMenu)
{
    host->SetPeakHoldTime(10000);
    const juce::PopupMenu menu = meter->createMenu();
    std::vector<juce::String> top;
    std::vector<juce::String> peakTexts;
    int ticked = 0;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const juce::PopupMenu::Item& item = it.getItem();
        top.push_back(item.isSeparator ? juce::String("-") : item.text);
        if (item.subMenu != nullptr && item.text == Text("Menu_Item_PeakHold"))
            for (juce::PopupMenu::MenuItemIterator sub(*item.subMenu); sub.next();)
            {
                peakTexts.push_back(sub.getItem().text);
                ticked += sub.getItem().isTicked ? 1 : 0;
            }
    }
    EXPECT_EQ(top, (std::vector<juce::String>{Text("Menu_Item_PeakHold"), Text("Menu_Item_ClipHold"), "-",
                                              Text("Button_Cancel")}));
    ASSERT_EQ(peakTexts.size(), 8u);
    EXPECT_EQ(peakTexts[1], " 0.5 " + Text("Unit_Second"));
    EXPECT_EQ(peakTexts[6], "10.0 " + Text("Unit_Second"));
    EXPECT_EQ(peakTexts[7], Text("Symbol_Infinity"));
    EXPECT_EQ(ticked, 1);

    host->SetPeakHoldTime(1234); // a hand-edited setting: used, nothing ticked
    ticked = 0;
    const juce::PopupMenu edited = meter->createMenu();
    for (juce::PopupMenu::MenuItemIterator it(edited); it.next();)
        if (it.getItem().subMenu != nullptr && it.getItem().text == Text("Menu_Item_PeakHold"))
            for (juce::PopupMenu::MenuItemIterator sub(*it.getItem().subMenu); sub.next();)
                ticked += sub.getItem().isTicked ? 1 : 0;
    EXPECT_EQ(ticked, 0);
    meter->reset();
    Level(-2.0);
    now += 1233;
    Level(-40.0);
    EXPECT_EQ(Bar().getHeldSegment(), 1);
    now += 1;
    Level(-40.0);
    EXPECT_NE(Bar().getHeldSegment(), 1);
}
} // namespace
