#pragma once

#include <cstdint>

// Folds full-width ASCII forms, the ideographic space, the wave dash and the
// right single quotation mark to their ASCII forms, but only when the text
// holds nothing else besides printable ASCII; any other character (kana,
// ideographs, ...) leaves the whole text unchanged. With keepFileNameSymbols
// the full-width forms of characters that are not allowed in file names
// (" # * , / : ; < > ? @ ^ |) are kept. src and dst may be the same buffer;
// dst must hold the whole of src. Returns the length.
uint32_t ConvertFullWidthToHalfWidth(const char16_t* src, char16_t* dst, bool keepFileNameSymbols);
