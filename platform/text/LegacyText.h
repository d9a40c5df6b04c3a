#pragma once

#include <cstdint>

namespace qm::platform
{

// The single-byte or double-byte code pages that old tag formats (ID3v1,
// ID3v2 frames in their first encoding, RIFF INFO texts) were written in by
// the systems of their users.
enum class LegacyCodePage
{
    Windows1252, // Western European
    Windows932,  // Japanese (Shift_JIS with the Windows extensions)
};

// The code page of a user interface language given by the usual locale
// variables, in their order of precedence (LC_ALL, then LC_MESSAGES, then
// LANG; null or empty means unset): Japanese ("ja...") gives Windows932,
// anything else Windows1252.
LegacyCodePage legacyCodePageForLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The same from the process environment.
LegacyCodePage currentLegacyCodePage();

// Decodes byteCount bytes (stopping early at a zero byte) in the code page
// into UTF-16 with room for capacity - 1 units, and zero-terminates. A byte or
// sequence the code page does not define, and every control character, becomes
// '_'. A surrogate pair is never split. Returns the units written (0 for a
// capacity of 0).
uint32_t decodeLegacyText(LegacyCodePage codePage, const char* src, uint32_t byteCount, char16_t* dst,
                          uint32_t capacity);

} // namespace qm::platform
