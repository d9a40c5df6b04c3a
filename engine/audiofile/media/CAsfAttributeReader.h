#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/audiofile/media/CAsfAttributeWriter.h"

// Reads the attributes of an ASF file's header (a Windows Media file): the
// counterpart of CAsfAttributeWriter. "Title" and "Author" come from the
// Content Description object, the rest from the Extended Content Description
// object and from any Metadata Library object in the Header Extension object,
// whose 32-bit lengths hold values of any size (large pictures). The bytes are
// untrusted: every length is checked against what is there, and an object
// that does not parse adds nothing.
//
// One object is used from one thread at a time.
class CAsfAttributeReader
{
public:
    using Attribute = CAsfAttributeWriter::Attribute;

    // A "WM/Picture" value: picture type, MIME type, description and bytes.
    struct Picture
    {
        uint8_t type = 0;
        std::u16string mimeType;
        std::u16string description;
        std::vector<uint8_t> data;
    };

    // Reads the header object of the file at the UTF-16 path. False when the
    // file cannot be read or does not begin with a whole ASF header object;
    // the attributes are then empty.
    bool ReadFrom(const char16_t* path);
    // Parses a whole header object (as in the file). False when it is not
    // one; objects inside it that do not parse are passed over.
    bool Parse(const uint8_t* header, size_t size);

    // The attributes in header order; a name may appear more than once.
    const std::vector<Attribute>& GetAttributes() const { return m_attributes; }

    // The picture to show for the file: the first well-formed "WM/Picture"
    // whose type is the front cover (3), else the first well-formed one.
    // False when there is none.
    bool GetPicture(Picture& picture) const;

    // Parses a "WM/Picture" value: type byte, 32-bit size, MIME type and
    // description as terminated UTF-16LE, then the picture bytes. False when
    // the value is shorter than it says or the picture is empty.
    static bool ParsePicture(const std::vector<uint8_t>& value, Picture& picture);

private:
    void ParseContentDescription(const uint8_t* body, size_t size);
    void ParseHeaderExtension(const uint8_t* object, size_t size);
    // The attribute records of an Extended Content Description object, or
    // with `library` of a Metadata Library object.
    void ParseRecords(const uint8_t* body, size_t size, bool library);

    std::vector<Attribute> m_attributes;
};
