#pragma once

#include "app/core/UiServices.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace Tavrel
{
// The user interface's answer to what the application core asks of it: the
// program's message boxes, the dialog manager's choosers, the about box,
// the key-mapping editor in a dialog, and the X server's bell. Installed by
// the application object for the program's life. Message thread.
class DesktopUiServices final : public UiServices
{
public:
    void showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                          const juce::String& secondText) override;
    bool showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                         const juce::String& firstButton, const juce::String& secondButton,
                         const juce::String& secondText) override;
    int showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message,
                           const juce::String& firstButton, const juce::String& secondButton,
                           const juce::String& thirdButton) override;

    bool browseForFiles(BrowseMode mode, juce::Array<juce::File>& files) override;
    bool browseForFile(BrowseMode mode, juce::File& file) override;
    bool browseForSaveAsFile(juce::File& file) override;
    bool browseForFolders(juce::Array<juce::File>& folders) override;

    void showAboutWindow(juce::Component* parent) override;
    void showKeyMappingEditor(juce::KeyPressMappingSet& mappings, juce::Component* parent,
                              const juce::String& title) override;
    void beep() override;

    // The dialog manager's mode of a chooser the core asks for (-1: none).
    static int dialogModeOf(BrowseMode mode);
};
} // namespace Tavrel
