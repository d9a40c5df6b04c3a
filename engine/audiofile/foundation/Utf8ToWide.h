#pragma once

#include <cstdint>

// How a UTF-8 to UTF-16 decoding ended.
enum class Utf8Result
{
    Ok,              // all converted
    SourceExhausted, // the source ends inside a sequence
    TargetExhausted, // the destination is full (stopped before the sequence that did not fit)
    SourceIllegal,   // an illegal sequence (overlong, surrogate, above U+10FFFF, bad byte)
};

// Zeroes dst (capacity units), then decodes byteCount bytes of strict UTF-8
// into UTF-16 with room for capacity - 1 units; code points above U+FFFF
// become surrogate pairs. What was decoded before a stop is kept. Returns the
// number of units written; result (when given) says how it ended.
uint32_t Utf8ToWide(char16_t* dst, uint32_t capacity, const char* src, uint32_t byteCount,
                    Utf8Result* result = nullptr);

// Encodes UTF-16 text (zero-terminated) as UTF-8 with room for capacity - 1
// bytes, never splitting a sequence; it stops before an unpaired surrogate or
// the first character that does not fit. Zero-terminates; returns the bytes
// written (0 for a capacity of 0).
uint32_t WideToUtf8(char* dst, uint32_t capacity, const char16_t* src);
