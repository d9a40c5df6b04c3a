#include <gtest/gtest.h>

#include <memory>

#include "tests/support/XInput.h"
#include "tests/ui/picture/PictureUiFixture.h"
#include "ui/picture/EmbeddedImagePreviewComponent.h"
#include "ui/picture/FileImageComponent.h"

using Tavrel::EmbeddedImagePreviewComponent;
using Tavrel::FileImageComponent;
namespace xinput = qm::test::xinput;

namespace
{
struct Notes final : public Tavrel::FileImageComponentListener
{
    void imageFileChanged(FileImageComponent* source) override { files.add(source->getImageFile()); }
    juce::StringArray files;
};

class PictureView : public qm::test::PictureUiFixture
{
protected:
    PictureView()
    {
        view = std::make_unique<FileImageComponent>();
        view->setSize(160, 120);
        view->AddListener(&notes);
        Show(*view);
    }
    ~PictureView() override
    {
        if (view != nullptr)
            view->RemoveListener(&notes);
        if (window != nullptr)
            window->removeFromDesktop();
        window.reset();
        view.reset();
    }

    bool Settled()
    {
        return qm::test::PumpUntil([&] { return !view->isLoading(); }, 10) && qm::test::PumpPosted();
    }
    bool ShowsPicture() const { return view->getPictureButton().isVisible() && !view->getPlaceholderButton().isVisible(); }
    juce::String Message() const { return view->getMessageLabel().isVisible() ? view->getMessageLabel().getText() : "(hidden)"; }

    Notes notes;
    std::unique_ptr<FileImageComponent> view;
};

// Setting a file loads it once; the same file again neither reloads nor
// notifies; an empty file goes through even when none is set.
TEST_F(PictureView, SetsLoadsAndNotifiesOncePerChange)
{
    EXPECT_EQ(Message(), "No picture attached");
    const juce::File png = Picture("a.png", 64, 48);
    view->setImageFile(png, true);
    EXPECT_EQ(Message(), "Loading the attached picture...");
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(ShowsPicture());
    EXPECT_EQ(Message(), "(hidden)");
    view->setImageFile(png, true);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(readers.count(), 1);
    EXPECT_EQ(notes.files, juce::StringArray(png.getFullPathName()));

    view->setImageFile(juce::File(), true);
    view->setImageFile(juce::File(), true);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(notes.files.size(), 3);
    EXPECT_EQ(Message(), "No picture attached");
    EXPECT_FALSE(ShowsPicture());
    EXPECT_EQ(readers.count(), 1);
}

// Files that give no picture: random bytes named x.png, and a missing file.
TEST_F(PictureView, UnreadablePictureSaysSo)
{
    const juce::File bad(juce::String(folder.file("x.png").string()));
    juce::MemoryBlock noise(4096);
    juce::Random(7).fillBitsRandomly(noise.getData(), noise.getSize());
    ASSERT_TRUE(bad.replaceWithData(noise.getData(), noise.getSize()));
    for (const juce::File& file : {bad, bad.getSiblingFile("missing.png")})
    {
        view->setImageFile(file, false);
        ASSERT_TRUE(Settled());
        EXPECT_EQ(Message(), "Cannot read the attached picture") << file.getFileName();
        EXPECT_TRUE(view->getPlaceholderButton().isVisible());
        EXPECT_FALSE(view->getRemoveButton().isVisible());
    }
}

// The remove button sits at the top-right corner of the fitted picture.
TEST_F(PictureView, RemoveButtonFollowsThePicturesCorner)
{
    struct Case
    {
        int width, height, right, top;
    } cases[] = {{320, 120, 160, 30}, {60, 120, 109, 0}, {160, 120, 160, 0}};
    for (const Case& c : cases)
    {
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + ".png";
        view->setImageFile(Picture(name, c.width, c.height), false);
        ASSERT_TRUE(Settled());
        EXPECT_EQ(view->getRemoveButton().getRight(), c.right) << name;
        EXPECT_EQ(view->getRemoveButton().getY(), c.top) << name;
        EXPECT_EQ(view->getRemoveButton().getWidth(), 18);
    }
}

// The remove button shows while the real mouse is over the picture, and a
// click on it removes the picture with one notification.
TEST_F(PictureView, RemoveButtonUnderTheMouse)
{
    view->setImageFile(Picture("wide.png", 320, 120), false);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(xinput::moveTo(*view, {40, 60}));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return view->getRemoveButton().isVisible(); }, 5));
    ASSERT_TRUE(xinput::moveTo(*view, {151, 39}));
    qm::test::PumpPosted();
    EXPECT_TRUE(view->getRemoveButton().isVisible()) << "over the remove button itself";
    ASSERT_TRUE(xinput::click(*view, {151, 39}));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return notes.files.size() == 1; }, 5));
    qm::test::PumpPosted();
    EXPECT_EQ(notes.files, juce::StringArray(juce::String()));
    EXPECT_EQ(view->getImageFile(), "");
    EXPECT_EQ(Message(), "No picture attached");
    ASSERT_TRUE(xinput::moveToScreen({600, 600}));
    ASSERT_TRUE(Settled());
    EXPECT_FALSE(view->getRemoveButton().isVisible());
}

