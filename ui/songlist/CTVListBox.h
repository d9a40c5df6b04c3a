#pragma once

#include "ui/widgets/CBfcCtrlListBox.h"

#include <juce_gui_basics/juce_gui_basics.h>

class CTVHost;
class CTVListItem;

// The scrolling list of the song-list panel: one row component per visible
// song (CTVListItem), multiple selection, Delete and Return, rearranging
// songs by dragging rows, adding files dropped from other programs, and
// scrolling while something is dragged near the top or bottom edge. It reads
// and changes the song list only through the controller and undoable
// actions. Its CBfcComponent listener is the panel. Message thread only.
class CTVListBox : public CBfcCtrlListBox,
                   public juce::DragAndDropTarget,
                   public juce::DragAndDropContainer,
                   public juce::FileDragAndDropTarget,
                   private juce::Timer
{
public:
    static constexpr int kRowHeight = 24;
    // Rows are drawn this wide (the row component is stretched to the row).
    static constexpr int kRowDrawWidth = 365;
    static constexpr int kScrollEdge = 5;
    static constexpr int kInsertAfterEdge = 10;
    static constexpr int kScrollIntervalMs = 100;
    static constexpr juce::uint32 kSelectedColour = 0xB0FFFFFF;
    static constexpr juce::uint32 kRowLineColour = 0xFF808080;
    static constexpr juce::uint32 kInsertMarkColour = 0xFF8080A0;

    // The controller is not owned and outlives the list box.
    CTVListBox(const juce::String& name, CTVHost& host);
    ~CTVListBox() override;

    CTVHost& getHost() const { return m_host; }
    // The row before which a drop would insert (the song count for the end);
    // -1 when no drop is pending.
    int getInsertionIndex() const { return m_insertionIndex; }
    bool isInsertAfter() const { return m_insertAfter; }
    // The row component of a visible row, or null.
    CTVListItem* getItemForRow(int row) const;
    // Starts editing the name of the last row selected (player mode only).
    void editSelectedName();

    // juce::ListBoxModel.
    int getNumRows() override;
    void paintListBoxItem(int row, juce::Graphics& g, int width, int height, bool selected) override;
    juce::Component* refreshComponentForRow(int row, bool selected, juce::Component* existing) override;
    void backgroundClicked(const juce::MouseEvent& e) override;
    void selectedRowsChanged(int lastRowSelected) override;
    void deleteKeyPressed(int lastRowSelected) override;
    void returnKeyPressed(int lastRowSelected) override;
    void listWasScrolled() override {}

    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override;

    // Rows dragged within the list.
    bool isInterestedInDragSource(const SourceDetails&) override { return true; }
    void itemDragMove(const SourceDetails& details) override;
    void itemDragExit(const SourceDetails& details) override;
    void itemDropped(const SourceDetails& details) override;

    // Files dragged from other programs.
    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    void fileDragEnter(const juce::StringArray& files, int x, int y) override;
    void fileDragMove(const juce::StringArray& files, int x, int y) override;
    void fileDragExit(const juce::StringArray& files) override;
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    // Copies the controller's selection without telling anyone: the list box
    // reports only the user's own changes.
    void showSelection(const juce::SparseSet<int>& rows);

private:
    void timerCallback() override;
    // The insertion index and flag for a pointer at (x, y).
    void computeInsertionIndex(int x, int y);
    void dragMovedTo(int x, int y);
    void dragEnded();
    bool isDragInProgress();

    CTVHost& m_host;
    int m_insertionIndex = -1;
    bool m_insertAfter = false;
    bool m_scrollUp = true;
    int m_lastDragX = 0;
    int m_lastDragY = 0;
    bool m_fileDrag = false;
    // Set while the controller's selection is copied in.
    bool m_copyingSelection = false;
};

// Tab and Shift+Tab inside an edited song name move to the next or previous
// row's name, scrolling it into view; elsewhere the framework's order holds.
class SongNameFocusTraverser : public juce::KeyboardFocusTraverser
{
public:
    explicit SongNameFocusTraverser(CTVListBox& listBox);

    juce::Component* getNextComponent(juce::Component* current) override;
    juce::Component* getPreviousComponent(juce::Component* current) override;

private:
    juce::Component* step(juce::Component* current, int delta);

    CTVListBox& m_listBox;
};
