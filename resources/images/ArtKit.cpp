#include "resources/images/ArtKit.h"

#include <algorithm>
#include <cmath>

namespace qm::images
{
using juce::Colour;
using juce::Graphics;
using juce::Path;
using juce::PathStrokeType;
using Pt = juce::Point<float>;

namespace
{
void fillStroke(Graphics& g, Rect r, float radius, Colour fill, Colour border)
{
    g.setColour(fill);
    g.fillRoundedRectangle(r, radius);
    g.setColour(border);
    g.drawRoundedRectangle(r.reduced(0.5f), radius, 1.0f);
}

void strokePath(Graphics& g, const Path& p, Colour c, float thickness)
{
    g.setColour(c);
    g.strokePath(p, PathStrokeType(thickness, PathStrokeType::curved, PathStrokeType::rounded));
}
} // namespace

Colour panelFace(Graphics& g, Rect r, Face face, float radius)
{
    switch (face)
    {
    case Face::normal:
        fillStroke(g, r, radius, Colour(0xFFF6F7F9), Colour(0xFFA3AAB3));
        g.setColour(Colour(0x14000000));
        g.fillRect(r.getX() + radius, r.getBottom() - 2.0f, r.getWidth() - 2.0f * radius, 1.0f);
        return palette::ink;
    case Face::over:
        fillStroke(g, r, radius, Colour(0xFFFFFFFF), palette::accent);
        return palette::ink;
    case Face::pressed:
        fillStroke(g, r, radius, Colour(0xFFCDD3DA), Colour(0xFF858D97));
        g.setColour(Colour(0x1A000000));
        g.fillRect(r.getX() + radius, r.getY() + 1.0f, r.getWidth() - 2.0f * radius, 1.0f);
        return Colour(0xFF1E2227);
    case Face::disabled:
        fillStroke(g, r, radius, Colour(0xFFEDEFF2), Colour(0xFFCBD0D6));
        return Colour(0xFFB9BEC5);
    case Face::on:
        fillStroke(g, r, radius, palette::accent, palette::accentDark);
        return Colour(0xFFFFFFFF);
    case Face::onPressed:
        fillStroke(g, r, radius, palette::accentDark, Colour(0xFF155F8C));
        return Colour(0xFFE6F3FB);
    }
    return palette::ink;
}

Colour chromeFace(Graphics& g, Rect r, Face face, float radius)
{
    switch (face)
    {
    case Face::normal:
        fillStroke(g, r, radius, Colour(0xFF484E57), Colour(0xFF1E2125));
        g.setColour(Colour(0x22FFFFFF));
        g.fillRect(r.getX() + radius, r.getY() + 1.0f, r.getWidth() - 2.0f * radius, 1.0f);
        return Colour(0xFFE9EBEE);
    case Face::over:
        fillStroke(g, r, radius, Colour(0xFF545B65), palette::accent);
        return Colour(0xFFFFFFFF);
    case Face::pressed:
        fillStroke(g, r, radius, Colour(0xFF2B2F35), Colour(0xFF16181B));
        return Colour(0xFFC4C9CF);
    case Face::disabled:
        fillStroke(g, r, radius, Colour(0xFF3A3E45), Colour(0xFF2A2D32));
        return Colour(0xFF676D76);
    case Face::on:
        fillStroke(g, r, radius, palette::accent, Colour(0xFF155F8C));
        return Colour(0xFFFFFFFF);
    case Face::onPressed:
        fillStroke(g, r, radius, palette::accentDark, Colour(0xFF10496B));
        return Colour(0xFFE6F3FB);
    }
    return Colour(0xFFE9EBEE);
}

Colour roundFace(Graphics& g, Rect r, Face face)
{
    const auto disc = r.reduced(0.5f);
    Colour fill, ring, glyph;
    switch (face)
    {
    case Face::normal:
        fill = Colour(0xFF3C424A);
        ring = Colour(0xFF5C6470);
        glyph = Colour(0xFFE9EBEE);
        break;
    case Face::over:
        fill = Colour(0xFF464D56);
        ring = palette::accent;
        glyph = Colour(0xFFFFFFFF);
        break;
    case Face::pressed:
        fill = Colour(0xFF2A2E34);
        ring = Colour(0xFF4D545E);
        glyph = Colour(0xFFB9BEC5);
        break;
    case Face::disabled:
        fill = Colour(0xFF31353B);
        ring = Colour(0xFF40454C);
        glyph = Colour(0xFF60666F);
        break;
    case Face::on:
        fill = palette::accent;
        ring = palette::accentLight;
        glyph = Colour(0xFFFFFFFF);
        break;
    case Face::onPressed:
        fill = palette::accentDark;
        ring = palette::accent;
        glyph = Colour(0xFFE0EFF9);
        break;
    }
    g.setColour(fill);
    g.fillEllipse(disc);
    g.setColour(ring);
    g.drawEllipse(disc.reduced(0.5f), 1.0f);
    return glyph;
}

Rect glyphBox(Rect r, Face face)
{
    return (face == Face::pressed || face == Face::onPressed) ? r.translated(0.0f, 1.0f) : r;
}

Rect centredSquare(Rect r, float scale)
{
    const float side = std::min(r.getWidth(), r.getHeight()) * scale;
    return Rect(side, side).withCentre(r.getCentre());
}

Path triangle(Pt a, Pt b, Pt c)
{
    Path p;
    p.addTriangle(a, b, c);
    return p;
}

void arrow(Graphics& g, Pt from, Pt to, float thickness, float headSize)
{
    Path p;
    p.addArrow({from, to}, thickness, headSize, headSize * 0.9f);
    g.fillPath(p);
}

void glyphPlus(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.62f);
    const float t = std::max(2.0f, std::round(s.getWidth() * 0.2f));
    g.setColour(c);
    g.fillRoundedRectangle(Rect(s.getWidth(), t).withCentre(s.getCentre()), t * 0.3f);
    g.fillRoundedRectangle(Rect(t, s.getHeight()).withCentre(s.getCentre()), t * 0.3f);
}