// A click on the placeholder opens the picture chooser; a choice is shown
// and notified, a cancel changes nothing.
TEST_F(PictureView, ClickChoosesAPicture)
{
    ChooserAnswers(juce::File());
    view->getPlaceholderButton().triggerClick();
    qm::test::PumpPosted();
    EXPECT_EQ(dialogs->getChooserCount(), 1);
    EXPECT_TRUE(notes.files.isEmpty());
    EXPECT_EQ(view->getImageFile(), "");

    const juce::File jpeg = Picture("c.jpg", 80, 60);
    ChooserAnswers(jpeg);
    view->getPlaceholderButton().triggerClick();
    ASSERT_TRUE(qm::test::PumpUntil([&] { return !notes.files.isEmpty(); }, 5));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(notes.files, juce::StringArray(jpeg.getFullPathName()));
    EXPECT_TRUE(ShowsPicture());
}

// Changes during a slow load lead to one further load, of the newest file.
TEST_F(PictureView, ChangesDuringASlowLoadLoadTheNewestOnce)
{
    const juce::File a = Picture("a.png", 40, 30, juce::Colours::red);
    const juce::File b = Picture("b.png", 40, 30, juce::Colours::green);
    const juce::File c = Picture("c.png", 40, 30, juce::Colours::blue);
    readers.setDelay(400);
    view->setImageFile(a, false);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return readers.count() == 1; }, 5));
    view->setImageFile(b, false);
    qm::test::PumpFor(150);
    view->setImageFile(c, false);
    ASSERT_TRUE(Settled());
    const juce::StringArray loaded = readers.paths();
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded[0], a.getFullPathName());
    EXPECT_EQ(loaded[1], c.getFullPathName());
    EXPECT_TRUE(ShowsPicture());
    const juce::Image shown = view->getPictureButton().getNormalImage();
    EXPECT_EQ(shown.getPixelAt(5, 5), juce::Colours::blue) << "the newest file's picture";
}

// Destroying the view while its thread reads is clean (the sanitizers check).
TEST_F(PictureView, DestroyedDuringASlowLoad)
{
    readers.setDelay(300);
    view->setImageFile(Picture("a.png", 40, 30), true);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return readers.count() == 1; }, 5));
    view->RemoveListener(&notes);
    window->removeFromDesktop();
    window.reset();
    view.reset();
    qm::test::PumpFor(100);
}

