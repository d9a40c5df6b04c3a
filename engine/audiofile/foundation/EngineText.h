#pragma once

#include <cstdint>

// Bounded text copies and tests on fixed-capacity buffers. Wide text is UTF-16
// (char16_t), narrow text UTF-8. capacity is the destination's size in units,
// terminator included; every copy writes a terminating zero (when capacity is
// at least 1) and never more than capacity units. Counts returned are the
// length of the text left in the destination, in units.

// Zeroes dst, copies min(count, capacity - 1) units of src (stopping at a zero).
uint32_t CopyWideBounded(char16_t* dst, uint32_t capacity, const char16_t* src, uint32_t count);
// Copies at most 511 units; dst holds 512.
uint32_t CopyWideMax511(char16_t* dst, const char16_t* src);

// UTF-8 -> UTF-16 of at most capacity - 1 units (a surrogate pair is never
// split); stops at an illegal sequence, keeping what came before it.
uint32_t NarrowToWideBounded(char16_t* dst, uint32_t capacity, const char* src);
// UTF-16 -> UTF-8 of at most capacity - 1 bytes (a sequence is never split);
// stops at an unpaired surrogate, keeping what came before it.
uint32_t WideToNarrowBounded(char* dst, uint32_t capacity, const char16_t* src);

// Copy min(count, capacity - 1) units, then remove trailing blanks (U+0020).
uint32_t CopyTrimmedWide(char16_t* dst, uint32_t capacity, const char16_t* src, uint32_t count);
uint32_t CopyTrimmedNarrow(char* dst, uint32_t capacity, const char* src, uint32_t count);

// Per character: 0x20..0x7E and 0xA0..0xFF are kept, every other one becomes
// '_'. 0 (and nothing written) for a capacity of 0.
uint32_t WideToLatin1(char* dst, uint32_t capacity, const char16_t* src);
uint32_t Latin1ToWide(char16_t* dst, uint32_t capacity, const char* src);

// Copy, then fold A..Z to a..z. dst must hold the whole of src.
uint32_t ToLowerWide(char16_t* dst, const char16_t* src);
uint32_t ToLowerNarrow(char* dst, const char* src);

// Swaps the two bytes of each of count units; src and dst may be the same.
uint32_t SwapBytes16(const char16_t* src, char16_t* dst, uint32_t count);

uint32_t WideLength(const char16_t* text);

// True when some character lies outside 0x20..0x7E; false for an empty text.
bool ContainsNonPrintableAscii(const char* text);
bool ContainsNonPrintableAsciiWide(const char16_t* text);

// Four-character codes: compare or copy the first four bytes.
bool FourCharCodeEquals(const void* a, const void* b);
void CopyFourCharCode(void* dst, const void* src);
