#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/audiofile/media/CAsfAttributeReader.h"
#include "engine/audiofile/media/CAsfAttributeWriter.h"
#include "tests/support/TempFolder.h"

namespace
{
using Bytes = std::vector<uint8_t>;

// The first bytes of the GUIDs as ASF stores them.
const Bytes kHeader = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE4, 0x00, 0xC0, 0x4F, 0xD9, 0xC0, 0xE5};
const Bytes kDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                            0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes kExtended = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                         0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
const Bytes kExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                          0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes kLibrary = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

uint64_t LE(const Bytes& b, size_t at, int n)
{
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + i);
    return v;
}

void Put(Bytes& b, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

Bytes Object(const Bytes& guid, const Bytes& body)
{
    Bytes out = guid;
    Put(out, 24 + body.size(), 8);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes EmptyExtension()
{
    Bytes body(16, 0x11);
    Put(body, 6, 2);
    Put(body, 0, 4);
    return Object(kExtension, body);
}

Bytes HeaderOf(const std::vector<Bytes>& children)
{
    Bytes out = kHeader;
    size_t size = 30;
    for (const Bytes& child : children)
        size += child.size();
    Put(out, size, 8);
    Put(out, children.size(), 4);
    out.push_back(1);
    out.push_back(2);
    for (const Bytes& child : children)
        out.insert(out.end(), child.begin(), child.end());
    return out;
}

// The children of a header object: (GUID, body).
std::vector<std::pair<Bytes, Bytes>> Children(const Bytes& header, size_t begin, size_t end)
{
    std::vector<std::pair<Bytes, Bytes>> children;
    for (size_t at = begin; at < end;)
    {
        const size_t size = size_t(LE(header, at + 16, 8));
        children.emplace_back(Bytes(header.begin() + at, header.begin() + at + 16),
                              Bytes(header.begin() + at + 24, header.begin() + at + size));
        at += size;
    }
    return children;
}

bool Contains(const Bytes& bytes, const std::u16string& text)
{
    Bytes wide;
    for (char16_t c : text)
        Put(wide, c, 2);
    return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end();
}
} // namespace

// Old attribute objects go, new ones come after the other objects; a value
// too long for 16-bit lengths goes into the header extension.
TEST(CAsfAttributeWriter, ReplacesAttributeObjects)
{
    const Bytes properties = Object(kFileProperties, Bytes(80, 0));
    const Bytes oldDescription = Object(kDescription, Bytes(10, 0));
    const Bytes oldExtended = Object(kExtended, Bytes(2, 0));
    struct Case
    {
        const char* name;
        std::vector<Bytes> children;
        uint32_t pictureSize;
        std::vector<Bytes> expected; // GUIDs of the children after the rewrite
    };
    const Case cases[] = {
        {"small picture",
         {properties, oldDescription, EmptyExtension(), oldExtended},
         1000,
         {kFileProperties, kExtension, kDescription, kExtended}},
        {"large picture",
         {properties, EmptyExtension()},
         70000,
         {kFileProperties, kExtension, kDescription, kExtended}},
        {"large picture, no extension", {properties}, 70000, {kFileProperties, kExtension, kDescription, kExtended}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CAsfAttributeWriter writer;
        writer.AddText(u"Title", u"A title");
        writer.AddText(u"WM/Genre", u"Jazz");
        Bytes picture(c.pictureSize, 0xAB);
        writer.AddPicture(u"image/jpeg", picture.data(), uint32_t(picture.size()));
        const Bytes out = writer.BuildHeader(HeaderOf(c.children));
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(LE(out, 16, 8), out.size());
        const auto children = Children(out, 30, out.size());
        EXPECT_EQ(LE(out, 24, 4), children.size());
        ASSERT_EQ(children.size(), c.expected.size());
        for (size_t i = 0; i < children.size(); ++i)
            EXPECT_EQ(children[i].first, c.expected[i]) << i;
        EXPECT_EQ(children[0].second, Bytes(80, 0)) << "other objects are kept as they were";
        EXPECT_TRUE(Contains(children[2].second, u"A title"));
        EXPECT_TRUE(Contains(children[3].second, u"WM/Genre"));

        const Bytes& extension = children[1].second;
        ASSERT_GE(extension.size(), 22u);
        EXPECT_EQ(LE(extension, 18, 4), extension.size() - 22);
        const auto inner = Children(extension, 22, extension.size());
        const bool large = c.pictureSize > 0xFFFF;
        EXPECT_EQ(inner.size(), large ? 1u : 0u);
        if (large)
        {
            EXPECT_EQ(inner[0].first, kLibrary);
            EXPECT_TRUE(Contains(inner[0].second, u"WM/Picture"));
        }
        EXPECT_EQ(Contains(children[3].second, u"WM/Picture"), !large);
    }
}

TEST(CAsfAttributeWriter, RefusesMalformedHeaders)
{
    const Bytes properties = Object(kFileProperties, Bytes(80, 0));
    Bytes childPastEnd = HeaderOf({properties});
    childPastEnd[30 + 16] = 200; // the child claims more than the header holds
    Bytes childTooSmall = HeaderOf({properties});
    childTooSmall[30 + 16] = 10;
    Bytes sizeMismatch = HeaderOf({properties});
    sizeMismatch[16] += 1;
    Bytes badExtension = EmptyExtension();
    badExtension[24 + 18] = 5; // data size beyond the object
    Bytes notHeader = HeaderOf({properties});
    notHeader[0] ^= 0xFF;
    CAsfAttributeWriter writer;
    writer.AddText(u"Title", u"x");
    for (const Bytes& header : {childPastEnd, childTooSmall, sizeMismatch, HeaderOf({badExtension}), notHeader,
                                Bytes(kHeader.begin(), kHeader.end())})
        EXPECT_TRUE(writer.BuildHeader(header).empty());
}

// A file that cannot be rewritten stays as it was, with nothing left beside it.
TEST(CAsfAttributeWriter, FailedRewriteLeavesTheFile)
{
    qm::test::TempFolder folder;
    const auto path = folder.file("x.wma");
    const Bytes properties = Object(kFileProperties, Bytes(80, 0));
    const Bytes whole = HeaderOf({properties});
    const Bytes truncated(whole.begin(), whole.end() - 10); // the header runs past the file's end
    for (const Bytes& content : {Bytes(100, 0x55), truncated})
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), content.size());
        CAsfAttributeWriter writer;
        writer.AddText(u"Title", u"x");
        EXPECT_FALSE(writer.WriteTo(path.u16string().c_str()));
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), content);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

