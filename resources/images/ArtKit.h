// Colours, button faces and glyphs shared by the painters of the user-interface
// images. Everything is drawn with shapes and paths: no text and no fonts, so the
// generator runs the same on every build machine, with or without a display.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace qm::images
{
using Rect = juce::Rectangle<float>;

namespace palette
{
// Dark chrome of the main window.
inline const juce::Colour header{0xFF2E3238};
inline const juce::Colour headerLow{0xFF25292E};
inline const juce::Colour body{0xFF393E45};
inline const juce::Colour bodyEdge{0xFF2D3136};
inline const juce::Colour well{0xFF15181C};
inline const juce::Colour wellEdge{0xFF0B0D10};
// Light song-list panel.
inline const juce::Colour panel{0xFFE3E6EA};
inline const juce::Colour panelDark{0xFFD4D8DD};
inline const juce::Colour panelLine{0xFF9AA1AA};
inline const juce::Colour listWell{0xFFDCE0E6};
// Accent and signal colours.
inline const juce::Colour accent{0xFF2FA4E7};
inline const juce::Colour accentLight{0xFF7CC8F2};
inline const juce::Colour accentDark{0xFF1D7FB9};
inline const juce::Colour ledGreen{0xFF39D36A};
inline const juce::Colour ledAmber{0xFFF0C43A};
inline const juce::Colour ledRed{0xFFFF4D3D};
inline const juce::Colour ink{0xFF2B2F35};
} // namespace palette

// The look of a button face in one frame.
enum class Face
{
    normal,
    over,
    pressed,
    disabled,
    on,
    onPressed
};

// Light face used on the song-list panel; returns the glyph colour for that face.
juce::Colour panelFace(juce::Graphics& g, Rect r, Face face, float radius = 4.0f);
// Dark face used on the window chrome; returns the glyph colour for that face.
juce::Colour chromeFace(juce::Graphics& g, Rect r, Face face, float radius = 4.0f);
// Round face of the transport buttons; returns the glyph colour.
juce::Colour roundFace(juce::Graphics& g, Rect r, Face face);

// Pressed faces move their glyph down by one pixel.
Rect glyphBox(Rect r, Face face);

// A square of side min(width, height) * scale centred in r.
Rect centredSquare(Rect r, float scale);

juce::Path triangle(juce::Point<float> a, juce::Point<float> b, juce::Point<float> c);
void arrow(juce::Graphics& g, juce::Point<float> from, juce::Point<float> to, float thickness, float headSize);

// Glyphs: each fills or strokes inside box with colour c.
void glyphPlus(juce::Graphics& g, Rect box, juce::Colour c);
void glyphMinus(juce::Graphics& g, Rect box, juce::Colour c);
void glyphCombine(juce::Graphics& g, Rect box, juce::Colour c);
void glyphDivide(juce::Graphics& g, Rect box, juce::Colour c);
void glyphLink(juce::Graphics& g, Rect box, juce::Colour c);
void glyphRepeat(juce::Graphics& g, Rect box, juce::Colour c);
void glyphOneSong(juce::Graphics& g, Rect box, juce::Colour c);
void glyphListInOrder(juce::Graphics& g, Rect box, juce::Colour c);
void glyphShuffle(juce::Graphics& g, Rect box, juce::Colour c);
void glyphPlay(juce::Graphics& g, Rect box, juce::Colour c);
void glyphPause(juce::Graphics& g, Rect box, juce::Colour c);
void glyphRewind(juce::Graphics& g, Rect box, juce::Colour c);
void glyphForward(juce::Graphics& g, Rect box, juce::Colour c);
void glyphFromTo(juce::Graphics& g, Rect box, juce::Colour c);
void glyphMark(juce::Graphics& g, Rect box, juce::Colour c);
void glyphCross(juce::Graphics& g, Rect box, juce::Colour c, float thickness);
void glyphExport(juce::Graphics& g, Rect box, juce::Colour c);
void glyphDisc(juce::Graphics& g, Rect box, juce::Colour c, juce::Colour shine);
void glyphFlame(juce::Graphics& g, Rect box, juce::Colour c);
void glyphInfo(juce::Graphics& g, Rect box, juce::Colour c, juce::Colour back);
void glyphPicture(juce::Graphics& g, Rect box, juce::Colour c, float thickness);
void glyphSpeaker(juce::Graphics& g, Rect box, juce::Colour c, bool waves);
void glyphClock(juce::Graphics& g, Rect box, juce::Colour c);
void glyphWave(juce::Graphics& g, Rect box, juce::Colour c);
void glyphHash(juce::Graphics& g, Rect box, juce::Colour c);
void glyphNote(juce::Graphics& g, Rect box, juce::Colour c);
void glyphGain(juce::Graphics& g, Rect box, juce::Colour c);
void glyphBalance(juce::Graphics& g, Rect box, juce::Colour c);
void glyphDisclosure(juce::Graphics& g, Rect box, juce::Colour c, bool open);
// A fade curve: kind 0 none (full level), 1 linear, 2 quadratic, 3 mixed (several kinds).
void glyphFade(juce::Graphics& g, Rect box, juce::Colour c, int kind, bool fadeIn);
// The program's quill mark: a feather over a short sound wave.
void glyphQuill(juce::Graphics& g, Rect box, juce::Colour c);
} // namespace qm::images
