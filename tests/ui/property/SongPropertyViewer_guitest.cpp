#include <gtest/gtest.h>

#include <memory>

#include "app/core/WideText.h"
#include "app/devices/CdDriveList.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/UiFixture.h"
#include "ui/property/SongPropertyViewer.h"

using Tavrel::SongPropertyViewer;
using Tavrel::SongTreeViewItem;

namespace
{
class PropertyViewer : public qm::test::UiFixture
{
protected:
    explicit PropertyViewer(const char* locale = qm::test::LanguageSwitch::kEnglish)
        : UiFixture(locale)
    {
    }
    void Select(std::initializer_list<int> rows)
    {
        juce::SparseSet<int> set;
        for (int row : rows)
            set.addRange({row, row + 1});
        host->SetSelection(set, 0);
    }
    // The texts of the tree, indented by depth.
    static juce::StringArray Outline(juce::TreeViewItem& item, int depth = -1)
    {
        juce::StringArray lines;
        if (depth >= 0)
            lines.add(juce::String::repeatedString("  ", depth) +
                      static_cast<SongTreeViewItem&>(item).getText());
        for (int i = 0; i < item.getNumSubItems(); ++i)
            lines.addArray(Outline(*item.getSubItem(i), depth + 1));
        return lines;
    }
    SongTreeViewItem& Item(SongPropertyViewer& viewer, std::initializer_list<int> path)
    {
        juce::TreeViewItem* item = &viewer.getRoot();
        for (int index : path)
            item = item->getSubItem(index);
        return *static_cast<SongTreeViewItem*>(item);
    }
    CPlaylistFile& FirstFile(int row) { return *host->GetTrack(row)->song->GetSection(0)->GetTrack(0)->GetFile(0); }
};

// Sections with their time ranges; "L" and "R" only for channel-linked songs.
TEST_F(PropertyViewer, SectionsAndChannels)
{
    AddSong("long.wav", 60.0, 44100);
    AddSong("short.wav", 30.0, 44100);
    juce::SparseSet<int> both;
    both.addRange({0, 2});
    ASSERT_TRUE(host->CombineTracks(both));
    AddSong("left.wav", 1.0, 44100, 1);
    AddSong("right.wav", 1.0, 44100, 1);
    juce::SparseSet<int> pair;
    pair.addRange({1, 3});
    ASSERT_TRUE(host->LinkChannels(pair));
    host->GetTrack(0)->setTextField("Combined", Tavrel::TrackInfo::kSongName, false);
    host->GetTrack(1)->setTextField("Linked", Tavrel::TrackInfo::kSongName, false);
    Select({0, 1});
    SongPropertyViewer viewer;
    const juce::String base(folder.path().string() + "/");
    const juce::StringArray expected{
        "Combined",
        "  00:00:00.000 - 00:01:00.000",
        "    " + base + "long.wav",
        "  00:01:00.000 - 00:01:30.000",
        "    " + base + "short.wav",
        "Linked",
        "  00:00:00.000 - 00:00:01.000",
        "    L",
        "      " + base + "left.wav",
        "    R",
        "      " + base + "right.wav",
    };
    EXPECT_EQ(Outline(viewer.getRoot()).joinIntoString("\n"), expected.joinIntoString("\n"));
    EXPECT_EQ(viewer.getBounds(), juce::Rectangle<int>(0, 0, 320, 360));
}

// Missing files are red, selected items are tinted; a CD track of a disc in
// its drive is not missing; a song whose files are all gone still opens.
TEST_F(PropertyViewer, MissingFilesAndPictures)
{
    AddSong("gone.wav", 0.2);
    AddSong("here.wav", 0.2);
    ASSERT_TRUE(juce::File(juce::String(folder.file("gone.wav").string())).deleteFile());
    host->GetTrack(1)->setPicturePath(juce::String(folder.file("no picture.png").string()));
    qm::test::RegisteredCdImage disc(folder, "disc", {{true, 300}, {true, 450}});
    ASSERT_TRUE(Tavrel::CdDriveList::rebuild());
    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(toEngineText(juce::String(disc.Name())).c_str()), ReaderOpenResult::Ok);
    ASSERT_TRUE(reader.SelectTrack(1));
    host->tracks.push_back(new Tavrel::TrackInfo(reader));
    host->RebuildNameIndex();
    Select({0, 1, 2});
    SongPropertyViewer viewer;
    SongTreeViewItem& gone = Item(viewer, {0, 0, 0});
    SongTreeViewItem& here = Item(viewer, {1, 0, 0});
    EXPECT_TRUE(gone.isMissing());
    EXPECT_FALSE(here.isMissing());
    EXPECT_EQ(Item(viewer, {1, 1}).getText(), "Attached Picture");
    EXPECT_TRUE(Item(viewer, {1, 1, 0}).isMissing());
    EXPECT_FALSE(Item(viewer, {2, 0, 0}).isMissing()) << "the disc is in its drive";

