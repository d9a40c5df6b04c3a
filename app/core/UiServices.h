#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
// What the application core asks of the user interface: message boxes, file
// choosers, the About window, the shortcut editor and the beep. Texts come
// already looked up by the caller. The program installs its own
// implementation at start-up; until one is installed (and in most tests) a
// headless answer acts as a cancel would, so no flow ever saves, replaces or
// deletes anything without a user.
//
// Message thread only.
class UiServices
{
public:
    // How the choosers are opened (the dialog manager's modes).
    enum class BrowseMode
    {
        OpenAudioFiles,
        OpenSongList,
        SaveSongList,
        ChoosePicture,
        ChooseFolder,
    };

    virtual ~UiServices() = default;

    virtual void showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                                  const juce::String& secondText) = 0;
    // True for the first button.
    virtual bool showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                                 const juce::String& firstButton, const juce::String& secondButton,
                                 const juce::String& secondText) = 0;
    // 1, 2 or 0 (the third button, or the box closed). Empty button texts
    // mean "Button_Yes", "Button_No" and "Button_Cancel".
    virtual int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title,
                                   const juce::String& message, const juce::String& firstButton,
                                   const juce::String& secondButton, const juce::String& thirdButton) = 0;

    virtual bool browseForFiles(BrowseMode mode, juce::Array<juce::File>& files) = 0;
    virtual bool browseForFile(BrowseMode mode, juce::File& file) = 0;
    virtual bool browseForSaveAsFile(juce::File& file) = 0;
    virtual bool browseForFolders(juce::Array<juce::File>& folders) = 0;

    virtual void showAboutWindow(juce::Component* parent) = 0;
    virtual void showKeyMappingEditor(juce::KeyPressMappingSet& mappings, juce::Component* parent,
                                      const juce::String& title) = 0;
    // The system's alert sound.
    virtual void beep() = 0;

    // The installed services (not owned; null puts the headless answer
    // back), and the services to use: the installed ones or the headless
    // answer.
    static void install(UiServices* services);
    static UiServices& get();
};
} // namespace Tavrel
