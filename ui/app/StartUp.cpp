#include "ui/app/StartUp.h"

#include "app/host/CTVHost.h"
#include "app/songlist/SongListFlows.h"
#include "session/export/DiscBurnSession.h"
#include "ui/main/CTVMainWindow.h"

namespace Tavrel
{
juce::StringArray commandLineFiles(const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    juce::StringArray files;
    for (const juce::String& argument : arguments)
    {
        if (argument.isEmpty() || juce::File::isAbsolutePath(argument))
            files.add(argument);
        else
            files.add(workingDirectory.getChildFile(argument).getFullPathName());
    }
    return files;
}

void handleCommandLineFiles(const juce::StringArray& files, CTVHost& host, CTVMainWindow* window)
{
    if (files.size() == 1 && files[0].endsWithIgnoreCase(".qmpl") && juce::File::isAbsolutePath(files[0]))
    {
        openSonglistFile(juce::File(files[0]), host);
        return;
    }
    if (!files.isEmpty() && window != nullptr)
        window->filesDropped(files, 0, 0);
}

void deleteLeftovers(const juce::File& temporaryFolder, const juce::StringArray& folders)
{
    if (temporaryFolder.isDirectory())
        for (const juce::File& image : DiscBurnSession::findLeftoverDiscImages(temporaryFolder))
            image.deleteRecursively(false);
    juce::StringArray searched;
    for (const juce::String& path : folders)
    {
        if (!juce::File::isAbsolutePath(path) || searched.contains(path))
            continue;
        searched.add(path);
        const juce::File folder(path);
        if (!folder.isDirectory())
            continue;
        for (const juce::File& found :
             folder.findChildFiles(juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, false,
                                   "TavrelTempFile.???.tmp"))
        {
            // A link goes as a link, a folder only when empty (deleteFile
            // never recurses).
            found.deleteFile();
        }
    }
}
} // namespace Tavrel
