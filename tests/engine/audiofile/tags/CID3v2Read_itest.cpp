#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CID3v2Read.h"
#include "engine/audiofile/tags/Id3MetaDataMerge.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

TEST(Id3Interop, FfmpegTags)
{
    TempFolder folder;
    const auto cover = folder.file("cover.png");
    ASSERT_EQ(
        runCommand("ffmpeg -v error -y -f lavfi -i color=green:s=16x16 -frames:v 1 " + shellQuote(cover.string())), 0);
    const Bytes png = readFile(cover);
    const struct
    {
        const char* version;
        const char* date;
        std::u16string expectedDate;
        std::u16string expectedTime;
    } cases[] = {
        {"3", "2009-12-31", u"2009-12-31", u"  :  :  "},
        {"4", "2009-12-31T23:59:58", u"2009-12-31", u"23:59:58"},
    };
    for (const auto& c : cases)
    {
        const auto path = folder.file(std::string("v") + c.version + ".mp3");
        // Non-ASCII texts come out as UTF-16 in ID3v2.3 and as UTF-8 in ID3v2.4.
        ASSERT_EQ(
            runCommand(std::string("ffmpeg -v error -y -f lavfi -i sine=d=0.1 -i ") + shellQuote(cover.string()) +
                       " -map 0:a -map 1:v -c:v copy -disposition:v attached_pic -metadata:s:v 'comment=Cover (front)'"
                       " -id3v2_version " +
                       c.version +
                       " -metadata 'title=Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5'"
                       " -metadata 'artist=Plain Artist' -metadata 'album_artist=\xC3\x84rzte'"
                       " -metadata 'album=Album' -metadata 'genre=(17)' -metadata date=" +
                       c.date + " " + shellQuote(path.string())),
            0);
        std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(path.u16string().c_str(), 0));
        ASSERT_NE(tag, nullptr) << c.version;
        EXPECT_EQ(tag->GetVersion() >> 8, c.version[0] - '0');
        const auto text = [&tag](uint32_t (CID3v2Read::*getter)(char16_t*, uint32_t)) {
            char16_t out[129];
            (tag.get()->*getter)(out, 129);
            return std::u16string(out);
        };
        EXPECT_EQ(text(&CID3v2Read::GetTitle), u"Caf\u00E9 \u65E5\u672C \U0001F3B5") << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetArtist), u"Plain Artist") << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetAlbumArtist), u"\u00C4rzte") << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetAlbum), u"Album") << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetGenre), u"Rock") << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetDate), c.expectedDate) << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetTime), c.expectedTime) << c.version;
        EXPECT_EQ(text(&CID3v2Read::GetEncoder).rfind(u"Lavf", 0), 0u) << c.version;
        ASSERT_EQ(tag->ReadPicture(nullptr, 0, -1), png.size()) << c.version;
        Bytes picture(png.size());
        EXPECT_EQ(tag->ReadPicture(picture.data(), uint32_t(picture.size()), 3), png.size());
        EXPECT_EQ(picture, png);

        CAudioMetaData metadata;
        EXPECT_EQ(MergeId3TagsIntoMetaData(path.u16string().c_str(), metadata), png.size());
        EXPECT_EQ(std::u16string(metadata.GetField(CAudioMetaData::kTitle)->GetWide()),
                  u"Caf\u00E9 \u65E5\u672C \U0001F3B5");
        EXPECT_EQ(metadata.GetYear(), 2009);
    }
}
