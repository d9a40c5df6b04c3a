#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

#include "app/host/CTVHostListener.h"

class CAudioPlayerInput;
class CTVHost;

namespace Tavrel
{
// "Reading Audio Data..." with a progress bar, shown while the input of the
// song the player is to play still prepares, and hidden once it is ready.
// Never modal; its Close button (Return) only hides it. It follows the
// controller (acquired before and released after this window).
//
// Message thread only.
class InternalProcessProgressWindow : public juce::Button::Listener, public CTVHostListener
{
public:
    static constexpr int kCloseButtonWidth = 88;
    static constexpr int kCloseButtonHeight = 24;

    InternalProcessProgressWindow();
    ~InternalProcessProgressWindow() override;

    InternalProcessProgressWindow(const InternalProcessProgressWindow&) = delete;
    InternalProcessProgressWindow& operator=(const InternalProcessProgressWindow&) = delete;

    void buttonClicked(juce::Button* button) override;
    void positionChanged(CTVHost* host) override;
    void currentTrackChanged(CTVHost* host, int index) override;
    void transportStateChanged(CTVHost* host, int state) override;

    // The input whose preparation is shown; null (at first) is the
    // controller's current input. Tests hand their own.
    void setInput(CAudioPlayerInput* input) { m_input = input; }

    juce::AlertWindow& getWindow() { return *m_window; }
    double getProgress() const { return m_progress; }

private:
    CAudioPlayerInput* input() const;
    void update();

    CTVHost* m_host;
    CAudioPlayerInput* m_input = nullptr;
    double m_progress = 0.0;
    std::unique_ptr<juce::AlertWindow> m_window;
    std::unique_ptr<juce::TextButton> m_close;
};
} // namespace Tavrel
