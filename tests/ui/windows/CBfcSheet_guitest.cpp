#include <gtest/gtest.h>

#include "tests/ui/GuiTestHelpers.h"
#include "ui/windows/CBfcSheet.h"

using qm::test::PumpUntil;

namespace
{
class RecordingSheet final : public CBfcSheet
{
public:
    juce::StringArray events;

protected:
    void sheetWillOpen() override { events.add("willOpen"); }
    void sheetDidOpen() override { events.add("didOpen"); }
    void sheetWillClose() override { events.add("willClose"); }
    void sheetDidClose() override { events.add("didClose"); }
};

class RecordingListener final : public CBfcSheetListener
{
public:
    explicit RecordingListener(juce::StringArray& events)
        : m_events(events)
    {
    }
    void sheetOpened(CBfcSheet*) override { m_events.add("opened"); }
    void sheetClosed(CBfcSheet*) override { m_events.add("closed"); }

private:
    juce::StringArray& m_events;
};

struct SheetFixture : ::testing::Test
{
    SheetFixture()
    {
        window.setBounds(50, 50, 400, 300);
        window.addToDesktop(0);
        window.setVisible(true);
    }
    ~SheetFixture() override { juce::ModalComponentManager::getInstance()->cancelAllModalComponents(); }

    RecordingSheet& AddSheet(int width, int height)
    {
        auto& sheet = *sheets.add(new RecordingSheet());
        sheet.setSize(width, height);
        window.addChildComponent(sheet);
        return sheet;
    }

    juce::Component window;
    juce::OwnedArray<RecordingSheet> sheets;
};
} // namespace

TEST_F(SheetFixture, SlidesInModalAndOutCountingOpenSheets)
{
    auto& sheet = AddSheet(200, 100);
    RecordingListener listener(sheet.events);
    sheet.AddListener(&listener);
    const int before = CBfcSheet::getOpenSheetCount();

    EXPECT_FALSE(sheet.close());
    ASSERT_TRUE(sheet.open());
    EXPECT_EQ(sheet.getState(), CBfcSheet::kOpening);
    EXPECT_EQ(sheet.getPosition(), juce::Point<int>(100, 0));
    EXPECT_FALSE(sheet.open()) << "a second open while sliding in";
    EXPECT_FALSE(sheet.close()) << "a close while sliding in";
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before);

    ASSERT_TRUE(PumpUntil([&] { return sheet.getState() == CBfcSheet::kOpen; }));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(sheet.isCurrentlyModal(false));
    EXPECT_EQ(sheet.getPosition(), juce::Point<int>(100, 0));
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before + 1);
    EXPECT_EQ(sheet.events.joinIntoString(","), "willOpen,didOpen,opened");

    ASSERT_TRUE(sheet.close());
    EXPECT_FALSE(sheet.close());
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(sheet.isCurrentlyModal(false));
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before);
    EXPECT_EQ(sheet.events.joinIntoString(","), "willOpen,didOpen,opened,willClose,didClose,closed");

    // Reopened at once, while its slide-out still runs: it ends open, in
    // place and opaque.
    ASSERT_TRUE(sheet.open());
    ASSERT_TRUE(PumpUntil([&] { return sheet.getState() == CBfcSheet::kOpen; }));
    ASSERT_TRUE(PumpUntil([&] { return !juce::Desktop::getInstance().getAnimator().isAnimating(); }));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.getPosition(), juce::Point<int>(100, 0));
    EXPECT_FLOAT_EQ(sheet.getAlpha(), 1.0f);
    EXPECT_TRUE(sheet.isCurrentlyModal(false));
    sheet.close();
    sheet.RemoveListener(&listener);
}

TEST_F(SheetFixture, TwoSheetsCountTwoAndAWideSheetIsCentred)
{
    const int before = CBfcSheet::getOpenSheetCount();
    auto& first = AddSheet(200, 100);
    auto& wide = AddSheet(500, 80);
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(PumpUntil([&] { return first.getState() == CBfcSheet::kOpen; }));
    ASSERT_TRUE(wide.open());
    EXPECT_EQ(wide.getX(), -50);
    ASSERT_TRUE(PumpUntil([&] { return wide.getState() == CBfcSheet::kOpen; }));
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before + 2);

    EXPECT_TRUE(wide.close());
    EXPECT_TRUE(first.close());
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before);
}

TEST_F(SheetFixture, DeletingAnOpenSheetLowersTheCount)
{
    const int before = CBfcSheet::getOpenSheetCount();
    auto& sheet = AddSheet(100, 50);
    ASSERT_TRUE(sheet.open());
    ASSERT_TRUE(PumpUntil([&] { return sheet.getState() == CBfcSheet::kOpen; }));
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before + 1);
    sheets.removeObject(&sheet);
    EXPECT_EQ(CBfcSheet::getOpenSheetCount(), before);
}

TEST_F(SheetFixture, OnlyTopLevelWindowsTakeEventsWhileModal)
{
    auto& sheet = AddSheet(100, 50);
    juce::DocumentWindow other("other", juce::Colours::grey, 0, false);
    juce::Component plain;
    EXPECT_TRUE(sheet.canModalEventBeSentToComponent(&other));
    EXPECT_FALSE(sheet.canModalEventBeSentToComponent(&plain));
}
