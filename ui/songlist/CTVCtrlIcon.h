#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

// A small animated icon: frames one above the other in one image. Idle it
// shows frame 0, animating the frames cycle every 160 ms, done it shows
// frame 1. Message thread; start, stop and the timer repaint under the
// message-manager lock.
class CTVCtrlIcon : public juce::Component, public CBfcComponent, private juce::Timer
{
public:
    static constexpr int kFrameIntervalMs = 160;

    CTVCtrlIcon() = default;
    ~CTVCtrlIcon() override;

    // The image (shared) of frameCount frames; the icon takes one frame's size.
    void setImage(const juce::Image& image, int frameCount);

    void startAnimation();
    void stopAnimation();
    // Back to idle: frame 0.
    void reset();

    bool isAnimating() const { return m_animating; }
    bool isDone() const { return m_done; }
    // The frame that paint draws now; -1 when nothing is drawn.
    int getShownFrame() const;

    void paint(juce::Graphics& g) override;

private:
    void timerCallback() override;

    juce::Image m_image;
    int m_frame = 0;
    int m_frameCount = 0;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    bool m_animating = false;
    bool m_done = false;
};
