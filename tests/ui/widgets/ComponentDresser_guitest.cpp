#include <gtest/gtest.h>

#include "tests/ui/GuiTestHelpers.h"
#include "ui/widgets/ComponentDresser.h"
#include "ui/widgets/FadeInProxyComponent.h"
#include "ui/widgets/UndoDisabledTextEditor.h"

using qm::test::PumpUntil;

namespace
{
std::vector<FadeInProxyComponent*> ProxiesIn(juce::Component& parent)
{
    std::vector<FadeInProxyComponent*> proxies;
    for (auto* child : parent.getChildren())
        if (auto* proxy = dynamic_cast<FadeInProxyComponent*>(child))
            proxies.push_back(proxy);
    return proxies;
}

bool IsFadingIn(juce::Component& component)
{
    return static_cast<bool>(component.getProperties()[ComponentDresser::kFadingInProperty]);
}

// A target that sees the message posted when its fade-in has ended.
class ListeningTarget final : public juce::Component, public juce::MessageListener
{
public:
    void handleMessage(const juce::Message& message) override
    {
        if (dynamic_cast<const ComponentDresser::FadeInEndMessage*>(&message) != nullptr)
            ++endMessages;
    }
    int endMessages = 0;
};

struct FadeFixture : ::testing::Test
{
    FadeFixture()
    {
        parent.setBounds(0, 0, 200, 200);
        target.setBounds(10, 50, 40, 30);
        parent.addChildComponent(target);
    }
    juce::Component parent;
    ListeningTarget target;
};
} // namespace

TEST_F(FadeFixture, FadeInEndsWithTheComponentVisibleAndCanRunAgain)
{
    ComponentDresser::fadeIn(&target, 200, 0, 1.0f);
    ComponentDresser::fadeIn(&target, 200, 0, 1.0f);
    EXPECT_EQ(ProxiesIn(parent).size(), 1u) << "a second fade of a fading component is refused";
    EXPECT_TRUE(IsFadingIn(target));
    EXPECT_FALSE(target.isVisible());

    ASSERT_TRUE(PumpUntil([&] { return target.isVisible() && ProxiesIn(parent).empty(); }));
    EXPECT_FALSE(IsFadingIn(target));
    EXPECT_EQ(target.getProperties()[ComponentDresser::kFadingInProperty].toString(), "0");
    ASSERT_TRUE(PumpUntil([&] { return target.endMessages == 1; }));

    target.setVisible(false);
    ComponentDresser::fadeIn(&target, 50, 0, 1.0f);
    EXPECT_EQ(ProxiesIn(parent).size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return target.isVisible() && !IsFadingIn(target); }));
}

TEST_F(FadeFixture, EndsOnTheFirstTickAtTheFadeLengthAndIgnoresTicksGoingBack)
{
    ComponentDresser::fadeIn(&target, 400, 0, 1.0f);
    auto proxies = ProxiesIn(parent);
    ASSERT_EQ(proxies.size(), 1u);
    auto* proxy = proxies.front();

    // The message loop does not run here, so only these ticks reach the proxy.
    proxy->advanceTo(5000);
    EXPECT_FLOAT_EQ(proxy->getAlpha(), 0.0f);
    proxy->advanceTo(5100);
    EXPECT_FLOAT_EQ(proxy->getAlpha(), 0.25f);
    proxy->advanceTo(5050); // an earlier counter adds no time
    EXPECT_FLOAT_EQ(proxy->getAlpha(), 0.25f);
    proxy->advanceTo(5050); // nor does the same one
    proxy->advanceTo(5349);
    EXPECT_FALSE(target.isVisible());
    EXPECT_EQ(proxy->getBounds(), target.getBounds()) << "without travel or scale the proxy never moves";

    proxy->advanceTo(5350); // 400 ms have passed: the proxy is gone
    EXPECT_TRUE(target.isVisible());
    EXPECT_TRUE(ProxiesIn(parent).empty());
    EXPECT_FALSE(IsFadingIn(target));
}

