#pragma once

#include <cstdint>
#include <memory>

// One text field kept both as narrow (UTF-8) and as wide (UTF-16) text of a
// fixed capacity. A store in one width marks the other as stale; the stale one
// is converted when it is asked for. Both widths hold at most `capacity`
// units (bytes or UTF-16 units) plus a terminator. Trailing spaces (U+0020)
// are stripped from every stored text.
class CMultiString
{
public:
    explicit CMultiString(uint32_t capacity);
    virtual ~CMultiString();

    CMultiString(const CMultiString&) = delete;
    CMultiString& operator=(const CMultiString&) = delete;

    // Stores `length` UTF-16 units of `text` (negative: up to its terminator),
    // cut to the capacity. A null text stores an empty text.
    void SetWide(int length, const char16_t* text);

    // Stores `length` bytes of UTF-8 `text` (negative: up to its terminator),
    // cut to the capacity without splitting a character.
    void SetNarrow(int length, const char* text);

    // Stores the program's software identification text as narrow text.
    void SetEncoderText();

    // The wide text, converted from the narrow one first when that is newer.
    const char16_t* GetWide() const;

    // The narrow text, converted from the wide one first when that is newer.
    const char* GetNarrow() const;

    // True when the field holds no text, judged on the newer of the two
    // buffers (no conversion is made).
    bool IsEmpty() const;

    // Empties both buffers and clears both newer flags.
    void Clear();

    uint32_t GetCapacity() const { return m_capacity; }

    // The software identification text that SetEncoderText stores.
    static const char* EncoderText();

private:
    uint32_t m_capacity;
    mutable std::unique_ptr<char[]> m_narrow;   // capacity + 1 bytes
    mutable std::unique_ptr<char16_t[]> m_wide; // capacity + 1 units
    mutable bool m_wideIsNewer = false;
    mutable bool m_narrowIsNewer = false;
};
