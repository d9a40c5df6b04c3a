#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes attributes into the header of a finished ASF file (a Windows Media
// file). "Title" and "Author" go into the Content Description object; other
// attributes into the Extended Content Description object, except values too
// long for its 16-bit lengths, which go into a Metadata Library object of the
// Header Extension object. Attribute objects already in the header are
// replaced. The file is rewritten into a temporary file beside it, which is
// then renamed over it, so a failure leaves the original untouched.
class CAsfAttributeWriter
{
public:
    // Value types as ASF stores them.
    enum ValueType : uint16_t
    {
        kString = 0,
        kBinary = 1,
    };

    struct Attribute
    {
        std::u16string name;
        ValueType type = kString;
        std::vector<uint8_t> value; // strings: UTF-16LE with their terminator
    };

    // Adds a text attribute (stored with its terminator).
    void AddText(const std::u16string& name, const std::u16string& text);
    // Adds a "WM/Picture" attribute: the picture's MIME type, picture type
    // 0 (other), an empty description and the picture's bytes.
    void AddPicture(const std::u16string& mimeType, const uint8_t* data, uint32_t size);

    const std::vector<Attribute>& GetAttributes() const { return m_attributes; }

    // Rewrites the file at the UTF-16 path with the attributes. False when it
    // is not an ASF file this can parse or any step fails; the file is then
    // as it was.
    bool WriteTo(const char16_t* path) const;

    // The new header object for the header object given (whole, as in the
    // file); empty when the given bytes are not a sound header object.
    std::vector<uint8_t> BuildHeader(const std::vector<uint8_t>& header) const;

private:
    std::vector<Attribute> m_attributes;
};