TEST_F(FadeFixture, TravelStartsOneTravelAboveAndComesDownInPlace)
{
    ComponentDresser::fadeIn(&target, 300, 30, 1.0f);
    auto* proxy = ProxiesIn(parent).front();
    EXPECT_EQ(proxy->getBounds(), juce::Rectangle<int>(10, 20, 40, 30));
    bool clicks = true, childClicks = true;
    proxy->getInterceptsMouseClicks(clicks, childClicks);
    EXPECT_FALSE(clicks || childClicks) << "clicks pass through the proxy";

    proxy->advanceTo(1000);
    proxy->advanceTo(1150);
    EXPECT_EQ(proxy->getBounds(), juce::Rectangle<int>(10, 35, 40, 30));
    proxy->advanceTo(1299);
    EXPECT_EQ(proxy->getY(), 50);
    proxy->advanceTo(1300);
    EXPECT_TRUE(target.isVisible());
    EXPECT_EQ(target.getBounds(), juce::Rectangle<int>(10, 50, 40, 30));
}

TEST_F(FadeFixture, TargetDeletedDuringTheFadeAndZeroLength)
{
    {
        juce::Component doomed;
        doomed.setBounds(0, 0, 20, 20);
        parent.addChildComponent(doomed);
        ComponentDresser::fadeIn(&doomed, 100, 10, 0.5f);
    }
    ASSERT_EQ(ProxiesIn(parent).size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return ProxiesIn(parent).empty(); }));

    // A fade of no length ends on its first tick that sees time pass.
    ComponentDresser::fadeIn(&target, 0, 10, 1.0f);
    auto* proxy = ProxiesIn(parent).front();
    proxy->advanceTo(10);
    EXPECT_FALSE(target.isVisible());
    proxy->advanceTo(11);
    EXPECT_TRUE(target.isVisible());

    ComponentDresser::fadeIn(nullptr, 100, 0, 1.0f);
}

TEST(Flash, LaysAFadingLayerOverAVisibleComponentOnly)
{
    juce::Component window;
    window.setBounds(100, 100, 120, 40);
    window.addToDesktop(0);
    window.setVisible(true);

    ComponentDresser::flash(&window, juce::Colour(0x600000FFu));
    ASSERT_EQ(window.getNumChildComponents(), 1);
    auto* layer = window.getChildComponent(0);
    EXPECT_EQ(dynamic_cast<juce::Label*>(layer), nullptr) << "the label itself is gone at once";
    EXPECT_EQ(layer->getBounds(), window.getLocalBounds());
    ASSERT_TRUE(PumpUntil([&] { return window.getNumChildComponents() == 0; }));

    juce::Component hidden;
    hidden.setSize(10, 10);
    ComponentDresser::flash(&hidden, juce::Colours::red);
    EXPECT_EQ(hidden.getNumChildComponents(), 0);
    ComponentDresser::flash(nullptr, juce::Colours::red);
}

TEST(UndoDisabledTextEditor, UndoKeysDoNothingAndTheMenuHasNoUndo)
{
    UndoDisabledTextEditor editor;
    EXPECT_TRUE(editor.getName().isEmpty());
    editor.setBounds(0, 0, 100, 20);
    editor.insertTextAtCaret("abc");
    editor.insertTextAtCaret("def");

    const juce::KeyPress undoKeys[] = {
        juce::KeyPress('z', juce::ModifierKeys::ctrlModifier, 0),
        juce::KeyPress('Z', juce::ModifierKeys::ctrlModifier, 0),
        juce::KeyPress('y', juce::ModifierKeys::ctrlModifier, 0),
        juce::KeyPress('z', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0),
    };
    for (const auto& key : undoKeys)
    {
        EXPECT_TRUE(editor.keyPressed(key)) << key.getTextDescription();
        EXPECT_EQ(editor.getText(), "abcdef") << key.getTextDescription();
    }
    editor.keyPressed(juce::KeyPress(juce::KeyPress::backspaceKey));
    EXPECT_EQ(editor.getText(), "abcde") << "other keys still edit";

    juce::PopupMenu menu;
    editor.addPopupMenuItems(menu, nullptr);
    juce::StringArray texts;
    bool lastIsSeparator = false;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const auto& item = it.getItem();
        lastIsSeparator = item.isSeparator;
        texts.add(item.isSeparator ? juce::String("-") : item.text);
    }
    EXPECT_EQ(texts.joinIntoString("|"), "Cut|Copy|Paste|Delete|-|Select All");
    EXPECT_FALSE(lastIsSeparator);
}
