#pragma once

#include "app/core/ExportSessionListener.h"
#include "ui/windows/MessageBoxes.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
// The modal window that follows a running session through the export
// manager: a title, a progress bar, the progress text and (for an export or a
// burn) a Cancel button that cancels the manager's session. Made by the main
// window when a session starts; it registers with the manager for its whole
// life. While a sheet is open it passes modal events only to top-level
// windows (message boxes). Message thread.
class ExportProgressWindow : public ExportSessionListener,
                             public juce::Button::Listener,
                             public ModalEventSendDelegate
{
public:
    ExportProgressWindow();
    ~ExportProgressWindow() override;

    // Builds the window on first use, then shows it modal and in front.
    void show();

    SemiModalAlertWindow* getWindow() const { return m_window.get(); }
    juce::TextButton& getCancelButton() { return m_cancel; }
    double getProgress() const { return m_progress; }

    void exportSessionProgress(ExportSession* session, double progress, const char* key,
                               const juce::StringArray& texts) override;
    void buttonClicked(juce::Button* button) override;
    bool canModalEventBeSentToComponent(const juce::Component* target, juce::Component* window) override;

protected:
    virtual juce::String getTitle() const;
    virtual void addButtons(SemiModalAlertWindow& window);
    // Sets the window's message (a text with "%1" gets the first value).
    void setMessage(const juce::String& message);

    std::unique_ptr<SemiModalAlertWindow> m_window;
    juce::TextButton m_cancel;
    double m_progress = 0.0;
};

// The window of a disc burn: after each write it asks whether to burn
// another disc (after success) or to retry (after a failure).
class DiscBurnProgressWindow : public ExportProgressWindow
{
public:
    DiscBurnProgressWindow();
    ~DiscBurnProgressWindow() override;

    juce::TextButton& getYesButton() { return *m_yes; }
    juce::TextButton& getNoButton() { return *m_no; }
    juce::Component& getButtonRow() { return *m_row; }

    bool exportSessionAskRepeat(ExportSession* session) override;
    void buttonClicked(juce::Button* button) override;

protected:
    juce::String getTitle() const override;

private:
    // Swaps the Cancel button and the Yes/No row in the window.
    void showQuestionButtons(bool question);

    std::unique_ptr<juce::Component> m_row;
    std::unique_ptr<juce::TextButton> m_yes;
    std::unique_ptr<juce::TextButton> m_no;
};

// The window of a disc erase: no button, Escape does nothing.
class DiscEraseProgressWindow : public ExportProgressWindow
{
protected:
    juce::String getTitle() const override;
    void addButtons(SemiModalAlertWindow& window) override;
};
} // namespace Tavrel
