#include "engine/audiofile/foundation/FullWidthToHalfWidth.h"

namespace
{

bool IsFoldable(char16_t c)
{
    return c == 0x3000 || c == 0x301C || c == 0x2019 || (c >= 0xFF01 && c <= 0xFF5E) || (c >= 0x20 && c <= 0x7E);
}

// Full-width forms of characters that file names may not hold.
bool IsFileNameSymbol(char16_t c)
{
    switch (c)
    {
    case 0xFF02:
    case 0xFF03:
    case 0xFF0A:
    case 0xFF0C:
    case 0xFF0F:
    case 0xFF1A:
    case 0xFF1B:
    case 0xFF1C:
    case 0xFF1E:
    case 0xFF1F:
    case 0xFF20:
    case 0xFF3E:
    case 0xFF5C:
        return true;
    default:
        return false;
    }
}

} // namespace

uint32_t ConvertFullWidthToHalfWidth(const char16_t* src, char16_t* dst, bool keepFileNameSymbols)
{
    bool foldable = true;
    uint32_t length = 0;
    for (; src[length] != 0; ++length)
        foldable = foldable && IsFoldable(src[length]);

    for (uint32_t i = 0; i < length; ++i)
    {
        char16_t c = src[i];
        if (foldable)
        {
            if (c == 0x3000)
                c = u' ';
            else if (c == 0x301C)
                c = u'~';
            else if (c == 0x2019)
                c = u'\'';
            else if (c >= 0xFF01 && c <= 0xFF5E && !(keepFileNameSymbols && IsFileNameSymbol(c)))
                c = static_cast<char16_t>(c - 0xFEE0);
        }
        dst[i] = c;
    }
    dst[length] = 0;
    return length;
}
