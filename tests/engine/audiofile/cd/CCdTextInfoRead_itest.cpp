#include <gtest/gtest.h>

#include "engine/audiofile/cd/CCdTextInfoRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using Block = qm::test::CdTextPackBuilder::Block;

TEST(CCdTextInfoRead, BlocksTextsAndDestinations)
{
    qm::test::TempFolder folder;
    qm::test::CdTextPackBuilder builder;
    // Block 0 Japanese, blocks 1 and 2 English: the lowest English block wins.
    for (int number = 0; number < 3; ++number)
    {
        Block block;
        block.number = number;
        block.language = number == 0 ? 0x69 : 0x09;
        block.lastTrack = 1;
        block.texts[0x80] = {"Album " + std::to_string(number) + "   ", "Title"};
        builder.AddBlock(block);
    }
    const std::string withText = qm::test::WriteCdImage(folder.path(), "withtext", {{true, 100}}, builder.Build());
    const std::string without = qm::test::WriteCdImage(folder.path(), "without", {{true, 100}});
    CdDriveRegistry::Instance().RegisterImage(withText + ".cue");
    CdDriveRegistry::Instance().RegisterImage(without + ".cue");
    const std::u16string withDrive(withText.begin(), withText.end());
    const std::u16string withoutDrive(without.begin(), without.end());

    CCdTextInfoRead english(CCdTextInfoRead::kEnglish);
    ASSERT_EQ(english.Open(withDrive.c_str()), CdTextOpenResult::Ok);
    EXPECT_EQ(english.GetPreferredBlock(), 1);
    EXPECT_EQ(english.GetEnglishBlock(), 1);
    CCdTextInfoRead japanese(CCdTextInfoRead::kJapanese);
    ASSERT_EQ(japanese.Open(withDrive.c_str()), CdTextOpenResult::Ok);
    EXPECT_EQ(japanese.GetPreferredBlock(), 0);
    EXPECT_EQ(japanese.GetEnglishBlock(), 1);

    struct Case
    {
        int capacity;
        int block;
        int track;
        std::u16string text;
    };
    const Case cases[] = {
        {129, 2, 0, u"Album 2"},                      // trailing blanks removed
        {8, 1, 0, u"Album 1"},   {7, 1, 0, u"Album"}, // cut to 6 units, then trimmed
        {3, 0, 1, u"Ti"},        {129, 3, 0, u""},    // no such block
        {129, 0, 2, u""},                             // no such track
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.capacity << "/" << c.block << "/" << c.track);
        std::vector<char16_t> destination(size_t(c.capacity) + 1, u'#');
        EXPECT_EQ(english.GetTitle(destination.data(), c.capacity, c.block, c.track), int(c.text.size()));
        EXPECT_EQ(std::u16string(destination.data()), c.text);
        for (size_t i = c.text.size(); i < size_t(c.capacity); ++i)
            EXPECT_EQ(destination[i], 0) << i;            // the rest is cleared
        EXPECT_EQ(destination[size_t(c.capacity)], u'#'); // nothing beyond the capacity
    }

    // A disc without CD-TEXT: Open fails and the texts are empty.
    CCdTextInfoRead none(CCdTextInfoRead::kEnglish);
    EXPECT_EQ(none.Open(withoutDrive.c_str()), CdTextOpenResult::NoCdText);
    char16_t title[8] = {u'x', u'x'};
    EXPECT_EQ(none.GetTitle(title, 8, 0, 0), 0);
    EXPECT_EQ(title[0], 0);
    EXPECT_EQ(none.Open(u"/no/such/drive"), CdTextOpenResult::NoCdText);
    EXPECT_EQ(none.Open(u""), CdTextOpenResult::NoCdText);
    CdDriveRegistry::Instance().UnregisterImage(withText);
    CdDriveRegistry::Instance().UnregisterImage(without);

    EXPECT_EQ(CCdTextInfoRead::LanguageOfLocale("ja_JP.UTF-8"), CCdTextInfoRead::kJapanese);
    EXPECT_EQ(CCdTextInfoRead::LanguageOfLocale("Japanese_Japan.932"), CCdTextInfoRead::kJapanese);
    EXPECT_EQ(CCdTextInfoRead::LanguageOfLocale("C.UTF-8"), CCdTextInfoRead::kEnglish);
    EXPECT_EQ(CCdTextInfoRead::LanguageOfLocale("jv_ID"), CCdTextInfoRead::kEnglish);
}
