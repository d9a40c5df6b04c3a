#include "engine/audiofile/foundation/EngineText.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "engine/audiofile/foundation/Utf8ToWide.h"

namespace
{

template <typename Char>
uint32_t Length(const Char* text)
{
    uint32_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// Copies up to limit units, stopping at a terminator; zero-terminates.
template <typename Char>
uint32_t CopyUpTo(Char* dst, const Char* src, uint32_t limit)
{
    uint32_t n = 0;
    while (n < limit && src[n] != 0)
    {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return n;
}

template <typename Char>
uint32_t CopyTrimmed(Char* dst, uint32_t capacity, const Char* src, uint32_t count)
{
    if (capacity == 0)
        return 0;
    uint32_t n = CopyUpTo(dst, src, std::min(count, capacity - 1));
    while (n > 0 && dst[n - 1] == Char(' '))
        dst[--n] = 0;
    return n;
}

inline bool IsKeptLatin1(uint32_t c)
{
    return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF);
}

template <typename Char>
bool HasNonPrintable(const Char* text)
{
    for (; *text != 0; ++text)
    {
        const uint32_t c = static_cast<std::make_unsigned_t<Char>>(*text);
        if (c < 0x20 || c > 0x7E)
            return true;
    }
    return false;
}

} // namespace

uint32_t CopyWideBounded(char16_t* dst, uint32_t capacity, const char16_t* src, uint32_t count)
{
    if (capacity == 0)
        return 0;
    std::fill_n(dst, capacity, char16_t{0});
    return CopyUpTo(dst, src, std::min(count, capacity - 1));
}

uint32_t CopyWideMax511(char16_t* dst, const char16_t* src)
{
    return CopyUpTo(dst, src, 511);
}

uint32_t NarrowToWideBounded(char16_t* dst, uint32_t capacity, const char* src)
{
    // A failed conversion keeps what was decoded before the fault; its
    // length is always the units actually written.
    return Utf8ToWide(dst, capacity, src, Length(src));
}

uint32_t WideToNarrowBounded(char* dst, uint32_t capacity, const char16_t* src)
{
    return WideToUtf8(dst, capacity, src);
}

uint32_t CopyTrimmedWide(char16_t* dst, uint32_t capacity, const char16_t* src, uint32_t count)
{
    return CopyTrimmed(dst, capacity, src, count);
}

uint32_t CopyTrimmedNarrow(char* dst, uint32_t capacity, const char* src, uint32_t count)
{
    return CopyTrimmed(dst, capacity, src, count);
}

uint32_t WideToLatin1(char* dst, uint32_t capacity, const char16_t* src)
{
    if (capacity == 0)
        return 0;
    uint32_t n = 0;
    for (; n < capacity - 1 && src[n] != 0; ++n)
        dst[n] = IsKeptLatin1(src[n]) ? static_cast<char>(static_cast<uint8_t>(src[n])) : '_';
    dst[n] = 0;
    return n;
}

uint32_t Latin1ToWide(char16_t* dst, uint32_t capacity, const char* src)
{
    if (capacity == 0)
        return 0;
    uint32_t n = 0;
    for (; n < capacity - 1 && src[n] != 0; ++n)
    {
        const uint8_t c = static_cast<uint8_t>(src[n]);
        dst[n] = IsKeptLatin1(c) ? char16_t{c} : u'_';
    }
    dst[n] = 0;
    return n;
}

uint32_t ToLowerWide(char16_t* dst, const char16_t* src)
{
    uint32_t n = 0;
    for (; src[n] != 0; ++n)
        dst[n] = (src[n] >= u'A' && src[n] <= u'Z') ? static_cast<char16_t>(src[n] + 32) : src[n];
    dst[n] = 0;
    return n;
}

uint32_t ToLowerNarrow(char* dst, const char* src)
{
    // ASCII letters only: narrow text is UTF-8, whose other bytes must stay.
    uint32_t n = 0;
    for (; src[n] != 0; ++n)
        dst[n] = (src[n] >= 'A' && src[n] <= 'Z') ? static_cast<char>(src[n] + 32) : src[n];
    dst[n] = 0;
    return n;
}

uint32_t SwapBytes16(const char16_t* src, char16_t* dst, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const char16_t c = src[i];
        dst[i] = static_cast<char16_t>((c >> 8) | (c << 8));
    }
    return count;
}

uint32_t WideLength(const char16_t* text)
{
    return Length(text);
}

bool ContainsNonPrintableAscii(const char* text)
{
    return HasNonPrintable(text);
}

bool ContainsNonPrintableAsciiWide(const char16_t* text)
{
    return HasNonPrintable(text);
}

bool FourCharCodeEquals(const void* a, const void* b)
{
    return std::memcmp(a, b, 4) == 0;
}

void CopyFourCharCode(void* dst, const void* src)
{
    std::memmove(dst, src, 4);
}
