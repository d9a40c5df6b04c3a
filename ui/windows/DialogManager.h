#pragma once

#include "app/core/CBJXSingleton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace Tavrel
{
// The program's file choosers: open a song list, add audio files, open a
// folder, select a picture, and Save As for song lists with the program's
// own replace question. Each mode starts in a folder of its own, read from
// the settings when the manager is made at start-up and written back when
// it goes at shut-down ("FileChooser_InitialPath_0" to "_3"); no choice
// changes them.
//
// Every chooser is the framework's own dialog (not the desktop's), so the
// picture chooser can show its preview beside the list and the dialog's
// texts follow the program's language. Its filter ignores letter case.
// Message thread; each call runs the chooser modally.
class DialogManager : public CBJXSingleton<DialogManager>
{
public:
    enum Mode
    {
        kOpenSongList = 0,
        kAddAudioFiles = 1,
        kOpenFolder = 2,
        kSelectPicture = 3,
    };
    static constexpr int kModeCount = 4;

    // What a chooser is asked to show; tests may answer it themselves.
    struct ChooserRequest
    {
        juce::String title;
        juce::String patterns;
        juce::File start;  // none: the framework's default folder
        int flags = 0;     // juce::FileBrowserComponent flags
        bool withPreview = false;
    };
    // Answers a chooser instead of the dialog: true and the results as a
    // confirmed dialog gives them, false when cancelled. Empty: the dialog.
    using ChooserHook = std::function<bool(const ChooserRequest&, juce::Array<juce::File>&)>;

    DialogManager();
    ~DialogManager() override;

    // Runs the mode's chooser; true when the user confirmed, with the chosen
    // files (or the folder) appended to results. Another mode is false
    // without a chooser.
    bool browseForFiles(juce::Array<juce::File>& results, int mode);
    // The same for one file: the first chosen.
    bool browseForFile(juce::File& file, int mode);
    // The folder chooser of the open-folder command: mode 2's folder, with
    // the picture preview.
    bool browseForFolders(juce::Array<juce::File>& folders);
    // Save As for a song list, starting at the controller's current song-list
    // file. The chosen name gets ".qmpl" unless it ends so already; an
    // existing file is asked about. Cancelled: false and an empty file;
    // false too when the user keeps the existing file.
    bool browseForSaveAsFile(juce::File& file);

    // Where a chooser of the mode starts: the stored folder (for mode 0 the
    // current song-list file when there is one), its parent when it is no
    // folder, none when that does not exist either.
    juce::File getStartingLocation(int mode) const;
    const juce::StringArray& getInitialPaths() const { return m_initialPaths; }
    // How many choosers were shown (or answered by the hook).
    int getChooserCount() const { return m_chooserCount; }

    // A song-list name with its extension: "Live 1.5" gives "Live 1.5.qmpl",
    // "set.QMPL" stays.
    static juce::File withSongListExtension(const juce::File& file);

    static void setChooserHookForTests(ChooserHook hook);

private:
    bool runChooser(const ChooserRequest& request, juce::Array<juce::File>& results);
    static juce::String valueName(int mode);

    juce::StringArray m_initialPaths;
    int m_chooserCount = 0;
};
} // namespace Tavrel
