#include "platform/text/LegacyText.h"

#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <initializer_list>

namespace qm::platform
{
namespace
{

// One conversion descriptor per code page and thread: iconv_open is costly
// and a descriptor must not be shared between threads.
class Converter
{
public:
    explicit Converter(const char* fromCode)
        : m_cd(iconv_open("UTF-16LE", fromCode))
    {
    }
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

iconv_t converterFor(LegacyCodePage codePage)
{
    thread_local Converter western("CP1252");
    thread_local Converter japanese("CP932");
    Converter& converter = codePage == LegacyCodePage::Windows932 ? japanese : western;
    return converter.valid() ? converter.get() : reinterpret_cast<iconv_t>(-1);
}

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

bool startsWithJa(const char* value)
{
    return value[0] == 'j' && value[1] == 'a';
}

} // namespace

LegacyCodePage legacyCodePageForLocale(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* value : {lcAll, lcMessages, lang})
        if (value != nullptr && value[0] != 0)
            return startsWithJa(value) ? LegacyCodePage::Windows932 : LegacyCodePage::Windows1252;
    return LegacyCodePage::Windows1252;
}

LegacyCodePage currentLegacyCodePage()
{
    return legacyCodePageForLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

uint32_t decodeLegacyText(LegacyCodePage codePage, const char* src, uint32_t byteCount, char16_t* dst,
                          uint32_t capacity)
{
    if (capacity == 0)
        return 0;
    dst[0] = 0;
    if (src == nullptr)
        return 0;
    const size_t length = strnlen(src, byteCount);
    const uint32_t room = capacity - 1;
    uint32_t written = 0;

    const iconv_t cd = converterFor(codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
    {
        // No converter: keep ASCII, mark everything else.
        for (size_t i = 0; i < length && written < room; ++i)
        {
            const auto byte = static_cast<unsigned char>(src[i]);
            dst[written++] = (byte >= 0x20 && byte < 0x7F) ? char16_t(byte) : u'_';
        }
        dst[written] = 0;
        return written;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);

    char* in = const_cast<char*>(src);
    size_t inLeft = length;
    while (inLeft > 0 && written < room)
    {
        // One character at most gives a surrogate pair: convert into a small
        // window and copy what fits.
        unsigned char out[8];
        char* outPtr = reinterpret_cast<char*>(out);
        size_t outLeft = 4;
        const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const size_t produced = (4 - outLeft) / 2;
        for (size_t i = 0; i < produced; ++i)
        {
            const char16_t unit = char16_t(out[2 * i] | (out[2 * i + 1] << 8));
            const bool high = unit >= 0xD800 && unit <= 0xDBFF;
            if (high && written + 2 > room)
            {
                inLeft = 0;
                break;
            }
            if (written >= room)
                break;
            dst[written++] = isControl(unit) ? u'_' : unit;
        }
        if (result == static_cast<size_t>(-1) && produced == 0)
        {
            // A byte the code page does not define, or a sequence cut off by
            // the end of the text.
            dst[written++] = u'_';
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    dst[written] = 0;
    return written;
}

} // namespace qm::platform
