#pragma once

#include "app/host/CTVHostListener.h"
#include "app/songlist/TrackInfoListener.h"
#include "ui/songlist/CTVListBox.h"
#include "ui/widgets/CBfcComponent.h"
#include "ui/widgets/CBfcCtrlButton.h"
#include "ui/widgets/LabelWithInlineEditor.h"
#include "ui/widgets/MatrixImageButton.h"
#include "ui/widgets/SimpleImageButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

// The song-list panel of the main window: the song list box, the five
// song-list command buttons, the repeat and play-mode buttons, the fade-type
// buttons and the four value fields (gain, balance, fade-in and fade-out
// time) of the selected songs, edited by typing or by dragging. Every edit
// is one undoable change of all selected songs. It follows the controller
// and every song. Message thread; controller events that may come from
// another thread repaint under the message-manager lock, and the
// session-mode current-song change is posted to the message thread.
class CTVLayerList : public juce::Component,
                     public CBfcComponentListener,
                     public juce::ComponentListener,
                     public juce::Button::Listener,
                     public CTVHostListener,
                     public Tavrel::TrackInfoListener,
                     private juce::MessageListener
{
public:
    enum Field
    {
        kGainField = 0,
        kBalanceField = 1,
        kFadeInField = 2,
        kFadeOutField = 3,
    };
    enum CommandButton
    {
        kAddButton = 0,
        kRemoveButton = 1,
        kCombineButton = 2,
        kDivideButton = 3,
        kChannelLinkButton = 4,
    };
    static constexpr juce::uint32 kSeparatorColour = 0xFFB3B3B3;
    static constexpr juce::uint32 kNormalizedGainColour = 0xFF0000FF;

    // The controller is not owned and outlives the panel.
    explicit CTVLayerList(CTVHost& host);
    ~CTVLayerList() override;

    void selectAll();
    void editSongName();

    CTVListBox& getListBox() { return *m_listBox; }
    // The seven labels: 0 gain, 1 balance, 2 fade-in time, 3 fade-out time,
    // 4 "dB", 5 and 6 "s".
    LabelWithInlineEditor& getLabel(int index) { return *m_labels[static_cast<size_t>(index)]; }
    juce::Button& getCommandButton(int index) { return *m_commandButtons[static_cast<size_t>(index)]; }
    CBfcCtrlButton& getFadeButton(int index) { return *m_fadeButtons[static_cast<size_t>(index)]; }
    MatrixImageButton& getRepeatButton() { return *m_repeatButton; }
    MatrixImageButton& getPlayModeButton() { return *m_playModeButton; }
    // True while a value is dragged with the mouse.
    bool isDraggingValue() const;

    // The balance as the field shows it ("C", "L25", "R30") and as typed text
    // reads.
    static juce::String balanceText(float balance);
    static float parseBalance(const juce::String& text);
    static juce::String gainText(float gain);

    bool keyPressed(const juce::KeyPress& key) override;
    void resized() override;
    void paint(juce::Graphics& g) override;
    void paintOverChildren(juce::Graphics& g) override;

    void buttonClicked(juce::Button* button) override;
    void componentVisibilityChanged(juce::Component& component) override;

    // CBfcComponentListener.
    void clicked(CBfcComponent* c) override;
    void returnKeyPressed(CBfcComponent* c) override;
    void selectedRowsChanged(CBfcComponent* c, int lastRowSelected) override;
    bool mouseDownHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseDragHook(CBfcComponent* c, const juce::MouseEvent& e) override;
    bool mouseUpHook(CBfcComponent* c, const juce::MouseEvent& e) override;

    // CTVHostListener.
    void songListChanged(CTVHost* host, int trackCount) override;
    void selectionChanged(CTVHost* host, const juce::SparseSet<int>& rows, int flag) override;
    void currentTrackChanged(CTVHost* host, int index) override;
    void transportStateChanged(CTVHost* host, int state) override;
    void positionChanged(CTVHost* host) override;
    void hostMessage(CTVHost* host, int cueState) override;
    void controlsEnabledChanged(CTVHost* host, int mode) override;
    void positionInsideSongChanged(CTVHost* host, bool inside) override;
    bool canAdvanceToNextTrack(CTVHost* host) override;

    // TrackInfoListener.
    void controlChanged(Tavrel::TrackInfo* track, int target) override;

private:
    class CurrentTrackMessage;

    void handleMessage(const juce::Message& message) override;
    // The player-mode reaction to a new current song.
    void showCurrentTrack(int index);
    // Shows the values of the selection in the fields and the fade buttons.
    void showValues();
    void updateCommandButtons();
    // One change of every selected song; undoable opens one undo step.
    void applyValue(int target, float value, bool undoable);
    // The field's target and its drag step.
    static int targetOfField(int field);
    float readField(int field) const;
    void setFieldText(int field, const juce::String& text);
    void setLocked(bool locked);

    CTVHost& m_host;
    juce::Image m_back;
    juce::Image m_backTop;
    juce::Image m_backBottom;
    juce::Image m_numberBox;
    std::array<std::unique_ptr<Tavrel::SimpleImageButton>, 5> m_commandButtons;
    std::array<std::unique_ptr<CBfcCtrlButton>, 2> m_fadeButtons;
    std::unique_ptr<MatrixImageButton> m_repeatButton;
    std::unique_ptr<MatrixImageButton> m_playModeButton;
    juce::Component m_valueContainer;
    std::array<std::unique_ptr<LabelWithInlineEditor>, 7> m_labels;
    std::unique_ptr<CTVListBox> m_listBox;
    std::array<float, 4> m_dragStart{};
    std::array<bool, 4> m_dragStarted{};
    // A drag of this press applied values outside the undo history.
    bool m_directChanges = false;
};
