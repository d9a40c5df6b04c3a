#include "engine/audiofile/foundation/Utf8ToWide.h"

#include <algorithm>

namespace
{

// Trailing bytes after a lead byte (5- and 6-byte forms are rejected as
// illegal by IsLegalUtf8).
int TrailingBytes(uint8_t lead)
{
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 1;
    if (lead < 0xF0)
        return 2;
    if (lead < 0xF8)
        return 3;
    if (lead < 0xFC)
        return 4;
    return 5;
}

// The strict legality test: no overlong forms, no surrogates, nothing above
// U+10FFFF, no stray continuation or illegal lead bytes.
bool IsLegalUtf8(const uint8_t* source, int length)
{
    const uint8_t lead = source[0];
    if (length < 1 || length > 4)
        return false;
    for (int k = length - 1; k >= 2; --k)
        if (source[k] < 0x80 || source[k] > 0xBF)
            return false;
    if (length >= 2)
    {
        const uint8_t a = source[1];
        if (a > 0xBF)
            return false;
        switch (lead)
        {
        case 0xE0:
            if (a < 0xA0)
                return false;
            break;
        case 0xED:
            if (a > 0x9F)
                return false;
            break;
        case 0xF0:
            if (a < 0x90)
                return false;
            break;
        case 0xF4:
            if (a > 0x8F)
                return false;
            break;
        default:
            if (a < 0x80)
                return false;
            break;
        }
    }
    if (lead >= 0x80 && lead < 0xC2)
        return false;
    return lead <= 0xF4;
}

} // namespace

uint32_t Utf8ToWide(char16_t* dst, uint32_t capacity, const char* src, uint32_t byteCount, Utf8Result* result)
{
    Utf8Result outcome = Utf8Result::Ok;
    if (capacity == 0)
    {
        if (result != nullptr)
            *result = byteCount == 0 ? Utf8Result::Ok : Utf8Result::TargetExhausted;
        return 0;
    }
    std::fill_n(dst, capacity, char16_t{0});
    const auto* in = reinterpret_cast<const uint8_t*>(src);
    const uint8_t* const end = in + byteCount;
    const uint32_t room = capacity - 1;
    uint32_t written = 0;
    while (in < end)
    {
        const int extra = TrailingBytes(*in);
        if (extra >= end - in)
        {
            outcome = Utf8Result::SourceExhausted;
            break;
        }
        if (!IsLegalUtf8(in, extra + 1))
        {
            outcome = Utf8Result::SourceIllegal;
            break;
        }
        uint32_t ch = extra == 0 ? in[0] : in[0] & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k)
            ch = (ch << 6) | (in[k] & 0x3Fu);
        const uint32_t units = ch > 0xFFFF ? 2 : 1;
        if (written + units > room)
        {
            outcome = Utf8Result::TargetExhausted;
            break;
        }
        if (units == 1)
        {
            dst[written++] = static_cast<char16_t>(ch);
        }
        else
        {
            ch -= 0x10000;
            dst[written++] = static_cast<char16_t>(0xD800 + (ch >> 10));
            dst[written++] = static_cast<char16_t>(0xDC00 + (ch & 0x3FF));
        }
        in += extra + 1;
    }
    if (result != nullptr)
        *result = outcome;
    return written;
}

uint32_t WideToUtf8(char* dst, uint32_t capacity, const char16_t* src)
{
    if (capacity == 0)
        return 0;
    const uint32_t room = capacity - 1;
    uint32_t written = 0;
    for (const char16_t* p = src; *p != 0; ++p)
    {
        uint32_t ch = *p;
        if (ch >= 0xD800 && ch <= 0xDBFF)
        {
            if (p[1] < 0xDC00 || p[1] > 0xDFFF)
                break; // unpaired high surrogate
            ch = 0x10000 + ((ch - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        else if (ch >= 0xDC00 && ch <= 0xDFFF)
        {
            break; // unpaired low surrogate
        }
        uint8_t bytes[4];
        uint32_t n;
        if (ch < 0x80)
        {
            bytes[0] = static_cast<uint8_t>(ch);
            n = 1;
        }
        else if (ch < 0x800)
        {
            bytes[0] = static_cast<uint8_t>(0xC0 | (ch >> 6));
            bytes[1] = static_cast<uint8_t>(0x80 | (ch & 0x3F));
            n = 2;
        }
        else if (ch < 0x10000)
        {
            bytes[0] = static_cast<uint8_t>(0xE0 | (ch >> 12));
            bytes[1] = static_cast<uint8_t>(0x80 | ((ch >> 6) & 0x3F));
            bytes[2] = static_cast<uint8_t>(0x80 | (ch & 0x3F));
            n = 3;
        }
        else
        {
            bytes[0] = static_cast<uint8_t>(0xF0 | (ch >> 18));
            bytes[1] = static_cast<uint8_t>(0x80 | ((ch >> 12) & 0x3F));
            bytes[2] = static_cast<uint8_t>(0x80 | ((ch >> 6) & 0x3F));
            bytes[3] = static_cast<uint8_t>(0x80 | (ch & 0x3F));
            n = 4;
        }
        if (written + n > room)
            break;
        for (uint32_t k = 0; k < n; ++k)
            dst[written++] = static_cast<char>(bytes[k]);
    }
    dst[written] = 0;
    return written;
}