    const auto paint = [](SongTreeViewItem& item) {
        juce::Image image(juce::Image::ARGB, 300, 20, true);
        juce::Graphics g(image);
        item.paintItem(g, 300, 20);
        return image;
    };
    const auto hasPixel = [](const juce::Image& image, juce::Colour colour) {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_TRUE(hasPixel(paint(gone), juce::Colour(SongTreeViewItem::kMissingText)));
    EXPECT_FALSE(hasPixel(paint(here), juce::Colour(SongTreeViewItem::kMissingText)));
    const auto near = [](juce::Colour a, juce::Colour b) {
        return std::abs(a.getAlpha() - b.getAlpha()) <= 2 && std::abs(a.getRed() - b.getRed()) <= 2 &&
               std::abs(a.getGreen() - b.getGreen()) <= 2 && std::abs(a.getBlue() - b.getBlue()) <= 2;
    };
    gone.setSelected(true, true);
    EXPECT_TRUE(near(paint(gone).getPixelAt(2, 2), juce::Colour(SongTreeViewItem::kMissingSelected)));
    here.setSelected(true, true);
    EXPECT_TRUE(near(paint(here).getPixelAt(2, 2), juce::Colour(SongTreeViewItem::kPresentSelected)));
}

// Open-ended files are measured and their end written back; a file above
// 96 kHz counts no frames.
TEST_F(PropertyViewer, OpenEndedFiles)
{
    AddSong("cd rate.wav", 2.0, 44100);
    AddSong("high rate.wav", 2.0, 192000);
    FirstFile(0).SetEnd(-1);
    FirstFile(1).SetEnd(-1);
    Select({0, 1});
    SongPropertyViewer viewer;
    EXPECT_EQ(FirstFile(0).GetEnd(), 88200);
    EXPECT_EQ(Item(viewer, {0, 0}).getText(), "00:00:00.000 - 00:00:02.000");
    EXPECT_EQ(FirstFile(1).GetEnd(), -1);
    EXPECT_EQ(Item(viewer, {1, 0}).getText(), "00:00:00.000 - 00:00:00.000");
}

// A right click on a leaf offers its three choices, on other items nothing;
// copying puts the path on the clipboard; opening hands the folder to the
// desktop's opener as one argument, whatever its name holds.
TEST_F(PropertyViewer, LeafMenu)
{
    const juce::File odd(juce::String(folder.file("$(touch x)").string()));
    ASSERT_TRUE(odd.createDirectory().wasOk());
    AddSong("$(touch x)/song.wav", 0.2);
    Select({0});
    SongPropertyViewer viewer;
    Show(viewer);
    SongTreeViewItem& leaf = Item(viewer, {0, 0, 0});
    juce::StringArray texts;
    const juce::PopupMenu menu = leaf.getLeafMenu();
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        texts.add(it.getItem().text);
    EXPECT_EQ(texts, juce::StringArray({"Copy File Path", "Open Parent Folder...", "Cancel"}));

    const auto rightClick = juce::ModifierKeys(juce::ModifierKeys::rightButtonModifier);
    for (SongTreeViewItem* item : {&Item(viewer, {0}), &Item(viewer, {0, 0})})
    {
        item->itemClicked(qm::test::MouseAt(viewer.getTree(), 10, 10, rightClick));
        qm::test::PumpPosted();
        EXPECT_FALSE(juce::PopupMenu::dismissAllActiveMenus()) << item->getText();
    }
    leaf.itemClicked(qm::test::MouseAt(viewer.getTree(), 10, 10, juce::ModifierKeys()));
    qm::test::PumpPosted();
    EXPECT_FALSE(juce::PopupMenu::dismissAllActiveMenus()) << "a left click shows nothing";
    leaf.itemClicked(qm::test::MouseAt(viewer.getTree(), 10, 10, rightClick));
    qm::test::PumpPosted();
    EXPECT_TRUE(juce::PopupMenu::dismissAllActiveMenus());
    qm::test::PumpPosted();

    leaf.perform(SongTreeViewItem::kCopyPath);
    EXPECT_EQ(juce::SystemClipboard::getTextFromClipboard(), odd.getChildFile("song.wav").getFullPathName());

    qm::test::TempFolder bin;
    const juce::File log(juce::String(bin.file("opened").string()));
    const juce::File opener(juce::String(bin.file("xdg-open").string()));
    ASSERT_TRUE(opener.replaceWithText("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" + log.getFullPathName() + "'\n",
                                       false, false, "\n"));
    ASSERT_TRUE(opener.setExecutePermission(true));
    const char* path = std::getenv("PATH");
    qm::test::ScopedEnv pathVariable{"PATH", bin.path().string() + ":" + (path != nullptr ? path : "")};
    leaf.perform(SongTreeViewItem::kOpenFolder);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return log.existsAsFile() && log.getSize() > 0; }, 5));
    EXPECT_EQ(log.loadFileAsString(), "1\n" + odd.getFullPathName() + "\n");
    EXPECT_FALSE(juce::File(juce::String(folder.file("x").string())).exists());
    EXPECT_FALSE(odd.getChildFile("x").exists());
    EXPECT_FALSE(juce::File::getCurrentWorkingDirectory().getChildFile("x").exists());

    // An opener that fails changes nothing.
    ASSERT_TRUE(opener.replaceWithText("#!/bin/sh\nexit 3\n", false, false, "\n"));
    leaf.perform(SongTreeViewItem::kOpenFolder);
    EXPECT_EQ(leaf.getText(), odd.getChildFile("song.wav").getFullPathName());
    leaf.perform(SongTreeViewItem::kCancel);
}

