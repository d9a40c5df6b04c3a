#pragma once

#include "app/songlist/TrackInfoListener.h"
#include "ui/songlist/CTVCtrlIcon.h"
#include "ui/widgets/CBfcComponent.h"
#include "ui/widgets/LabelWithInlineEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <optional>

class CTVHost;
class CTVListBox;

// One visible row of the song list: number, name (renamed in place), length,
// format with sample rate, and the icon of a running export. It turns clicks
// into selection changes of the list box, starts drags that rearrange songs,
// opens the row menu, plays the song on a double-click and renames it through
// an undoable action. Bound to one row at a time by the list box, it listens
// to that row's song through the controller. Message thread only.
class CTVListItem : public juce::Component,
                    public CBfcComponentListener,
                    public Tavrel::TrackInfoListener,
                    private juce::Timer
{
public:
    enum LabelIndex
    {
        kNumberLabel = 0,
        kNameLabel = 1,
        kLengthLabel = 2,
        kFormatLabel = 3,
    };
    static constexpr int kRenameDelayMs = 300;
    static constexpr juce::uint32 kUnavailableColour = 0xFFFF0000;

    // Neither is owned; both outlive the row.
    CTVListItem(CTVHost& host, CTVListBox& listBox);
    ~CTVListItem() override;

    // Follows the song of the row from now on and shows it.
    void bind(int row);
    int getRow() const { return m_row; }
    // Shows the row's song again (texts, colours, the icon).
    void refresh();

    LabelWithInlineEditor& getLabel(int index) { return *m_labels[static_cast<size_t>(index)]; }
    CTVCtrlIcon& getIcon() { return m_icon; }
    bool isRenameArmed() const { return isTimerRunning(); }
    // Opens the editor of the song name.
    void editName();

    // The row menu: "Play <name>" (id 1) and the song-list commands the
    // command manager knows, with their enabled states.
    juce::PopupMenu createMenu() const;
    // Carries out a choice of the row menu.
    void menuItemChosen(int id);

    // TrackInfoListener.
    void textChanged(Tavrel::TrackInfo* track, int field) override;
    void dataSpecChanged(Tavrel::TrackInfo* track) override;

    // CBfcComponentListener: the events of the four labels.
    bool mouseMoveHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseExitHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseDownHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseDragHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseUpHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseDoubleClickHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    void returnKeyPressed(CBfcComponent* c) override;

    void focusOfChildComponentChanged(FocusChangeType cause) override;

private:
    void timerCallback() override;
    void stopRenameTimer();
    void updateIcon();
    bool isEnabledWithParent(const juce::Component& label) const;
    // Plays the row's song; rebuildShuffle as a double-click does.
    void playRow(bool rebuildShuffle);

    CTVHost& m_host;
    CTVListBox& m_listBox;
    int m_row = -1;
    // Where the click that armed the rename happened (label coordinates);
    // none while not armed.
    std::optional<juce::Point<int>> m_clickPosition;
    // The row was the only selected row when the button went down.
    bool m_wasOnlySelectedAtPress = false;
    // A drag of rows started during this press.
    bool m_dragStarted = false;
    std::array<std::unique_ptr<LabelWithInlineEditor>, 4> m_labels;
    CTVCtrlIcon m_icon;
};
