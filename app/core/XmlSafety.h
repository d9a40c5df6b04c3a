#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Checks on XML text from a file before the XML library parses it. The
// library loops for ever on some documents (a processing instruction among an
// element's texts), expands entities without end and recurses once per
// nesting level, so whatever it reads from a file is looked over first.
namespace qm
{
// A strict UTF-8 check: no overlong forms, no surrogates, nothing above
// U+10FFFF, no NUL (which would cut the text short).
bool isValidUtf8(const uint8_t* bytes, size_t size);

// Looks over the raw text: elements may not nest deeper than maxNesting,
// there may be no document type or entity declarations ("<!" other than
// comments and CDATA), no processing instruction after the first element,
// every tag, comment and CDATA section must end, and character references
// must name characters a text may hold.
bool hasSafeXmlStructure(std::string_view text, int maxNesting);
} // namespace qm
