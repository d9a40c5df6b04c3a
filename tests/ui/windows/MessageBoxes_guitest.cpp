#include <gtest/gtest.h>

#include "app/core/CBJXResource.h"
#include "tests/ui/GuiTestHelpers.h"
#include "ui/windows/MessageBoxes.h"

#include <chrono>
#include <cstdlib>
#include <functional>

namespace
{
using BoxDriver = qm::test::AlertWindowDriver;

std::function<void(juce::AlertWindow&)> Click(const juce::String& text)
{
    return [text](juce::AlertWindow& box) {
        for (auto* child : box.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*>(child))
                if (button->getButtonText() == text)
                    button->triggerClick();
    };
}

std::function<void(juce::AlertWindow&)> Press(juce::KeyPress key)
{
    return [key](juce::AlertWindow& box) { static_cast<juce::Component&>(box).keyPressed(key); };
}

juce::KeyPress Letter(char c)
{
    return juce::KeyPress(c);
}

struct MessageBoxFixture : ::testing::Test
{
    MessageBoxFixture()
    {
        // The button texts below are the English table's.
        setenv("LC_ALL", "C.UTF-8", 1);
        CBJXResource::GetInstance();
    }
    ~MessageBoxFixture() override { CBJXResource::Release(); }
};
} // namespace

TEST_F(MessageBoxFixture, OkBoxClosesByItsButtonReturnOrEscape)
{
    const std::function<void(juce::AlertWindow&)> answers[] = {Click("OK"),
                                                               Press(juce::KeyPress(juce::KeyPress::returnKey)),
                                                               Press(juce::KeyPress(juce::KeyPress::escapeKey))};
    for (const auto& answer : answers)
    {
        BoxDriver driver(answer);
        showOkMessageBox(juce::MessageBoxIconType::WarningIcon, "Error", "Something failed.", "Details");
        EXPECT_FALSE(driver.timedOut);
        EXPECT_EQ(driver.buttonTexts.joinIntoString("|"), "OK");
    }
}

TEST_F(MessageBoxFixture, OkCancelBoxReportsTheChosenButton)
{
    struct Case
    {
        const char* name;
        juce::String okText;
        juce::String cancelText;
        std::function<void(juce::AlertWindow&)> answer;
        bool expected;
    };
    const Case cases[] = {
        {"OK button", {}, {}, Click("OK"), true},
        {"Cancel button", {}, {}, Click("Cancel"), false},
        {"Return", {}, {}, Press(juce::KeyPress(juce::KeyPress::returnKey)), true},
        {"Escape", {}, {}, Press(juce::KeyPress(juce::KeyPress::escapeKey)), false},
        {"OK letter", {}, {}, Press(Letter('o')), true},
        {"Cancel letter", {}, {}, Press(Letter('c')), false},
        // Both texts start with the same letter: only OK keeps it.
        {"shared letter", "Replace", "Rename", Press(Letter('r')), true},
        {"shared letter, Escape", "Replace", "Rename", Press(juce::KeyPress(juce::KeyPress::escapeKey)), false},
    };
    for (const auto& c : cases)
    {
        BoxDriver driver(c.answer);
        const bool result =
            showOkCancelBox(juce::MessageBoxIconType::QuestionIcon, "Title", "Question?", c.okText, c.cancelText);
        EXPECT_FALSE(driver.timedOut) << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
        if (c.okText.isEmpty())
        {
            EXPECT_EQ(driver.buttonTexts.joinIntoString("|"), "Cancel|OK") << c.name;
        }
    }
}

TEST_F(MessageBoxFixture, YesNoCancelBoxReportsTheChosenButton)
{
    struct Case
    {
        const char* name;
        std::function<void(juce::AlertWindow&)> answer;
        int expected;
    };
    const Case cases[] = {
        {"Yes", Click("Yes"), 1},
        {"No", Click("No"), 2},
        {"Cancel", Click("Cancel"), 0},
        {"Return", Press(juce::KeyPress(juce::KeyPress::returnKey)), 1},
        {"Backspace", Press(juce::KeyPress(juce::KeyPress::backspaceKey)), 2},
        {"Escape", Press(juce::KeyPress(juce::KeyPress::escapeKey)), 0},
        {"y", Press(Letter('y')), 1},
        {"n", Press(Letter('n')), 2},
        {"c", Press(Letter('c')), 0},
    };
    for (const auto& c : cases)
    {
        BoxDriver driver(c.answer);
        const int result = showYesNoCancelBox(juce::MessageBoxIconType::QuestionIcon, "Title", "Save changes?");
        EXPECT_FALSE(driver.timedOut) << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(driver.buttonTexts.joinIntoString("|"), "Cancel|No|Yes") << c.name;
    }
}

namespace
{
class Delegate final : public ModalEventSendDelegate
{
public:
    bool canModalEventBeSentToComponent(const juce::Component* target, juce::Component* window) override
    {
        lastTarget = target;
        lastWindow = window;
        return answer;
    }
    const juce::Component* lastTarget = nullptr;
    juce::Component* lastWindow = nullptr;
    bool answer = true;
};
} // namespace

TEST_F(MessageBoxFixture, ModalEventsReachTopLevelWindowsOrWhatTheDelegateSays)
{
    juce::DocumentWindow progressWindow("progress", juce::Colours::grey, 0, false);
    juce::Component mainContent;

    CustomAlertWindow box("t", "m", juce::MessageBoxIconType::NoIcon);
    EXPECT_TRUE(box.canModalEventBeSentToComponent(&progressWindow));
    EXPECT_FALSE(box.canModalEventBeSentToComponent(&mainContent));

    SemiModalAlertWindow withoutDelegate("t", "m", juce::MessageBoxIconType::NoIcon, nullptr);
    EXPECT_TRUE(withoutDelegate.canModalEventBeSentToComponent(&progressWindow));
    EXPECT_FALSE(withoutDelegate.canModalEventBeSentToComponent(&mainContent));

    Delegate delegate;
    SemiModalAlertWindow semiModal("t", "m", juce::MessageBoxIconType::NoIcon, &delegate);
    EXPECT_TRUE(semiModal.canModalEventBeSentToComponent(&mainContent));
    EXPECT_EQ(delegate.lastTarget, &mainContent);
    EXPECT_EQ(delegate.lastWindow, &semiModal);
    delegate.answer = false;
    EXPECT_FALSE(semiModal.canModalEventBeSentToComponent(&progressWindow));
}

TEST_F(MessageBoxFixture, SemiModalWindowCanRefuseEscape)
{
    SemiModalAlertWindow window("t", "m", juce::MessageBoxIconType::NoIcon, nullptr);
    window.addButton("Cancel", 1, juce::KeyPress(juce::KeyPress::escapeKey));
    EXPECT_TRUE(window.getEscapeCloses());

    window.enterModalState(false);
    window.setEscapeCloses(false);
    EXPECT_TRUE(window.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)));
    EXPECT_TRUE(window.isCurrentlyModal(false)) << "Escape is swallowed";

    window.setEscapeCloses(true);
    EXPECT_TRUE(window.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)));
    EXPECT_TRUE(qm::test::PumpUntil([&] { return !window.isCurrentlyModal(false); }));
}
