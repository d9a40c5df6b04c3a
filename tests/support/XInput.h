#pragma once

// Real X input for GUI tests: keys and pointer events sent by xdotool to the
// test's own X server, so the framework sees them as a user's (shortcuts
// added with Button::addShortcut react only to real key events). Each call
// returns once the server has delivered the events and the message loop has
// handled them. A missing xdotool fails the test with a message naming it.

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

namespace qm::test::xinput
{
// The X window id of the window that holds the component, as text.
std::string windowId(const juce::Component& component);

// Runs `xdotool <arguments>`; false (with a test failure naming the command)
// when it fails or xdotool is missing.
bool xdotool(const std::string& arguments);

// The id of the first window whose name is exactly `name`, waiting for it
// up to `seconds`; empty (with a test failure) when none appears.
std::string findWindow(const std::string& name, int seconds = 10);

// Gives the window of the component the X input focus and waits until the
// framework knows it; the component focused inside the window stays.
bool focusWindow(juce::Component& component);
// The same, and the component takes the keyboard focus.
bool focus(juce::Component& component);

// Presses keys (xdotool names: "Return", "ctrl+z", "a b c") in the window of
// the component, which gets the X focus first; they reach the component that
// has the keyboard focus there.
bool key(juce::Component& component, const std::string& keys);
// Types text into the window of the component.
bool type(juce::Component& component, const std::string& text);

// Moves the pointer to a point of the component (its own coordinates).
bool moveTo(const juce::Component& component, juce::Point<int> point);
// Moves the pointer to a point of the screen.
bool moveToScreen(juce::Point<int> point);
bool buttonDown(int button = 1);
bool buttonUp(int button = 1);
// Down at one point of the component, up at the same point.
bool click(const juce::Component& component, juce::Point<int> point, int button = 1);

// Runs the message loop until the events sent so far have been handled.
void settle();
} // namespace qm::test::xinput