void glyphMinus(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.62f);
    const float t = std::max(2.0f, std::round(s.getWidth() * 0.2f));
    g.setColour(c);
    g.fillRoundedRectangle(Rect(s.getWidth(), t).withCentre(s.getCentre()), t * 0.3f);
}

namespace
{
// A bar across the middle with an arrow on each side, pointing at it or away from it.
void barWithArrows(Graphics& g, Rect box, Colour c, bool inwards)
{
    const auto m = box.getCentre();
    const float reach = std::min(box.getWidth() * 0.5f, box.getHeight() * 1.1f);
    const float head = std::max(6.0f, box.getHeight() * 0.5f);
    g.setColour(c);
    g.fillRoundedRectangle(Rect(2.0f, box.getHeight() * 0.9f).withCentre(m), 1.0f);
    for (int side = -1; side <= 1; side += 2)
    {
        const Pt outer(m.x + (float)side * reach, m.y);
        const Pt inner(m.x + (float)side * 3.0f, m.y);
        Path p;
        if (inwards)
            p.addArrow({outer, inner}, 2.0f, head, head * 0.75f);
        else
            p.addArrow({inner, outer}, 2.0f, head, head * 0.75f);
        g.fillPath(p);
    }
}
} // namespace

void glyphCombine(Graphics& g, Rect box, Colour c)
{
    barWithArrows(g, box, c, true);
}

void glyphDivide(Graphics& g, Rect box, Colour c)
{
    barWithArrows(g, box, c, false);
}

void glyphLink(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.86f);
    const float w = s.getWidth() * 0.56f, h = s.getHeight() * 0.4f;
    const auto m = s.getCentre();
    Path p;
    p.addRoundedRectangle(Rect(w, h).withCentre({m.x - w * 0.3f, m.y}), h * 0.5f);
    p.addRoundedRectangle(Rect(w, h).withCentre({m.x + w * 0.3f, m.y}), h * 0.5f);
    strokePath(g, p, c, 2.0f);
}

