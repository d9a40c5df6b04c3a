#pragma once

#include "app/host/CTVHostListener.h"
#include "ui/transport/SongViewers.h"
#include "ui/transport/TimeBar.h"
#include "ui/widgets/FourStateImageButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

class CTVHost;

// The strip at the top of the main window: rewind, play and fast-forward,
// the time bar and the displays of the current song. A short click on a wind
// button steps to the previous or next song (rewind returns to the start of
// the song after 0.8 s of it); holding it 300 ms winds until the release.
// Play invokes the play/pause command. Message thread.
class TransportComponent : public juce::Component, public juce::Button::Listener, public CTVHostListener
{
public:
    static constexpr int kHoldMs = 300;
    static constexpr double kRestartAfterSeconds = 0.8;

    // The controller is not owned and outlives the strip.
    explicit TransportComponent(CTVHost& host);
    ~TransportComponent() override;

    Tavrel::FourStateImageButton& getRewindButton() { return m_rewind; }
    Tavrel::FourStateImageButton& getPlayButton() { return m_play; }
    Tavrel::FourStateImageButton& getFastForwardButton() { return m_fastForward; }
    TimeBar& getTimeBar() { return m_timeBar; }
    InformationViewer& getInformationViewer() { return m_information; }

    void resized() override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;

    void buttonClicked(juce::Button* button) override;
    void buttonStateChanged(juce::Button* button) override;

    void songListChanged(CTVHost* host, int count) override;
    void controlsEnabledChanged(CTVHost* host, int mode) override;
    void windStateChanged(CTVHost* host, int state) override;
    void transportStateChanged(CTVHost* host, int state) override;

private:
    // Enables the three buttons: in player mode with songs in the list.
    void updateEnabled();
    // The x on the time bar for a press beside it; -1 elsewhere.
    static int barXForPress(juce::Point<int> at);
    void holdStarted(juce::Button& button, bool forward);
    void holdEnded(juce::Button& button);

    CTVHost& m_host;
    Tavrel::FourStateImageButton m_rewind;
    Tavrel::FourStateImageButton m_fastForward;
    Tavrel::FourStateImageButton m_play;
    TimeBar m_timeBar;
    InformationViewer m_information;
    bool m_fastForwardHeld = false;
    bool m_rewindHeld = false;
    int64_t m_pressTime = 0;
    // Where on the time bar a press beside it went; -1 for none.
    int m_barPressX = -1;
};
