#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/ui/GuiTestHelpers.h"
#include "ui/widgets/CBfcCtrlButton.h"
#include "ui/widgets/FourStateImageButton.h"
#include "ui/widgets/SimpleImageButton.h"

using qm::test::CentreColour;
using qm::test::MakeStrip;
using qm::test::MouseAt;

namespace
{
const std::vector<juce::Colour> kFrames = {juce::Colours::red,    juce::Colours::lime, juce::Colours::blue,
                                           juce::Colours::yellow, juce::Colours::cyan, juce::Colours::magenta};

// The frame whose colour the component shows at its centre; -1 for none.
int ShownFrame(juce::Component& component)
{
    // Dimmed drawing loses a little precision, hence the tolerance.
    const auto colour = CentreColour(component);
    if (colour.getAlpha() == 0)
        return -1;
    for (size_t i = 0; i < kFrames.size(); ++i)
    {
        const auto& frame = kFrames[i];
        if (std::abs(colour.getRed() - frame.getRed()) <= 3 && std::abs(colour.getGreen() - frame.getGreen()) <= 3 &&
            std::abs(colour.getBlue() - frame.getBlue()) <= 3)
            return static_cast<int>(i);
    }
    return -1;
}

class RecordingListener final : public CBfcComponentListener
{
public:
    void clicked(CBfcComponent* c) override { record("clicked", c); }
    void pressed(CBfcComponent* c) override { record("pressed", c); }
    void released(CBfcComponent* c) override { record("released", c); }
    bool mouseDownHook(CBfcComponent* c, const juce::MouseEvent&) override
    {
        record("down", c);
        return swallowDown;
    }
    bool mouseUpHook(CBfcComponent* c, const juce::MouseEvent&) override
    {
        record("up", c);
        return false;
    }

    void record(const char* what, CBfcComponent* c)
    {
        events.add(what);
        last = c;
    }

    juce::StringArray events;
    CBfcComponent* last = nullptr;
    bool swallowDown = false;
};

const auto kLeft = juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier);
const auto kRight = juce::ModifierKeys(juce::ModifierKeys::rightButtonModifier);
} // namespace

TEST(CBfcCtrlButton, StateCountAndStatesAreClamped)
{
    CBfcCtrlButton button;
    button.setImage(0, MakeStrip({juce::Colours::red}, 8, 6));
    EXPECT_EQ(button.getStateCount(), 1);
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(0, 0, 8, 6));

    button.setTopLeftPosition(5, 7);
    button.setImage(3, MakeStrip({kFrames[0], kFrames[1], kFrames[2]}, 8, 6));
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(5, 7, 8, 6)) << "keeps its place, takes one frame's size";

    const std::pair<int, int> cases[] = {{-3, 0}, {1, 1}, {99, 2}, {2, 2}};
    for (const auto& [asked, expected] : cases)
    {
        button.setState(asked);
        EXPECT_EQ(button.getState(), expected) << asked;
        EXPECT_EQ(ShownFrame(button), expected) << asked;
    }

    // Fewer states than the current one: the last remaining state is chosen.
    button.setImage(2, MakeStrip({kFrames[0], kFrames[1]}, 8, 6));
    EXPECT_EQ(button.getState(), 1);
}

TEST(CBfcCtrlButton, DrawsTheFrameOfItsStatePressedAndDisabled)
{
    juce::Component parent;
    CBfcCtrlButton button;
    parent.addAndMakeVisible(button);
    button.setImage(3, MakeStrip(kFrames, 8, 6));
    button.setPressedFrames(true);
    EXPECT_EQ(button.getHeight(), 6);
    button.setState(2);
    EXPECT_EQ(ShownFrame(button), 4);

    button.mouseDown(MouseAt(button, 2, 2, kLeft));
    EXPECT_EQ(ShownFrame(button), 5) << "pressed inside";
    button.mouseDrag(MouseAt(button, 30, 2, kLeft));
    EXPECT_EQ(ShownFrame(button), 4) << "dragged outside";
    button.mouseUp(MouseAt(button, 30, 2, kLeft));

    parent.setEnabled(false);
    EXPECT_EQ(ShownFrame(button), 4);
    const auto colour = CentreColour(button);
    EXPECT_NEAR(colour.getFloatAlpha(), 0.5f, 0.02f) << "a disabled parent dims the button";
}

