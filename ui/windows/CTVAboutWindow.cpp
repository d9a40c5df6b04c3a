#include "ui/windows/CTVAboutWindow.h"

#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/ProgramImages.h"
#include "ui/look/UiText.h"

CTVAboutWindow::CTVAboutWindow()
    : FadingModalWindow(kFadeMs),
      m_image(Tavrel::loadProgramImage("TavrelAbout"))
{
}

void CTVAboutWindow::showAboutWindow(juce::Component* parent)
{
    if (parent == nullptr || juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return;
    auto* window = new CTVAboutWindow();
    show(window, parent, window->m_image.getWidth(), window->m_image.getHeight() + 60);
}

std::vector<CTVAboutWindow::Line> CTVAboutWindow::getLines() const
{
    const int y0 = m_image.getHeight() - 20;
    juce::String optimisation;
    if (juce::SystemStats::hasSSE2())
        optimisation = Tavrel::uiText("Other_SSE2Optimized");
    else if (juce::SystemStats::hasSSE())
        optimisation = Tavrel::uiText("Other_SSEOptimized");
    return {{Tavrel::uiText("Common_ApplicationName"), y0},
            {Tavrel::uiText("Common_Version") + " " + kVersion, y0 + 20},
            {optimisation, y0 + 40},
            {kNotice, y0 + 60}};
}

void CTVAboutWindow::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(kBackground));
    g.drawImageAt(m_image, 5, 5);
    juce::Font font(15.0f);
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        font = look->getFont(2, 15.0f, juce::Font::plain);
    for (const Line& line : getLines())
    {
        if (line.text.isEmpty())
            continue;
        g.setFont(CTVLookAndFeel::fontForText(line.text, font));
        g.setColour(juce::Colour(0xDD000000));
        g.drawSingleLineText(line.text, 21, line.baseline + 2);
        g.setColour(juce::Colours::white);
        g.drawSingleLineText(line.text, 20, line.baseline);
    }
}
