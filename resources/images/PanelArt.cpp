#include "resources/images/ArtKit.h"
#include "resources/images/Painters.h"

#include <cmath>

namespace qm::images::paint
{
using juce::Colour;
using juce::ColourGradient;
using juce::Graphics;
using juce::Path;
using juce::PathStrokeType;
using Pt = juce::Point<float>;

namespace
{
// Main window geometry the backgrounds are laid out for: the transport strip on top,
// the song-list panel, the level meter and the export and burn buttons below it.
constexpr int headerHeight = 94;
constexpr int listPanelX = 43;
constexpr int listPanelWidth = 540;

// Song-list panel geometry (panel coordinates).
constexpr int toolbarBottom = 36;
constexpr int listLeft = 10;   // left border of the list well; the list box starts one pixel further
constexpr int listRight = 397; // right border of the list well
constexpr int listTop = 56;    // the line above the list box
constexpr int panelRadius = 6;

const Colour panelBorder{0xFF8F96A0};
const Colour wellBorder{0xFF7F8790};

void infoDisplay(Graphics& g, Rect r)
{
    g.setGradientFill(
        ColourGradient(Colour(0xFF1C2026), 0.0f, r.getY(), Colour(0xFF111418), 0.0f, r.getBottom(), false));
    g.fillRoundedRectangle(r, 6.0f);
    g.setColour(Colour(0xFF0A0C0E));
    g.drawRoundedRectangle(r.reduced(0.5f), 6.0f, 1.0f);
    g.setColour(Colour(0x40000000));
    g.fillRect(r.getX() + 6.0f, r.getY() + 1.0f, r.getWidth() - 12.0f, 1.0f);
    g.setColour(Colour(0x18FFFFFF));
    g.fillRect(r.getX() + 6.0f, r.getBottom() + 0.0f, r.getWidth() - 12.0f, 1.0f);
}

void meterPanel(Graphics& g, Rect r)
{
    g.setColour(Colour(0xFF2A2E33));
    g.fillRoundedRectangle(r, 8.0f);
    g.setColour(Colour(0xFF1F2226));
    g.drawRoundedRectangle(r.reduced(0.5f), 8.0f, 1.0f);
    g.setColour(Colour(0x12FFFFFF));
    g.fillRect(r.getX() + 8.0f, r.getBottom(), r.getWidth() - 16.0f, 1.0f);
}

// The transport strip: rows 0 to headerHeight - 1.
void transportHeader(Graphics& g, int width)
{
    const float w = (float)width;
    g.setGradientFill(
        ColourGradient(palette::header, 0.0f, 0.0f, palette::headerLow, 0.0f, (float)headerHeight, false));
    g.fillRect(Rect(w, (float)headerHeight));
    g.setColour(Colour(0x16FFFFFF));
    g.fillRect(Rect(w, 1.0f));
    g.setColour(Colour(0xFF16181B));
    g.fillRect(Rect(0.0f, (float)headerHeight - 1.0f, w, 1.0f));

    // Well behind the rewind, play and fast-forward buttons.
    const auto well = Rect(19.0f, 23.0f, 98.0f, 38.0f);
    g.setColour(Colour(0x14FFFFFF));
    g.drawRoundedRectangle(well.translated(0.0f, 1.0f).reduced(0.5f), 19.0f, 1.0f);
    g.setColour(Colour(0xFF1F2227));
    g.fillRoundedRectangle(well, 19.0f);

    infoDisplay(g, Rect(116.0f, 20.0f, 480.0f, 45.0f));

    // Channel of the time bar.
    const auto channel = Rect(20.0f, 70.0f, 658.0f, 16.0f);
    g.setColour(Colour(0xFF1B1E22));
    g.fillRoundedRectangle(channel, 8.0f);
    g.setColour(Colour(0xFF111316));
    g.drawRoundedRectangle(channel.reduced(0.5f), 8.0f, 1.0f);
    g.setColour(Colour(0x12FFFFFF));
    g.fillRect(channel.getX() + 8.0f, channel.getBottom(), channel.getWidth() - 16.0f, 1.0f);
}

// The body of the window: every row looks the same, so a one-pixel strip of it can be
// repeated to any height. The sides of the song-list panel cast a soft shadow.
void bodyRows(Graphics& g, int width, float top, float height)
{
    const float w = (float)width;
    ColourGradient shade(palette::bodyEdge, 0.0f, 0.0f, palette::bodyEdge, w, 0.0f, false);
    shade.addColour(0.35, palette::body);
    shade.addColour(0.65, palette::body);
    g.setGradientFill(shade);
    g.fillRect(Rect(0.0f, top, w, height));
    const float left = (float)listPanelX, right = (float)(listPanelX + listPanelWidth);
    g.setGradientFill(ColourGradient(Colour(0x00000000), left - 4.0f, 0.0f, Colour(0x50000000), left, 0.0f, false));
    g.fillRect(Rect(left - 4.0f, top, 4.0f, height));
    g.setGradientFill(ColourGradient(Colour(0x50000000), right, 0.0f, Colour(0x00000000), right + 4.0f, 0.0f, false));
    g.fillRect(Rect(right, top, 4.0f, height));
}

// One row of the song-list panel below its header: side borders, the list well.
void listPanelRows(Graphics& g, float top, float height)
{
    const float w = (float)listPanelWidth;
    g.setColour(palette::panel);
    g.fillRect(Rect(0.0f, top, w, height));
    g.setColour(panelBorder);
    g.fillRect(Rect(0.0f, top, 1.0f, height));
    g.fillRect(Rect(w - 1.0f, top, 1.0f, height));
    g.setColour(palette::listWell);
    g.fillRect(Rect((float)listLeft, top, (float)(listRight - listLeft), height));
    g.setColour(wellBorder);
    g.fillRect(Rect((float)listLeft, top, 1.0f, height));
    g.fillRect(Rect((float)listRight, top, 1.0f, height));
}

void valueField(Graphics& g, Rect r)
{
    g.setColour(Colour(0xFFFFFFFF));
    g.fillRoundedRectangle(r, 3.0f);
    g.setColour(Colour(0xFFA9B0B9));
    g.drawRoundedRectangle(r.reduced(0.5f), 3.0f, 1.0f);
}

juce::uint32 mix(juce::uint32 seed)
{
    seed ^= seed >> 16;
    seed *= 0x7FEB352Du;
    seed ^= seed >> 15;
    seed *= 0x846CA68Bu;
    return seed ^ (seed >> 16);
}

// A feather drawn from its shaft and a few hundred barbs.
void feather(Graphics& g, Pt base, Pt control, Pt tip, float span)
{
    auto at = [&](float t) {
        const float u = 1.0f - t;
        return Pt(u * u * base.x + 2.0f * u * t * control.x + t * t * tip.x,
                  u * u * base.y + 2.0f * u * t * control.y + t * t * tip.y);
    };
    auto tangent = [&](float t) {
        const Pt d((1.0f - t) * (control.x - base.x) + t * (tip.x - control.x),
                   (1.0f - t) * (control.y - base.y) + t * (tip.y - control.y));
        return d / std::hypot(d.x, d.y);
    };

    const int barbs = 150;
    for (int side = -1; side <= 1; side += 2)
        for (int i = 0; i < barbs; ++i)
        {
            const float t = 0.14f + 0.85f * (float)i / (float)barbs;
            const float shape = std::pow(std::sin(juce::MathConstants<float>::pi * (t - 0.1f) / 0.92f), 0.7f);
            // A few gaps in the vane, as a real feather has.
            const juce::uint32 h = mix((juce::uint32)(i * 2 + (side > 0 ? 1 : 0)) + 77u);
            const float jitter = 0.85f + 0.15f * (float)(h % 100u) / 100.0f;
            const float length = span * shape * jitter * (side > 0 ? 1.0f : 0.8f);
            const Pt p = at(t);
            const Pt d = tangent(t);
            const Pt n((float)side * -d.y, (float)side * d.x);
            const Pt dir = n * 0.62f + d * 0.78f;
            Path barb;
            barb.startNewSubPath(p);
            barb.quadraticTo(p + n * length * 0.5f + d * length * 0.2f, p + dir * length);
            const float alpha = 0.18f + 0.35f * shape;
            g.setColour(Colour(0xFFEAF4FB).withAlpha(alpha));
            g.strokePath(barb, PathStrokeType(0.8f));
        }
    Path shaft;
    shaft.startNewSubPath(base.translated(-8.0f, 14.0f));
    shaft.lineTo(base);
    shaft.quadraticTo(control, tip);
    g.setColour(Colour(0xFFF4F8FB));
    g.strokePath(shaft, PathStrokeType(2.2f, PathStrokeType::curved, PathStrokeType::rounded));
}
} // namespace

void layerInfoBack(Graphics& g, int, int width, int height)
{
    infoDisplay(g, Rect((float)width, (float)height - 1.0f));
}

void layerTransportBack(Graphics& g, int, int width, int)
{
    transportHeader(g, width);
}

void layerRightBack(Graphics& g, int, int width, int height)
{
    meterPanel(g, Rect((float)width, (float)height).withTrimmedBottom(1.0f));
}

void windowBackGround(Graphics& g, int, int width, int height)
{
    bodyRows(g, width, 0.0f, (float)height);
}
void backGroundCont(Graphics& g, int, int width, int height)
{
    bodyRows(g, width, 0.0f, (float)height);
}

void backGroundTop(Graphics& g, int, int width, int height)
{
    transportHeader(g, width);
    bodyRows(g, width, (float)headerHeight, (float)(height - headerHeight));
    // Shadow under the transport strip.
    g.setGradientFill(ColourGradient(Colour(0x60000000), 0.0f, (float)headerHeight, Colour(0x00000000), 0.0f,
                                     (float)headerHeight + 5.0f, false));
    g.fillRect(Rect(0.0f, (float)headerHeight, (float)width, 5.0f));
    // Panel behind the level meter.
    meterPanel(g, Rect(598.0f, 102.0f, 96.0f, 232.0f));
}

void backGroundBottom(Graphics& g, int, int width, int height)
{
    bodyRows(g, width, 0.0f, (float)height);
    g.setGradientFill(ColourGradient(Colour(0x00000000), 0.0f, 0.0f, Colour(0x48000000), 0.0f, (float)height, false));
    g.fillRect(Rect((float)width, (float)height));
    g.setColour(Colour(0xFF1C1F23));
    g.fillRect(Rect(0.0f, (float)height - 1.0f, (float)width, 1.0f));
}

void layerListBack(Graphics& g, int, int, int height)
{
    listPanelRows(g, 0.0f, (float)height);
}

void layerListBackTop(Graphics& g, int, int width, int height)
{
    const float w = (float)width, h = (float)height;
    {
        Graphics::ScopedSaveState state(g);
        Path shape;
        shape.addRoundedRectangle(0.0f, 0.0f, w, h + (float)panelRadius, (float)panelRadius);
        g.reduceClipRegion(shape);
        listPanelRows(g, 0.0f, h);

        // Toolbar with the command, repeat and play-mode buttons.
        g.setGradientFill(
            ColourGradient(Colour(0xFFDDE1E5), 0.0f, 0.0f, palette::panelDark, 0.0f, (float)toolbarBottom, false));
        g.fillRect(Rect(w, (float)toolbarBottom));
        g.setColour(Colour(0xFFB0B6BE));
        g.fillRect(Rect(0.0f, (float)toolbarBottom, w, 1.0f));
        g.setColour(Colour(0x80FFFFFF));
        g.fillRect(Rect(0.0f, 1.0f, w, 1.0f));

        // Column header of the list: song number, name, length, format.
        const float headTop = (float)toolbarBottom + 1.0f;
        const auto head = Rect((float)listLeft, headTop, (float)(listRight - listLeft + 1), (float)listTop - headTop);
        g.setColour(Colour(0xFFC9CED5));
        g.fillRect(head);
        g.setColour(wellBorder);
        g.fillRect(head.withWidth(1.0f));
        g.fillRect(head.withX((float)listRight).withWidth(1.0f));
        const Colour glyph(0xFF5D6570);
        const float gy = headTop + 4.0f;
        const float x0 = (float)listLeft + 1.0f;
        glyphHash(g, Rect(x0 + 14.0f, gy, 11.0f, 11.0f), glyph);
        glyphNote(g, Rect(x0 + 40.0f + 82.0f, gy, 11.0f, 11.0f), glyph);
        glyphClock(g, Rect(x0 + 217.0f + 24.0f, gy, 11.0f, 11.0f), glyph);
        glyphWave(g, Rect(x0 + 276.0f + 36.0f, gy + 1.0f, 16.0f, 9.0f), glyph);

        g.setColour(panelBorder);
        g.drawRoundedRectangle(Rect(0.5f, 0.5f, w - 1.0f, h + (float)panelRadius), (float)panelRadius, 1.0f);
    }

    // Value panel: gain, balance, fade-in and fade-out of the selected songs.
    const auto box = Rect(404.0f, 42.0f, 131.0f, 106.0f);
    g.setColour(Colour(0xFFD9DDE2));
    g.fillRoundedRectangle(box, 5.0f);
    g.setColour(Colour(0xFFB9BFC7));
    g.drawRoundedRectangle(box.reduced(0.5f), 5.0f, 1.0f);
    const Colour icon(0xFF4A525C);
    glyphSpeaker(g, Rect(414.0f, 50.0f, 22.0f, 16.0f), icon, true);
    glyphBalance(g, Rect(412.0f, 78.0f, 26.0f, 12.0f), icon);
    glyphFade(g, Rect(413.0f, 103.0f, 24.0f, 13.0f), icon, 1, true);
    glyphFade(g, Rect(413.0f, 128.0f, 24.0f, 13.0f), icon, 1, false);
    valueField(g, Rect(463.0f, 48.0f, 70.0f, 21.0f));
    valueField(g, Rect(463.0f, 74.0f, 70.0f, 20.0f));
    valueField(g, Rect(489.0f, 99.0f, 44.0f, 20.0f));
    valueField(g, Rect(489.0f, 124.0f, 44.0f, 20.0f));
}

void layerListBackBottom(Graphics& g, int, int width, int height)
{
    const float w = (float)width, h = (float)height;
    Graphics::ScopedSaveState state(g);
    Path shape;
    shape.addRoundedRectangle(0.0f, -(float)panelRadius, w, h + (float)panelRadius, (float)panelRadius);
    g.reduceClipRegion(shape);
    g.setColour(palette::panel);
    g.fillRect(Rect(w, h));
    g.setColour(wellBorder);
    g.fillRect(Rect((float)listLeft, 0.0f, (float)(listRight - listLeft + 1), 1.0f));
    g.setColour(panelBorder);
    g.drawRoundedRectangle(Rect(0.5f, -(float)panelRadius, w - 1.0f, h + (float)panelRadius - 0.5f), (float)panelRadius,
                           1.0f);
}

void layerListNumberBox(Graphics& g, int, int width, int height)
{
    const auto r = Rect((float)width, (float)height).reduced(0.5f);
    g.setColour(Colour(0xFFDDE1E6));
    g.fillRoundedRectangle(r, 4.0f);
    g.setColour(Colour(0xFFB9BFC6));
    g.drawRoundedRectangle(r.reduced(0.5f), 4.0f, 1.0f);
}

void iconInfoBackGround(Graphics& g, int, int width, int height)
{
    chromeFace(g, Rect((float)width, (float)height).reduced(0.5f), Face::normal, 5.0f);
}

void infoPageButtonBackground(Graphics& g, int, int width, int height)
{
    const auto r = Rect((float)width, (float)height).reduced(0.5f);
    g.setColour(Colour(0xFF1F2226));
    g.fillRoundedRectangle(r, 5.0f);
    g.setColour(Colour(0xFF121417));
    g.drawRoundedRectangle(r.reduced(0.5f), 5.0f, 1.0f);
    g.setColour(Colour(0xFF34383E));
    for (int i = 1; i < 3; ++i)
        g.fillRect(Rect(r.getX() + r.getWidth() * (float)i / 3.0f, r.getY() + 4.0f, 1.0f, r.getHeight() - 8.0f));
}

void noPicture(Graphics& g, int, int width, int height)
{
    const auto r = Rect((float)width, (float)height).reduced(1.0f);
    g.setColour(Colour(0xFFE6E9ED));
    g.fillRoundedRectangle(r, 8.0f);
    Path border;
    border.addRoundedRectangle(r.reduced(0.5f), 8.0f);
    Path dashed;
    const float dashes[] = {5.0f, 4.0f};
    PathStrokeType(1.2f).createDashedStroke(dashed, border, dashes, 2);
    g.setColour(Colour(0xFFA7AEB7));
    g.fillPath(dashed);
    glyphPicture(g, Rect(46.0f, 34.0f).withCentre({r.getCentreX(), r.getY() + r.getHeight() * 0.33f}),
                 Colour(0xFFB3BAC3), 2.0f);
}

void logo(Graphics& g, int, int width, int height)
{
    const float h = (float)height;
    glyphQuill(g, Rect(2.0f, 2.0f, h - 6.0f, h - 4.0f), Colour(0xE6FFFFFF));
    // A short burst of sound beside the quill.
    static constexpr float bars[] = {0.25f, 0.5f, 0.8f, 1.0f, 0.65f, 0.4f, 0.7f, 0.3f};
    const float x0 = h + 2.0f;
    const float step = ((float)width - x0 - 2.0f) / 8.0f;
    for (int i = 0; i < 8; ++i)
    {
        const float bh = (h - 8.0f) * bars[i];
        g.setColour(palette::accentLight.interpolatedWith(palette::accent, (float)i / 7.0f).withAlpha(0.9f));
        g.fillRoundedRectangle(Rect(step * 0.55f, bh).withCentre({x0 + step * ((float)i + 0.5f), h * 0.5f}), 1.0f);
    }
}

void about(Graphics& g, int, int width, int height)
{
    const float w = (float)width, h = (float)height;
    const Colour bottom(0xFF282828);
    g.setGradientFill(ColourGradient(Colour(0xFF1A2533), 0.0f, 0.0f, Colour(0xFF232A31), 0.0f, h, false));
    g.fillAll();

    const Pt centre(w * 0.72f, h * 0.38f);
    g.setGradientFill(ColourGradient(palette::accent.withAlpha(0.42f), centre.x, centre.y,
                                     palette::accent.withAlpha(0.0f), centre.x + w * 0.5f, centre.y, true));
    g.fillAll();

    // Sound rings spreading from the glow.
    for (int i = 0; i < 34; ++i)
    {
        const float radius = 22.0f + 9.5f * (float)i;
        const float alpha = 0.22f * std::pow(1.0f - (float)i / 34.0f, 1.5f);
        g.setColour(palette::accentLight.withAlpha(alpha));
        g.drawEllipse(Rect(radius * 2.0f, radius * 2.0f).withCentre(centre), i % 3 == 0 ? 1.4f : 0.8f);
    }

    // A waveform along the lower third.
    const float baseline = h * 0.68f;
    for (int x = 16; x < width - 16; x += 3)
    {
        const float t = (float)x / w;
        const float envelope = std::sin(juce::MathConstants<float>::pi * (t - 0.03f) / 0.94f);
        const float a = std::abs(std::sin((float)x * 0.061f) * std::sin((float)x * 0.0137f + 1.1f)) +
                        0.25f * std::abs(std::sin((float)x * 0.23f));
        const float bh = 2.0f + 52.0f * envelope * a;
        g.setGradientFill(ColourGradient(palette::accentLight.withAlpha(0.75f), 0.0f, baseline - bh * 0.5f,
                                         palette::accent.withAlpha(0.25f), 0.0f, baseline + bh * 0.5f, false));
        g.fillRoundedRectangle(Rect((float)x, baseline - bh * 0.5f, 2.0f, bh), 1.0f);
    }

    feather(g, {70.0f, h * 0.8f}, {96.0f, h * 0.35f}, {248.0f, h * 0.08f}, 46.0f);

    // Fade the lower part into the about box's own background, where its text goes.
    g.setGradientFill(ColourGradient(bottom.withAlpha(0.0f), 0.0f, h * 0.7f, bottom, 0.0f, h - 14.0f, false));
    g.fillRect(Rect(0.0f, h * 0.7f, w, h * 0.3f));
}
} // namespace qm::images::paint
