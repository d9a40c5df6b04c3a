#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/audiofile/tags/CID3v2Read.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/engine/audiofile/ScopedLocaleEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
using Getter = uint32_t (CID3v2Read::*)(char16_t*, uint32_t);

class TagFile
{
public:
    // Writes prefix + tag + suffix and opens the tag at the prefix's end.
    explicit TagFile(const Bytes& tag, const Bytes& prefix = {}, const Bytes& suffix = {})
    {
        m_path = m_folder.file("tag.bin");
        writeFile(m_path, join({prefix, tag, suffix}));
        m_reader.reset(CreateId3v2Reader(m_path.u16string().c_str(), int64_t(prefix.size())));
    }
    CID3v2Read* get() const { return m_reader.get(); }
    CID3v2Read* operator->() const { return m_reader.get(); }

    std::u16string text(Getter getter, uint32_t capacity = 129) const
    {
        std::u16string out(capacity, u'\0');
        const uint32_t length = (m_reader.get()->*getter)(out.data(), capacity);
        EXPECT_EQ(length, std::char_traits<char16_t>::length(out.c_str()));
        out.resize(length);
        return out;
    }

private:
    TempFolder m_folder;
    std::filesystem::path m_path;
    std::unique_ptr<CID3v2Read> m_reader;
};

Bytes utf16(const std::u16string& text, bool bigEndian, bool bom)
{
    Bytes bytes;
    if (bom)
        putBE(bytes, bigEndian ? 0xFEFF : 0xFFFE, 2);
    for (const char16_t unit : text)
    {
        if (bigEndian)
            putBE(bytes, unit, 2);
        else
            putLE(bytes, unit, 2);
    }
    return bytes;
}
} // namespace

TEST(CID3v2Read, DatesAndTimes)
{
    struct Case
    {
        int major;
        Bytes frames;
        std::u16string date;
        std::u16string time;
    } cases[] = {
        {3,
         join({frame(3, "TYER", textBody(0, "2009")), frame(3, "TDAT", textBody(0, "3112")),
               frame(3, "TIME", textBody(0, "2359"))}),
         u"2009-12-31", u"23:59:00"},
        {3, frame(3, "TYER", textBody(0, "2009")), u"2009-  -  ", u"  :  :  "},
        // Without a year frame, ID3v2.3 falls back to the recording time.
        {3, frame(3, "TDRC", textBody(0, "2011")), u"2011-  -  ", u"  :  :  "},
        {4, frame(4, "TDRC", textBody(3, "2009-12-31T23:59:58")), u"2009-12-31", u"23:59:58"},
        {4, frame(4, "TDRC", textBody(3, "2009")), u"2009-  -  ", u"  :  :  "},
        {4, frame(4, "TDRC", textBody(3, "2009-12-31T23:59")), u"2009-12-31", u"23:59:  "},
        {2,
         join({frame(2, "TYE", textBody(0, "1999")), frame(2, "TDA", textBody(0, "0102")),
               frame(2, "TIM", textBody(0, "0405"))}),
         u"1999-02-01", u"04:05:00"},
        {3, Bytes{}, u"    -  -  ", u"  :  :  "},
    };
    for (const Case& c : cases)
    {
        TagFile tag(id3Tag(c.major, 0, c.frames));
        ASSERT_NE(tag.get(), nullptr);
        EXPECT_EQ(tag.text(&CID3v2Read::GetDate), c.date) << c.major;
        EXPECT_EQ(tag.text(&CID3v2Read::GetTime), c.time) << c.major;
    }
}

TEST(CID3v2Read, GenreForms)
{
    const struct
    {
        std::string stored;
        std::u16string genre;
    } cases[] = {
        {"(17)", u"Rock"},
        {"(17)Rock", u"Rock"},
        {"(0)", u"Blues"},
        {"(125)", u"Dance Hall"},
        {"(RX)", u"Remix"},
        {"(CR)", u"Cover"},
        {"(200)", u"(200)"},
        {"((17)", u"((17)"},
        {"Rock", u"Rock"},
        {"(Live)", u"(Live)"},
        {"( 17)", u"( 17)"},
        {"", u""},
        // Bare numbers, as version 2.4 writes them.
        {"8", u"Jazz"},
        {"0", u"Blues"},
        {"125", u"Dance Hall"},
        {"126", u"126"},
        {"1984", u"1984"},
        {"8a", u"8a"},
    };
    for (const auto& c : cases)
    {
        TagFile tag(id3Tag(3, 0, frame(3, "TCON", textBody(0, c.stored))));
        EXPECT_EQ(tag.text(&CID3v2Read::GetGenre), c.genre) << c.stored;
    }
}

