// Renders the program's message boxes and a sheet with the look-and-feel and
// the string table of the process's language, checks that no button text is
// wider than its button, and writes every image as a PNG into the folder that
// QM_RENDER_DIR names (when set), so that they can be looked at:
//   QM_RENDER_DIR=/tmp/en LANG=C.UTF-8 xvfb-run build/asan/tests/test_ui_gui --gtest_filter='WindowRenders.*'
//   QM_RENDER_DIR=/tmp/ja LANG=ja_JP.UTF-8 LC_ALL= xvfb-run build/asan/tests/test_ui_gui --gtest_filter='WindowRenders.*'

#include <gtest/gtest.h>

#include "app/core/CBJXResource.h"
#include "tests/ui/GuiTestHelpers.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/widgets/UndoDisabledTextEditor.h"
#include "ui/windows/CBfcSheet.h"
#include "ui/windows/MessageBoxes.h"

#include <chrono>
#include <cstdlib>
#include <functional>

namespace
{
// The message text of a string-table entry and, after its first "##", the
// second text (further "##" are line breaks).
struct Texts
{
    juce::String message;
    juce::String second;
};

Texts Split(const juce::String& key)
{
    const juce::String text = CBJXResource::GetString(key);
    return {text.upToFirstOccurrenceOf("##", false, false),
            text.fromFirstOccurrenceOf("##", false, false).replace("##", "\n")};
}

// Every text button's text fits inside the button, in the font the
// look-and-feel gives it.
void ExpectButtonTextsFit(juce::Component& window)
{
    for (auto* child : window.getChildren())
    {
        auto* button = dynamic_cast<juce::TextButton*>(child);
        if (button == nullptr)
            continue;
        const juce::Font font = window.getLookAndFeel().getTextButtonFont(*button, button->getHeight());
        EXPECT_LE(font.getStringWidthFloat(button->getButtonText()), static_cast<float>(button->getWidth() - 4))
            << button->getButtonText();
    }
}

// Renders the next message box when it has come up, then closes it with
// Escape.
std::function<void(juce::AlertWindow&)> RenderAndClose(const juce::String& name, bool& rendered)
{
    return [name, &rendered](juce::AlertWindow& box) {
        const juce::Image image = box.createComponentSnapshot(box.getLocalBounds(), true, 1.0f);
        EXPECT_GT(image.getWidth(), 100);
        EXPECT_GT(image.getHeight(), 60);
        ExpectButtonTextsFit(box);
        qm::test::KeepRender(image, name);
        rendered = true;
        static_cast<juce::Component&>(box).keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    };
}

struct WindowRenders : ::testing::Test
{
    WindowRenders()
        : lookAndFeel(CTVLookAndFeel::GetInstance())
    {
        juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel);
    }
    ~WindowRenders() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        CTVLookAndFeel::Release();
        juce::LocalisedStrings::setCurrentMappings(nullptr);
        CBJXResource::Release();
    }

    // The string table of the process's language comes first.
    CBJXResource* resources = CBJXResource::GetInstance();
    CTVLookAndFeel* lookAndFeel;
};
} // namespace

TEST_F(WindowRenders, MessageBoxes)
{
    {
        const Texts texts = Split("Songlist_NewerVersion");
        bool rendered = false;
        qm::test::AlertWindowDriver driver(RenderAndClose("message-ok", rendered));
        showOkMessageBox(juce::MessageBoxIconType::WarningIcon, CBJXResource::GetString("Menu_Item_Save"),
                         texts.message, texts.second);
        EXPECT_TRUE(rendered);
    }
    {
        const Texts texts = Split("Export_Over4GB");
        bool rendered = false;
        qm::test::AlertWindowDriver driver(RenderAndClose("message-ok-cancel", rendered));
        (void)showOkCancelBox(juce::MessageBoxIconType::QuestionIcon, CBJXResource::GetString("Menu_Item_SaveAs"),
                              texts.message, CBJXResource::GetString("Button_Continue"), {}, texts.second);
        EXPECT_TRUE(rendered);
    }
    {
        const Texts texts = Split("Songlist_SaveBeforeOpening");
        bool rendered = false;
        qm::test::AlertWindowDriver driver(RenderAndClose("message-yes-no-cancel", rendered));
        (void)showYesNoCancelBox(juce::MessageBoxIconType::QuestionIcon, CBJXResource::GetString("Menu_Item_Save"),
                                 texts.message, texts.second);
        EXPECT_TRUE(rendered);
    }
    {
        // The three buttons named by the caller.
        const Texts texts = Split("Songlist_SaveBeforeOpening");
        bool rendered = false;
        qm::test::AlertWindowDriver driver(RenderAndClose("message-yes-no-cancel-named", rendered));
        (void)showYesNoCancelBox(juce::MessageBoxIconType::QuestionIcon, CBJXResource::GetString("Menu_Item_Save"),
                                 texts.message, CBJXResource::GetString("Button_Save"),
                                 CBJXResource::GetString("Button_DontSave"), CBJXResource::GetString("Button_Cancel"),
                                 texts.second);
        EXPECT_TRUE(rendered);
    }
    {
        // The question of a start after a run that did not end normally.
        bool rendered = false;
        qm::test::AlertWindowDriver driver(RenderAndClose("crash-question", rendered));
        (void)showOkCancelBox(juce::MessageBoxIconType::WarningIcon, "QUILLMARK",
                              CBJXResource::GetString("Other_RecentlyCrashed").replace("##", "\n"),
                              CBJXResource::GetString("Button_Restore"), CBJXResource::GetString("Button_DontRestore"));
        EXPECT_TRUE(rendered);
    }
}

TEST_F(WindowRenders, Sheet)
{
    juce::Component window;
    window.setBounds(60, 60, 560, 300);
    window.addToDesktop(0);
    window.setVisible(true);

    // A sheet as the program's sheets are built: a message, a text field and
    // two buttons on the sheet's own background.
    CBfcSheet sheet;
    sheet.setSize(460, 170);
    juce::Label message({}, Split("Export_ApplyNormalizedGain").message);
    lookAndFeel->setLabelFontKind(message, 2);
    message.setBounds(16, 12, 428, 48);
    sheet.addAndMakeVisible(message);
    UndoDisabledTextEditor field;
    field.setText(CBJXResource::GetString("Menu_Item_OpenAutoSaved"));
    field.setBounds(16, 68, 428, 26);
    sheet.addAndMakeVisible(field);
    juce::TextButton cancel(CBJXResource::GetString("Button_Cancel"));
    juce::TextButton save(CBJXResource::GetString("Button_DontSave"));
    cancel.setBounds(236, 124, 100, 28);
    save.setBounds(344, 124, 100, 28);
    sheet.addAndMakeVisible(cancel);
    sheet.addAndMakeVisible(save);
    window.addChildComponent(sheet);

    ASSERT_TRUE(sheet.open());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet.isVisible() && sheet.getY() >= 0; }));
    qm::test::PumpUntil([] { return false; }, 1); // let the slide finish
    ExpectButtonTextsFit(sheet);
    const juce::Image image = window.createComponentSnapshot(window.getLocalBounds(), true, 1.0f);
    qm::test::KeepRender(image, "sheet");
    ASSERT_TRUE(sheet.close());
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
}
