#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>
#include <vector>

class CTVHost;

namespace Tavrel
{
class TrackInfo;

// The undoable changes of the song list's structure, renames and picture
// changes, over the controller's song-list operations. Ownership, for every
// action: a record the action holds is out of the list and belongs to the
// action (its destructor deletes what it still holds); a record put back
// into the list is no longer held; a refused perform holds nothing and
// changes nothing. Message thread only.

// Holds records out of the list; deletes what it still holds.
class HeldRecords
{
public:
    HeldRecords() = default;
    ~HeldRecords();
    HeldRecords(const HeldRecords&) = delete;
    HeldRecords& operator=(const HeldRecords&) = delete;

    void add(TrackInfo* record) { m_records.push_back(record); }
    // Gives up every record (they are back in the list).
    void release() { m_records.clear(); }
    // Deletes every record.
    void clear();
    size_t size() const { return m_records.size(); }
    TrackInfo* operator[](size_t i) const { return m_records[i]; }
    bool empty() const { return m_records.empty(); }

private:
    std::vector<TrackInfo*> m_records;
};

class RemoveSongAction : public juce::UndoableAction
{
public:
    RemoveSongAction(CTVHost& host, const juce::SparseSet<int>& rows);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    juce::SparseSet<int> m_rows;
    juce::SparseSet<int> m_removed;
    std::vector<int> m_heldRows;
    HeldRecords m_held;
};

class PermutateAction : public juce::UndoableAction
{
public:
    PermutateAction(CTVHost& host, const juce::SparseSet<int>& moved, int dropRow);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    juce::SparseSet<int> m_moved;
    int m_dropRow;
    std::vector<TrackInfo*> m_previousOrder;
};

class CombineSongAction : public juce::UndoableAction
{
public:
    CombineSongAction(CTVHost& host, const juce::SparseSet<int>& rows);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    juce::SparseSet<int> m_rows;
    HeldRecords m_held;
    int m_previousCurrent = -1;
};

class ChannelLinkAction : public juce::UndoableAction
{
public:
    ChannelLinkAction(CTVHost& host, const juce::SparseSet<int>& rows);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    juce::SparseSet<int> m_rows;
    HeldRecords m_held;
};

class DivideSongAction : public juce::UndoableAction
{
public:
    DivideSongAction(CTVHost& host, int row, double position);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    int m_row;
    double m_position;
    int m_previousCurrent = -1;
    HeldRecords m_held; // the undivided record
};

class AddSongAction : public juce::UndoableAction
{
public:
    AddSongAction(CTVHost& host, const juce::StringArray& files, int insertRow);
    bool perform() override;
    bool undo() override;
    int getAddedCount() const { return m_added; }

private:
    // The list changed, the current song, the selection.
    void announce();

    CTVHost& m_host;
    bool m_performed = false;
    juce::StringArray m_files;
    int m_insertRow;
    int m_added = 0;
    HeldRecords m_held;
};

// Adds at the end of the list.
class AddSongActionAtEnd : public AddSongAction
{
public:
    AddSongActionAtEnd(CTVHost& host, const juce::StringArray& files);
};

class ChangePictureAction : public juce::UndoableAction
{
public:
    ChangePictureAction(CTVHost& host, int row, const juce::String& newPath);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    int m_row;
    juce::String m_newPath;
    juce::String m_oldPath;
};
} // namespace Tavrel

// Renames a text field of a song (0 the song name, 1..11 the other texts).
class CTVActionRename : public juce::UndoableAction
{
public:
    CTVActionRename(CTVHost& host, int row, int field, const juce::String& newText, bool makeUnique);
    bool perform() override;
    bool undo() override;

private:
    CTVHost& m_host;
    int m_row;
    int m_field;
    juce::String m_newText;
    bool m_makeUnique;
    juce::String m_oldText;
};
