#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

// A button of several states drawn from a vertical strip of frames, one frame
// per state (or two, normal and pressed, when pressed frames are used). It
// hands every mouse event to its listener first and raises pressed, released
// and clicked.
class CBfcCtrlButton : public juce::Component, public CBfcComponent
{
public:
    enum ClickMode
    {
        kClickOnRelease = 0, // clicked when released inside the hit rectangle
        kClickOnPress = 1,   // clicked as soon as it is pressed
    };

    CBfcCtrlButton() = default;

    // Takes the strip (not copied; the image shares its pixels) of stateCount
    // frames (at least one) and takes the size of one frame.
    void setImage(int stateCount, const juce::Image& image);
    // Each state then has two frames in the strip, normal and pressed.
    void setPressedFrames(bool used);

    // Selects a state, clamped to the states there are.
    virtual void setState(int index);
    int getState() const { return m_state; }
    int getStateCount() const { return m_stateCount; }

    void setClickMode(int mode) { m_clickMode = mode; }
    // The area that takes presses, in the button's coordinates; an empty
    // rectangle goes back to the whole button.
    void setHitRectangle(juce::Rectangle<int> area);

    bool isPressed() const { return m_pressed; }
    bool isPointerInside() const { return m_pointerInside; }
    bool hasBeenPainted() const { return m_painted; }
    // The frame that paint draws now.
    int getCurrentFrame() const;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void enablementChanged() override;

    void mouseMove(const juce::MouseEvent& e) override;
    void mouseEnter(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;
    void mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;

private:
    bool hitRectangleContains(juce::Point<int> point) const;
    void updateFrameLayout();
    void refresh();

    juce::Image m_image;
    int m_imageWidth = 0;
    int m_frameHeight = 0;
    int m_frameCount = 0;
    int m_state = 0;
    int m_stateCount = 1;
    int m_clickMode = kClickOnRelease;
    int m_hitLeft = 0;
    int m_hitTop = 0;
    int m_hitRight = 0;
    int m_hitBottom = 0;
    bool m_customHitRectangle = false;
    bool m_pressed = false;
    bool m_pressedFrames = false;
    bool m_pointerInside = false;
    bool m_painted = false;
};
