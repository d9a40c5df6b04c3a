#pragma once

#include <cstdint>

// File-name parts of wide paths ('/' separates folders) and image signatures.
// dst must hold the whole of path.

// The part after the last '/' (the whole text when there is none).
uint32_t GetFileNameFromPath(char16_t* dst, const char16_t* path);
// The part of the file name after its last '.', without the dot; empty when
// the name has no dot.
uint32_t GetFileExtension(char16_t* dst, const char16_t* path);

// bytes holds at least 4 bytes.
// Bytes 1..3 are "PNG".
bool IsPngSignature(const uint8_t* bytes);
// Bytes 0..2 are FF D8 FF and byte 3 is a marker byte (0xC0..0xFF).
bool IsJpegSignature(const uint8_t* bytes);
