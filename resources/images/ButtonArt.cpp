#include "resources/images/ArtKit.h"
#include "resources/images/Painters.h"

namespace qm::images::paint
{
using juce::Colour;
using juce::Graphics;

namespace
{
using GlyphFn = void (*)(Graphics&, Rect, Colour);

Rect frameRect(int width, int height)
{
    return Rect(0.0f, 0.0f, (float)width, (float)height);
}

// Frames of a command button: normal, disabled, pressed (the over look is the normal one).
Face commandFace(int frame)
{
    static constexpr Face faces[] = {Face::normal, Face::disabled, Face::pressed};
    return faces[juce::jlimit(0, 2, frame)];
}

// Frames of a toggling button: off, on, off pressed, on pressed, disabled.
Face toggleFace(int frame)
{
    static constexpr Face faces[] = {Face::normal, Face::on, Face::pressed, Face::onPressed, Face::disabled};
    return faces[juce::jlimit(0, 4, frame)];
}

void commandButton(Graphics& g, int frame, int width, int height, GlyphFn glyph, float glyphScale = 0.8f)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f, 0.5f);
    const auto c = panelFace(g, r, face);
    glyph(g, centredSquare(glyphBox(r, face), glyphScale), c);
}

// As commandButton, with a glyph box as wide as the button allows.
void wideCommandButton(Graphics& g, int frame, int width, int height, GlyphFn glyph)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f, 0.5f);
    const auto c = panelFace(g, r, face);
    const auto box = glyphBox(r, face);
    glyph(g, Rect(box.getWidth() * 0.62f, box.getHeight() * 0.56f).withCentre(box.getCentre()), c);
}

void markButton(Graphics& g, int frame, int width, int height, bool add)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f, 0.5f);
    const auto c = panelFace(g, r, face);
    const auto box = glyphBox(r, face);
    const auto m = box.getCentre();
    glyphMark(g, Rect(m.x - 9.0f, m.y - 7.0f, 9.0f, 14.0f), c);
    const auto sign = Rect(m.x + 1.0f, m.y - 5.0f, 10.0f, 10.0f);
    if (add)
        glyphPlus(g, sign, c);
    else
        glyphMinus(g, sign, c);
}

void transportButton(Graphics& g, int frame, int width, int height, GlyphFn glyph, GlyphFn toggledGlyph)
{
    const auto face = toggleFace(frame);
    const auto r = centredSquare(frameRect(width, height), 1.0f);
    const auto c = roundFace(g, r, face);
    const bool on = face == Face::on || face == Face::onPressed;
    if (glyph != nullptr)
        (on && toggledGlyph != nullptr ? toggledGlyph : glyph)(g, glyphBox(r, face), c);
}

void matrixButton(Graphics& g, int frame, int width, int height, int columns,
                  void (*glyphFor)(Graphics&, int, Rect, Colour))
{
    // One call draws the whole matrix: frame 0 spans every cell.
    juce::ignoreUnused(frame);
    const float cellW = (float)width / (float)columns;
    const float cellH = (float)height / 3.0f;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < columns; ++column)
        {
            const bool lit = column > 0;
            Face face = lit ? Face::on : Face::normal;
            if (row == 1)
                face = lit ? Face::onPressed : Face::pressed;
            if (row == 2)
                face = Face::disabled;
            const auto cell = Rect(cellW * (float)column, cellH * (float)row, cellW, cellH).reduced(0.5f);
            auto c = panelFace(g, cell, face);
            if (row == 2 && lit)
                c = palette::accent.withAlpha(0.45f);
            glyphFor(g, column, centredSquare(glyphBox(cell, face), 0.82f), c);
        }
}

void repeatGlyph(Graphics& g, int, Rect box, Colour c)
{
    glyphRepeat(g, box, c);
}

void playModeGlyph(Graphics& g, int column, Rect box, Colour c)
{
    if (column == 0)
        glyphOneSong(g, box, c);
    else if (column == 1)
        glyphListInOrder(g, box, c);
    else
        glyphShuffle(g, box, c);
}

