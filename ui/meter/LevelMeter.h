#pragma once

#include "app/host/CTVHostListener.h"
#include "ui/meter/CTVCtrlLevelMeter.h"
#include "ui/widgets/CBfcComponent.h"
#include "ui/widgets/FourStateImageButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>

class CTVHost;

// The stereo peak meter: two bars, the clip indicator button and a menu of
// the hold times. It follows the controller's level and clip reports; a
// press (not the right button) on it, a bar or the clip button resets it,
// the right button opens the menu. 110 x 220. Message thread.
class LevelMeter : public juce::Component,
                   public juce::Button::Listener,
                   public CBfcComponentListener,
                   public CTVHostListener
{
public:
    // The controller is not owned and outlives the meter.
    explicit LevelMeter(CTVHost& host);
    ~LevelMeter() override;

    CTVCtrlLevelMeter& getBar(int channel) { return *m_bars[static_cast<size_t>(channel)]; }
    Tavrel::FourStateImageButton& getClipButton() { return m_clip; }
    int getClipState() const { return m_clipState; }
    // The hold-time menu: two submenus of the hold commands, a separator and
    // "Cancel".
    juce::PopupMenu createMenu() const;
    void reset();

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void buttonClicked(juce::Button* button) override;
    bool mouseDownHook(CBfcComponent* c, const juce::MouseEvent& e) override;

    void levelChanged(CTVHost* host, int channel, double levelDb) override;
    void clipStateChanged(CTVHost* host, int clip) override;

private:
    void pressed(const juce::MouseEvent& e);

    CTVHost& m_host;
    Tavrel::FourStateImageButton m_clip;
    std::array<std::unique_ptr<CTVCtrlLevelMeter>, 2> m_bars;
    juce::Image m_scale;
    int m_clipState = 0;
    int64_t m_clipRaised = 0;
};
