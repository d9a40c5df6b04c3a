#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// A modal panel inside its parent that fades in and out and closes on any
// key, a click inside or a click outside (the about box, the list of
// shortcut keys). It owns itself: closing removes it from its parent, ends
// its modal state, asks the command manager to update the commands and
// deletes it once the event that closed it has returned. Message thread.
class FadingModalWindow : public juce::Component
{
public:
    ~FadingModalWindow() override;

    void mouseDown(const juce::MouseEvent&) override;
    // Closes, and leaves the key unhandled.
    bool keyPressed(const juce::KeyPress&) override;
    void inputAttemptWhenModal() override;
    void visibilityChanged() override;
    // Taken out of its parent by anything but close (the parent goes): the
    // window ends its modal state and goes too.
    void parentHierarchyChanged() override;

    // Closes the window (only while it is visible and not closing already).
    void close();

protected:
    explicit FadingModalWindow(int fadeMs);

    // Adds the window to the parent, centred at the size, makes it modal
    // with the keyboard focus and fades it in. False (the window deleted)
    // when the parent is null or there is no message manager.
    static bool show(FadingModalWindow* window, juce::Component* parent, int width, int height);

private:
    void deleteAfterEvent();

    const int m_fadeMs;
    bool m_shown = false;
    bool m_closing = false;
    juce::DropShadower m_shadower;
};
} // namespace Tavrel
