#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::platform
{
// Decodes MS-JIS (code page 932) bytes of a CD-TEXT block into UTF-16. A byte
// sequence that is not valid MS-JIS becomes U+FFFD and decoding goes on after
// its first byte; an incomplete sequence at the end becomes one U+FFFD.
std::u16string DecodeMsJis(const uint8_t* bytes, size_t size);
} // namespace qm::platform
