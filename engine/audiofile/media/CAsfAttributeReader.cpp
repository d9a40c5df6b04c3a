#include "engine/audiofile/media/CAsfAttributeReader.h"

#include <cstdio>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/media/AsfObjects.h"

using namespace qm::asf;

namespace
{
constexpr uint8_t kFrontCover = 3;

// A run of bytes read front to back; every read checks what is left.
class ByteCursor
{
public:
    ByteCursor(const uint8_t* data, size_t size)
        : m_data(data),
          m_left(size)
    {
    }

    bool Take(size_t count, const uint8_t*& at)
    {
        if (count > m_left)
            return false;
        at = m_data;
        m_data += count;
        m_left -= count;
        return true;
    }

    bool Number(int bytes, uint64_t& value)
    {
        const uint8_t* at = nullptr;
        if (!Take(static_cast<size_t>(bytes), at))
            return false;
        value = ReadLE(at, bytes);
        return true;
    }

    // Terminated UTF-16LE text; false when no terminator is left.
    bool Text(std::u16string& text)
    {
        text.clear();
        for (;;)
        {
            uint64_t unit = 0;
            if (!Number(2, unit))
                return false;
            if (unit == 0)
                return true;
            text.push_back(static_cast<char16_t>(unit));
        }
    }

    size_t Left() const { return m_left; }

private:
    const uint8_t* m_data;
    size_t m_left;
};

// The text of UTF-16LE bytes up to the first terminator (or their end).
std::u16string TextOf(const uint8_t* at, size_t size)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
    {
        const auto unit = static_cast<char16_t>(ReadLE(at + i, 2));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}
} // namespace

bool CAsfAttributeReader::ReadFrom(const char16_t* path)
{
    m_attributes.clear();
    CBinaryFile64 file(false);
    if (path == nullptr || file.Open(path) < 0)
        return false;
    const int64_t fileLength = file.GetFileLength();
    uint8_t start[kHeaderObjectSize];
    if (file.Read(start, sizeof start) != sizeof start || !IsGuid(start, kHeaderObject))
        return false;
    const uint64_t headerSize = ReadLE(start + 16, 8);
    if (headerSize < kHeaderObjectSize || headerSize > kMaxHeaderSize || fileLength < 0 ||
        headerSize > static_cast<uint64_t>(fileLength))
        return false;
    std::vector<uint8_t> header(static_cast<size_t>(headerSize));
    file.Seek(0, SEEK_SET);
    if (file.Read(header.data(), static_cast<uint32_t>(header.size())) != header.size())
        return false;
    return Parse(header.data(), header.size());
}

bool CAsfAttributeReader::Parse(const uint8_t* header, size_t size)
{
    m_attributes.clear();
    if (header == nullptr || size < kHeaderObjectSize || !IsGuid(header, kHeaderObject) ||
        ReadLE(header + 16, 8) != size)
        return false;
    std::vector<std::pair<size_t, size_t>> children;
    if (!ListObjects(header, kHeaderObjectSize, size, children))
        return false;
    for (const auto& [at, objectSize] : children)
    {
        const uint8_t* object = header + at;
        const uint8_t* body = object + kObjectHeaderSize;
        const size_t bodySize = objectSize - kObjectHeaderSize;
        if (IsGuid(object, kContentDescription))
            ParseContentDescription(body, bodySize);
        else if (IsGuid(object, kExtendedContentDescription))
            ParseRecords(body, bodySize, false);
        else if (IsGuid(object, kHeaderExtension))
            ParseHeaderExtension(object, objectSize);
    }
    return true;
}

