#include <gtest/gtest.h>

#include "tests/ui/GuiTestHelpers.h"
#include "ui/widgets/CBfcCtrlListBox.h"
#include "ui/widgets/LabelWithInlineEditor.h"
#include "ui/widgets/MatrixImageButton.h"
#include "ui/widgets/UndoDisabledTextEditor.h"

namespace
{
// Counts the editor events that labels hand to their listener.
struct EditorEvents final : public CBfcComponentListener
{
    void textChanged(CBfcComponent*) override { ++changed; }
    void returnKeyPressed(CBfcComponent* c) override
    {
        ++returns;
        textAtReturn = dynamic_cast<juce::Label*>(c)->getText();
    }
    void escapeKeyPressed(CBfcComponent*) override { ++escapes; }
    void textEdited(CBfcComponent*) override { ++edited; }
    int changed = 0, returns = 0, escapes = 0, edited = 0;
    juce::String textAtReturn;
};

// Two in-place labels in a window on the desktop; keys go through the
// window's peer, as the X server's would.
class InlineLabels : public ::testing::Test
{
protected:
    struct Panel final : public juce::Component
    {
        bool keyPressed(const juce::KeyPress& key) override
        {
            keys.add(key.getTextDescription());
            return key.isKeyCode(juce::KeyPress::deleteKey);
        }
        juce::StringArray keys;
    };

    InlineLabels()
    {
        for (int i = 0; i < 2; ++i)
        {
            labels[i] = std::make_unique<LabelWithInlineEditor>("Label", i == 0 ? "hello" : "second");
            labels[i]->setBounds(10, 10 + 30 * i, 200, 22);
            labels[i]->setEditable(false, true, true);
            labels[i]->setWantsKeyboardFocus(true);
            labels[i]->setListener(&events);
            panel.addAndMakeVisible(*labels[i]);
        }
        panel.setFocusContainerType(juce::Component::FocusContainerType::keyboardFocusContainer);
        panel.setSize(240, 80);
        panel.addToDesktop(juce::ComponentPeer::windowIsTemporary);
        panel.setVisible(true);
        qm::test::PumpPosted();
    }
    ~InlineLabels() override { LabelWithInlineEditor::setUseUndoDisabledEditors(false); }

    void Key(const juce::KeyPress& key)
    {
        panel.getPeer()->handleKeyPress(key);
        qm::test::PumpPosted();
    }
    void Type(const juce::String& text)
    {
        for (const juce::juce_wchar c : text)
            Key(juce::KeyPress(0, {}, c));
    }
    juce::TextEditor* Open(int i)
    {
        labels[i]->showEditor();
        qm::test::PumpPosted();
        return labels[i]->getOpenEditor();
    }

