#include "ui/app/DesktopUiServices.h"

#include "platform/desktop/SystemBell.h"
#include "ui/windows/CTVAboutWindow.h"
#include "ui/windows/DialogManager.h"
#include "ui/windows/MessageBoxes.h"

namespace Tavrel
{
void DesktopUiServices::showOkMessageBox(juce::MessageBoxIconType icon, const juce::String& title,
                                         const juce::String& message, const juce::String& secondText)
{
    ::showOkMessageBox(icon, title, message, secondText);
}

bool DesktopUiServices::showOkCancelBox(juce::MessageBoxIconType icon, const juce::String& title,
                                        const juce::String& message, const juce::String& firstButton,
                                        const juce::String& secondButton, const juce::String& secondText)
{
    return ::showOkCancelBox(icon, title, message, firstButton, secondButton, secondText);
}

int DesktopUiServices::showYesNoCancelBox(juce::MessageBoxIconType icon, const juce::String& title,
                                          const juce::String& message, const juce::String& firstButton,
                                          const juce::String& secondButton, const juce::String& thirdButton)
{
    return ::showYesNoCancelBox(icon, title, message, firstButton, secondButton, thirdButton, {});
}

int DesktopUiServices::dialogModeOf(BrowseMode mode)
{
    switch (mode)
    {
    case BrowseMode::OpenSongList:
        return DialogManager::kOpenSongList;
    case BrowseMode::OpenAudioFiles:
        return DialogManager::kAddAudioFiles;
    case BrowseMode::ChooseFolder:
        return DialogManager::kOpenFolder;
    case BrowseMode::ChoosePicture:
        return DialogManager::kSelectPicture;
    case BrowseMode::SaveSongList:
        break;
    }
    return -1;
}

bool DesktopUiServices::browseForFiles(BrowseMode mode, juce::Array<juce::File>& files)
{
    DialogManager* dialogs = DialogManager::GetStoredInstance();
    if (mode == BrowseMode::SaveSongList)
    {
        juce::File file;
        if (!browseForSaveAsFile(file))
            return false;
        files.add(file);
        return true;
    }
    return dialogs != nullptr && dialogs->browseForFiles(files, dialogModeOf(mode));
}

bool DesktopUiServices::browseForFile(BrowseMode mode, juce::File& file)
{
    if (mode == BrowseMode::SaveSongList)
        return browseForSaveAsFile(file);
    DialogManager* dialogs = DialogManager::GetStoredInstance();
    return dialogs != nullptr && dialogs->browseForFile(file, dialogModeOf(mode));
}

bool DesktopUiServices::browseForSaveAsFile(juce::File& file)
{
    DialogManager* dialogs = DialogManager::GetStoredInstance();
    return dialogs != nullptr && dialogs->browseForSaveAsFile(file);
}

bool DesktopUiServices::browseForFolders(juce::Array<juce::File>& folders)
{
    DialogManager* dialogs = DialogManager::GetStoredInstance();
    return dialogs != nullptr && dialogs->browseForFolders(folders);
}

void DesktopUiServices::showAboutWindow(juce::Component* parent)
{
    CTVAboutWindow::showAboutWindow(parent);
}

void DesktopUiServices::showKeyMappingEditor(juce::KeyPressMappingSet& mappings, juce::Component* parent,
                                             const juce::String& title)
{
    auto* editor = new juce::KeyMappingEditorComponent(mappings, true);
    editor->setSize(480, 300);
    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned(editor);
    options.dialogTitle = title;
    options.componentToCentreAround = parent;
    options.useNativeTitleBar = true;
    options.resizable = false;
    options.escapeKeyTriggersCloseButton = true;
    options.runModal();
}

void DesktopUiServices::beep()
{
    qm::platform::ringSystemBell();
}
} // namespace Tavrel
