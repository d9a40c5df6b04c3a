#pragma once

// Answers the next modal window in place of a user. Made before the call that
// runs a modal loop; from a timer, which runs inside that loop, it waits for a
// modal component, records what an alert window shows (title, message,
// buttons and the keys each button answers to), and answers by a button's
// text, by a real key through the X server, or by the test's own action. When
// no modal window comes within the time, or the button is not there, it ends
// every modal loop and fails the test instead of hanging. For the tests of
// the user interface (it reads the message the program's alert windows keep).

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "tests/support/XInput.h"
#include "ui/look/CTVLookAndFeel.h"

namespace qm::test
{
class ModalResponder final : private juce::Timer
{
public:
    // What the modal window showed.
    struct Seen
    {
        juce::String title;
        juce::String message;
        juce::StringArray buttons;
        // Per button, the descriptions of the keys it answers to.
        std::vector<juce::StringArray> keys;
    };

    using Action = std::function<void(juce::Component& modal, ModalResponder& responder)>;

    explicit ModalResponder(Action action, int seconds = 20)
        : m_action(std::move(action)),
          m_deadline(std::chrono::steady_clock::now() + std::chrono::seconds(seconds))
    {
        startTimer(10);
    }
    ~ModalResponder() override { stopTimer(); }

    // Presses the button with the text.
    static Action pressButton(const juce::String& text)
    {
        return [text](juce::Component& modal, ModalResponder& responder) {
            for (juce::Button* button : buttonsOf(modal))
                if (button->getButtonText() == text)
                {
                    button->triggerClick();
                    return;
                }
            responder.fail("no button \"" + text.toStdString() + "\" in the modal window");
        };
    }
    // Sends a real key (an xdotool key name) to the modal window. It goes
    // from a process of its own, so the loop keeps running meanwhile. On a
    // busy machine a key can get lost on its way: while the window stays
    // modal the key is sent again every second, and after five tries every
    // modal loop is ended with a failure instead of hanging.
    static Action pressKey(const std::string& key)
    {
        return [key](juce::Component& modal, ModalResponder& responder) {
            sendKey(modal, key);
            responder.watchKey(modal, key);
        };
    }

    // Only modal windows the test accepts are answered; others (a session's
    // progress window) are waited past.
    void acceptOnly(std::function<bool(juce::Component&)> accept) { m_accept = std::move(accept); }

    bool answered() const { return m_answered; }
    bool timedOut() const { return m_timedOut; }
    const Seen& seen() const { return m_seen; }

    // Ends every modal loop with a failure.
    void fail(const std::string& why)
    {
        ADD_FAILURE() << why;
        juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    }

    // The buttons of a modal window, in order.
    static std::vector<juce::Button*> buttonsOf(juce::Component& modal)
    {
        // In child order, those inside custom components included.
        std::vector<juce::Button*> buttons;
        std::function<void(juce::Component&)> collect = [&](juce::Component& c) {
            for (juce::Component* child : c.getChildren())
            {
                if (auto* button = dynamic_cast<juce::Button*>(child))
                    buttons.push_back(button);
                collect(*child);
            }
        };
        collect(modal);
        return buttons;
    }

private:
    static void sendKey(juce::Component& modal, const std::string& key)
    {
        const std::string id = xinput::windowId(modal);
        runCommand("(xdotool windowfocus --sync " + id + " && xdotool key --clearmodifiers " + key +
                   ") >/dev/null 2>&1 &");
    }

    void watchKey(juce::Component& modal, const std::string& key)
    {
        m_keyWindow = &modal;
        m_key = key;
        m_keyTries = 1;
        startTimer(1000);
    }

    void timerCallback() override
    {
        if (!m_key.empty())
        {
            juce::Component* window = m_keyWindow.getComponent();
            if (window == nullptr || juce::Component::getCurrentlyModalComponent() != window)
            {
                stopTimer();
                m_key.clear();
            }
            else if (m_keyTries < 5)
            {
                ++m_keyTries;
                sendKey(*window, m_key);
            }
            else
            {
                stopTimer();
                m_key.clear();
                fail("the key never reached the modal window");
            }
            return;
        }
        juce::Component* modal = juce::Component::getCurrentlyModalComponent();
        if (modal == nullptr || !modal->isShowing() || (m_accept && !m_accept(*modal)))
        {
            if (std::chrono::steady_clock::now() > m_deadline)
            {
                stopTimer();
                m_timedOut = true;
                fail("no modal window came");
            }
            return;
        }
        stopTimer();
        record(*modal);
        m_answered = true;
        m_action(*modal, *this);
    }

    void record(juce::Component& modal)
    {
        m_seen.title = modal.getName();
        m_seen.message = modal.getProperties()[CTVLookAndFeel::kAlertMessageProperty].toString();
        std::vector<juce::KeyPress> candidates = {juce::KeyPress(juce::KeyPress::returnKey),
                                                  juce::KeyPress(juce::KeyPress::escapeKey)};
        for (juce::juce_wchar c = 'a'; c <= 'z'; ++c)
        {
            candidates.emplace_back(static_cast<int>(c));
            candidates.emplace_back(static_cast<int>(c), juce::ModifierKeys::altModifier, 0);
        }
        for (juce::Button* button : buttonsOf(modal))
        {
            m_seen.buttons.add(button->getButtonText());
            juce::StringArray keys;
            for (const juce::KeyPress& key : candidates)
                if (button->isRegisteredForShortcut(key))
                    keys.add(key.getTextDescription());
            m_seen.keys.push_back(keys);
        }
    }

    Action m_action;
    std::chrono::steady_clock::time_point m_deadline;
    std::function<bool(juce::Component&)> m_accept;
    juce::Component::SafePointer<juce::Component> m_keyWindow;
    std::string m_key;
    int m_keyTries = 0;
    Seen m_seen;
    bool m_answered = false;
    bool m_timedOut = false;
};
} // namespace qm::test