// What the writer stores, the reader reads back: texts, a small picture in
// the Extended Content Description object and a large one (over 64 KB) in the
// Metadata Library object, byte for byte, front cover first.
TEST(CAsfAttributeReader, ReadsBackWhatTheWriterStored)
{
    const Bytes properties = Object(kFileProperties, Bytes(80, 0));
    for (const uint32_t size : {1000u, 300u * 1024u})
    {
        SCOPED_TRACE(size);
        Bytes cover(size);
        std::mt19937 random(size);
        for (uint8_t& b : cover)
            b = static_cast<uint8_t>(random());
        CAsfAttributeWriter writer;
        writer.AddText(u"Title", u"A title");
        writer.AddText(u"WM/AlbumTitle", u"An album");
        writer.AddPicture(u"image/jpeg", cover.data(), uint32_t(cover.size()));
        const Bytes header = writer.BuildHeader(HeaderOf({properties, EmptyExtension()}));
        ASSERT_FALSE(header.empty());

        CAsfAttributeReader reader;
        ASSERT_TRUE(reader.Parse(header.data(), header.size()));
        std::vector<std::u16string> names;
        for (const auto& attribute : reader.GetAttributes())
            names.push_back(attribute.name);
        EXPECT_EQ(std::count(names.begin(), names.end(), u"Title"), 1);
        EXPECT_EQ(std::count(names.begin(), names.end(), u"WM/AlbumTitle"), 1);
        CAsfAttributeReader::Picture picture;
        ASSERT_TRUE(reader.GetPicture(picture));
        EXPECT_EQ(picture.mimeType, u"image/jpeg");
        EXPECT_EQ(picture.type, 0);
        EXPECT_EQ(picture.data, cover);
    }

    // Of several pictures the front cover (type 3) is taken.
    Bytes front = {1, 2, 3}, other = {4, 5};
    CAsfAttributeWriter::Attribute otherPicture{u"WM/Picture", CAsfAttributeWriter::kBinary, {0}};
    Put(otherPicture.value, other.size(), 4);
    Put(otherPicture.value, 0, 2); // empty MIME type
    Put(otherPicture.value, 0, 2); // empty description
    otherPicture.value.insert(otherPicture.value.end(), other.begin(), other.end());
    CAsfAttributeWriter::Attribute frontPicture = otherPicture;
    frontPicture.value = {3};
    Put(frontPicture.value, front.size(), 4);
    Put(frontPicture.value, 0, 4);
    frontPicture.value.insert(frontPicture.value.end(), front.begin(), front.end());
    CAsfAttributeReader::Picture picture;
    ASSERT_TRUE(CAsfAttributeReader::ParsePicture(frontPicture.value, picture));
    EXPECT_EQ(picture.data, front);
    Bytes extendedBody;
    Put(extendedBody, 2, 2);
    for (const auto* attribute : {&otherPicture, &frontPicture})
    {
        Put(extendedBody, 22, 2);
        for (char16_t c : std::u16string(u"WM/Picture"))
            Put(extendedBody, c, 2);
        Put(extendedBody, 0, 2);
        Put(extendedBody, 1, 2);
        Put(extendedBody, attribute->value.size(), 2);
        extendedBody.insert(extendedBody.end(), attribute->value.begin(), attribute->value.end());
    }
    const Bytes header = HeaderOf({properties, Object(kExtended, extendedBody)});
    CAsfAttributeReader reader;
    ASSERT_TRUE(reader.Parse(header.data(), header.size()));
    ASSERT_TRUE(reader.GetPicture(picture));
    EXPECT_EQ(picture.data, front);
}

