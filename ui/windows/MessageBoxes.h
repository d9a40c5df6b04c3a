#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The program's modal message boxes. Callers pass texts already looked up in
// the UI-string table; only the default button texts are looked up here.

// The framework's alert window that lets other top-level windows (a progress
// window, for one) take events while it is modal.
class CustomAlertWindow : public juce::AlertWindow
{
public:
    CustomAlertWindow(const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon);

    bool canModalEventBeSentToComponent(const juce::Component* target) override;
};

// Decides for a semi-modal alert window which components take events while it
// is modal.
class ModalEventSendDelegate
{
public:
    virtual ~ModalEventSendDelegate() = default;
    virtual bool canModalEventBeSentToComponent(const juce::Component* target, juce::Component* window) = 0;
};

// An alert window whose modal behaviour a delegate decides, and whose Escape
// key can be switched off.
class SemiModalAlertWindow : public juce::AlertWindow
{
public:
    // The delegate is not owned and may be null.
    SemiModalAlertWindow(const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon,
                         ModalEventSendDelegate* delegate);

    void setEscapeCloses(bool closes) { m_escapeCloses = closes; }
    bool getEscapeCloses() const { return m_escapeCloses; }

    bool keyPressed(const juce::KeyPress& key) override;
    bool canModalEventBeSentToComponent(const juce::Component* target) override;

private:
    ModalEventSendDelegate* m_delegate = nullptr;
    bool m_escapeCloses = true;
};

// A notice with one OK button (Return and Escape choose it).
void showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                      const juce::String& secondText = {});

// A question with OK and Cancel; empty button texts get "OK" and "Cancel" of
// the string table. True when OK was chosen (Return, or OK's first letter);
// Escape chooses Cancel.
bool showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                     const juce::String& okText = {}, const juce::String& cancelText = {},
                     const juce::String& secondText = {});

// A question with Yes, No and Cancel: 1 for Yes (Return), 2 for No
// (Backspace), 0 for Cancel (Escape).
int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                       const juce::String& secondText = {});
// The same with the three buttons' texts (an empty text: the table's).
int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                       const juce::String& yesText, const juce::String& noText, const juce::String& cancelText,
                       const juce::String& secondText);
