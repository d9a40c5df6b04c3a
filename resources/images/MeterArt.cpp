#include "resources/images/ArtKit.h"
#include "resources/images/Painters.h"

#include <cmath>

namespace qm::images::paint
{
using juce::Colour;
using juce::Graphics;

namespace
{
// Tops of the meter's 21 segments in pixels from the bottom, top segment first. The
// bar component lights the image from the bottom up to these heights, so the lamps
// are drawn exactly between them.
constexpr int segmentTops[] = {189, 179, 169, 159, 149, 139, 129, 119, 109, 99, 89,
                               79,  69,  59,  49,  39,  29,  19,  9,   0,   0};
constexpr int segmentCount = 21;

Colour lampColour(int segment, bool lit)
{
    if (segment <= 1)
        return lit ? palette::ledRed : Colour(0xFF3C2222);
    if (segment <= 3)
        return lit ? palette::ledAmber : Colour(0xFF38321F);
    return lit ? palette::ledGreen : Colour(0xFF1D3224);
}

// side: 0 rounds both outer corners, -1 only the left ones, +1 only the right ones.
void meterBar(Graphics& g, int width, int height, bool lit, int side)
{
    const auto r = Rect(0.0f, 0.0f, (float)width, (float)height);
    const float radius = 3.0f;
    juce::Path outline;
    outline.addRoundedRectangle(r.getX(), r.getY(), r.getWidth(), r.getHeight(), radius, radius, side <= 0, side >= 0,
                                side <= 0, side >= 0);
    g.setColour(palette::well);
    g.fillPath(outline);
    g.setColour(palette::wellEdge);
    g.strokePath(outline, juce::PathStrokeType(1.0f));

    for (int i = 0; i + 1 < segmentCount; ++i)
    {
        const int top = height - segmentTops[i];
        const int bottom = height - segmentTops[i + 1];
        if (bottom - top < 2)
            continue;
        const auto lamp = Rect(3.0f, (float)top + 1.0f, (float)width - 6.0f, (float)std::min(8, bottom - top - 1));
        const auto c = lampColour(i, lit);
        g.setColour(c);
        g.fillRect(lamp);
        g.setColour(lit ? c.brighter(0.45f) : c.brighter(0.12f));
        g.fillRect(lamp.withHeight(1.0f));
    }
}

void speaker(Graphics& g, int frame, int width, int height, Colour idle, Colour playing)
{
    const auto box = Rect(0.0f, 0.0f, (float)width, (float)height).reduced(0.5f, 1.0f);
    glyphSpeaker(g, box, frame == 0 ? idle : playing, frame != 0);
}

void wheel(Graphics& g, int width, int height, bool enabled)
{
    const auto r = centredSquare(Rect(0.0f, 0.0f, (float)width, (float)height), 1.0f).reduced(1.0f);
    const auto centre = r.getCentre();
    const float radius = r.getWidth() * 0.5f;
    g.setGradientFill(juce::ColourGradient(enabled ? Colour(0xFF565D67) : Colour(0xFF43474D), centre.x,
                                           centre.y - radius * 0.4f, enabled ? Colour(0xFF2E3238) : Colour(0xFF303338),
                                           centre.x, centre.y + radius, true));
    g.fillEllipse(r);
    g.setColour(Colour(0xFF1A1C20));
    g.drawEllipse(r.reduced(0.5f), 1.0f);
    // Grip dimples round the rim.
    for (int i = 0; i < 24; ++i)
    {
        const float a = juce::MathConstants<float>::twoPi * (float)i / 24.0f;
        const juce::Point<float> p(centre.x + std::sin(a) * radius * 0.83f, centre.y - std::cos(a) * radius * 0.83f);
        g.setColour(Colour(enabled ? 0xFF25282D : 0xFF2C2F33));
        g.fillEllipse(Rect(3.0f, 3.0f).withCentre(p));
    }
    g.setColour(Colour(enabled ? 0xFF3F454D : 0xFF393C41));
    g.fillEllipse(r.reduced(radius * 0.32f));
    g.setColour(Colour(0x22FFFFFF));
    g.drawEllipse(r.reduced(radius * 0.32f), 1.0f);
    // Finger dimple.
    const float a = juce::MathConstants<float>::pi * 0.25f;
    const juce::Point<float> dimple(centre.x + std::sin(a) * radius * 0.5f, centre.y - std::cos(a) * radius * 0.5f);
    g.setColour(enabled ? palette::accent : Colour(0xFF55595F));
    g.fillEllipse(Rect(radius * 0.3f, radius * 0.3f).withCentre(dimple));
}
} // namespace

void levelMeterClip(Graphics& g, int frame, int width, int height)
{
    buttonClip(g, frame == 0 ? 0 : 1, width, height);
}
void levelMeterAllOn(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, true, 0);
}
void levelMeterAllOff(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, false, 0);
}
void levelMeterLeftFull(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, true, -1);
}
void levelMeterLeftZero(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, false, -1);
}
void levelMeterRightFull(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, true, 1);
}
void levelMeterRightZero(Graphics& g, int, int width, int height)
{
    meterBar(g, width, height, false, 1);
}

