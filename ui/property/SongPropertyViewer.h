#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class CPlaylistFile;

namespace Tavrel
{
class TrackInfo;

// One line of the song tree: a song, a section with its time range, a
// channel ("L", "R"), or a leaf holding a file path (red when nothing is
// there). A right click on a leaf offers to copy the path or open its
// folder. Message thread.
class SongTreeViewItem : public juce::TreeViewItem
{
public:
    static constexpr juce::uint32 kMissingText = 0xFFFF0000;
    static constexpr juce::uint32 kMissingSelected = 0x99AA1111;
    static constexpr juce::uint32 kPresentSelected = 0x991111AA;

    // The font is not owned; it belongs to the viewer and outlives its items.
    SongTreeViewItem(const juce::String& text, bool canContainSubItems, bool missing, const juce::Font& font);

    const juce::String& getText() const { return m_text; }
    bool isMissing() const { return m_missing; }

    bool mightContainSubItems() override { return m_canContainSubItems; }
    int getItemWidth() const override { return m_textWidth + 8; }
    void paintItem(juce::Graphics& g, int width, int height) override;
    void itemClicked(const juce::MouseEvent& event) override;

    // The leaf menu's choices.
    enum MenuChoice
    {
        kCopyPath = 1,
        kOpenFolder = 2,
        kCancel = 3,
    };
    juce::PopupMenu getLeafMenu() const;
    // Carries out a menu choice for this item.
    void perform(int choice) const;

private:
    const juce::Font& m_font;
    int m_textWidth = 0;
    juce::String m_text;
    bool m_canContainSubItems = false;
    bool m_missing = false;
};

// The tree of the viewer: a grey frame over the area the scroll bars leave.
class SongTreeView : public juce::TreeView
{
public:
    static constexpr juce::uint32 kFrameColour = 0xFFA0A0A0;

    SongTreeView();
    void paintOverChildren(juce::Graphics& g) override;
};

// How the selected songs are built: each song's sections with their time
// ranges, the tracks of channel-linked songs, every file's path and the
// attached picture. A snapshot made at construction; measuring an
// open-ended file writes its end into the song's file record. OK ends the
// enclosing dialog window with 0. Message thread.
class SongPropertyViewer : public juce::Component, public juce::Button::Listener
{
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 360;
    static constexpr float kTreeFontHeight = 13.0f;

    SongPropertyViewer();
    ~SongPropertyViewer() override;

    SongTreeView& getTree() { return *m_tree; }
    SongTreeViewItem& getRoot() { return *m_root; }
    juce::TextButton& getOkButton() { return *m_ok; }

    void paint(juce::Graphics& g) override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;

    // The item of one song (its text the song's name).
    std::unique_ptr<SongTreeViewItem> makeSongItem(TrackInfo& song) const;

private:
    // Each viewer has its own font; items refer to it.
    juce::Font m_treeFont;
    std::unique_ptr<SongTreeViewItem> m_root;
    std::unique_ptr<juce::TextButton> m_ok;
    std::unique_ptr<SongTreeView> m_tree;
};
} // namespace Tavrel
