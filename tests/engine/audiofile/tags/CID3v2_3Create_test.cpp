#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/audiofile/io/CBinaryFileWriteBuffer.h"
#include "engine/audiofile/tags/CID3v2_3Create.h"

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const CBinaryFileWriteBuffer& buffer)
{
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetSize());
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// An ASCII text frame as the tag holds it.
Bytes asciiFrame(const std::string& id, const std::string& value)
{
    const uint32_t size = static_cast<uint32_t>(value.size()) + 2;
    return join({text(id),
                 {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)},
                 {0, 0, 0},
                 text(value),
                 {0}});
}

// The frames after the header.
Bytes framesOf(const CID3v2_3Create& tag)
{
    const Bytes all = bytesOf(tag);
    return Bytes(all.begin() + 10, all.end());
}
} // namespace

TEST(CBinaryFileWriteBuffer, WritesAnywhereAndGrows)
{
    CBinaryFileWriteBuffer buffer;
    buffer.WriteUInt(0x0A0B0C0D, 4);
    buffer.SetPosition(2);
    buffer.Append("xyz", 3);
    buffer.SetPosition(8);
    buffer.WriteUInt(1, 1);
    EXPECT_EQ(bytesOf(buffer), (Bytes{0x0D, 0x0C, 'x', 'y', 'z', 0, 0, 0, 1}));
    EXPECT_EQ(buffer.GetPosition(), 9u);
    buffer.Reset();
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.GetPosition(), 0u);
}

TEST(CID3v2_3Create, TitleOnlyTagLayout)
{
    CAudioMetaData metadata;
    metadata.GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Abc");
    CID3v2_3Create tag;
    tag.CreateId3v2Tag(metadata);
    EXPECT_EQ(bytesOf(tag),
              (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 15, 'T', 'I', 'T', '2', 0, 0, 0, 5, 0, 0, 0, 'A', 'b', 'c', 0}));

    CAudioMetaData empty;
    tag.CreateId3v2Tag(empty);
    EXPECT_EQ(bytesOf(tag), (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}));
}

TEST(CID3v2_3Create, WholeRecordInFrameOrder)
{
    CAudioMetaData metadata;
    const std::pair<int, const char*> fields[] = {
        {CAudioMetaData::kSoftware, "Enc"},    {CAudioMetaData::kTime, "23:59:58"},
        {CAudioMetaData::kDate, "2009-12-31"}, {CAudioMetaData::kLocation, "Here"},
        {CAudioMetaData::kGenre, "Rock"},      {CAudioMetaData::kArtist, "Art"},
        {CAudioMetaData::kAlbumArtist, "AA"},  {CAudioMetaData::kTitle, "T"},
        {CAudioMetaData::kAlbum, "Alb"}};
    for (const auto& [field, value] : fields)
        metadata.GetField(field)->SetNarrow(-1, value);
    CID3v2_3Create tag;
    tag.CreateId3v2Tag(metadata);
    EXPECT_EQ(framesOf(tag), join({asciiFrame("TALB", "Alb"), asciiFrame("TIT2", "T"), asciiFrame("TPE2", "AA"),
                                   asciiFrame("TPE1", "Art"), asciiFrame("TCON", "Rock"), asciiFrame("TYER", "2009"),
                                   asciiFrame("TDAT", "3112"), asciiFrame("TIME", "2359"), asciiFrame("TSSE", "Enc")}));
}

TEST(CID3v2_3Create, TextOutsidePrintableAsciiIsUtf16)
{
    CID3v2_3Create tag;
    EXPECT_EQ(tag.AddTextFrame("TIT2", u"\u00e9\t"), 10u + 9u);
    EXPECT_EQ(framesOf(tag), (Bytes{'T', 'I', 'T', '2', 0, 0, 0, 9, 0, 0, 1, 0xFF, 0xFE, 0xE9, 0, '\t', 0, 0, 0}));
    EXPECT_EQ(tag.AddTextFrame("TPE1", u""), 0u);
}