void glyphRepeat(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.82f);
    const auto loop = Rect(s.getWidth(), s.getHeight() * 0.56f).withCentre(s.getCentre());
    Path p;
    p.addRoundedRectangle(loop, loop.getHeight() * 0.45f);
    strokePath(g, p, c, 2.0f);
    const float hs = 3.5f;
    const auto top = Pt(loop.getCentreX() + 1.0f, loop.getY());
    const auto bottom = Pt(loop.getCentreX() - 1.0f, loop.getBottom());
    g.fillPath(triangle({top.x + hs, top.y}, {top.x - hs * 0.5f, top.y - hs}, {top.x - hs * 0.5f, top.y + hs}));
    g.fillPath(triangle({bottom.x - hs, bottom.y}, {bottom.x + hs * 0.5f, bottom.y - hs},
                        {bottom.x + hs * 0.5f, bottom.y + hs}));
}

void glyphOneSong(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.66f);
    g.setColour(c);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    g.fillPath(triangle({x, y}, {x + w * 0.72f, y + h * 0.5f}, {x, y + h}));
    g.fillRect(Rect(x + w * 0.8f, y, std::max(2.0f, w * 0.2f), h));
}

void glyphListInOrder(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.76f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    g.setColour(c);
    for (int i = 0; i < 3; ++i)
        g.fillRoundedRectangle(x, y + h * (0.12f + 0.33f * (float)i), w * 0.56f, 2.0f, 1.0f);
    arrow(g, {x + w * 0.82f, y}, {x + w * 0.82f, y + h}, 2.0f, w * 0.38f);
}

void glyphShuffle(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.8f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    const float top = y + h * 0.22f, bottom = y + h * 0.78f, end = x + w * 0.78f;
    Path a, b;
    a.startNewSubPath(x, top);
    a.cubicTo(x + w * 0.42f, top, x + w * 0.38f, bottom, end, bottom);
    b.startNewSubPath(x, bottom);
    b.cubicTo(x + w * 0.42f, bottom, x + w * 0.38f, top, end, top);
    strokePath(g, a, c, 1.8f);
    strokePath(g, b, c, 1.8f);
    const float hs = h * 0.2f;
    g.fillPath(triangle({x + w, top}, {end - 0.5f, top - hs}, {end - 0.5f, top + hs}));
    g.fillPath(triangle({x + w, bottom}, {end - 0.5f, bottom - hs}, {end - 0.5f, bottom + hs}));
}

void glyphPlay(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.5f);
    g.setColour(c);
    const float x = s.getX() + s.getWidth() * 0.12f;
    g.fillPath(triangle({x, s.getY()}, {x + s.getWidth() * 0.92f, s.getCentreY()}, {x, s.getBottom()}));
}

void glyphPause(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.44f);
    g.setColour(c);
    const float bar = s.getWidth() * 0.34f;
    g.fillRoundedRectangle(s.getX(), s.getY(), bar, s.getHeight(), 1.0f);
    g.fillRoundedRectangle(s.getRight() - bar, s.getY(), bar, s.getHeight(), 1.0f);
}

void glyphRewind(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.5f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    g.setColour(c);
    g.fillPath(triangle({x + w * 0.5f, y}, {x, y + h * 0.5f}, {x + w * 0.5f, y + h}));
    g.fillPath(triangle({x + w, y}, {x + w * 0.5f, y + h * 0.5f}, {x + w, y + h}));
}

void glyphForward(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.5f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    g.setColour(c);
    g.fillPath(triangle({x, y}, {x + w * 0.5f, y + h * 0.5f}, {x, y + h}));
    g.fillPath(triangle({x + w * 0.5f, y}, {x + w, y + h * 0.5f}, {x + w * 0.5f, y + h}));
}

void glyphFromTo(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.52f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    g.setColour(c);
    g.fillRect(Rect(x, y, 1.6f, h));
    g.fillRect(Rect(x + w - 1.6f, y, 1.6f, h));
    g.fillPath(triangle({x + w * 0.3f, y + h * 0.15f}, {x + w * 0.75f, y + h * 0.5f}, {x + w * 0.3f, y + h * 0.85f}));
}

void glyphMark(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    g.setColour(c);
    g.fillRect(Rect(x + w * 0.2f, y, 1.6f, h));
    g.fillPath(triangle({x + w * 0.2f + 1.0f, y}, {x + w, y + h * 0.28f}, {x + w * 0.2f + 1.0f, y + h * 0.56f}));
}

