#pragma once

#include "app/core/ExportSessionListener.h"
#include "app/host/CTVHostListener.h"
#include "ui/widgets/SimpleImageButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

class CTVHost;

// The pair of large buttons that start an export and a disc burn. They act
// only through the commands they trigger and follow those commands' enabled
// states. 80 x 44: export above, burn below. Message thread.
class ExportAndBurnCD : public juce::Component,
                        public juce::Button::Listener,
                        public CTVHostListener,
                        public Tavrel::ExportSessionListener
{
public:
    // How a disabled button is drawn: visibly dim.
    static constexpr float kDisabledOpacity = 0.4f;

    // The controller is not owned and outlives the component.
    explicit ExportAndBurnCD(CTVHost& host);
    ~ExportAndBurnCD() override;

    Tavrel::SimpleImageButton& getExportButton() { return m_export; }
    Tavrel::SimpleImageButton& getBurnButton() { return m_burn; }

    void resized() override;
    void paint(juce::Graphics&) override {}
    void buttonClicked(juce::Button*) override {}

private:
    CTVHost& m_host;
    Tavrel::SimpleImageButton m_burn;
    Tavrel::SimpleImageButton m_export;
};

// The painted background of the main window with the maker's logo; the
// top image, then its last row's strip repeated down to the bottom edge.
class BackGroundComponent : public juce::Component
{
public:
    BackGroundComponent();

    void paint(juce::Graphics& g) override;

private:
    juce::Image m_top;
    juce::Image m_strip;
    juce::Image m_logo;
};
