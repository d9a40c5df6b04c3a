#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CTVHost;
class CTVMainWindow;

namespace Tavrel
{
class DesktopUiServices;
}

// The application object: makes the process-wide objects in their order,
// the main window, handles the command line (its own and a later start's),
// notices through "AppHasNormallyQuit" that the last run ended abnormally
// (then clears up after it and offers to restore its song list), and takes
// everything down again in the reverse order. Message thread.
class CTVApp : public juce::JUCEApplication, private juce::Timer
{
public:
    static constexpr const char* kNormalQuitValue = "AppHasNormallyQuit";

    CTVApp();
    ~CTVApp() override;

    const juce::String getApplicationName() override { return "QUILLMARK"; }
    const juce::String getApplicationVersion() override { return "1.0.0.0"; }
    // The process's own guard keeps one instance per user and hands later
    // starts over; the framework's machine-wide lock is not used.
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise(const juce::String& commandLine) override;
    void shutdown() override;
    // `commandLine` is a later start's working directory and arguments, one
    // per line, the folder first.
    void anotherInstanceStarted(const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    // Opens or adds the files of a command line given in that folder.
    void HandleCommandLine(const juce::StringArray& arguments, const juce::File& workingDirectory);

    CTVMainWindow* getMainWindow() const { return mainWindow.get(); }

    // A later start's working folder and arguments, from the single-instance
    // guard's thread. They wait until start-up has finished (the crash
    // question included) and are then handled on the message thread.
    static void receiveHandOver(std::vector<std::string> items);

private:
    void timerCallback() override;
    void checkLastRun();

    void deliverHandOvers();

    bool startedUp = false;
    CTVHost* host = nullptr;
    std::unique_ptr<Tavrel::DesktopUiServices> uiServices;
    std::unique_ptr<CTVMainWindow> mainWindow;
};
