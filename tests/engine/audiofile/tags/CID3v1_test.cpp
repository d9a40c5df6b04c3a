#include <gtest/gtest.h>

#include <string>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CID3v1.h"
#include "engine/audiofile/tags/Id3MetaDataMerge.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/engine/audiofile/ScopedLocaleEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
Bytes field(const std::string& text, size_t size, char fill = ' ')
{
    Bytes bytes = bytesOf(text);
    bytes.resize(size, static_cast<uint8_t>(fill));
    return bytes;
}

Bytes trailer(const std::string& title, const std::string& artist, const std::string& album, const std::string& year,
              uint8_t genre)
{
    return join({bytesOf("TAG"), field(title, 30), field(artist, 30, '\0'), field(album, 30), field(year, 4),
                 field("", 29), Bytes{0, genre}});
}

std::u16string wide(const CAudioMetaData& metadata, int index)
{
    return metadata.GetField(index)->GetWide();
}
} // namespace

TEST(CID3v1, OpenAndFields)
{
    ScopedLcAll western("C");
    TempFolder folder;
    writeFile(folder.file("short"), Bytes(100, 0));
    writeFile(folder.file("notag"), Bytes(200, 0));
    writeFile(folder.file("tag"), join({Bytes(50, 0xFF), trailer("Title \xE9", "Artist", "Album", "2001", 17)}));

    CID3v1FileRead reader;
    EXPECT_EQ(reader.Open(folder.file("missing").u16string().c_str()), 2);
    EXPECT_EQ(reader.Open(folder.file("short").u16string().c_str()), 4);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.Open(folder.file("notag").u16string().c_str()), 4);
    ASSERT_EQ(reader.Open(folder.file("tag").u16string().c_str()), 0);

    char16_t text[129];
    const CID3v1& tag = reader.GetTag();
    EXPECT_EQ(tag.GetTitle(text, 129), 7u);
    EXPECT_EQ(std::u16string(text), u"Title \u00E9");
    tag.GetArtist(text, 129);
    EXPECT_EQ(std::u16string(text), u"Artist");
    tag.GetDate(text, 129);
    EXPECT_EQ(std::u16string(text), u"2001-  -  ");
    tag.GetGenre(text, 129);
    EXPECT_EQ(std::u16string(text), u"Rock");
}

TEST(CID3v1, YearAndGenreForms)
{
    const struct
    {
        const char* year;
        const char* date;
    } years[] = {{"2009", "2009-  -  "}, {"99  ", "    -  -  "}, {"    ", "    -  -  "}, {"19\0\0", "    -  -  "}};
    for (const auto& c : years)
    {
        char date[11];
        FormatId3v1Year(date, c.year);
        EXPECT_STREQ(date, c.date) << c.year;
    }

    CID3v1 tag;
    char16_t text[33];
    ASSERT_TRUE(tag.SetFromBytes(trailer("", "", "", "", 125).data()));
    tag.GetGenre(text, 33);
    EXPECT_EQ(std::u16string(text), u"Dance Hall");
    ASSERT_TRUE(tag.SetFromBytes(trailer("", "", "", "", 126).data()));
    EXPECT_EQ(tag.GetGenre(text, 33), 0u);
    EXPECT_FALSE(tag.SetFromBytes(field("TAX", 128).data()));
}

TEST(Id3MetaDataMerge, TagsFillTheRecordInOrder)
{
    ScopedLcAll western("C");
    TempFolder folder;
    const Bytes v2 = id3Tag(3, 0,
                            join({frame(3, "TIT2", textBody(0, "Title 2")), frame(3, "TCON", textBody(0, "(17)")),
                                  frame(3, "TSSE", textBody(0, "Lame")),
                                  frame(3, "APIC",
                                        join({Bytes{0}, bytesOf(std::string("image/png\0", 10)), Bytes{3, 0},
                                              Bytes{0x89, 'P', 'N', 'G', 1, 2}}))}));
    const auto path = folder.file("song.mp3");
    writeFile(path, join({v2, Bytes(300, 0x11), trailer("Title 1", "Artist 1", "Album 1", "1999", 0)}));

    CAudioMetaData metadata;
    metadata.GetField(CAudioMetaData::kArtist)->SetNarrow(-1, "Kept");
    const uint32_t pictureSize = MergeId3TagsIntoMetaData(path.u16string().c_str(), metadata);
    EXPECT_EQ(pictureSize, 6u);
    EXPECT_EQ(std::u16string(metadata.GetPicturePath()), path.u16string());
    EXPECT_EQ(wide(metadata, CAudioMetaData::kTitle), u"Title 2");
    EXPECT_EQ(wide(metadata, CAudioMetaData::kArtist), u"Kept");
    EXPECT_EQ(wide(metadata, CAudioMetaData::kAlbum), u"Album 1");
    EXPECT_EQ(wide(metadata, CAudioMetaData::kGenre), u"Rock");
    EXPECT_EQ(wide(metadata, CAudioMetaData::kSoftware), u"Lame");
    // The ID3v2 tag has no date: the ID3v1 year fills it rather than a blank
    // template.
    EXPECT_EQ(wide(metadata, CAudioMetaData::kDate), u"1999-  -"); // trailing blanks are stripped
    EXPECT_EQ(wide(metadata, CAudioMetaData::kTime), u"");
    EXPECT_EQ(metadata.GetYear(), 1999);
}