void glyphCross(Graphics& g, Rect box, Colour c, float thickness)
{
    Path p;
    p.startNewSubPath(box.getTopLeft());
    p.lineTo(box.getBottomRight());
    p.startNewSubPath(box.getTopRight());
    p.lineTo(box.getBottomLeft());
    strokePath(g, p, c, thickness);
}

void glyphExport(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 0.9f);
    const float x = s.getX(), y = s.getY(), w = s.getWidth(), h = s.getHeight();
    // A page with a folded corner and an arrow leaving it to the right.
    Path page;
    page.startNewSubPath(x + w * 0.55f, y + h * 0.38f);
    page.lineTo(x + w * 0.55f, y);
    page.lineTo(x + w * 0.22f, y);
    page.lineTo(x, y + h * 0.22f);
    page.lineTo(x, y + h);
    page.lineTo(x + w * 0.55f, y + h);
    page.lineTo(x + w * 0.55f, y + h * 0.62f);
    strokePath(g, page, c, 1.6f);
    g.setColour(c);
    arrow(g, {x + w * 0.26f, y + h * 0.5f}, {x + w * 1.02f, y + h * 0.5f}, 2.0f, h * 0.42f);
}

void glyphDisc(Graphics& g, Rect box, Colour c, Colour shine)
{
    const auto s = centredSquare(box, 1.0f);
    Path disc;
    disc.addEllipse(s);
    disc.addEllipse(s.withSizeKeepingCentre(s.getWidth() * 0.26f, s.getHeight() * 0.26f));
    disc.setUsingNonZeroWinding(false);
    g.setColour(c);
    g.fillPath(disc);
    Path arc;
    arc.addCentredArc(s.getCentreX(), s.getCentreY(), s.getWidth() * 0.34f, s.getHeight() * 0.34f, 0.0f, -1.2f, 0.1f,
                      true);
    g.setColour(shine);
    g.strokePath(arc, PathStrokeType(1.2f, PathStrokeType::curved, PathStrokeType::rounded));
}

void glyphFlame(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    Path p;
    p.startNewSubPath(x + w * 0.5f, y);
    p.cubicTo(x + w * 0.62f, y + h * 0.28f, x + w, y + h * 0.42f, x + w, y + h * 0.68f);
    p.cubicTo(x + w, y + h * 0.88f, x + w * 0.76f, y + h, x + w * 0.5f, y + h);
    p.cubicTo(x + w * 0.24f, y + h, x, y + h * 0.88f, x, y + h * 0.66f);
    p.cubicTo(x, y + h * 0.46f, x + w * 0.22f, y + h * 0.38f, x + w * 0.3f, y + h * 0.2f);
    p.cubicTo(x + w * 0.36f, y + h * 0.34f, x + w * 0.42f, y + h * 0.4f, x + w * 0.46f, y + h * 0.42f);
    p.cubicTo(x + w * 0.5f, y + h * 0.28f, x + w * 0.52f, y + h * 0.14f, x + w * 0.5f, y);
    p.closeSubPath();
    g.setColour(c);
    g.fillPath(p);
}

void glyphInfo(Graphics& g, Rect box, Colour c, Colour back)
{
    const auto s = centredSquare(box, 1.0f);
    g.setColour(c);
    g.fillEllipse(s);
    g.setColour(back);
    const float u = s.getWidth();
    g.fillEllipse(Rect(u * 0.16f, u * 0.16f).withCentre({s.getCentreX(), s.getY() + u * 0.27f}));
    g.fillRoundedRectangle(Rect(u * 0.14f, u * 0.4f).withCentre({s.getCentreX(), s.getY() + u * 0.62f}), 0.6f);
}

void glyphPicture(Graphics& g, Rect box, Colour c, float thickness)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    Path frame;
    frame.addRoundedRectangle(box.reduced(thickness * 0.5f), std::max(1.0f, w * 0.08f));
    strokePath(g, frame, c, thickness);
    g.setColour(c);
    g.fillEllipse(Rect(w * 0.16f, w * 0.16f).withCentre({x + w * 0.7f, y + h * 0.32f}));
    Path hills;
    hills.startNewSubPath(x + thickness, y + h - thickness);
    hills.lineTo(x + w * 0.36f, y + h * 0.42f);
    hills.lineTo(x + w * 0.56f, y + h * 0.7f);
    hills.lineTo(x + w * 0.7f, y + h * 0.56f);
    hills.lineTo(x + w - thickness, y + h - thickness);
    hills.closeSubPath();
    g.fillPath(hills);
}