void fadeButton(Graphics& g, int frame, int width, int height, bool fadeIn)
{
    const auto r = frameRect(width, height).reduced(0.5f);
    const auto c = panelFace(g, r, Face::normal, 3.0f);
    glyphFade(g, r.reduced(4.0f, 5.0f), c, frame, fadeIn);
}

void exportGlyph(Graphics& g, Rect box, Colour c)
{
    glyphExport(g, box, c);
}

void burnGlyph(Graphics& g, Rect box, Colour c)
{
    const auto disc = centredSquare(box, 0.92f).translated(-box.getWidth() * 0.06f, 0.0f);
    glyphDisc(g, disc, c, Colour(0x66000000));
    const float u = box.getWidth();
    glyphFlame(g, Rect(disc.getRight() - u * 0.2f, disc.getY() - u * 0.08f, u * 0.32f, u * 0.46f), palette::ledAmber);
}

// The large export and burn buttons: a dark chrome face with the glyph centred.
void chromeButton(Graphics& g, Face face, int width, int height, GlyphFn glyph)
{
    const auto r = frameRect(width, height).reduced(0.5f);
    const auto c = chromeFace(g, r, face, r.getHeight() * 0.3f);
    const float side = r.getHeight() * 0.62f;
    glyph(g, Rect(side, side).withCentre(glyphBox(r, face).getCentre()), c);
}

void infoPageButton(Graphics& g, int frame, int width, int height, GlyphFn glyph)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f);
    const auto c = chromeFace(g, r, face, 4.0f);
    glyph(g, centredSquare(glyphBox(r, face), 0.62f), c);
}
} // namespace

void buttonAdd(Graphics& g, int frame, int width, int height)
{
    commandButton(g, frame, width, height, glyphPlus, 0.9f);
}
void buttonRemove(Graphics& g, int frame, int width, int height)
{
    commandButton(g, frame, width, height, glyphMinus, 0.9f);
}
void buttonCombine(Graphics& g, int frame, int width, int height)
{
    wideCommandButton(g, frame, width, height, glyphCombine);
}
void buttonDivide(Graphics& g, int frame, int width, int height)
{
    wideCommandButton(g, frame, width, height, glyphDivide);
}
void buttonLink(Graphics& g, int frame, int width, int height)
{
    commandButton(g, frame, width, height, glyphLink);
}
void buttonAddMark(Graphics& g, int frame, int width, int height)
{
    markButton(g, frame, width, height, true);
}
void buttonRemoveMark(Graphics& g, int frame, int width, int height)
{
    markButton(g, frame, width, height, false);
}

void markerWindowClosed(Graphics& g, int frame, int width, int height)
{
    commandButton(
        g, frame, width, height, [](Graphics& gg, Rect box, Colour c) { glyphDisclosure(gg, box, c, false); }, 1.0f);
}

void markerWindowOpened(Graphics& g, int frame, int width, int height)
{
    commandButton(
        g, frame, width, height, [](Graphics& gg, Rect box, Colour c) { glyphDisclosure(gg, box, c, true); }, 1.0f);
}

void buttonExportFront(Graphics& g, int frame, int width, int height)
{
    chromeButton(g, commandFace(frame), width, height, exportGlyph);
}

void buttonBurnDiscFront(Graphics& g, int frame, int width, int height)
{
    chromeButton(g, commandFace(frame), width, height, burnGlyph);
}

void infoPageButtonPlay(Graphics& g, int frame, int width, int height)
{
    infoPageButton(g, frame, width, height, glyphPlay);
}

void infoPageButtonInfo(Graphics& g, int frame, int width, int height)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f);
    const auto c = chromeFace(g, r, face, 4.0f);
    const auto back = face == Face::pressed    ? Colour(0xFF2B2F35)
                      : face == Face::disabled ? Colour(0xFF3A3E45)
                                               : Colour(0xFF484E57);
    glyphInfo(g, centredSquare(glyphBox(r, face), 0.62f), c, back);
}

