#include "platform/cd/CdTextCharset.h"

#include <iconv.h>

#include <cerrno>

namespace qm::platform
{
std::u16string DecodeMsJis(const uint8_t* bytes, size_t size)
{
    std::u16string result;
    if (bytes == nullptr || size == 0)
        return result;
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
    {
        result.assign(size, u'\uFFFD');
        return result;
    }
    char* in = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    size_t inLeft = size;
    // Every input byte gives at most one UTF-16 unit.
    std::u16string out(size + 1, u'\0');
    char* outPointer = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(char16_t);
    while (inLeft > 0)
    {
        if (::iconv(cd, &in, &inLeft, &outPointer, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG || outLeft < sizeof(char16_t))
            break;
        // An invalid or incomplete sequence: mark it and resume after its
        // first byte.
        const char16_t replacement = u'\uFFFD';
        *reinterpret_cast<char16_t*>(outPointer) = replacement;
        outPointer += sizeof(char16_t);
        outLeft -= sizeof(char16_t);
        if (errno == EINVAL)
            break;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    const size_t units = size_t(reinterpret_cast<char16_t*>(outPointer) - out.data());
    out.resize(units);
    return out;
}
} // namespace qm::platform