// OK ends the enclosing dialog with 0; viewers one after another each draw
// their own tree.
TEST_F(PropertyViewer, DialogAndRepeatedViewers)
{
    Named({"Song"});
    Select({0});
    for (int round = 0; round < 2; ++round)
    {
        auto viewer = std::make_unique<SongPropertyViewer>();
        Show(*viewer);
        const juce::Image image = viewer->getTree().createComponentSnapshot(viewer->getTree().getLocalBounds());
        bool dark = false;
        for (int y = 0; y < 20 && !dark; ++y)
            for (int x = 0; x < 100 && !dark; ++x)
                dark = image.getPixelAt(x, y).getBrightness() < 0.3f;
        EXPECT_TRUE(dark) << "round " << round << " draws the song's name";
        window->removeFromDesktop();
        window.reset();
    }

    juce::DialogWindow::LaunchOptions options;
    auto* viewer = new SongPropertyViewer();
    options.content.setOwned(viewer);
    options.dialogTitle = "File Info";
    juce::Component::SafePointer<juce::DialogWindow> dialog(options.create());
    dialog->enterModalState(true, nullptr, true);
    qm::test::PumpPosted();
    viewer->getOkButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return dialog == nullptr; }, 5));
}

TEST(PropertyViewerLooks, LinkedSongAndMissingFile)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        struct Scene final : public PropertyViewer
        {
            explicit Scene(const char* l)
                : PropertyViewer(l)
            {
            }
            void TestBody() override {}
            using PropertyViewer::AddSong;
            using PropertyViewer::folder;
            using PropertyViewer::host;
            using PropertyViewer::language;
            using PropertyViewer::Select;
            using PropertyViewer::Show;
        } scene(locale);
        scene.AddSong("left.wav", 1.0, 44100, 1);
        scene.AddSong("right.wav", 1.0, 44100, 1);
        juce::SparseSet<int> pair;
        pair.addRange({0, 2});
        ASSERT_TRUE(scene.host->LinkChannels(pair));
        scene.AddSong("missing.wav", 1.0);
        ASSERT_TRUE(juce::File(juce::String(scene.folder.file("missing.wav").string())).deleteFile());
        scene.host->GetTrack(0)->setTextField(juce::String::fromUTF8("ライブ録音"), Tavrel::TrackInfo::kSongName, false);
        scene.Select({0, 1});
        SongPropertyViewer viewer;
        scene.Show(viewer);
        qm::test::PumpFor(200);
        const std::string full = std::string("viewer") + (scene.language.isJapanese() ? "-ja" : "-en");
        qm::test::KeepRender(qm::test::screenshots::snapshot(viewer, "PropertyViewerLooks", full), full);
    }
}
} // namespace
