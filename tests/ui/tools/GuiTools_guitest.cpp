#include <gtest/gtest.h>

#include "tests/support/MessageLoop.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempFolder.h"
#include "tests/support/XInput.h"
#include "ui/windows/MessageBoxes.h"

// One example of each GUI test tool, each against a real window of this
// process on the test's own X server.
namespace
{
namespace xinput = qm::test::xinput;

// A window on the desktop, without a window manager to place it.
struct Window : public juce::Component
{
    Window(const juce::String& name, juce::Rectangle<int> bounds)
        : juce::Component(name)
    {
        setBounds(bounds);
        setOpaque(true);
        addToDesktop(0);
        setVisible(true);
        qm::test::PumpPosted();
    }
    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::white); }
};

TEST(GuiTools, ARealShortcutReachesATextButton)
{
    juce::ScopedJuceInitialiser_GUI framework;
    Window window("Shortcut", {40, 40, 200, 100});
    juce::TextButton button("Save");
    button.setBounds(10, 10, 80, 24);
    button.addShortcut(juce::KeyPress('s', juce::ModifierKeys::commandModifier, 0));
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    window.addAndMakeVisible(button);
    ASSERT_TRUE(xinput::focus(window));
    ASSERT_TRUE(xinput::key(window, "ctrl+s"));
    EXPECT_TRUE(qm::test::PumpUntil([&] { return clicks == 1; }, 5));
}

// Files dragged from another program: two files, one with a blank in its
// name, arrive whole.
TEST(GuiTools, FilesDroppedFromAnotherProgram)
{
    juce::ScopedJuceInitialiser_GUI framework;
    struct Target final : public Window, public juce::FileDragAndDropTarget
    {
        using Window::Window;
        bool isInterestedInFileDrag(const juce::StringArray&) override { return true; }
        void filesDropped(const juce::StringArray& files, int x, int y) override
        {
            dropped = files;
            at = {x, y};
        }
        juce::StringArray dropped;
        juce::Point<int> at;
    } target("DropTarget", {40, 40, 300, 200});
    qm::test::TempFolder folder;
    const juce::File one(folder.file("one.wav").string()), two(folder.file("two words.wav").string());
    ASSERT_TRUE(one.replaceWithText("1") && two.replaceWithText("2"));

    juce::ChildProcess source;
    juce::StringArray command;
    command.addArray({juce::String(QM_DRAG_SOURCE), juce::String("700"), juce::String("100"), one.getFullPathName(),
                      two.getFullPathName()});
    ASSERT_TRUE(source.start(command, 0));
    ASSERT_FALSE(xinput::findWindow("QmDragSource").empty());
    ASSERT_TRUE(xinput::moveToScreen({750, 150}));
    ASSERT_TRUE(xinput::buttonDown());
    for (int step = 1; step <= 10; ++step)
        ASSERT_TRUE(xinput::moveToScreen({750 - step * 55, 150 - step * 1}));
    ASSERT_TRUE(xinput::moveTo(target, {150, 100}));
    ASSERT_TRUE(xinput::buttonUp());
    EXPECT_TRUE(qm::test::PumpUntil([&] { return target.dropped.size() == 2; }, 10));
    EXPECT_EQ(target.dropped.joinIntoString("|"), one.getFullPathName() + "|" + two.getFullPathName());
    EXPECT_EQ(target.at, juce::Point<int>(150, 100));
    source.waitForProcessToFinish(10000);
}

// A responder answers a real alert window by a real key and records what it
// showed.
TEST(GuiTools, AResponderAnswersAnAlertWindow)
{
    juce::ScopedJuceInitialiser_GUI framework;
    CustomAlertWindow alert("Title", "The message", juce::MessageBoxIconType::QuestionIcon);
    alert.addButton("Yes", 1, juce::KeyPress(juce::KeyPress::returnKey), juce::KeyPress('y'));
    alert.addButton("No", 2, juce::KeyPress(juce::KeyPress::escapeKey));
    qm::test::ModalResponder responder(qm::test::ModalResponder::pressKey("Escape"));
    const int result = alert.runModalLoop();
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(responder.timedOut());
    EXPECT_EQ(responder.seen().title, "Title");
    EXPECT_EQ(responder.seen().message, "The message");
    EXPECT_EQ(responder.seen().buttons.joinIntoString("|"), "Yes|No");
    ASSERT_EQ(responder.seen().keys.size(), 2u);
    EXPECT_TRUE(responder.seen().keys[0].contains(juce::KeyPress(juce::KeyPress::returnKey).getTextDescription()));
    EXPECT_TRUE(responder.seen().keys[0].contains(juce::KeyPress('y').getTextDescription()));
    EXPECT_TRUE(responder.seen().keys[1].contains(juce::KeyPress(juce::KeyPress::escapeKey).getTextDescription()));
}

// A snapshot and a capture of the screen are written and show what was drawn.
TEST(GuiTools, PicturesAreWrittenAndProbed)
{
    juce::ScopedJuceInitialiser_GUI framework;
    struct Marked final : public Window
    {
        using Window::Window;
        void paint(juce::Graphics& g) override
        {
            g.fillAll(juce::Colours::white);
            g.setColour(juce::Colours::red);
            g.fillRect(20, 10, 30, 20);
        }
    } window("Pictures", {100, 120, 200, 100});
    qm::test::PumpUntil([&] { return window.isShowing(); }, 5);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(200);

    const juce::Image image = qm::test::screenshots::snapshot(window, "GuiTools", "marked");
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.getPixelAt(35, 20), juce::Colours::red);
    EXPECT_EQ(image.getPixelAt(5, 5), juce::Colours::white);
    EXPECT_TRUE(qm::test::screenshots::artifactFile("GuiTools", "marked").existsAsFile());

    const juce::File screen = qm::test::screenshots::captureScreen("GuiTools", "marked");
    const juce::Image captured = juce::ImageFileFormat::loadFrom(screen);
    ASSERT_TRUE(captured.isValid()) << screen.getFullPathName();
    EXPECT_EQ(captured.getWidth(), 1280);
    EXPECT_EQ(captured.getPixelAt(100 + 35, 120 + 20).getRed(), 255);
    EXPECT_EQ(captured.getPixelAt(100 + 35, 120 + 20).getGreen(), 0);
}
} // namespace