void infoPageButtonPicture(Graphics& g, int frame, int width, int height)
{
    const auto face = commandFace(frame);
    const auto r = frameRect(width, height).reduced(0.5f);
    const auto c = chromeFace(g, r, face, 4.0f);
    const auto box = glyphBox(r, face);
    glyphPicture(g, Rect(16.0f, 12.0f).withCentre(box.getCentre()), c, 1.4f);
}

void buttonGenericDown(Graphics& g, int, int width, int height)
{
    panelFace(g, frameRect(width, height).reduced(0.5f), Face::pressed);
}

void buttonGenericLight(Graphics& g, int, int width, int height)
{
    panelFace(g, frameRect(width, height).reduced(0.5f), Face::on);
}

void buttonFadeIn(Graphics& g, int frame, int width, int height)
{
    fadeButton(g, frame, width, height, true);
}
void buttonFadeOut(Graphics& g, int frame, int width, int height)
{
    fadeButton(g, frame, width, height, false);
}

void buttonRemovePicture(Graphics& g, int frame, int width, int height)
{
    static const Colour fills[] = {Colour(0xC0202428), Colour(0xFFE5483D), Colour(0xFFB8342B)};
    const auto r = centredSquare(frameRect(width, height), 1.0f).reduced(1.0f);
    g.setColour(fills[juce::jlimit(0, 2, frame)]);
    g.fillEllipse(r);
    g.setColour(Colour(0xE6FFFFFF));
    g.drawEllipse(r.reduced(0.5f), 1.0f);
    glyphCross(g, r.reduced(r.getWidth() * 0.32f), Colour(0xFFFFFFFF), 1.8f);
}

void buttonRew(Graphics& g, int frame, int width, int height)
{
    transportButton(g, frame, width, height, glyphRewind, nullptr);
}
void buttonPlay(Graphics& g, int frame, int width, int height)
{
    transportButton(g, frame, width, height, glyphPlay, glyphPause);
}
void buttonFF(Graphics& g, int frame, int width, int height)
{
    transportButton(g, frame, width, height, glyphForward, nullptr);
}
void buttonFromTo(Graphics& g, int frame, int width, int height)
{
    transportButton(g, frame, width, height, glyphFromTo, nullptr);
}
void buttonTransport(Graphics& g, int frame, int width, int height)
{
    transportButton(g, frame, width, height, nullptr, nullptr);
}

void buttonRepeat(Graphics& g, int frame, int width, int height)
{
    matrixButton(g, frame, width, height, 2, repeatGlyph);
}
void buttonPlayMode(Graphics& g, int frame, int width, int height)
{
    matrixButton(g, frame, width, height, 3, playModeGlyph);
}

void buttonExport(Graphics& g, int frame, int width, int height)
{
    chromeButton(g, frame == 0 ? Face::normal : Face::on, width, height, exportGlyph);
}

void buttonBurnCD(Graphics& g, int frame, int width, int height)
{
    chromeButton(g, frame == 0 ? Face::normal : Face::on, width, height, burnGlyph);
}

void buttonClip(Graphics& g, int frame, int width, int height)
{
    const bool on = frame == 1 || frame == 3;
    const bool pressed = frame >= 2;
    const auto r = frameRect(width, height).reduced(0.5f);
    g.setColour(pressed ? Colour(0xFF202327) : Colour(0xFF2C3036));
    g.fillRoundedRectangle(r, r.getHeight() * 0.5f);
    g.setColour(on ? Colour(0xFF7A2A24) : Colour(0xFF4A5058));
    g.drawRoundedRectangle(r.reduced(0.5f), r.getHeight() * 0.5f, 1.0f);
    const auto led = Rect(r.getWidth() - 16.0f, 5.0f).withCentre(r.getCentre().translated(0.0f, pressed ? 1.0f : 0.0f));
    if (on)
    {
        g.setColour(palette::ledRed.withAlpha(0.3f));
        g.fillRoundedRectangle(led.expanded(3.0f, 3.0f), 5.5f);
    }
    g.setColour(on ? (pressed ? Colour(0xFFD9352A) : palette::ledRed) : Colour(0xFF5A2522));
    g.fillRoundedRectangle(led, 2.5f);
}
} // namespace qm::images::paint
