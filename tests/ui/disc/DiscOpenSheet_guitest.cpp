#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/devices/DeviceChangeBroadcaster.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/ui/export/ExportUiFixture.h"
#include "ui/disc/DiscOpenSheet.h"
#include "app/core/WideText.h"
#include "engine/audiofile/song/CPlaylistSong.h"

using Tavrel::DiscOpenSheet;
namespace xinput = qm::test::xinput;

namespace
{
constexpr uint32_t kFiveSeconds = 375; // sectors


// The names of this process's threads.
std::vector<std::string> ThreadNames()
{
    std::vector<std::string> names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
    {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names.push_back(name);
    }
    return names;
}

class DiscOpen : public qm::test::ExportUiFixture
{
protected:
    DiscOpen()
    {
        sheet = std::make_unique<DiscOpenSheet>();
        sheet->setVisible(false);
        main.addChildComponent(*sheet);
    }
    ~DiscOpen() override
    {
        if (sheet->getState() == CBfcSheet::kOpen)
            sheet->close();
        sheet.reset();
        discs.clear();
    }
    void AddDisc(const std::string& name, const std::string& title, uint8_t code = 0x00)
    {
        discs.push_back(std::make_unique<qm::test::RegisteredCdImage>(
            folder, name, std::vector<qm::test::CdImageTrack>{{true, kFiveSeconds}, {true, kFiveSeconds}},
            qm::test::AlbumTitlePacks(title, 2, code)));
    }
    void Open()
    {
        ASSERT_TRUE(sheet->open());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5));
    }
    // Waits until the sheet shows `count` discs at its target height.
    bool Shows(int count)
    {
        return qm::test::PumpUntil(
            [&] { return sheet->getShownDiscCount() == count && sheet->getHeight() == sheet->getTargetHeight(); }, 20);
    }
    std::vector<std::unique_ptr<qm::test::RegisteredCdImage>> discs;
    std::unique_ptr<DiscOpenSheet> sheet;
};

TEST_F(DiscOpen, NoDisc)
{
    Open();
    ASSERT_TRUE(Shows(0));
    EXPECT_EQ(sheet->getHeight(), 138);
    EXPECT_TRUE(sheet->getNoDiscLabel().isVisible());
    EXPECT_EQ(sheet->getNoDiscLabel().getText(), Text("DiscOpen_NoDisc"));
    EXPECT_FALSE(sheet->getTable().isVisible());
    EXPECT_FALSE(sheet->getOpenButton().isEnabled());
    sheet->returnKeyPressed(0);
    EXPECT_EQ(sheet->getState(), CBfcSheet::kOpen) << "Return with nothing selected does nothing";
}

// Two discs: the sheet grows in steps of a tenth every 20 ms, then shows
// the rows; a disc arriving later is scanned, the selection kept; Open adds
// the chosen discs' tracks in row order in one step.
TEST_F(DiscOpen, DiscsGrowTheSheetAndOpenAddsTheirTracks)
{
    AddDisc("alpha", "Alpha");
    AddDisc("beta", "Beta");
    std::vector<int> heights;
    struct Heights final : public juce::ComponentListener
    {
        void componentMovedOrResized(juce::Component& c, bool, bool resized) override
        {
            if (resized)
                seen->push_back(c.getHeight());
        }
        std::vector<int>* seen = nullptr;
    } listener;
    listener.seen = &heights;
    sheet->addComponentListener(&listener);
    Open();
    ASSERT_TRUE(Shows(2));
    sheet->removeComponentListener(&listener);
    ASSERT_GE(heights.size(), 3u);
    EXPECT_EQ(heights.front(), 138);
    EXPECT_EQ(heights[1], 143);
    EXPECT_EQ(heights[2], 148);
    EXPECT_EQ(heights.back(), 186);
    EXPECT_TRUE(sheet->getTable().isVisible());
    EXPECT_FALSE(sheet->getNoDiscLabel().isVisible());

    // A third disc arrives, announced by a device-change message: it is
    // scanned and the selection (Beta) stays.
    sheet->getTable().selectRow(1);
    AddDisc("gamma", "Gamma");
    DeviceChangeBroadcaster::getInstance()->broadcast(0, juce::String(discs.back()->Name()));
    ASSERT_TRUE(Shows(3));
    EXPECT_EQ(sheet->getHeight(), 210);
    EXPECT_EQ(sheet->getTable().getSelectedRows(), qm::test::RowSet({1}));
    // A rescan finding as many discs changes no height.
    DeviceChangeBroadcaster::getInstance()->broadcast(0, juce::String(discs.back()->Name()));
    juce::MessageManager::getInstance()->runDispatchLoopUntil(300);
    EXPECT_EQ(sheet->getHeight(), 210);

    // Rows 2 and 1: the tracks of row 1 then row 2, at the end, one step.
    Named({"existing"});
    juce::SparseSet<int> rows;
    rows.addRange({1, 3});
    sheet->getTable().setSelectedRows(rows);
    sheet->getOpenButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 5; }, 20));
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : " + Text("Action_OpenDisc"));
    std::vector<CPlaylistFile*> files;
    host->GetTrack(1)->getSourceFiles(files);
    ASSERT_FALSE(files.empty());
    EXPECT_TRUE(toJuceString(files[0]->GetPath()).startsWith(juce::String(discs[1]->Name())));
    files.clear();
    host->GetTrack(3)->getSourceFiles(files);
    ASSERT_FALSE(files.empty());
    EXPECT_TRUE(toJuceString(files[0]->GetPath()).startsWith(juce::String(discs[2]->Name())));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
}