// A damaged header gives no picture and reads nothing out of its bounds.
TEST(CAsfAttributeReader, DamagedHeadersGiveNoPicture)
{
    const Bytes properties = Object(kFileProperties, Bytes(80, 0));
    Bytes cover(70000, 0x5A);
    CAsfAttributeWriter writer;
    writer.AddPicture(u"image/png", cover.data(), uint32_t(cover.size()));
    const Bytes good = writer.BuildHeader(HeaderOf({properties}));
    ASSERT_FALSE(good.empty());
    // Where the Metadata Library's record starts: after the header object
    // (30), the properties (104), the extension's own fields (46), the
    // library's object header (24) and its count (2).
    const size_t record = 30 + 104 + 46 + 24 + 2;
    ASSERT_EQ(LE(good, record + 8, 4), cover.size() + 1 + 4 + 20 + 2);

    struct Case
    {
        const char* name;
        size_t at;
        uint64_t value;
        int bytes;
    };
    const Case cases[] = {
        {"value longer than the object", record + 8, 0xFFFFFFF0u, 4},
        {"name longer than the object", record + 4, 0xFFFF, 2},
        {"picture size beyond the value", record + 8 + 4 + 22 + 1, 0x7FFFFFFF, 4},
        {"picture size zero", record + 8 + 4 + 22 + 1, 0, 4},
        {"extension data size wrong", 30 + 104 + 42, 3, 4},
        {"record count too high", record - 2, 2, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        for (int i = 0; i < c.bytes; ++i)
            bad[c.at + size_t(i)] = uint8_t(c.value >> (8 * i));
        CAsfAttributeReader reader;
        EXPECT_TRUE(reader.Parse(bad.data(), bad.size()));
        CAsfAttributeReader::Picture picture;
        EXPECT_FALSE(reader.GetPicture(picture));
    }
    // A MIME type without its terminator: the text runs to the value's end.
    CAsfAttributeReader::Picture picture;
    EXPECT_FALSE(CAsfAttributeReader::ParsePicture({0, 1, 0, 0, 0, 'a', 0, 'b', 0}, picture));
    // Truncated anywhere, a header is refused or gives nothing out of bounds.
    for (size_t cut = 0; cut < good.size(); cut += 997)
    {
        CAsfAttributeReader reader;
        EXPECT_FALSE(reader.Parse(good.data(), cut));
    }
}
