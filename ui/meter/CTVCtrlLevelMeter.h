#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cstdint>

// One segmented bar of the level meter, with a falling display and a
// peak-hold segment. Its mouse presses go to the meter through the
// listener's down hook. Message thread.
class CTVCtrlLevelMeter : public juce::Component, public CBfcComponent
{
public:
    static constexpr int kSegments = 21;
    // Segment thresholds (dB, falling) and tops (pixels from the bottom),
    // index 0 at the top.
    static const std::array<float, kSegments> kThresholds;
    static const std::array<int, kSegments> kTops;
    static constexpr double kSilence = -200.0;

    // The images are shared, not copied; the bar takes their size.
    CTVCtrlLevelMeter(const juce::Image& unlit, const juce::Image& lit, int channel);

    // A new level report (dB); holdMs is the peak-hold time (negative: until
    // a reset).
    void setLevel(double level, int holdMs);
    // No peak shown.
    void resetPeak();

    double getDisplayedLevel() const { return m_displayed; }
    // The held segment; kSegments for none.
    int getHeldSegment() const { return m_held; }
    // How many pixels from the bottom are lit by the level.
    int getLitHeight() const;

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;

private:
    static int segmentOf(double level);

    juce::Image m_unlit;
    juce::Image m_lit;
    double m_displayed = kSilence;
    int m_held = kSegments;
    int64_t m_lastPeak = 0;
};
