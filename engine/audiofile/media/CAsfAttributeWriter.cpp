#include "engine/audiofile/media/CAsfAttributeWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/media/AsfObjects.h"
#include "platform/files/FileSafety.h"

namespace
{
using namespace qm::asf;

void PutLE(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void SetLE(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// UTF-16LE with a terminator.
std::vector<uint8_t> Utf16Bytes(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    for (const char16_t unit : text)
        PutLE(bytes, unit, 2);
    PutLE(bytes, 0, 2);
    return bytes;
}

void PutObject(std::vector<uint8_t>& out, const Guid& guid, const std::vector<uint8_t>& body)
{
    PutBytes(out, guid, 16);
    PutLE(out, kObjectHeaderSize + body.size(), 8);
    PutBytes(out, body.data(), body.size());
}

bool IsContentDescriptionName(const std::u16string& name)
{
    return name == u"Title" || name == u"Author";
}

bool FitsExtendedContent(const CAsfAttributeWriter::Attribute& attribute)
{
    return attribute.value.size() <= 0xFFFF && (attribute.name.size() + 1) * 2 <= 0xFFFF;
}

} // namespace

void CAsfAttributeWriter::AddText(const std::u16string& name, const std::u16string& text)
{
    m_attributes.push_back(Attribute{name, kString, Utf16Bytes(text)});
}

void CAsfAttributeWriter::AddPicture(const std::u16string& mimeType, const uint8_t* data, uint32_t size)
{
    Attribute attribute{u"WM/Picture", kBinary, {}};
    std::vector<uint8_t>& value = attribute.value;
    value.push_back(0); // picture type: other
    PutLE(value, size, 4);
    const std::vector<uint8_t> mime = Utf16Bytes(mimeType);
    PutBytes(value, mime.data(), mime.size());
    PutLE(value, 0, 2); // empty description
    PutBytes(value, data, size);
    m_attributes.push_back(std::move(attribute));
}

namespace
{
// The three kinds of attribute object the writer puts into a header; an
// empty vector for a kind that no attribute needs.
struct AttributeObjects
{
    std::vector<uint8_t> description;
    std::vector<uint8_t> extended;
    std::vector<uint8_t> library;
};

// Sorts the attributes into the objects that can hold them: "Title" and
// "Author" into the Content Description object, the rest into the Extended
// Content Description object as far as their lengths fit 16 bits, and what is
// longer into a Metadata Library object.
AttributeObjects BuildAttributeObjects(const std::vector<CAsfAttributeWriter::Attribute>& attributes)
{
    using Attribute = CAsfAttributeWriter::Attribute;
    AttributeObjects objects;
    std::vector<uint8_t>& description = objects.description;
    std::vector<uint8_t>& extended = objects.extended;
    std::vector<uint8_t>& library = objects.library;
    std::u16string title, author;
    bool anyDescription = false;
    uint16_t extendedCount = 0, libraryCount = 0;
    std::vector<uint8_t> extendedRecords, libraryRecords;
    for (const Attribute& attribute : attributes)
    {
        const std::vector<uint8_t> name = Utf16Bytes(attribute.name);
        if (IsContentDescriptionName(attribute.name) && attribute.type == CAsfAttributeWriter::kString &&
            attribute.value.size() <= 0xFFFF)
        {
            std::u16string text;
            for (size_t i = 0; i + 1 < attribute.value.size(); i += 2)
                if (const char16_t unit = char16_t(ReadLE(&attribute.value[i], 2)); unit != 0)
                    text.push_back(unit);
                else
                    break;
            (attribute.name == u"Title" ? title : author) = text;
            anyDescription = true;
        }
        else if (FitsExtendedContent(attribute) && extendedCount < 0xFFFF)
        {
            PutLE(extendedRecords, name.size(), 2);
            PutBytes(extendedRecords, name.data(), name.size());
            PutLE(extendedRecords, attribute.type, 2);
            PutLE(extendedRecords, attribute.value.size(), 2);
            PutBytes(extendedRecords, attribute.value.data(), attribute.value.size());
            ++extendedCount;
        }
        else if (attribute.value.size() <= 0xFFFFFFFFu && name.size() <= 0xFFFF && libraryCount < 0xFFFF)
        {
            PutLE(libraryRecords, 0, 2); // language list index
            PutLE(libraryRecords, 0, 2); // stream 0: the whole file
            PutLE(libraryRecords, name.size(), 2);
            PutLE(libraryRecords, attribute.type, 2);
            PutLE(libraryRecords, attribute.value.size(), 4);
            PutBytes(libraryRecords, name.data(), name.size());
            PutBytes(libraryRecords, attribute.value.data(), attribute.value.size());
            ++libraryCount;
        }
    }
    if (anyDescription)
    {
        const std::vector<uint8_t> titleBytes = Utf16Bytes(title);
        const std::vector<uint8_t> authorBytes = Utf16Bytes(author);
        std::vector<uint8_t> body;
        PutLE(body, titleBytes.size(), 2);
        PutLE(body, authorBytes.size(), 2);
        PutLE(body, 0, 2); // copyright
        PutLE(body, 0, 2); // description
        PutLE(body, 0, 2); // rating
        PutBytes(body, titleBytes.data(), titleBytes.size());
        PutBytes(body, authorBytes.data(), authorBytes.size());
        PutObject(description, kContentDescription, body);
    }
    if (extendedCount > 0)
    {
        std::vector<uint8_t> body;
        PutLE(body, extendedCount, 2);
        PutBytes(body, extendedRecords.data(), extendedRecords.size());
        PutObject(extended, kExtendedContentDescription, body);
    }
    if (libraryCount > 0)
    {
        std::vector<uint8_t> body;
        PutLE(body, libraryCount, 2);
        PutBytes(body, libraryRecords.data(), libraryRecords.size());
        PutObject(library, kMetadataLibrary, body);
    }
    return objects;
}

// Appends a Header Extension object rebuilt from the one at `at`: its objects
// as they were, except any Metadata Library object, which `library` replaces.
// False when the object or its contents are malformed.
bool PutRebuiltHeaderExtension(std::vector<uint8_t>& out, const std::vector<uint8_t>& header, size_t at, size_t size,
                               const std::vector<uint8_t>& library)
{
    const uint8_t* object = &header[at];
    if (size < kHeaderExtensionSize || ReadLE(object + 42, 4) != size - kHeaderExtensionSize)
        return false;
    std::vector<std::pair<size_t, size_t>> inner;
    if (!ListObjects(header.data(), at + kHeaderExtensionSize, at + size, inner))
        return false;
    std::vector<uint8_t> data;
    for (const auto& [innerAt, innerSize] : inner)
        if (!IsGuid(&header[innerAt], kMetadataLibrary))
            PutBytes(data, &header[innerAt], innerSize);
    PutBytes(data, library.data(), library.size());
    // Reserved GUID and 16-bit field as they were, then the data's size.
    std::vector<uint8_t> body(object + kObjectHeaderSize, object + kObjectHeaderSize + 18);
    PutLE(body, data.size(), 4);
    PutBytes(body, data.data(), data.size());
    PutObject(out, kHeaderExtension, body);
    return true;
}
} // namespace

std::vector<uint8_t> CAsfAttributeWriter::BuildHeader(const std::vector<uint8_t>& header) const
{
    if (header.size() < kHeaderObjectSize || !IsGuid(header.data(), kHeaderObject) ||
        ReadLE(&header[16], 8) != header.size())
        return {};
    std::vector<std::pair<size_t, size_t>> children;
    if (!ListObjects(header.data(), kHeaderObjectSize, header.size(), children))
        return {};

    const AttributeObjects objects = BuildAttributeObjects(m_attributes);

    std::vector<uint8_t> out(header.begin(), header.begin() + kHeaderObjectSize);
    uint32_t count = 0;
    bool hadExtension = false;
    for (const auto& [at, size] : children)
    {
        const uint8_t* object = &header[at];
        if (IsGuid(object, kContentDescription) || IsGuid(object, kExtendedContentDescription))
            continue;
        if (IsGuid(object, kHeaderExtension))
        {
            if (!PutRebuiltHeaderExtension(out, header, at, size, objects.library))
                return {};
            hadExtension = true;
        }
        else
            PutBytes(out, object, size);
        ++count;
    }
    if (!hadExtension && !objects.library.empty())
    {
        std::vector<uint8_t> body;
        PutBytes(body, kHeaderExtensionReserved, 16);
        PutLE(body, 6, 2);
        PutLE(body, objects.library.size(), 4);
        PutBytes(body, objects.library.data(), objects.library.size());
        PutObject(out, kHeaderExtension, body);
        ++count;
    }
    if (!objects.description.empty())
    {
        PutBytes(out, objects.description.data(), objects.description.size());
        ++count;
    }
    if (!objects.extended.empty())
    {
        PutBytes(out, objects.extended.data(), objects.extended.size());
        ++count;
    }
    SetLE(&out[16], out.size(), 8);
    SetLE(&out[24], count, 4);
    return out;
}

bool CAsfAttributeWriter::WriteTo(const char16_t* path) const
{
    std::string narrow;
    if (path == nullptr || !CBinaryFile64::PathToUtf8(path, narrow))
        return false;
    CBinaryFile64 source(false);
    if (source.Open(path) < 0)
        return false;
    const int64_t fileLength = source.GetFileLength();
    uint8_t start[kHeaderObjectSize];
    if (source.Read(start, sizeof start) != sizeof start || !IsGuid(start, kHeaderObject))
        return false;
    const uint64_t headerSize = ReadLE(start + 16, 8);
    if (headerSize < kHeaderObjectSize || headerSize > kMaxHeaderSize || headerSize > uint64_t(fileLength))
        return false;
    std::vector<uint8_t> header(static_cast<size_t>(headerSize));
    source.Seek(0, SEEK_SET);
    if (source.Read(header.data(), uint32_t(header.size())) != header.size())
        return false;
    std::vector<uint8_t> rebuilt = BuildHeader(header);
    if (rebuilt.empty())
        return false;

    // The file's size in its properties grows with the header.
    const uint64_t newLength = uint64_t(fileLength) - headerSize + rebuilt.size();
    std::vector<std::pair<size_t, size_t>> children;
    ListObjects(rebuilt.data(), kHeaderObjectSize, rebuilt.size(), children);
    for (const auto& [at, size] : children)
        if (IsGuid(&rebuilt[at], kFileProperties) && size >= 48)
            SetLE(&rebuilt[at + 40], newLength, 8);

    // The new file is written beside the old one and takes its name only
    // when complete, so any failure leaves the original as it was.
    qm::platform::SafeFileReplacer replacer;
    if (replacer.begin(narrow) != qm::platform::ReplaceResult::Ok)
        return false;
    bool ok = replacer.write(rebuilt.data(), rebuilt.size());
    std::vector<uint8_t> chunk(1u << 20);
    source.Seek(static_cast<int64_t>(headerSize), SEEK_SET);
    for (uint64_t left = uint64_t(fileLength) - headerSize; ok && left > 0;)
    {
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(left, chunk.size()));
        const uint32_t got = source.Read(chunk.data(), want);
        ok = got == want && replacer.write(chunk.data(), got);
        left -= got;
    }
    source.Close();
    if (!ok)
        return false; // the replacer removes its sibling
    return replacer.commit() == qm::platform::ReplaceResult::Ok;
}