TEST(CID3v2Read, TextEncodings)
{
    ScopedLcAll western("en_US.UTF-8");
    const struct
    {
        const char* name;
        Bytes body;
        std::u16string text;
    } cases[] = {
        {"latin letter", textBody(0, "Caf\xE9"), u"Caf\u00E9"},
        {"western code page", textBody(0, "a\x85z"), u"a\u2026z"},
        {"control byte", textBody(0, "a\x01z"), u"a_z"},
        {"ends at its zero", textBody(0, bytesOf(std::string("ab\0cd", 5))), u"ab"},
        {"UTF-16 big-endian mark", textBody(1, utf16(u"J\u00F6rg \u65E5", true, true)), u"J\u00F6rg \u65E5"},
        {"UTF-16 little-endian mark", textBody(1, utf16(u"J\u00F6rg \u65E5", false, true)), u"J\u00F6rg \u65E5"},
        {"UTF-16 big-endian", textBody(2, utf16(u"\u65E5\u672C", true, false)), u"\u65E5\u672C"},
        {"UTF-8", textBody(3, "\xE6\x97\xA5\xE6\x9C\xAC"), u"\u65E5\u672C"},
        {"unknown encoding", textBody(7, "abc"), u""},
        {"empty frame body", Bytes{}, u""},
    };
    for (const auto& c : cases)
    {
        TagFile tag(id3Tag(3, 0, frame(3, "TIT2", c.body)));
        EXPECT_EQ(tag.text(&CID3v2Read::GetTitle), c.text) << c.name;
    }

    // A cut never leaves half of a surrogate pair.
    TagFile pair(id3Tag(3, 0, frame(3, "TIT2", textBody(1, utf16(u"ab\U0001F600", false, true)))));
    EXPECT_EQ(pair.text(&CID3v2Read::GetTitle, 4), u"ab");
    EXPECT_EQ(pair.text(&CID3v2Read::GetTitle, 5), u"ab\U0001F600");
}

TEST(CID3v2Read, JapaneseCodePageForTheJapaneseInterface)
{
    ScopedLcAll japanese("ja_JP.UTF-8");
    TagFile tag(id3Tag(3, 0, frame(3, "TPE1", textBody(0, "\x83\x65\x83\x58\x83\x67"))));
    EXPECT_EQ(tag.text(&CID3v2Read::GetArtist), u"\u30C6\u30B9\u30C8");
}

TEST(CID3v2Read, FramesAfterFlaggedFramesAreFound)
{
    // A flagged frame's extra bytes (decompressed size, group id, data length)
    // lie inside its stated size.
    const Bytes compressed = frame(3, "TALB", join({Bytes{0, 0, 0, 9}, textBody(0, "zzzz")}), 0x80);
    const Bytes grouped = frame(3, "TPE1", join({Bytes{7}, textBody(0, "Grouped")}), 0x20);
    TagFile v23(id3Tag(3, 0, join({compressed, grouped, frame(3, "TIT2", textBody(0, "Title"))})));
    EXPECT_EQ(v23.text(&CID3v2Read::GetTitle), u"Title");
    EXPECT_EQ(v23.text(&CID3v2Read::GetAlbum), u"");
    EXPECT_EQ(v23.text(&CID3v2Read::GetArtist), u"");

    const Bytes lengthIndicated = frame(4, "TALB", join({Bytes{0, 0, 0, 5}, textBody(3, "zzzz")}), 0x01);
    TagFile v24(id3Tag(4, 0, join({lengthIndicated, frame(4, "TIT2", textBody(3, "Title"))})));
    EXPECT_EQ(v24.text(&CID3v2Read::GetTitle), u"Title");
}

