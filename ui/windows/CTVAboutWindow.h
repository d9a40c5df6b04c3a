#pragma once

#include "ui/windows/FadingModalWindow.h"

// The about box: the about picture, the program's name and version and the
// processor optimisation in use, over a dark background. Modal inside its
// parent; fades in and out over 400 ms; any key or click closes it.
class CTVAboutWindow : public Tavrel::FadingModalWindow
{
public:
    static constexpr int kFadeMs = 400;
    static constexpr juce::uint32 kBackground = 0xFF282828;
    static constexpr const char* kVersion = "1.0.0.0";
    // The line under the version and the optimisation note.
    static constexpr const char* kNotice = "Collect, play, export and burn your audio.";

    // Shows a new about box in the parent (nothing without a parent).
    static void showAboutWindow(juce::Component* parent);

    void paint(juce::Graphics& g) override;

    // The four lines and their base lines, from the top of the window.
    struct Line
    {
        juce::String text;
        int baseline = 0;
    };
    std::vector<Line> getLines() const;

private:
    CTVAboutWindow();

    juce::Image m_image;
};
