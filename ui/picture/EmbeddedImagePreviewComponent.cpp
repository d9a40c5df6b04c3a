#include "ui/picture/EmbeddedImagePreviewComponent.h"

#include "ui/picture/PictureDecoding.h"

namespace Tavrel
{
EmbeddedImagePreviewComponent::EmbeddedImagePreviewComponent()
    : m_font("<Sans-Serif>", 14.0f, juce::Font::plain)
{
    setSize(kPanelWidth, kPanelHeight);
}

EmbeddedImagePreviewComponent::~EmbeddedImagePreviewComponent()
{
    stopTimer();
}

void EmbeddedImagePreviewComponent::selectedFileChanged(const juce::File& file)
{
    // File names are case-sensitive here: "A.png" and "a.png" are two
    // pictures, so the comparison is exact.
    const juce::String path = file.getFullPathName();
    if (path == m_path)
        return;
    m_path = path;
    startTimer(kLoadDelayMs);
}

void EmbeddedImagePreviewComponent::timerCallback()
{
    stopTimer();
    m_image = juce::Image();
    m_information.clear();
    repaint();
    ++m_loads;
    DecodedPicture picture = decodePictureOfFile(m_path);
    if (!picture.image.isValid())
        return;
    m_information = picture.format->getFormatName() + "\n" + juce::String(picture.image.getWidth()) + " x "
                    + juce::String(picture.image.getHeight()) + " pixels\n"
                    + juce::File::descriptionOfSizeInBytes(picture.dataSize);
    int width = picture.image.getWidth();
    int height = picture.image.getHeight();
    fitImageSize(width, height);
    m_image = picture.image.rescaled(juce::jmax(1, width), juce::jmax(1, height), juce::Graphics::highResamplingQuality);
}

void EmbeddedImagePreviewComponent::fitImageSize(int& width, int& height) const
{
    if (width <= 0 || height <= 0)
        return;
    const int usableWidth = juce::roundToInt(getWidth() * 0.97);
    const double scale = juce::jmin(1.0, static_cast<double>(usableWidth) / width,
                                    static_cast<double>(getHeight() - 52) / height);
    width = juce::roundToInt(width * juce::jmax(0.0, scale));
    height = juce::roundToInt(height * juce::jmax(0.0, scale));
}

void EmbeddedImagePreviewComponent::paint(juce::Graphics& g)
{
    if (!m_image.isValid())
        return;
    const int fw = m_image.getWidth();
    const int fh = m_image.getHeight();
    const int top = (getHeight() - fh - 43) / 2;
    const int left = (getWidth() - fw) / 2;
    g.drawImageWithin(m_image, left, top, fw, fh,
                      juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize);
    g.setColour(findColour(juce::Label::textColourId));
    g.setFont(m_font.withHeight(13.0f));
    g.drawFittedText(m_information, 0, top + fh + 4, getWidth(), 100, juce::Justification::centredTop, 3, 0.7f);
}
} // namespace Tavrel