TEST(CID3v2Read, HeaderForms)
{
    const Bytes title3 = frame(3, "TIT2", textBody(0, "Title"));
    const Bytes title4 = frame(4, "TIT2", textBody(0, "Title"));
    Bytes ext23;
    putBE(ext23, 6, 4); // excludes its own four bytes
    ext23.resize(10, 0);
    Bytes ext24;
    putSyncSafe(ext24, 6); // includes its own four bytes
    ext24.push_back(1);
    ext24.push_back(0);
    const Bytes footer = join({bytesOf("3DI"), Bytes{4, 0, 0x10}, Bytes{0, 0, 0, 0}});
    const Bytes big = frame(3, "TIT2", textBody(0, std::string(200, 'x')));
    const Bytes big4 = frame(4, "TIT2", textBody(0, std::string(200, 'y')));

    const struct
    {
        const char* name;
        Bytes tag;
        std::u16string title;
    } cases[] = {
        {"ID3v2.3 extended header", id3Tag(3, 0x40, join({ext23, title3})), u"Title"},
        {"ID3v2.4 extended header", id3Tag(4, 0x40, join({ext24, title4})), u"Title"},
        // The footer lies after the size the header states: the last frame is whole.
        {"ID3v2.4 footer", join({id3Tag(4, 0x10, title4), footer}), u"Title"},
        {"ID3v2.3 plain frame sizes", id3Tag(3, 0, big), std::u16string(128, u'x')},
        {"ID3v2.4 sync-safe frame sizes", id3Tag(4, 0, big4), std::u16string(128, u'y')},
        {"ID3v2.3 unsynchronised", id3Tag(3, 0x80, title3), u""},
        {"ID3v2.4 unsynchronised", id3Tag(4, 0x80, title4), u""},
        {"ID3v2.2 compressed", id3Tag(2, 0x40, frame(2, "TT2", textBody(0, "Title"))), u""},
        {"padding ends the frames", id3Tag(3, 0, join({Bytes(20, 0), title3})), u""},
        {"frame larger than the tag", id3Tag(3, 0, frame(3, "TIT2", textBody(0, "Tit"), 0, 1000)), u"Tit"},
    };
    for (const auto& c : cases)
    {
        TagFile tag(c.tag);
        ASSERT_NE(tag.get(), nullptr) << c.name;
        EXPECT_EQ(tag.text(&CID3v2Read::GetTitle), c.title) << c.name;
    }
}

TEST(CID3v2Read, VersionPicksTheReader)
{
    const Bytes frames = frame(3, "TIT2", textBody(0, std::string(130, 'a')));
    for (const int major : {2, 5, 0xFF})
    {
        const bool opens = major == 2;
        TagFile tag(id3Tag(major, 0, frames));
        EXPECT_EQ(tag.get() != nullptr, opens) << major;
    }
    TagFile v23(id3Tag(3, 0, frames));
    ASSERT_NE(v23.get(), nullptr);
    EXPECT_EQ(v23->GetVersion(), 0x0300);
    EXPECT_EQ(v23.text(&CID3v2Read::GetTitle).size(), 128u);

    {
        TempFolder folder;
        writeFile(folder.file("short"), bytesOf("ID3\x03"));
        EXPECT_EQ(CreateId3v2Reader(folder.file("short").u16string().c_str(), 0), nullptr);
        EXPECT_EQ(CreateId3v2Reader(folder.file("missing").u16string().c_str(), 0), nullptr);
    }
}