void glyphSpeaker(Graphics& g, Rect box, Colour c, bool waves)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    Path body;
    body.startNewSubPath(x, y + h * 0.34f);
    body.lineTo(x + w * 0.22f, y + h * 0.34f);
    body.lineTo(x + w * 0.5f, y + h * 0.06f);
    body.lineTo(x + w * 0.5f, y + h * 0.94f);
    body.lineTo(x + w * 0.22f, y + h * 0.66f);
    body.lineTo(x, y + h * 0.66f);
    body.closeSubPath();
    g.setColour(c);
    g.fillPath(body);
    if (!waves)
        return;
    for (int i = 0; i < 2; ++i)
    {
        Path arc;
        const float r = w * (0.2f + 0.2f * (float)i);
        arc.addCentredArc(x + w * 0.5f, y + h * 0.5f, r, r, 0.0f, 0.7f, 2.45f, true);
        strokePath(g, arc, c, 1.1f);
    }
}

void glyphClock(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 1.0f);
    Path p;
    p.addEllipse(s.reduced(0.75f));
    p.startNewSubPath(s.getCentre());
    p.lineTo(s.getCentreX(), s.getY() + s.getHeight() * 0.24f);
    p.startNewSubPath(s.getCentre());
    p.lineTo(s.getX() + s.getWidth() * 0.72f, s.getCentreY());
    strokePath(g, p, c, 1.3f);
}

void glyphWave(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    Path p;
    p.startNewSubPath(x, y + h * 0.5f);
    const int steps = 40;
    for (int i = 1; i <= steps; ++i)
    {
        const float t = (float)i / (float)steps;
        p.lineTo(x + w * t, y + h * 0.5f - h * 0.45f * std::sin(t * juce::MathConstants<float>::twoPi * 1.5f));
    }
    strokePath(g, p, c, 1.3f);
}

void glyphHash(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 1.0f);
    const float x = s.getX(), y = s.getY(), u = s.getWidth();
    Path p;
    p.startNewSubPath(x + u * 0.4f, y);
    p.lineTo(x + u * 0.3f, y + u);
    p.startNewSubPath(x + u * 0.75f, y);
    p.lineTo(x + u * 0.65f, y + u);
    p.startNewSubPath(x + u * 0.08f, y + u * 0.32f);
    p.lineTo(x + u * 0.95f, y + u * 0.32f);
    p.startNewSubPath(x + u * 0.03f, y + u * 0.68f);
    p.lineTo(x + u * 0.9f, y + u * 0.68f);
    strokePath(g, p, c, 1.2f);
}

void glyphNote(Graphics& g, Rect box, Colour c)
{
    const auto s = centredSquare(box, 1.0f);
    const float x = s.getX(), y = s.getY(), u = s.getWidth();
    g.setColour(c);
    g.fillEllipse(x, y + u * 0.62f, u * 0.42f, u * 0.34f);
    g.fillRect(Rect(x + u * 0.3f, y + u * 0.05f, 1.3f, u * 0.75f));
    Path flag;
    flag.startNewSubPath(x + u * 0.35f, y + u * 0.05f);
    flag.quadraticTo(x + u * 0.75f, y + u * 0.2f, x + u * 0.82f, y + u * 0.48f);
    strokePath(g, flag, c, 1.3f);
}

void glyphGain(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    g.setColour(c);
    g.fillPath(triangle({x, y + h}, {x + w, y}, {x + w, y + h}));
}

void glyphBalance(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), w = box.getWidth(), cy = box.getCentreY(), h = box.getHeight();
    g.setColour(c);
    g.fillRect(Rect(x, cy - 1.0f, w, 2.0f));
    g.fillRect(Rect(x, cy - h * 0.3f, 1.5f, h * 0.6f));
    g.fillRect(Rect(x + w - 1.5f, cy - h * 0.3f, 1.5f, h * 0.6f));
    g.fillEllipse(Rect(h * 0.62f, h * 0.62f).withCentre({x + w * 0.5f, cy}));
}

