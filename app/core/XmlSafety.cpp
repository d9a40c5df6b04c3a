#include "app/core/XmlSafety.h"

namespace qm
{
namespace
{
// A numeric character reference (text after "&#", up to ";") that names a
// character a text may hold.
bool isValidCharacterReference(const std::string_view text, size_t start)
{
    const bool hex = start < text.size() && (text[start] == 'x' || text[start] == 'X');
    size_t i = hex ? start + 1 : start;
    uint32_t code = 0;
    int digits = 0;
    for (; i < text.size() && text[i] != ';'; ++i)
    {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        code = code * (hex ? 16u : 10u) + static_cast<uint32_t>(digit);
        if (++digits > 8 || code > 0x10FFFF)
            return false;
    }
    return i < text.size() && digits > 0 && code != 0 && !(code >= 0xD800 && code <= 0xDFFF);
}
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void skipBlanks(const std::string_view text, size_t& at)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
}

// Moves past an element or attribute name; false when there is none. Names
// are taken broadly (any character but blanks and the markup's own), as the
// parser takes them.
bool skipName(const std::string_view text, size_t& at)
{
    const size_t start = at;
    while (at < text.size() && !isBlank(text[at]) &&
           std::string_view("<>/=\"'&?!").find(text[at]) == std::string_view::npos)
        ++at;
    return at > start;
}
} // namespace

bool isValidUtf8(const uint8_t* bytes, size_t size)
{
    size_t i = 0;
    while (i < size)
    {
        const uint8_t lead = bytes[i];
        if (lead == 0)
            return false;
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        int extra;
        uint32_t code;
        uint32_t minimum;
        if ((lead & 0xE0) == 0xC0)
        {
            extra = 1;
            code = lead & 0x1F;
            minimum = 0x80;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            extra = 2;
            code = lead & 0x0F;
            minimum = 0x800;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            extra = 3;
            code = lead & 0x07;
            minimum = 0x10000;
        }
        else
            return false;
        if (size - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k)
        {
            const uint8_t next = bytes[i + static_cast<size_t>(k)];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

bool hasSafeXmlStructure(const std::string_view text, int maxNesting)
{
    auto checkReference = [&](size_t ampersand) {
        return ampersand + 1 >= text.size() || text[ampersand + 1] != '#' ||
               isValidCharacterReference(text, ampersand + 2);
    };
    auto startsWith = [&](size_t at, std::string_view what) { return text.substr(at, what.size()) == what; };

    int depth = 0;
    bool seenElement = false;
    size_t i = 0;
    while (i < text.size())
    {
        const char c = text[i];
        if (c == '&')
        {
            if (!checkReference(i))
                return false;
            ++i;
            continue;
        }
        if (c != '<')
        {
            ++i;
            continue;
        }
        std::string_view close;
        if (startsWith(i, "<!--"))
            close = "-->";
        else if (startsWith(i, "<![CDATA["))
            close = "]]>";
        else if (startsWith(i, "<?"))
        {
            // Processing instructions belong before the root element; the
            // XML library loops for ever on one among an element's texts.
            if (seenElement)
                return false;
            close = "?>";
        }
        if (!close.empty())
        {
            const size_t end = text.find(close, i + 2);
            if (end == std::string_view::npos)
                return false;
            i = end + close.size();
            continue;
        }
        if (startsWith(i, "<!"))
            return false;
        const bool closing = startsWith(i, "</");
        // A tag must be well formed: the parser reads a malformed one
        // differently from any simple scan, and what it then takes for text
        // may hold a processing instruction that it loops on.
        size_t j = i + (closing ? 2 : 1);
        bool selfClosing = false;
        if (!skipName(text, j))
            return false;
        if (closing)
        {
            skipBlanks(text, j);
            if (j >= text.size() || text[j] != '>')
                return false;
        }
        else
        {
            for (;;)
            {
                const size_t beforeBlanks = j;
                skipBlanks(text, j);
                if (j >= text.size())
                    return false;
                if (text[j] == '>')
                    break;
                if (text[j] == '/')
                {
                    if (j + 1 >= text.size() || text[j + 1] != '>')
                        return false;
                    selfClosing = true;
                    ++j;
                    break;
                }
                // An attribute: blank, name, "=", a quoted value without "<".
                if (j == beforeBlanks || !skipName(text, j))
                    return false;
                skipBlanks(text, j);
                if (j >= text.size() || text[j] != '=')
                    return false;
                ++j;
                skipBlanks(text, j);
                if (j >= text.size() || (text[j] != '"' && text[j] != '\''))
                    return false;
                const char quote = text[j++];
                for (; j < text.size() && text[j] != quote; ++j)
                    if (text[j] == '<' || (text[j] == '&' && !checkReference(j)))
                        return false;
                if (j >= text.size())
                    return false;
                ++j;
            }
        }
        seenElement = true;
        if (closing)
            --depth;
        else if (!selfClosing && ++depth > maxNesting)
            return false;
        i = j + 1;
    }
    return true;
}
} // namespace qm