TEST_F(DiscOpen, RowsAndTheirPainting)
{
    AddDisc("alpha", "Alpha");
    AddDisc("beta", "Beta");
    Open();
    ASSERT_TRUE(Shows(2));
    juce::TableListBox& table = sheet->getTable();
    table.selectRow(0);
    qm::test::PumpPosted();
    // The cells, drawn into images and compared with their texts' own
    // drawing would restate the code; the row background and lines are
    // probed instead, and the texts read through the model.
    juce::Image row(juce::Image::ARGB, 368, 24, true);
    {
        juce::Graphics g(row);
        sheet->paintRowBackground(g, 0, 368, 24, true);
    }
    EXPECT_EQ(row.getPixelAt(100, 10), juce::Colour(0xFFFFFFFF));
    EXPECT_EQ(row.getPixelAt(100, 23).getAlpha(), 0xFF) << "the line over white";
    juce::Image last(juce::Image::ARGB, 368, 24, true);
    {
        juce::Graphics g(last);
        sheet->paintRowBackground(g, 1, 368, 24, false);
    }
    EXPECT_EQ(last.getPixelAt(100, 23).getAlpha(), 0) << "no line under the last row";
    juce::Image cell(juce::Image::ARGB, 48, 24, true);
    {
        juce::Graphics g(cell);
        sheet->paintCell(g, 0, 5, 48, 24, false);
    }
    EXPECT_EQ(cell.getPixelAt(47, 2).getARGB(), DiscOpenSheet::kLineColour) << "the cell's right edge";
    EXPECT_EQ(DiscOpenSheet::shortDriveName(juce::String(discs[0]->Name())), "alpha");
}

// A Japanese CD-TEXT title draws in the Japanese face in the English
// interface: the same pixels as that face draws it.
TEST_F(DiscOpen, AJapaneseTitle)
{
    AddDisc("nihongo", "\x93\xfa\x96\x7b\x8c\xea", 0x80);
    Open();
    ASSERT_TRUE(Shows(1));
    const juce::String title = juce::CharPointer_UTF8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
    ASSERT_EQ(sheet->getShownDisc(0)->title, title);
    juce::Image drawn(juce::Image::ARGB, 176, 24, true);
    {
        juce::Graphics g(drawn);
        sheet->paintCell(g, 0, 3, 176, 24, false);
    }
    juce::Image expected(juce::Image::ARGB, 176, 24, true);
    {
        juce::Graphics g(expected);
        g.setColour(juce::Colours::black);
        juce::Font font = language.lookAndFeel().getFont(1, 0.6f * 24.0f, juce::Font::plain);
        font.setTypefaceName(CTVLookAndFeel::kJapaneseFace);
        g.setFont(font);
        g.drawFittedText(title, 2, 2, 172, 20, juce::Justification::centredLeft, 1, 0.7f);
    }
    bool same = true;
    for (int y = 0; y < 24 && same; ++y)
        for (int x = 0; x < 175 && same; ++x)
            same = drawn.getPixelAt(x, y) == expected.getPixelAt(x, y);
    EXPECT_TRUE(same);
}

TEST_F(DiscOpen, NineAndTenDiscs)
{
    for (int i = 0; i < 9; ++i)
        AddDisc("d" + std::to_string(i), "Disc " + std::to_string(i));
    Open();
    ASSERT_TRUE(Shows(9));
    EXPECT_EQ(sheet->getHeight(), 354);
    AddDisc("d9", "Disc 9");
    DeviceChangeBroadcaster::getInstance()->broadcast(0, juce::String(discs.back()->Name()));
    ASSERT_TRUE(Shows(10));
    EXPECT_EQ(sheet->getHeight(), 360);
    EXPECT_TRUE(sheet->getTable().getViewport()->canScrollVertically());
}

// Keys only while open; one reload thread however fast the sheet is closed
// and opened again.
TEST_F(DiscOpen, KeysAndOneThread)
{
    AddDisc("alpha", "Alpha");
    Open();
    ASSERT_TRUE(Shows(1));
    ASSERT_TRUE(xinput::key(main, "Escape"));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
    EXPECT_FALSE(sheet->getCancelButton().isRegisteredForShortcut(juce::KeyPress(juce::KeyPress::escapeKey)));
    EXPECT_FALSE(sheet->getOpenButton().isRegisteredForShortcut(
        juce::KeyPress('o', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier, 0)));

    Open();
    ASSERT_TRUE(Shows(1));
    ASSERT_TRUE(sheet->close());
    juce::MessageManager::getInstance()->runDispatchLoopUntil(30);
    Open();
    ASSERT_TRUE(Shows(1));
    const auto names = ThreadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Disc Reload Thr"), 1);

    sheet->getTable().selectRow(0);
    ASSERT_TRUE(xinput::key(main, "ctrl+alt+o"));
    EXPECT_EQ(sheet->getState(), CBfcSheet::kClosed);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetTrackCount() == 2; }, 20));
}
} // namespace