void glyphDisclosure(Graphics& g, Rect box, Colour c, bool open)
{
    const auto s = centredSquare(box, 0.5f);
    const float x = s.getX(), y = s.getY(), u = s.getWidth();
    g.setColour(c);
    if (open)
        g.fillPath(triangle({x, y + u * 0.2f}, {x + u, y + u * 0.2f}, {x + u * 0.5f, y + u * 0.85f}));
    else
        g.fillPath(triangle({x + u * 0.2f, y}, {x + u * 0.85f, y + u * 0.5f}, {x + u * 0.2f, y + u}));
}

void glyphFade(Graphics& g, Rect box, Colour c, int kind, bool fadeIn)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    // Level as a function of t in 0..1 along the fade.
    auto level = [kind](float t) { return kind == 0 ? 1.0f : kind == 1 ? t : t * t; };
    Path curve;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i)
    {
        const float t = (float)i / (float)steps;
        const float lv = level(fadeIn ? t : 1.0f - t);
        const Pt p(x + w * t, y + h - h * lv);
        if (i == 0)
            curve.startNewSubPath(p);
        else
            curve.lineTo(p);
    }
    Path area(curve);
    area.lineTo(x + w, y + h);
    area.lineTo(x, y + h);
    area.closeSubPath();
    if (kind == 3)
    {
        // Songs with different fade kinds: the linear ramp drawn dashed over a faint area.
        Path ramp;
        ramp.startNewSubPath(fadeIn ? x : x + w, y + h);
        ramp.lineTo(fadeIn ? x + w : x, y);
        Path dashed;
        const float dashes[] = {2.0f, 2.0f};
        PathStrokeType(1.5f).createDashedStroke(dashed, ramp, dashes, 2);
        Path wedge;
        wedge.addTriangle({fadeIn ? x : x + w, y + h}, {fadeIn ? x + w : x, y}, {fadeIn ? x + w : x, y + h});
        g.setColour(c.withMultipliedAlpha(0.22f));
        g.fillPath(wedge);
        g.setColour(c);
        g.fillPath(dashed);
        return;
    }
    g.setColour(c.withMultipliedAlpha(0.25f));
    g.fillPath(area);
    strokePath(g, curve, c, 1.6f);
}

void glyphQuill(Graphics& g, Rect box, Colour c)
{
    const float x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    // The feather: a leaf-like vane around a curved shaft, leaning to the right.
    Path vane;
    vane.startNewSubPath(x + w * 0.12f, y + h);
    vane.cubicTo(x + w * 0.2f, y + h * 0.6f, x + w * 0.45f, y + h * 0.1f, x + w * 0.95f, y);
    vane.cubicTo(x + w * 0.85f, y + h * 0.35f, x + w * 0.55f, y + h * 0.75f, x + w * 0.12f, y + h);
    vane.closeSubPath();
    g.setColour(c);
    g.fillPath(vane);
    Path shaft;
    shaft.startNewSubPath(x, y + h * 1.02f);
    shaft.quadraticTo(x + w * 0.4f, y + h * 0.55f, x + w * 0.9f, y + h * 0.05f);
    g.setColour(c.contrasting(0.6f).withAlpha(c.getFloatAlpha() * 0.7f));
    g.strokePath(shaft, PathStrokeType(std::max(1.0f, w * 0.03f), PathStrokeType::curved, PathStrokeType::rounded));
    // Notches in the vane.
    for (int i = 0; i < 3; ++i)
    {
        const float t = 0.35f + 0.17f * (float)i;
        Path notch;
        notch.startNewSubPath(x + w * (0.12f + 0.8f * t), y + h * (1.0f - t) - h * 0.02f);
        notch.lineTo(x + w * (0.22f + 0.8f * t), y + h * (1.0f - t) + h * 0.06f);
        g.strokePath(notch, PathStrokeType(std::max(1.0f, w * 0.025f)));
    }
}
} // namespace qm::images
