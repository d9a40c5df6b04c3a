#pragma once

#include <cstdint>

// Decodes text bytes of the old tag formats (ID3v1 fields, ID3v2 frames in
// their first encoding, RIFF INFO texts) into UTF-16. Such bytes are in the
// code page of their writer's system, not in a fixed one: they are taken in
// the code page of the user interface language (Japanese: CP932, otherwise
// CP1252). Stops at a zero byte or after byteCount bytes; bytes the code page
// does not define and control characters become '_'. Writes at most
// capacity - 1 units and a terminator; returns the length.
uint32_t LegacyBytesToWide(char16_t* dst, uint32_t capacity, const char* src, uint32_t byteCount);
