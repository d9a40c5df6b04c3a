#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/FileNameHelpers.h"
#include "engine/audiofile/foundation/FullWidthToHalfWidth.h"
#include "engine/audiofile/foundation/Utf8ToWide.h"

TEST(Utf8ToWide, DecodesStrictlyAndStopsAtFaults)
{
    struct Case
    {
        std::string bytes;
        uint32_t capacity;
        std::u16string expected;
        Utf8Result result;
    };
    const Case cases[] = {
        {"abc", 10, u"abc", Utf8Result::Ok},
        {"\xC3\xA9\xE6\x97\xA5", 10, u"\u00E9\u65E5", Utf8Result::Ok},
        {"\xF0\x9F\x8E\xB5", 10, u"\U0001F3B5", Utf8Result::Ok}, // surrogate pair
        {"\xF4\x8F\xBF\xBF", 10, u"\U0010FFFF", Utf8Result::Ok},
        {"\xC0\xAF", 10, u"", Utf8Result::SourceIllegal},         // overlong '/'
        {"a\xE0\x80\xAF", 10, u"a", Utf8Result::SourceIllegal},   // overlong three-byte form
        {"a\xED\xA0\x80", 10, u"a", Utf8Result::SourceIllegal},   // encoded surrogate
        {"\xF4\x90\x80\x80", 10, u"", Utf8Result::SourceIllegal}, // above U+10FFFF
        {"\xF5\x80\x80\x80", 10, u"", Utf8Result::SourceIllegal},
        {"ab\x80", 10, u"ab", Utf8Result::SourceIllegal}, // stray continuation byte
        {"ab\xE6\x97", 10, u"ab", Utf8Result::SourceExhausted},
        {"abcdef", 4, u"abc", Utf8Result::TargetExhausted},
        {"ab\xF0\x9F\x8E\xB5", 4, u"ab", Utf8Result::TargetExhausted}, // a pair is never split
        {"", 1, u"", Utf8Result::Ok},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.bytes) << " capacity " << c.capacity);
        std::vector<char16_t> dst(c.capacity, u'#');
        Utf8Result result{};
        const uint32_t length =
            Utf8ToWide(dst.data(), c.capacity, c.bytes.data(), static_cast<uint32_t>(c.bytes.size()), &result);
        EXPECT_EQ(std::u16string(dst.data()), c.expected);
        EXPECT_EQ(length, c.expected.size());
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dst.back(), 0);
    }
}

TEST(EngineText, NarrowAndWideConversions)
{
    // Narrow text is UTF-8; a failed conversion keeps what came before the
    // fault and reports its real length.
    struct Case
    {
        std::string narrow;
        uint32_t capacity;
        std::u16string wide;
    };
    const Case toWide[] = {
        {"Caf\xC3\xA9", 16, u"Caf\u00E9"},
        {"ab\xFF"
         "cd",
         16, u"ab"},
        {"\xE3\x81\x82\xE3\x81\x84", 2, u"\u3042"},
        {"x", 0, u""},
    };
    for (const Case& c : toWide)
    {
        std::vector<char16_t> dst(c.capacity + 1, 0);
        EXPECT_EQ(NarrowToWideBounded(dst.data(), c.capacity, c.narrow.c_str()), c.wide.size()) << c.narrow;
        EXPECT_EQ(std::u16string(dst.data()), c.wide) << c.narrow;
    }
    const Case toNarrow[] = {
        {"Caf\xC3\xA9", 16, u"Caf\u00E9"},
        {"\xF0\x9F\x8E\xB5", 16, u"\U0001F3B5"},
        {"ab", 16,
         u"ab\xD800"
         "cd"},               // unpaired surrogate stops
        {"a", 3, u"a\u00E9"}, // a sequence is never split
    };
    for (const Case& c : toNarrow)
    {
        std::vector<char> dst(c.capacity, '#');
        EXPECT_EQ(WideToNarrowBounded(dst.data(), c.capacity, c.wide.c_str()), c.narrow.size()) << c.narrow;
        EXPECT_EQ(std::string(dst.data()), c.narrow);
    }
}

TEST(EngineText, BoundedCopiesAndTrimming)
{
    char16_t wide[6];
    EXPECT_EQ(CopyWideBounded(wide, 6, u"abcdefgh", 8), 5u);
    EXPECT_EQ(std::u16string(wide), u"abcde");
    EXPECT_EQ(CopyWideBounded(wide, 6, u"ab", 8), 2u); // stops at the terminator
    EXPECT_EQ(wide[5], 0);

    char16_t title[32];
    EXPECT_EQ(CopyTrimmedWide(title, 32, u"Blue Hour   ", 12), 9u);
    EXPECT_EQ(std::u16string(title), u"Blue Hour");
    EXPECT_EQ(CopyTrimmedWide(title, 5, u"ab   cd", 7), 2u); // cut first, then trimmed
    char narrow[8];
    EXPECT_EQ(CopyTrimmedNarrow(narrow, 8, "   ", 3), 0u);
    EXPECT_EQ(narrow[0], 0);

    std::u16string longText(600, u'x');
    std::vector<char16_t> big(512, u'#');
    EXPECT_EQ(CopyWideMax511(big.data(), longText.c_str()), 511u);
    EXPECT_EQ(big[511], 0);
}