// Which drops the view takes.
TEST_F(PictureView, DropInterest)
{
    const juce::File cover = Picture("cover.jpg", 32, 32);
    const juce::File mp3 = qm::test::WriteMp3WithCover(folder.file("song.mp3"), cover);
    const juce::String base(folder.path().string() + "/");
    struct Case
    {
        juce::StringArray files;
        bool interested;
    } cases[] = {
        {{base + "a.jpg"}, true},
        {{base + "A.JPEG"}, true},
        {{base + "s.wma"}, true},
        {{mp3.getFullPathName()}, true},
        {{base + "t.txt"}, false},
        {{base}, false},
        {{base + "a.jpg", base + "b.png"}, false},
        {{juce::String()}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view->isInterestedInFileDrag(c.files), c.interested) << c.files.joinIntoString(",");
    window->setEnabled(false);
    EXPECT_FALSE(view->isInterestedInFileDrag({base + "a.jpg"})) << "a disabled parent refuses drops";
    window->setEnabled(true);

    view->setImageFile(mp3, false);
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(ShowsPicture()) << "the MP3's cover";
}

// While a file hovers a frame 2 px wide of black at alpha 0.5 surrounds the
// view; a PNG dropped from another program is shown and notified.
TEST_F(PictureView, DropsFromAnotherProgram)
{
    const juce::Image before = view->createComponentSnapshot(view->getLocalBounds());
    view->fileDragEnter({"x.png"}, 10, 10);
    const juce::Image framed = view->createComponentSnapshot(view->getLocalBounds());
    const auto darker = [](juce::Colour under) { return under.interpolatedWith(juce::Colours::black, 0.5f); };
    for (const juce::Point<int> p : {juce::Point<int>{0, 60}, {1, 60}, {159, 60}, {80, 0}, {80, 119}})
    {
        const juce::Colour expected = darker(before.getPixelAt(p.x, p.y));
        const juce::Colour got = framed.getPixelAt(p.x, p.y);
        EXPECT_NEAR(got.getRed(), expected.getRed(), 2) << p.toString();
        EXPECT_NEAR(got.getGreen(), expected.getGreen(), 2) << p.toString();
    }
    EXPECT_EQ(framed.getPixelAt(2, 60), before.getPixelAt(2, 60)) << "the frame is 2 px wide";
    view->fileDragExit({"x.png"});
    EXPECT_EQ(view->createComponentSnapshot(view->getLocalBounds()).getPixelAt(0, 60), before.getPixelAt(0, 60));

    const juce::File png = Picture("dropped.png", 100, 50, juce::Colours::green);
    juce::ChildProcess source;
    ASSERT_TRUE(source.start(juce::StringArray{juce::String(QM_DRAG_SOURCE), "700", "100", png.getFullPathName()}, 0));
    ASSERT_FALSE(xinput::findWindow("QmDragSource").empty());
    ASSERT_TRUE(xinput::moveToScreen({750, 150}));
    ASSERT_TRUE(xinput::buttonDown());
    for (int step = 1; step <= 8; ++step)
        ASSERT_TRUE(xinput::moveToScreen({750 - step * 70, 150 - step * 10}));
    ASSERT_TRUE(xinput::moveTo(*view, {80, 60}));
    ASSERT_TRUE(xinput::buttonUp());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return !notes.files.isEmpty(); }, 20));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(notes.files, juce::StringArray(png.getFullPathName()));
    EXPECT_TRUE(ShowsPicture());
    source.waitForProcessToFinish(10000);
}

class PreviewPanel : public qm::test::PictureUiFixture
{
protected:
    bool Loaded(EmbeddedImagePreviewComponent& panel, int loads)
    {
        return qm::test::PumpUntil([&] { return panel.getLoadCount() == loads; }, 5);
    }
};

// Pictures are fitted (only reduced) and described on three lines; the same
// path is not loaded again, while paths differing in case are two files.
TEST_F(PreviewPanel, FitsDescribesAndReloadsOnlyNewPaths)
{
    EmbeddedImagePreviewComponent panel;
    ASSERT_EQ(panel.getBounds(), juce::Rectangle<int>(0, 0, 160, 120));
    const juce::File big = Picture("big.png", 4000, 3000);
    panel.selectedFileChanged(big);
    ASSERT_TRUE(Loaded(panel, 1));
    EXPECT_EQ(panel.getPreviewImage().getBounds(), juce::Rectangle<int>(0, 0, 91, 68));
    EXPECT_EQ(panel.getInformationText(),
              "PNG\n4000 x 3000 pixels\n" + juce::File::descriptionOfSizeInBytes(big.getSize()));
    panel.selectedFileChanged(big);
    qm::test::PumpFor(300);
    EXPECT_EQ(panel.getLoadCount(), 1);

    panel.selectedFileChanged(Picture("small.jpg", 40, 30));
    ASSERT_TRUE(Loaded(panel, 2));
    EXPECT_EQ(panel.getPreviewImage().getBounds(), juce::Rectangle<int>(0, 0, 40, 30));
    EXPECT_TRUE(panel.getInformationText().startsWith("JPEG\n40 x 30 pixels\n"));

    const juce::File lower = Picture("a.png", 20, 10);
    const juce::File upper = Picture("A.png", 30, 10);
    panel.selectedFileChanged(lower);
    ASSERT_TRUE(Loaded(panel, 3));
    panel.selectedFileChanged(upper);
    ASSERT_TRUE(Loaded(panel, 4));
    EXPECT_EQ(panel.getPreviewImage().getWidth(), 30);

    panel.selectedFileChanged(big.getSiblingFile("not a picture.txt"));
    ASSERT_TRUE(Loaded(panel, 5));
    EXPECT_FALSE(panel.getPreviewImage().isValid());
    EXPECT_EQ(panel.getInformationText(), "");
}
} // namespace
