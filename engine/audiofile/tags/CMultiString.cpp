#include "engine/audiofile/tags/CMultiString.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/foundation/EngineText.h"

namespace
{
// Replaces trailing spaces of a text of `length` units by terminators.
template <typename Unit>
void StripTrailingSpaces(Unit* text, uint32_t length)
{
    while (length > 0 && text[length - 1] == Unit(0x20))
        text[--length] = Unit(0);
}

// Length of a UTF-8 text of at most `limit` bytes (less at a terminator),
// without a character cut in half at its end. Reads no byte at or past `limit`.
uint32_t Utf8CutLength(const char* text, uint32_t limit)
{
    uint32_t length = 0;
    while (length < limit && text[length] != 0)
        ++length;
    if (length == 0)
        return 0;
    uint32_t lead = length - 1;
    while (lead > 0 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80)
        --lead;
    const unsigned char byte = static_cast<unsigned char>(text[lead]);
    // Bytes that cannot start a sequence count as one unit; the conversion stops there.
    const uint32_t expected = byte >= 0xF8 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return lead + expected > length ? lead : length;
}

} // namespace

const char* CMultiString::EncoderText()
{
    return "Quillmark ver.1.0.0 (Linux)";
}

CMultiString::CMultiString(uint32_t capacity)
    : m_capacity(capacity),
      m_narrow(new char[static_cast<size_t>(capacity) + 1]()),
      m_wide(new char16_t[static_cast<size_t>(capacity) + 1]())
{
}

CMultiString::~CMultiString() = default;

// The text may lie in the field's own buffer (a field stored into itself), so
// it is measured and moved before the rest of the buffer is zeroed.
void CMultiString::SetWide(int length, const char16_t* text)
{
    uint32_t count = 0;
    if (text != nullptr)
    {
        while (count < m_capacity && (length < 0 || count < static_cast<uint32_t>(length)) && text[count] != 0)
            ++count;
        // A cut must not leave the first half of a surrogate pair at the end.
        if (count > 0 && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF)
            --count;
        std::memmove(m_wide.get(), text, count * sizeof(char16_t));
    }
    std::fill(m_wide.get() + count, m_wide.get() + m_capacity + 1, char16_t(0));
    m_wideIsNewer = true;
    m_narrowIsNewer = false;
    StripTrailingSpaces(m_wide.get(), count);
}

void CMultiString::SetNarrow(int length, const char* text)
{
    uint32_t count = 0;
    if (text != nullptr)
    {
        uint32_t limit = m_capacity;
        if (length >= 0 && static_cast<uint32_t>(length) < limit)
            limit = static_cast<uint32_t>(length);
        count = Utf8CutLength(text, limit);
        std::memmove(m_narrow.get(), text, count);
    }
    std::fill(m_narrow.get() + count, m_narrow.get() + m_capacity + 1, char(0));
    m_narrowIsNewer = true;
    m_wideIsNewer = false;
    StripTrailingSpaces(m_narrow.get(), count);
}

void CMultiString::SetEncoderText()
{
    SetNarrow(-1, EncoderText());
}

const char16_t* CMultiString::GetWide() const
{
    if (m_narrowIsNewer)
    {
        // The conversion stops before an illegal sequence and always leaves a
        // terminated text.
        NarrowToWideBounded(m_wide.get(), m_capacity + 1, m_narrow.get());
        m_narrowIsNewer = false;
    }
    return m_wide.get();
}

const char* CMultiString::GetNarrow() const
{
    if (m_wideIsNewer)
    {
        WideToNarrowBounded(m_narrow.get(), m_capacity + 1, m_wide.get());
        m_wideIsNewer = false;
    }
    return m_narrow.get();
}

bool CMultiString::IsEmpty() const
{
    if (m_wideIsNewer)
        return m_wide[0] == 0;
    if (m_narrowIsNewer)
        return m_narrow[0] == 0;
    // Both are up to date; a conversion that stopped early may have left one
    // of them shorter, so the field is empty only when both are.
    return m_wide[0] == 0 && m_narrow[0] == 0;
}

void CMultiString::Clear()
{
    std::memset(m_narrow.get(), 0, static_cast<size_t>(m_capacity) + 1);
    std::memset(m_wide.get(), 0, (static_cast<size_t>(m_capacity) + 1) * sizeof(char16_t));
    m_wideIsNewer = false;
    m_narrowIsNewer = false;
}