TEST(EngineText, Latin1AndCase)
{
    char latin[8];
    EXPECT_EQ(WideToLatin1(latin, 8, u"x\u00E9\u20141\n"), 5u);
    EXPECT_EQ(std::string(latin), "x\xE9_1_");
    EXPECT_EQ(WideToLatin1(latin, 3, u"abcdef"), 2u);
    EXPECT_EQ(WideToLatin1(latin, 0, u"abc"), 0u);

    char16_t wide[8];
    EXPECT_EQ(Latin1ToWide(wide, 8, "a\xE9\x85\x7F"), 4u);
    EXPECT_EQ(std::u16string(wide), u"a\u00E9__");
    EXPECT_EQ(Latin1ToWide(wide, 0, "a"), 0u);

    EXPECT_EQ(ToLowerWide(wide, u"WaV\u00C9"), 4u);
    EXPECT_EQ(std::u16string(wide), u"wav\u00C9");
    char lower[16];
    ToLowerNarrow(lower, "AIFF-\xC3\x89");
    EXPECT_EQ(std::string(lower), "aiff-\xC3\x89"); // UTF-8 bytes untouched

    const char16_t units[2] = {0x1234, 0xABCD};
    char16_t swapped[2];
    EXPECT_EQ(SwapBytes16(units, swapped, 2), 2u);
    EXPECT_EQ(swapped[0], 0x3412);
    EXPECT_EQ(swapped[1], 0xCDAB);
}

TEST(EngineText, PrintableTestsAndFourCharCodes)
{
    const std::pair<const char*, bool> narrow[] = {
        {"", false}, {"Title 1~", false}, {"a\tb", true}, {"\xC3\xA9", true}};
    for (const auto& [text, expected] : narrow)
        EXPECT_EQ(ContainsNonPrintableAscii(text), expected) << text;
    EXPECT_FALSE(ContainsNonPrintableAsciiWide(u"INAM"));
    EXPECT_TRUE(ContainsNonPrintableAsciiWide(u"caf\u00E9"));
    EXPECT_TRUE(ContainsNonPrintableAsciiWide(u"\u007F"));

    char code[4];
    CopyFourCharCode(code, "LIST....");
    EXPECT_TRUE(FourCharCodeEquals(code, "LIST"));
    EXPECT_FALSE(FourCharCodeEquals(code, "LISt"));
}

TEST(FullWidthToHalfWidth, FoldsOnlyPureFullWidthText)
{
    struct Case
    {
        std::u16string in;
        bool keepSymbols;
        std::u16string out;
    };
    const Case cases[] = {
        {u"\uFF21\uFF22\u3000\uFF11\uFF12", false, u"AB 12"},
        {u"\uFF21\u3042\uFF22", false, u"\uFF21\u3042\uFF22"}, // hiragana: unchanged
        {u"\uFF41\uFF1A\uFF42", true, u"a\uFF1Ab"},
        {u"\uFF41\uFF1A\uFF42", false, u"a:b"},
        {u"It\u2019s\u301C", false, u"It's~"},
        {u"\uFF0F\uFF5C\uFF1F\uFF01", true, u"\uFF0F\uFF5C\uFF1F!"},
        {u"", false, u""},
    };
    for (const Case& c : cases)
    {
        std::vector<char16_t> dst(c.in.size() + 1, u'#');
        EXPECT_EQ(ConvertFullWidthToHalfWidth(c.in.c_str(), dst.data(), c.keepSymbols), c.in.size());
        EXPECT_EQ(std::u16string(dst.data()), c.out);
    }
    // In place.
    std::u16string text = u"\uFF34\uFF45\uFF58\uFF54";
    ConvertFullWidthToHalfWidth(text.data(), text.data(), false);
    EXPECT_EQ(text, u"Text");
}

TEST(FileNameHelpers, NamesAndExtensions)
{
    struct Case
    {
        std::u16string path, name, extension;
    };
    const Case cases[] = {
        {u"/music/a/song.final.WAV", u"song.final.WAV", u"WAV"},
        {u"/music/v1.2/track", u"track", u""},
        {u"take.aif", u"take.aif", u"aif"},
        {u"/music/.hidden", u".hidden", u"hidden"},
        {u"/music/dir/", u"", u""},
        {u"C:\\a\\b.wav", u"C:\\a\\b.wav", u"wav"}, // backslash is an ordinary character
    };
    for (const Case& c : cases)
    {
        std::vector<char16_t> dst(c.path.size() + 1, u'#');
        EXPECT_EQ(GetFileNameFromPath(dst.data(), c.path.c_str()), c.name.size());
        EXPECT_EQ(std::u16string(dst.data()), c.name);
        EXPECT_EQ(GetFileExtension(dst.data(), c.path.c_str()), c.extension.size());
        EXPECT_EQ(std::u16string(dst.data()), c.extension);
    }
}

TEST(FileNameHelpers, ImageSignatures)
{
    const std::pair<std::vector<uint8_t>, bool> jpeg[] = {
        {{0xFF, 0xD8, 0xFF, 0xE0}, true},                                    // JFIF
        {{0xFF, 0xD8, 0xFF, 0xE1}, true},                                    // Exif
        {{0xFF, 0xD8, 0xFF, 0xDB}, true},                                    // quantisation table first
        {{0xFF, 0xD8, 0xFF, 0xEE}, true},  {{0xFF, 0xD8, 0xFF, 0xFE}, true}, // comment first
        {{0xFF, 0xD8, 0xFF, 0x00}, false}, {{0xFF, 0xD8, 0xFE, 0xE0}, false}, {{0x89, 'P', 'N', 'G'}, false},
    };
    for (const auto& [bytes, expected] : jpeg)
        EXPECT_EQ(IsJpegSignature(bytes.data()), expected) << std::hex << int(bytes[3]);
    const uint8_t png[4] = {0x89, 'P', 'N', 'G'};
    const uint8_t notPng[4] = {0x89, 'P', 'N', 'g'};
    EXPECT_TRUE(IsPngSignature(png));
    EXPECT_FALSE(IsPngSignature(notPng));
}