void CAsfAttributeReader::ParseContentDescription(const uint8_t* body, size_t size)
{
    ByteCursor in(body, size);
    uint64_t lengths[5] = {};
    for (uint64_t& length : lengths)
        if (!in.Number(2, length))
            return;
    const uint8_t* texts[5] = {};
    for (int i = 0; i < 5; ++i)
        if (!in.Take(static_cast<size_t>(lengths[i]), texts[i]))
            return;
    // Title and author; copyright, description and rating have no attribute here.
    const char16_t* const names[2] = {u"Title", u"Author"};
    for (int i = 0; i < 2; ++i)
    {
        if (lengths[i] == 0)
            continue;
        Attribute attribute{names[i], CAsfAttributeWriter::kString, {}};
        attribute.value.assign(texts[i], texts[i] + lengths[i]);
        m_attributes.push_back(std::move(attribute));
    }
}

void CAsfAttributeReader::ParseRecords(const uint8_t* body, size_t size, bool library)
{
    ByteCursor in(body, size);
    uint64_t count = 0;
    if (!in.Number(2, count))
        return;
    std::vector<Attribute> found;
    for (uint64_t i = 0; i < count; ++i)
    {
        // Extended Content Description: name length, name, type, 16-bit value
        // length, value. Metadata Library: language, stream, name length,
        // type, 32-bit value length, name, value.
        uint64_t language = 0, stream = 0, nameLength = 0, type = 0, valueLength = 0;
        const uint8_t* name = nullptr;
        const uint8_t* value = nullptr;
        const bool fits = library ? in.Number(2, language) && in.Number(2, stream) && in.Number(2, nameLength) &&
                                        in.Number(2, type) && in.Number(4, valueLength) &&
                                        in.Take(static_cast<size_t>(nameLength), name)
                                  : in.Number(2, nameLength) && in.Take(static_cast<size_t>(nameLength), name) &&
                                        in.Number(2, type) && in.Number(2, valueLength);
        if (!fits || !in.Take(static_cast<size_t>(valueLength), value))
            return; // a record that does not fit: the object adds nothing
        Attribute attribute{
            TextOf(name, static_cast<size_t>(nameLength)), static_cast<CAsfAttributeWriter::ValueType>(type), {}};
        attribute.value.assign(value, value + valueLength);
        found.push_back(std::move(attribute));
    }
    for (Attribute& attribute : found)
        m_attributes.push_back(std::move(attribute));
}

void CAsfAttributeReader::ParseHeaderExtension(const uint8_t* object, size_t size)
{
    if (size < kHeaderExtensionSize || ReadLE(object + 42, 4) != size - kHeaderExtensionSize)
        return;
    std::vector<std::pair<size_t, size_t>> inner;
    if (!ListObjects(object, kHeaderExtensionSize, size, inner))
        return;
    for (const auto& [at, innerSize] : inner)
        if (IsGuid(object + at, kMetadataLibrary))
            ParseRecords(object + at + kObjectHeaderSize, innerSize - kObjectHeaderSize, true);
}

bool CAsfAttributeReader::ParsePicture(const std::vector<uint8_t>& value, Picture& picture)
{
    ByteCursor in(value.data(), value.size());
    uint64_t type = 0, size = 0;
    const uint8_t* data = nullptr;
    if (!in.Number(1, type) || !in.Number(4, size) || !in.Text(picture.mimeType) || !in.Text(picture.description) ||
        size == 0 || !in.Take(static_cast<size_t>(size), data))
        return false;
    picture.type = static_cast<uint8_t>(type);
    picture.data.assign(data, data + size);
    return true;
}

bool CAsfAttributeReader::GetPicture(Picture& picture) const
{
    bool found = false;
    for (const Attribute& attribute : m_attributes)
    {
        if (attribute.name != u"WM/Picture" || attribute.type != CAsfAttributeWriter::kBinary)
            continue;
        Picture candidate;
        if (!ParsePicture(attribute.value, candidate))
            continue;
        if (!found || (candidate.type == kFrontCover && picture.type != kFrontCover))
        {
            picture = std::move(candidate);
            found = true;
            if (picture.type == kFrontCover)
                return true;
        }
    }
    return found;
}
