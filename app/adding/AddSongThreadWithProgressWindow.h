#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/adding/ThreadWithCustomProgressWindow.h"

class CTVHost;

namespace Tavrel
{
class TrackReader;

// Turns dropped or chosen paths (audio files, song-list files, folders, the
// names of CD drives) into new song records and inserts them into the
// controller's list from a row on, one record at a time, behind a modal
// progress window that names what is being checked and lets the user cancel.
//
// Threads: constructed, run and deleted on the message thread; the worker
// reads files outside any lock and makes each name unique and inserts the
// record under the framework's message-manager lock, so that the message
// thread (the controller's timer, which steps songs) never sees the list
// change under it. A cancel stops the worker at its next check; records
// already inserted stay, records read after the cancel are deleted.
class AddSongThreadWithProgressWindow : public ThreadWithCustomProgressWindow
{
public:
    static constexpr int kFolderUnits = 10;

    AddSongThreadWithProgressWindow(const juce::StringArray& paths, int firstRow);
    ~AddSongThreadWithProgressWindow() override;

    // The sorted inputs.
    const juce::StringArray& getFiles() const { return m_files; }
    const juce::StringArray& getFolders() const { return m_folders; }
    // The row of the next insertion; minus the first row, the songs added.
    int getNextRow() const { return m_nextRow.load(); }
    // The label naming the item being checked.
    juce::Label& getItemLabel() { return m_itemLabel; }

    // Worker thread. Tests may also call it without the window.
    void run() override;

    // The progress values the worker set, in order (tests compare them).
    std::vector<double> getProgressTrail() const;

protected:
    void getCustomComponents(juce::Array<juce::Component*>& components) override;
    void updateCustomComponents() override;

private:
    // Reads one file's songs (audio file or song list) and inserts them.
    bool addItem(const juce::String& path, double shareStart, double shareWidth);
    // Inserts the record at the next row with a unique name; false (record
    // deleted) when the thread was asked to stop first.
    bool insertRecord(class TrackInfo* record);
    void collectFiles(const juce::String& folder, juce::StringArray& out);
    void setItemText(const juce::String& text);
    void progress(double value);

    CTVHost* m_host;
    juce::StringArray m_files;
    juce::StringArray m_folders;
    std::atomic<int> m_nextRow;
    // The window draws the name of a custom component above it: the label
    // keeps its name inside an unnamed holder.
    juce::Component m_itemHolder;
    juce::Label m_itemLabel;
    juce::String m_itemText;
    mutable juce::CriticalSection m_trailLock;
    std::vector<double> m_trail;
};
} // namespace Tavrel