TEST(CID3v2_3Create, LongTextsAreCutWithoutSplittingAPair)
{
    std::u16string ascii(600, u'a');
    std::u16string paired = u"\u00e9" + std::u16string(509, u'b');
    paired += u"\U0001F600\U0001F600"; // unit 511 would be the high half of a pair
    CID3v2_3Create tag;
    EXPECT_EQ(tag.AddTextFrame("TIT2", ascii.c_str()), 10u + 1 + 511 + 1);
    tag.Reset();
    EXPECT_EQ(tag.AddTextFrame("TIT2", paired.c_str()), 10u + 3 + 2 * 510 + 2);
}

TEST(CID3v2_3Create, DateAndTimeFrames)
{
    struct Case
    {
        const char16_t* date;
        const char16_t* time;
        Bytes frames;
    } cases[] = {
        {u"2009-12-31", u"23:59:58",
         join({asciiFrame("TYER", "2009"), asciiFrame("TDAT", "3112"), asciiFrame("TIME", "2359")})},
        {u"2009", u"", asciiFrame("TYER", "2009")},
        {u"2009-12", u"23:5", asciiFrame("TYER", "2009")},
        {u"    -  -", u"  :  :", Bytes()},
        {u"2009-  -  ", u"ab:cd:ef", asciiFrame("TYER", "2009")},
    };
    for (const Case& c : cases)
    {
        CID3v2_3Create tag;
        tag.AddDate(c.date);
        tag.AddTime(c.time);
        EXPECT_EQ(framesOf(tag), c.frames);
    }
}

TEST(CID3v2_3Create, PictureFrames)
{
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0};
    const Bytes jpegOtherMarker = {0xFF, 0xD8, 0xFF, 0xDB, 0, 0x43, 0, 1, 2, 3};
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A};
    const Bytes other = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    const Bytes shortJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0};
    struct Case
    {
        const char* name;
        Bytes data;
        std::string mime; // empty: not embedded
    } cases[] = {{"JPEG", jpeg, "image/jpeg"},
                 {"JPEG starting with another marker", jpegOtherMarker, "image/jpeg"},
                 {"PNG", png, "image/png"},
                 {"GIF", other, ""},
                 {"too short for a JPEG", shortJpeg, ""}};
    for (const Case& c : cases)
    {
        CID3v2_3Create tag;
        const uint32_t added = tag.AddPicture(c.data.data(), static_cast<uint32_t>(c.data.size()));
        if (c.mime.empty())
        {
            EXPECT_EQ(added, 0u) << c.name;
            EXPECT_EQ(tag.GetSize(), 10u) << c.name;
            continue;
        }
        const uint32_t size = static_cast<uint32_t>(1 + c.mime.size() + 1 + 2 + c.data.size());
        EXPECT_EQ(added, size + 10) << c.name;
        EXPECT_EQ(framesOf(tag),
                  join({text("APIC"), {0, 0, 0, uint8_t(size)}, {0, 0, 0}, text(c.mime), {0, 0, 0}, c.data}))
            << c.name;
    }
}

TEST(CID3v2_3Create, TagSizeLimit)
{
    CID3v2_3Create tag;
    tag.AddTextFrame("TIT2", std::u16string(188, u'x').c_str()); // a 200-byte frame
    const Bytes header = bytesOf(tag);
    EXPECT_EQ(Bytes(header.begin() + 6, header.begin() + 10), (Bytes{0, 0, 1, 0x48}));

    // A picture that would take the tag past 2^28 - 1 bytes is left out
    // before anything is copied (only the signature is read).
    const uint8_t jpeg[10] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'};
    EXPECT_EQ(tag.AddPicture(jpeg, CID3v2_3Create::kMaxTagBodySize - 200), 0u);
    EXPECT_EQ(tag.GetSize(), 210u);
}