    juce::ScopedJuceInitialiser_GUI framework;
    EditorEvents events;
    Panel panel;
    std::unique_ptr<LabelWithInlineEditor> labels[2];
};

TEST(MatrixButton, CellsAndStates)
{
    juce::ScopedJuceInitialiser_GUI framework;
    // A 90 x 60 image of 3 columns and 3 rows, each cell its own colour.
    juce::Image image(juce::Image::ARGB, 90, 60, true);
    auto cellColour = [](int column, int row) { return juce::Colour::fromRGB(uint8_t(40 + 80 * column), uint8_t(40 + 80 * row), 7); };
    {
        juce::Graphics g(image);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                g.setColour(cellColour(c, r)), g.fillRect(c * 30, r * 20, 30, 20);
    }
    juce::Component parent;
    MatrixImageButton button("Button", image, 3);
    parent.setSize(100, 100);
    parent.addAndMakeVisible(button);
    EXPECT_EQ(button.getWidth(), 30);
    EXPECT_EQ(button.getHeight(), 20);
    EXPECT_FALSE(button.getWantsKeyboardFocus());

    // The current column of the normal row; setState clamps, advance wraps.
    button.setState(7);
    EXPECT_EQ(button.getState(), 2);
    EXPECT_EQ(qm::test::CentreColour(button), cellColour(2, 0));
    button.advance();
    EXPECT_EQ(button.getState(), 0);
    button.setState(-1);
    EXPECT_EQ(button.getState(), 0);
    button.setState(2);

    // Down: the pressed row, source cell (60, 20, 30, 20).
    struct Painter : public MatrixImageButton
    {
        using MatrixImageButton::MatrixImageButton;
        using MatrixImageButton::paintButton;
    };
    Painter painter("P", image, 3);
    painter.setState(2);
    juce::Image pressed(juce::Image::ARGB, 30, 20, true);
    {
        juce::Graphics g(pressed);
        painter.paintButton(g, false, true);
    }
    EXPECT_EQ(pressed.getPixelAt(15, 10), cellColour(2, 1));

    parent.setEnabled(false);
    EXPECT_EQ(qm::test::CentreColour(button), cellColour(2, 2)) << "a disabled parent draws the disabled row";
    parent.setEnabled(true);
    button.setEnabled(false);
    EXPECT_EQ(qm::test::CentreColour(button), cellColour(2, 2));
}

TEST(InHouseListBox, IsItsOwnModel)
{
    juce::ScopedJuceInitialiser_GUI framework;
    CBfcCtrlListBox box("List");
    EXPECT_EQ(box.getModel(), &box);
    EXPECT_EQ(box.getGroup(), 3);
    EXPECT_EQ(box.getId(), 0);
    EXPECT_EQ(box.getListener(), nullptr);
}

TEST_F(InlineLabels, RestrictionsAndLengths)
{
    labels[0]->setInputRestrictions(0, "+-0123456789.");
    EXPECT_EQ(labels[0]->getImeMode(), LabelWithInlineEditor::ImeMode::Off);
    juce::TextEditor* editor = Open(0);
    ASSERT_NE(editor, nullptr);
    editor->setText({}, false);
    Type("1a2.5");
    EXPECT_EQ(editor->getText(), "12.5") << "a character outside the set is refused";
    Key(juce::KeyPress(juce::KeyPress::escapeKey));

    // Maximum length 0: no limit. A limit set while editing applies at once.
    labels[1]->setInputRestrictions(0, {});
    editor = Open(1);
    ASSERT_NE(editor, nullptr);
    editor->setText({}, false);
    const juce::String longText = juce::String::repeatedString("x", 300);
    Type(longText);
    EXPECT_EQ(editor->getText(), longText);
    labels[1]->setInputRestrictions(2, {});
    editor->setText({}, false);
    Type("abc");
    EXPECT_EQ(editor->getText(), "ab");
    Key(juce::KeyPress(juce::KeyPress::escapeKey));
}

TEST_F(InlineLabels, ReturnEscapeAndTheCaret)
{
    // Typing in the middle keeps the caret where the user put it.
    juce::TextEditor* editor = Open(0);
    ASSERT_NE(editor, nullptr);
    editor->setCaretPosition(2);
    Type("ab");
    EXPECT_EQ(editor->getText(), "heabllo");
    EXPECT_GE(events.changed, 2);

    // Escape: the label's text comes back, one escapeKeyPressed.
    Key(juce::KeyPress(juce::KeyPress::escapeKey));
    EXPECT_EQ(labels[0]->getText(), "hello");
    EXPECT_FALSE(labels[0]->isBeingEdited());
    EXPECT_EQ(events.escapes, 1);
    EXPECT_EQ(events.edited, 0);

    // Return: the label holds the new text when the listener hears of it.
    editor = Open(0);
    ASSERT_NE(editor, nullptr);
    editor->setText("world", true);
    qm::test::PumpPosted();
    Key(juce::KeyPress(juce::KeyPress::returnKey));
    EXPECT_EQ(events.returns, 1);
    EXPECT_EQ(events.textAtReturn, "world");
    EXPECT_EQ(events.edited, 1);
    EXPECT_EQ(labels[0]->getText(), "world");
}

TEST_F(InlineLabels, KeysReachTheParentAndTabMovesTheEditor)
{
    labels[0]->grabKeyboardFocus();
    qm::test::PumpPosted();
    ASSERT_TRUE(labels[0]->hasKeyboardFocus(false));
    Key(juce::KeyPress(juce::KeyPress::deleteKey));
    EXPECT_EQ(panel.keys, juce::StringArray({juce::KeyPress(juce::KeyPress::deleteKey).getTextDescription()}));
    panel.keys.clear();

    ASSERT_NE(Open(0), nullptr);
    Key(juce::KeyPress(juce::KeyPress::tabKey));
    EXPECT_FALSE(labels[0]->isBeingEdited());
    EXPECT_TRUE(labels[1]->isBeingEdited()) << "Tab opens the next label's editor";
}

TEST_F(InlineLabels, TheProgramWideEditorChoice)
{
    juce::TextEditor* editor = Open(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(dynamic_cast<UndoDisabledTextEditor*>(editor), nullptr);
    Key(juce::KeyPress(juce::KeyPress::escapeKey));
    LabelWithInlineEditor::setUseUndoDisabledEditors(true);
    editor = Open(0);
    EXPECT_NE(dynamic_cast<UndoDisabledTextEditor*>(editor), nullptr);
    EXPECT_EQ(editor->getName(), "Label");
}
} // namespace