TEST(CID3v2Read, UserTextsAndEncoder)
{
    const Bytes tags = join({
        frame(3, "TXXX", textBody(0, bytesOf(std::string("other\0x", 7)))),
        frame(3, "TXXX",
              textBody(1, join({utf16(u"guitarist", false, true), Bytes{0, 0}, utf16(u"J\u00F6rg", true, true)}))),
        frame(3, "TXXX", textBody(0, bytesOf(std::string("sort guitarist\0Jorg", 19)))),
        frame(3, "TENC", textBody(0, "Encoded by")),
    });
    TagFile tag(id3Tag(3, 0, tags));
    EXPECT_EQ(tag.text(&CID3v2Read::GetGuitarist), u"J\u00F6rg");
    EXPECT_EQ(tag.text(&CID3v2Read::GetGuitaristSort), u"Jorg");
    EXPECT_EQ(tag.text(&CID3v2Read::GetEncoder), u"Encoded by");

    TagFile both(id3Tag(3, 0, join({frame(3, "TENC", textBody(0, "B")), frame(3, "TSSE", textBody(0, "S"))})));
    EXPECT_EQ(both.text(&CID3v2Read::GetEncoder), u"S");
    TagFile v22(id3Tag(2, 0, frame(2, "TXX", textBody(0, bytesOf(std::string("guitarist\0Al", 12))))));
    EXPECT_EQ(v22.text(&CID3v2Read::GetGuitarist), u"Al");
}

TEST(CID3v2Read, Pictures)
{
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 9};
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
    const Bytes apicFront = frame(3, "APIC",
                                  join({Bytes{1}, bytesOf(std::string("image/jpeg\0", 11)), Bytes{3},
                                        utf16(u"Cover", false, true), Bytes{0, 0}, jpeg}));
    const Bytes apicBack = frame(
        3, "APIC",
        join({Bytes{0}, bytesOf(std::string("image/png\0", 10)), Bytes{4}, bytesOf(std::string("Back\0", 5)), png}));
    const Bytes flagged =
        frame(3, "APIC", join({Bytes{0, 0, 0, 9}, Bytes{0}, bytesOf(std::string("x\0", 2)), Bytes{3, 0}, png}), 0x80);
    TagFile tag(id3Tag(3, 0, join({flagged, apicFront, apicBack})));
    ASSERT_NE(tag.get(), nullptr);

    const struct
    {
        int type;
        Bytes data;
    } cases[] = {{-1, jpeg}, {3, jpeg}, {4, png}, {5, {}}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(tag->ReadPicture(nullptr, 0, c.type), c.data.size()) << c.type;
        Bytes buffer(64, 0xAA);
        EXPECT_EQ(tag->ReadPicture(buffer.data(), 64, c.type), c.data.size()) << c.type;
        buffer.resize(c.data.size());
        EXPECT_EQ(buffer, c.data) << c.type;
    }
    // A buffer too small is zero-filled.
    Bytes small(4, 0xAA);
    EXPECT_EQ(tag->ReadPicture(small.data(), 4, -1), 0u);
    EXPECT_EQ(small, Bytes(4, 0));

    // ID3v2.2: only JPG and PNG pictures count.
    TagFile v22(id3Tag(2, 0,
                       join({frame(2, "PIC", join({Bytes{0}, bytesOf("GIF"), Bytes{3, 0}, png})),
                             frame(2, "PIC", join({Bytes{0}, bytesOf("PNG"), Bytes{3, 0}, png}))})));
    Bytes buffer(png.size());
    EXPECT_EQ(v22->ReadPicture(buffer.data(), uint32_t(buffer.size()), -1), png.size());
    EXPECT_EQ(buffer, png);

    // A picture frame whose size runs past the file holds what is there.
    TagFile lying(id3Tag(
        4, 0,
        frame(4, "APIC", join({Bytes{0}, bytesOf(std::string("image/png\0", 10)), Bytes{3, 0}, png}), 0, 200000000),
        200000010));
    EXPECT_EQ(lying->ReadPicture(nullptr, 0, -1), png.size());
}

TEST(CID3v2Read, TagInsideALargerFile)
{
    const Bytes prefix = bytesOf("FORM....AIFF");
    TagFile tag(id3Tag(4, 0, frame(4, "TALB", textBody(3, "Album"))), prefix, Bytes(40, 0x55));
    ASSERT_NE(tag.get(), nullptr);
    EXPECT_EQ(tag.text(&CID3v2Read::GetAlbum), u"Album");
    EXPECT_TRUE(tag->FindFrame("TALB", true));
    EXPECT_EQ(tag->Tell(), int64_t(prefix.size() + 10));
    EXPECT_FALSE(tag->FindFrame("TIT2", true));
}
