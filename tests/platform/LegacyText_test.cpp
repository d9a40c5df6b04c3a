#include <gtest/gtest.h>

#include <string>

#include "platform/text/LegacyText.h"

using qm::platform::LegacyCodePage;

TEST(LegacyText, CodePageOfTheInterfaceLanguage)
{
    const struct
    {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        LegacyCodePage expected;
    } cases[] = {
        {nullptr, nullptr, "ja_JP.UTF-8", LegacyCodePage::Windows932},
        {"", "", "ja", LegacyCodePage::Windows932},
        {nullptr, "ja_JP.eucJP", "en_US.UTF-8", LegacyCodePage::Windows932},
        {"C", nullptr, "ja_JP.UTF-8", LegacyCodePage::Windows1252},
        {"de_DE.UTF-8", "ja_JP", "ja_JP", LegacyCodePage::Windows1252},
        {nullptr, nullptr, nullptr, LegacyCodePage::Windows1252},
        {nullptr, nullptr, "jv_ID", LegacyCodePage::Windows1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::platform::legacyCodePageForLocale(c.lcAll, c.lcMessages, c.lang), c.expected)
            << (c.lang ? c.lang : "-");
}

TEST(LegacyText, Decoding)
{
    const struct
    {
        LegacyCodePage page;
        std::string bytes;
        uint32_t capacity;
        std::u16string text;
    } cases[] = {
        {LegacyCodePage::Windows1252, "Caf\xE9", 64, u"Caf\u00E9"},
        {LegacyCodePage::Windows1252, "\x80\x85\x99", 64, u"\u20AC\u2026\u2122"},
        {LegacyCodePage::Windows1252, "a\x81z", 64, u"a_z"},
        {LegacyCodePage::Windows1252, "a\tz\x7F", 64, u"a_z_"},
        {LegacyCodePage::Windows1252, std::string("ab\0cd", 5), 64, u"ab"},
        {LegacyCodePage::Windows1252, "abcdef", 4, u"abc"},
        {LegacyCodePage::Windows932, "\x83\x65\x83\x58\x83\x67", 64, u"\u30C6\u30B9\u30C8"},
        {LegacyCodePage::Windows932, "A\xB1", 64, u"A\uFF71"},
        {LegacyCodePage::Windows932, "\x87\x40", 64, u"\u2460"},
        {LegacyCodePage::Windows932, "ab\x83", 64, u"ab_"},
        {LegacyCodePage::Windows932, "\x83\x65\x83\x58", 2, u"\u30C6"},
    };
    for (const auto& c : cases)
    {
        char16_t out[64];
        const uint32_t length = qm::platform::decodeLegacyText(c.page, c.bytes.data(),
                                                             static_cast<uint32_t>(c.bytes.size()), out, c.capacity);
        EXPECT_EQ(std::u16string(out, length), c.text) << c.bytes;
        EXPECT_EQ(out[length], 0);
    }
    char16_t untouched = u'x';
    EXPECT_EQ(qm::platform::decodeLegacyText(LegacyCodePage::Windows1252, "abc", 3, &untouched, 0), 0u);
    EXPECT_EQ(untouched, u'x');
}
