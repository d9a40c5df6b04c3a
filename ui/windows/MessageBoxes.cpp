#include "ui/windows/MessageBoxes.h"

#include "ui/look/CTVLookAndFeel.h"

#include "app/core/CBJXResource.h"

namespace
{
bool isTopLevelWindow(const juce::Component* target)
{
    return dynamic_cast<const juce::TopLevelWindow*>(target) != nullptr;
}

juce::String joinMessage(const juce::String& message, const juce::String& secondText)
{
    return secondText.isEmpty() ? message : message + "\n\n" + secondText;
}

// A button text of the string table; the English text when the table lacks
// it, so that no box shows a blank button.
juce::String buttonText(const char* key, const char* fallback)
{
    const auto text = CBJXResource::GetString(key);
    return text.isEmpty() ? juce::String(fallback) : text;
}

// The lower-case first character of a button text (0 for an empty text).
juce::juce_wchar accessLetter(const juce::String& text)
{
    return juce::CharacterFunctions::toLowerCase(text[0]);
}

juce::KeyPress letterKey(juce::juce_wchar letter)
{
    return letter == 0 ? juce::KeyPress() : juce::KeyPress(static_cast<int>(letter));
}
} // namespace

CustomAlertWindow::CustomAlertWindow(const juce::String& title, const juce::String& message,
                                     juce::MessageBoxIconType icon)
    : juce::AlertWindow(title, message, icon)
{
    getProperties().set(CTVLookAndFeel::kAlertMessageProperty, message);
}

bool CustomAlertWindow::canModalEventBeSentToComponent(const juce::Component* target)
{
    return isTopLevelWindow(target);
}

SemiModalAlertWindow::SemiModalAlertWindow(const juce::String& title, const juce::String& message,
                                           juce::MessageBoxIconType icon, ModalEventSendDelegate* delegate)
    : juce::AlertWindow(title, message, icon),
      m_delegate(delegate)
{
    getProperties().set(CTVLookAndFeel::kAlertMessageProperty, message);
}

bool SemiModalAlertWindow::keyPressed(const juce::KeyPress& key)
{
    if (!m_escapeCloses && key.isKeyCode(juce::KeyPress::escapeKey))
        return true;
    return juce::AlertWindow::keyPressed(key);
}

bool SemiModalAlertWindow::canModalEventBeSentToComponent(const juce::Component* target)
{
    if (m_delegate != nullptr)
        return m_delegate->canModalEventBeSentToComponent(target, this);
    return isTopLevelWindow(target);
}

void showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                      const juce::String& secondText)
{
    auto window = std::make_unique<CustomAlertWindow>(title, joinMessage(message, secondText), icon);
    window->addButton(buttonText("Button_Ok", "OK"), 1, juce::KeyPress(juce::KeyPress::returnKey),
                      juce::KeyPress(juce::KeyPress::escapeKey));
    window->runModalLoop();
}

bool showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                     const juce::String& okText, const juce::String& cancelText, const juce::String& secondText)
{
    const auto ok = okText.isNotEmpty() ? okText : buttonText("Button_Ok", "OK");
    const auto cancel = cancelText.isNotEmpty() ? cancelText : buttonText("Button_Cancel", "Cancel");
    const auto okLetter = accessLetter(ok);
    auto cancelLetter = accessLetter(cancel);
    if (cancelLetter == okLetter)
        cancelLetter = 0;

    auto window = std::make_unique<CustomAlertWindow>(title, joinMessage(message, secondText), icon);
    window->addButton(cancel, 0, juce::KeyPress(juce::KeyPress::escapeKey), letterKey(cancelLetter));
    window->addButton(ok, 1, juce::KeyPress(juce::KeyPress::returnKey), letterKey(okLetter));
    return window->runModalLoop() == 1;
}

int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                       const juce::String& secondText)
{
    return showYesNoCancelBox(icon, title, message, {}, {}, {}, secondText);
}

int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                       const juce::String& yesText, const juce::String& noText, const juce::String& cancelText,
                       const juce::String& secondText)
{
    const auto yes = yesText.isNotEmpty() ? yesText : buttonText("Button_Yes", "Yes");
    const auto no = noText.isNotEmpty() ? noText : buttonText("Button_No", "No");
    const auto cancel = cancelText.isNotEmpty() ? cancelText : buttonText("Button_Cancel", "Cancel");
    const auto yesLetter = accessLetter(yes);
    auto noLetter = accessLetter(no);
    auto cancelLetter = accessLetter(cancel);
    if (cancelLetter == yesLetter || cancelLetter == noLetter)
        cancelLetter = 0;
    if (noLetter == yesLetter)
        noLetter = 0;

    auto window = std::make_unique<CustomAlertWindow>(title, joinMessage(message, secondText), icon);
    window->addButton(cancel, 0, juce::KeyPress(juce::KeyPress::escapeKey), letterKey(cancelLetter));
    window->addButton(no, 2, juce::KeyPress(juce::KeyPress::backspaceKey), letterKey(noLetter));
    window->addButton(yes, 1, juce::KeyPress(juce::KeyPress::returnKey), letterKey(yesLetter));
    const int result = window->runModalLoop();
    return juce::jlimit(0, 2, result);
}