TEST(CBfcCtrlButton, PressReleaseAndClickReachTheListener)
{
    struct Case
    {
        const char* name;
        int clickMode;
        juce::Point<int> down;
        juce::Point<int> up;
        juce::ModifierKeys mods;
        bool swallowDown;
        bool enabled;
        const char* expected;
    };
    const Case cases[] = {
        {"click inside", 0, {2, 2}, {3, 3}, kLeft, false, true, "down,pressed,up,released,clicked"},
        {"released outside", 0, {2, 2}, {40, 3}, kLeft, false, true, "down,pressed,up,released"},
        {"click on press", 1, {2, 2}, {40, 3}, kLeft, false, true, "down,pressed,clicked,up,released"},
        {"right button", 0, {2, 2}, {3, 3}, kRight, false, true, "down,up"},
        {"pressed outside", 0, {40, 2}, {3, 3}, kLeft, false, true, "down,up"},
        {"hook handles down", 0, {2, 2}, {3, 3}, kLeft, true, true, "down,up"},
        {"disabled", 0, {2, 2}, {3, 3}, kLeft, false, false, "down,up"},
    };
    for (const auto& c : cases)
    {
        CBfcCtrlButton button;
        button.setImage(1, MakeStrip({kFrames[0]}, 20, 10));
        button.setGroup(3);
        button.setId(7);
        RecordingListener listener;
        listener.swallowDown = c.swallowDown;
        button.setListener(&listener);
        button.setClickMode(c.clickMode);
        button.setEnabled(c.enabled);

        button.mouseDown(MouseAt(button, c.down.x, c.down.y, c.mods));
        button.mouseUp(MouseAt(button, c.up.x, c.up.y, c.mods));
        EXPECT_EQ(listener.events.joinIntoString(","), c.expected) << c.name;
        EXPECT_EQ(listener.last, static_cast<CBfcComponent*>(&button)) << c.name;
        EXPECT_FALSE(button.isPressed()) << c.name;
    }
}

TEST(CBfcCtrlButton, CustomHitRectangleDecidesWhatIsInside)
{
    CBfcCtrlButton button;
    button.setImage(1, MakeStrip({kFrames[0]}, 20, 10));
    button.setHitRectangle({5, 0, 10, 10});
    RecordingListener listener;
    button.setListener(&listener);

    button.mouseDown(MouseAt(button, 2, 2, kLeft));
    button.mouseUp(MouseAt(button, 2, 2, kLeft));
    button.mouseDown(MouseAt(button, 14, 2, kLeft));
    button.mouseUp(MouseAt(button, 14, 2, kLeft));
    button.mouseDown(MouseAt(button, 15, 2, kLeft)); // the right edge is outside
    EXPECT_EQ(listener.events.joinIntoString(","), "down,up,down,pressed,up,released,clicked,down");
}

TEST(FourStateImageButton, FrameFollowsToggleDownAndEnabled)
{
    juce::Component parent;
    Tavrel::FourStateImageButton button("play");
    parent.addAndMakeVisible(button);
    button.setImage(MakeStrip({kFrames[0], kFrames[1], kFrames[2], kFrames[3], kFrames[4]}, 8, 6), 5, 4, 1.0f);
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(0, 0, 8, 6));

    struct Case
    {
        bool toggled;
        bool down;
        bool enabled;
        int frame;
    };
    const Case cases[] = {
        {false, false, true, 0}, {true, false, true, 1},   {false, true, true, 2},
        {true, true, true, 3},   {false, false, false, 4}, {true, true, false, 4},
    };
    for (const auto& c : cases)
    {
        button.setToggleState(c.toggled, juce::dontSendNotification);
        parent.setEnabled(c.enabled);
        button.setState(c.down ? juce::Button::buttonDown : juce::Button::buttonNormal);
        EXPECT_EQ(ShownFrame(button), c.frame) << c.toggled << c.down << c.enabled;
    }
}

TEST(FourStateImageButton, PressGoesToTheListenerAfterTheButton)
{
    Tavrel::FourStateImageButton button;
    button.setImage(MakeStrip({kFrames[0], kFrames[1], kFrames[2], kFrames[3], kFrames[4]}, 8, 6), 5, 4, 1.0f);
    RecordingListener listener;
    button.setListener(&listener);
    button.mouseDown(MouseAt(button, 2, 2, kLeft));
    EXPECT_EQ(listener.events.joinIntoString(","), "down");
    EXPECT_EQ(listener.last, static_cast<CBfcComponent*>(&button));
}

TEST(SimpleImageButton, FrameFollowsOverDownToggleAndEnabled)
{
    juce::Component parent;
    Tavrel::SimpleImageButton button(MakeStrip({kFrames[0], kFrames[1], kFrames[2], kFrames[3], kFrames[4]}, 8, 6), 5, 1,
                                   3, 4, 1.0f);
    parent.addAndMakeVisible(button);
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(0, 0, 8, 6));

    struct Case
    {
        juce::Button::ButtonState state;
        bool toggled;
        bool enabled;
        int frame;
    };
    const Case cases[] = {
        {juce::Button::buttonNormal, false, true, 0}, {juce::Button::buttonOver, false, true, 1},
        {juce::Button::buttonDown, false, true, 2},   {juce::Button::buttonDown, true, true, 2},
        {juce::Button::buttonOver, true, true, 4},    {juce::Button::buttonNormal, false, false, 3},
        {juce::Button::buttonNormal, true, false, 4},
    };
    for (const auto& c : cases)
    {
        button.setToggleState(c.toggled, juce::dontSendNotification);
        parent.setEnabled(c.enabled);
        button.setState(c.state);
        EXPECT_EQ(ShownFrame(button), c.frame) << static_cast<int>(c.state) << c.toggled << c.enabled;
    }

    // A two-frame strip: normal, and pressed (also shown while toggled on).
    button.setImage(MakeStrip({kFrames[4], kFrames[5]}, 8, 6), 1.0f);
    parent.setEnabled(true);
    button.setToggleState(false, juce::dontSendNotification);
    button.setState(juce::Button::buttonDown);
    EXPECT_EQ(ShownFrame(button), 5);
    button.setState(juce::Button::buttonOver);
    EXPECT_EQ(ShownFrame(button), 4);
}
