#pragma once

#include <string>
#include <string_view>

namespace qm::platform
{
// Which characters an installed font family has glyphs for, from the
// system's font configuration. Thread-safe; each family is looked up once.

// True when the family is installed and has a glyph for every character of
// the text (UTF-32). Control characters (below U+0020) need no glyph. False
// for a family that is not installed: its text would be drawn in another
// face, which may lack the characters too.
bool faceCoversText(const std::string& family, std::u32string_view text);

// True when the family is installed under that name (without regard to case).
bool isFaceInstalled(const std::string& family);
} // namespace qm::platform
