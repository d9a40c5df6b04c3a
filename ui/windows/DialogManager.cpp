#include "ui/windows/DialogManager.h"

#include "app/core/CTVPreferences.h"
#include "app/core/TextFormatting.h"
#include "app/host/CTVHost.h"
#include "ui/look/UiText.h"
#include "ui/picture/EmbeddedImagePreviewComponent.h"
#include "ui/windows/MessageBoxes.h"

#include <memory>

namespace Tavrel
{
namespace
{
DialogManager::ChooserHook& chooserHook()
{
    static DialogManager::ChooserHook hook;
    return hook;
}

constexpr const char* kSongListExtension = ".qmpl";
} // namespace

void DialogManager::setChooserHookForTests(ChooserHook hook)
{
    chooserHook() = std::move(hook);
}

juce::String DialogManager::valueName(int mode)
{
    return "FileChooser_InitialPath_" + juce::String(mode);
}

DialogManager::DialogManager()
{
    CTVPreferences* preferences = CTVPreferences::GetInstance();
    for (int mode = 0; mode < kModeCount; ++mode)
        m_initialPaths.add(preferences != nullptr ? preferences->GetString(valueName(mode), {}) : juce::String());
    CTVPreferences::Release();
}

DialogManager::~DialogManager()
{
    CTVPreferences* preferences = CTVPreferences::GetInstance();
    if (preferences != nullptr)
        for (int mode = 0; mode < kModeCount; ++mode)
            preferences->SetString(valueName(mode), m_initialPaths[mode]);
    CTVPreferences::Release();
}

juce::File DialogManager::getStartingLocation(int mode) const
{
    if (mode < 0 || mode >= kModeCount)
        return {};
    juce::String path = m_initialPaths[mode];
    if (mode == kOpenSongList)
        if (const CTVHost* host = CTVHost::GetStoredInstance(); host != nullptr && host->GetSonglistPath().isNotEmpty())
            path = host->GetSonglistPath();
    if (path.isEmpty() || !juce::File::isAbsolutePath(path))
        return {};
    juce::File location(path);
    if (!location.isDirectory())
        location = location.getParentDirectory();
    return location.isDirectory() ? location : juce::File();
}

bool DialogManager::runChooser(const ChooserRequest& request, juce::Array<juce::File>& results)
{
    ++m_chooserCount;
    if (const ChooserHook& hook = chooserHook())
        return hook(request, results);
    // The preview outlives the chooser, whose dialog holds it.
    std::unique_ptr<EmbeddedImagePreviewComponent> preview;
    if (request.withPreview)
        preview = std::make_unique<EmbeddedImagePreviewComponent>();
    juce::FileChooser chooser(request.title, request.start, request.patterns, false);
    if (!chooser.showDialog(request.flags, preview.get()))
        return false;
    results.addArray(chooser.getResults());
    return true;
}

bool DialogManager::browseForFiles(juce::Array<juce::File>& results, int mode)
{
    ChooserRequest request;
    request.start = getStartingLocation(mode);
    const int openFile = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;
    switch (mode)
    {
    case kOpenSongList:
        request.title = uiText("Menu_Item_Open");
        request.patterns = juce::String("*") + kSongListExtension;
        request.flags = openFile;
        break;
    case kAddAudioFiles:
        request.title = uiText("Menu_Item_Add");
        request.patterns = getAudioFileWildcards();
        request.flags = openFile | juce::FileBrowserComponent::canSelectMultipleItems;
        break;
    case kOpenFolder:
        request.title = uiText("Menu_Item_OpenFolder");
        request.flags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories;
        break;
    case kSelectPicture:
        request.title = uiText("Menu_Item_SelectPicture");
        request.patterns = getWildcardForFileType();
        request.flags = openFile;
        request.withPreview = true;
        break;
    default:
        return false;
    }
    return runChooser(request, results);
}

bool DialogManager::browseForFile(juce::File& file, int mode)
{
    juce::Array<juce::File> results;
    if (!browseForFiles(results, mode) || results.isEmpty())
        return false;
    file = results.getFirst();
    return true;
}

bool DialogManager::browseForFolders(juce::Array<juce::File>& folders)
{
    ChooserRequest request;
    request.title = uiText("Menu_Item_OpenFolder");
    request.start = getStartingLocation(kOpenFolder);
    request.flags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories;
    request.withPreview = true;
    return runChooser(request, folders);
}

juce::File DialogManager::withSongListExtension(const juce::File& file)
{
    // The extension is added, never put in place of another: "Live 1.5"
    // keeps its ".5".
    if (file.getFileName().endsWithIgnoreCase(kSongListExtension))
        return file;
    return file.getSiblingFile(file.getFileName() + kSongListExtension);
}

bool DialogManager::browseForSaveAsFile(juce::File& file)
{
    ChooserRequest request;
    request.title = uiText("Menu_Item_SaveAs");
    request.patterns = juce::String("*") + kSongListExtension;
    if (const CTVHost* host = CTVHost::GetStoredInstance();
        host != nullptr && juce::File::isAbsolutePath(host->GetSonglistPath()))
        request.start = juce::File(host->GetSonglistPath());
    request.flags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles;
    juce::Array<juce::File> results;
    if (!runChooser(request, results) || results.isEmpty())
    {
        file = juce::File();
        return false;
    }
    file = withSongListExtension(results.getFirst());
    if (!file.exists())
        return true;
    const juce::String question = uiText("Songlist_AlreadyExists")
                                      .replace("%1", file.getFileName())
                                      .replace("%2", file.getParentDirectory().getFullPathName());
    return showOkCancelBox(juce::MessageBoxIconType::WarningIcon, uiText("Common_WarningDialogTitle"), question,
                           uiText("Button_Replace"), uiText("Button_Cancel"));
}
} // namespace Tavrel
