#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Tavrel
{
// The preview panel of the picture chooser: the selected file's picture,
// scaled down to fit, with its format, pixel size and data size under it.
// Message thread.
class EmbeddedImagePreviewComponent : public juce::FilePreviewComponent, private juce::Timer
{
public:
    EmbeddedImagePreviewComponent();
    ~EmbeddedImagePreviewComponent() override;

    static constexpr int kPanelWidth = 160;
    static constexpr int kPanelHeight = 120;
    static constexpr int kLoadDelayMs = 100;

    void selectedFileChanged(const juce::File& file) override;
    void paint(juce::Graphics& g) override;

    // Scales a picture size down (never up) to what the panel shows: the
    // panel's width less 3 %, its height less 52 pixels for the text.
    void fitImageSize(int& width, int& height) const;

    const juce::String& getInformationText() const { return m_information; }
    const juce::Image& getPreviewImage() const { return m_image; }
    // How many times a selected file was loaded.
    int getLoadCount() const { return m_loads; }

private:
    void timerCallback() override;

    juce::String m_path;
    juce::Image m_image;
    juce::String m_information;
    juce::Font m_font;
    int m_loads = 0;
};

} // namespace Tavrel
