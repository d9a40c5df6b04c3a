#pragma once

#include "app/host/CTVHostListener.h"
#include "app/songlist/TrackInfoListener.h"
#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

class CTVHost;

// The play position of the current song as a filled bar with a point; a
// press or drag locates. The usable range is 632 pixels: a pointer x is
// clamped to 0 .. 631 and the fraction is x / 631. It follows the controller
// and every song (for the current one's playable flag). Message thread.
class TimeBar : public juce::Component,
                public CTVHostListener,
                public CBfcComponent,
                public Tavrel::TrackInfoListener
{
public:
    static constexpr int kRange = 632;
    static constexpr float kDragThreshold = 0.01f;

    // The controller is not owned and outlives the bar.
    explicit TimeBar(CTVHost& host);
    ~TimeBar() override;

    float getFraction() const { return m_fraction; }
    bool hasSong() const { return m_hasSong; }
    bool isDragging() const { return m_dragging; }
    // The left edge of the point as painted now.
    int getPointX() const;

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;

    void positionChanged(CTVHost* host) override;
    void currentTrackChanged(CTVHost* host, int index) override;
    void dataSpecChanged(Tavrel::TrackInfo* track) override;

private:
    static int clampX(int x) { return juce::jlimit(0, kRange - 1, x); }

    CTVHost& m_host;
    juce::Image m_bar;   // three frames: empty, played, no song
    juce::Image m_point; // five frames: 0 with a song, 4 without
    float m_fraction = 0.0f;
    bool m_hasSong = false;
    bool m_dragging = false;
    bool m_pressedOnBar = false;
};
