#pragma once

#include <cstdlib>

#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/support/MessageLoop.h"

#include <chrono>
#include <functional>

namespace qm::test
{
// A vertical strip of frames, each frame filled with its own opaque colour.
inline juce::Image MakeStrip(const std::vector<juce::Colour>& frames, int width, int frameHeight)
{
    juce::Image strip(juce::Image::ARGB, width, frameHeight * static_cast<int>(frames.size()), true);
    juce::Graphics g(strip);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        g.setColour(frames[i]);
        g.fillRect(0, static_cast<int>(i) * frameHeight, width, frameHeight);
    }
    return strip;
}

// The colour that the component paints at its centre.
inline juce::Colour CentreColour(juce::Component& component)
{
    const auto image = component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
    return image.getPixelAt(image.getWidth() / 2, image.getHeight() / 2);
}

// A mouse event at a point of the component, with the given buttons and keys.
inline juce::MouseEvent MouseAt(juce::Component& component, int x, int y, juce::ModifierKeys mods)
{
    const auto position = juce::Point<float>(static_cast<float>(x), static_cast<float>(y));
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                            juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                            juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1, false);
}
// Answers the next message box in place of a user (or renders it): from a
// timer, which runs inside the box's modal loop, it waits for an alert window
// to be the modal component and then acts on it. When none comes within a generous time it
// dismisses every modal component, so the test fails instead of hanging.
// Saves the image when QM_RENDER_DIR is set.
inline void KeepRender(const juce::Image& image, const juce::String& name)
{
    const char* folder = std::getenv("QM_RENDER_DIR");
    if (folder == nullptr || folder[0] == 0)
        return;
    const juce::File file = juce::File(juce::String::fromUTF8(folder)).getChildFile(name + ".png");
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    ASSERT_TRUE(out.openedOk() && png.writeImageToStream(image, out)) << file.getFullPathName();
}

class AlertWindowDriver final : private juce::Timer
{
public:
    explicit AlertWindowDriver(std::function<void(juce::AlertWindow&)> action)
        : m_action(std::move(action)),
          m_deadline(std::chrono::steady_clock::now() + std::chrono::seconds(20))
    {
        startTimer(10);
    }
    ~AlertWindowDriver() override { stopTimer(); }

    juce::StringArray buttonTexts;
    bool timedOut = false;

private:
    void timerCallback() override
    {
        auto* box = dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
        if (box == nullptr)
        {
            if (std::chrono::steady_clock::now() > m_deadline)
            {
                timedOut = true;
                stopTimer();
                juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            }
            return;
        }
        stopTimer();
        for (auto* child : box->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*>(child))
                buttonTexts.add(button->getButtonText());
        m_action(*box);
    }

    std::function<void(juce::AlertWindow&)> m_action;
    std::chrono::steady_clock::time_point m_deadline;
};
} // namespace qm::test
