#include "tests/support/XInput.h"

#include <gtest/gtest.h>

#include "tests/support/MessageLoop.h"
#include "tests/support/TempFolder.h"

namespace qm::test::xinput
{
namespace
{
bool HaveXdotool()
{
    static const bool found = runCommand("command -v xdotool >/dev/null 2>&1") == 0;
    if (!found)
        ADD_FAILURE() << "xdotool is not installed (Debian package xdotool): real X input cannot be sent";
    return found;
}
} // namespace

std::string windowId(const juce::Component& component)
{
    const juce::Component* top = component.getTopLevelComponent();
    return std::to_string(reinterpret_cast<uintptr_t>(top->getWindowHandle()));
}

void settle()
{
    // xdotool has returned, so the server has the events; a short run of the
    // loop lets the framework read and dispatch them and whatever they post.
    for (int i = 0; i < 3; ++i)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(15);
        PumpPosted();
    }
}

bool xdotool(const std::string& arguments)
{
    if (!HaveXdotool())
        return false;
    const int status = runCommand("xdotool " + arguments + " >/dev/null 2>&1");
    EXPECT_EQ(status, 0) << "xdotool " << arguments;
    settle();
    return status == 0;
}

bool focusWindow(juce::Component& component)
{
    juce::Component* top = component.getTopLevelComponent();
    if (!HaveXdotool())
        return false;
    // The window takes the focus once the server has mapped it.
    const std::string command = "xdotool windowfocus --sync " + windowId(*top) + " >/dev/null 2>&1";
    if (!PumpUntil([&] { return runCommand(command) == 0; }, 5))
    {
        ADD_FAILURE() << "the window " << top->getName() << " does not take the X focus";
        return false;
    }
    settle();
    return PumpUntil([&] { return top->getPeer() != nullptr && top->getPeer()->isFocused(); }, 5);
}

bool focus(juce::Component& component)
{
    juce::Component* top = component.getTopLevelComponent();
    if (!focusWindow(component))
        return false;
    component.grabKeyboardFocus();
    return PumpUntil([&] { return top->getPeer() != nullptr && component.hasKeyboardFocus(true); }, 5);
}

bool key(juce::Component& component, const std::string& keys)
{
    // Through the X test extension to the focused window: events no
    // different from a keyboard's.
    return focusWindow(component) && xdotool("key --clearmodifiers " + keys);
}

bool type(juce::Component& component, const std::string& text)
{
    return focusWindow(component) && xdotool("type " + shellQuote(text));
}

std::string findWindow(const std::string& name, int seconds)
{
    if (!HaveXdotool())
        return {};
    std::string found;
    const auto deadline = juce::Time::getMillisecondCounter() + juce::uint32(seconds) * 1000;
    while (found.empty() && juce::Time::getMillisecondCounter() < deadline)
    {
        found = runCommandOutput("xdotool search --name " + shellQuote("^" + name + "$") + " 2>/dev/null | head -n1");
        while (!found.empty() && (found.back() == '\n' || found.back() == ' '))
            found.pop_back();
        if (found.empty())
            juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    }
    EXPECT_FALSE(found.empty()) << "no window named " << name;
    return found;
}

bool moveToScreen(juce::Point<int> point)
{
    // "--sync" waits for a motion, and there is none when the pointer is
    // there already: the move is checked by asking where the pointer is.
    const std::string x = std::to_string(point.x);
    const std::string y = std::to_string(point.y);
    if (!xdotool("mousemove " + x + " " + y))
        return false;
    const std::string expected = "x:" + x + " y:" + y + " ";
    const bool arrived = PumpUntil(
        [&] { return runCommandOutput("xdotool getmouselocation 2>/dev/null").rfind(expected, 0) == 0; }, 2);
    EXPECT_TRUE(arrived) << "the pointer did not reach " << x << "," << y;
    settle();
    return arrived;
}

bool moveTo(const juce::Component& component, juce::Point<int> point)
{
    return moveToScreen(component.localPointToGlobal(point));
}

bool buttonDown(int button)
{
    return xdotool("mousedown " + std::to_string(button));
}

bool buttonUp(int button)
{
    return xdotool("mouseup " + std::to_string(button));
}

bool click(const juce::Component& component, juce::Point<int> point, int button)
{
    return moveTo(component, point) && buttonDown(button) && buttonUp(button);
}
} // namespace qm::test::xinput