void levelMeterScale(Graphics& g, int, int width, int height)
{
    // One tick at the top of each lamp, long ticks at -1.5, -6, -12, -24 and -36 dB.
    for (int i = 0; i + 2 < segmentCount; ++i)
    {
        const bool major = i == 0 || i == 3 || i == 7 || i == 11 || i == 15;
        const float length = major ? (float)width - 4.0f : 4.0f;
        const float y = (float)(height - segmentTops[i]) + 0.5f;
        g.setColour(i <= 1   ? palette::ledRed.withAlpha(0.85f)
                    : i <= 3 ? palette::ledAmber.withAlpha(0.85f)
                             : Colour(0xFF8C939D));
        g.fillRect(Rect(length, 1.0f).withCentre({(float)width * 0.5f, y}));
    }
    g.setColour(Colour(0xFF8C939D));
    g.fillRect(Rect((float)width - 4.0f, 1.0f).withCentre({(float)width * 0.5f, (float)height - 0.5f}));
}

void timeSliderBar(Graphics& g, int frame, int width, int height)
{
    const auto r = Rect(0.0f, 0.0f, (float)width, (float)height);
    switch (frame)
    {
    case 0: // empty part of the bar
        g.setColour(Colour(0xFF0F1114));
        g.fillRect(r);
        g.setColour(Colour(0xFF060709));
        g.fillRect(r.withHeight(1.0f));
        g.setColour(Colour(0xFF2C3137));
        g.fillRect(r.withTop(r.getBottom() - 1.0f));
        break;
    case 1: // played part
        g.setGradientFill(
            juce::ColourGradient(palette::accentLight, 0.0f, 0.0f, palette::accentDark, 0.0f, (float)height, false));
        g.fillRect(r);
        g.setColour(Colour(0xFFB5E0F8));
        g.fillRect(r.withY(1.0f).withHeight(1.0f));
        break;
    default: // no song
        g.setColour(Colour(0xFF23272C));
        g.fillRect(r);
        g.setColour(Colour(0xFF17191C));
        g.fillRect(r.withHeight(1.0f));
        break;
    }
}

void timeSliderPoint(Graphics& g, int frame, int width, int height)
{
    // Frames: normal, over, pressed, dragging, without a song.
    static const Colour fills[] = {Colour(0xFFE9ECEF), Colour(0xFFFFFFFF), palette::accent, palette::accentLight,
                                   Colour(0xFF4A5058)};
    static const Colour rings[] = {Colour(0xFF7F8893), palette::accent, palette::accentDark, palette::accent,
                                   Colour(0xFF33373D)};
    const int f = juce::jlimit(0, 4, frame);
    const auto knob =
        Rect((float)width, (float)width).withCentre({(float)width * 0.5f, (float)height * 0.5f}).reduced(0.5f);
    g.setColour(Colour(0x55000000));
    g.fillEllipse(knob.translated(0.0f, 1.0f));
    g.setColour(fills[f]);
    g.fillEllipse(knob);
    g.setColour(rings[f]);
    g.drawEllipse(knob.reduced(0.5f), 1.0f);
    if (f < 4)
    {
        g.setColour(f == 2 || f == 3 ? Colour(0xFFFFFFFF) : palette::accent);
        g.fillEllipse(knob.withSizeKeepingCentre(3.5f, 3.5f));
    }
}

void markOnTimeSlider(Graphics& g, int, int width, int height)
{
    const float w = (float)width, h = (float)height;
    auto p = triangle({0.5f, 0.5f}, {w - 0.5f, 0.5f}, {w * 0.5f, h - 0.5f});
    g.setColour(Colour(0xFFF0B429));
    g.fillPath(p);
    g.setColour(Colour(0xFF6B4D0C));
    g.strokePath(p, juce::PathStrokeType(1.0f));
}

void tinySpeaker(Graphics& g, int frame, int width, int height)
{
    speaker(g, frame, width, height, Colour(0xFF6B727C), palette::accentDark);
}

void tinySpeakerInfo(Graphics& g, int frame, int width, int height)
{
    speaker(g, frame, width, height, Colour(0xFFAEB4BC), Colour(0xFFFFFFFF));
}

void convertingAnimation(Graphics& g, int frame, int width, int height)
{
    // A spinner: a faint ring with a bright arc that turns a sixth of a circle per frame.
    const auto ring = centredSquare(Rect((float)width, (float)height), 1.0f).reduced(2.0f);
    g.setColour(Colour(0x33505860));
    g.drawEllipse(ring, 2.0f);
    const float start = juce::MathConstants<float>::twoPi * (float)frame / 6.0f;
    juce::Path arc;
    arc.addCentredArc(ring.getCentreX(), ring.getCentreY(), ring.getWidth() * 0.5f, ring.getHeight() * 0.5f, 0.0f,
                      start, start + juce::MathConstants<float>::twoPi / 3.0f, true);
    g.setColour(palette::accent);
    g.strokePath(arc, juce::PathStrokeType(2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void jogWheel(Graphics& g, int, int width, int height)
{
    wheel(g, width, height, true);
}
void jogWheelDisable(Graphics& g, int, int width, int height)
{
    wheel(g, width, height, false);
}
} // namespace qm::images::paint
