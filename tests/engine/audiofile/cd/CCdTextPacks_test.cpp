#include <gtest/gtest.h>

#include "engine/audiofile/cd/CCdTextPacks.h"
#include "tests/support/CdImageBuilder.h"

using Block = qm::test::CdTextPackBuilder::Block;

namespace
{
CCdTextPacks Assemble(const std::vector<Block>& blocks, int lastTrack)
{
    qm::test::CdTextPackBuilder builder;
    for (const auto& block : blocks)
        builder.AddBlock(block);
    const std::vector<uint8_t> bytes = builder.Build();
    CCdTextPacks packs;
    packs.Assign(bytes.data(), bytes.size(), lastTrack);
    return packs;
}

Block MakeBlock(int number, uint8_t code, uint8_t language, int lastTrack, std::vector<std::string> titles,
                std::vector<std::string> performers = {})
{
    Block block;
    block.number = number;
    block.characterCode = code;
    block.language = language;
    block.lastTrack = lastTrack;
    block.doubleByte = code == 0x80;
    block.texts[CCdTextPacks::kTitle] = std::move(titles);
    if (!performers.empty())
        block.texts[CCdTextPacks::kPerformer] = std::move(performers);
    return block;
}

// "日本" and "語" in MS-JIS.
const std::string kNihon = "\x93\xfa\x96\x7b";
const std::string kGo = "\x8c\xea";
} // namespace

TEST(CCdTextPacks, AssemblesStringsAcrossPacks)
{
    // "Disc 12" and its terminator fill text bytes 0-7; the title and its
    // terminator bytes 8-47, the last 4 bytes of pack 0 and all of packs 1-3.
    const std::string longTitle = "A title spread over exactly four packs!";
    ASSERT_EQ(longTitle.size() + 1, 40u);
    const CCdTextPacks packs = Assemble(
        {MakeBlock(0, 0x00, 0x09, 3, {"Disc 12", longTitle, "\t", "Tab\tinside \xe9"}, {"Band", "One", "Two", "\t"})},
        3);
    struct Case
    {
        uint8_t type;
        int track;
        std::u16string text;
    };
    const Case cases[] = {
        {CCdTextPacks::kTitle, 0, u"Disc 12"},
        {CCdTextPacks::kTitle, 1, u"A title spread over exactly four packs!"},
        {CCdTextPacks::kTitle, 2, u"A title spread over exactly four packs!"}, // lone TAB: as track 1
        {CCdTextPacks::kTitle, 3, u"Tab\tinside \u00e9"},
        {CCdTextPacks::kTitle, 4, u""}, // beyond the disc
        {CCdTextPacks::kTitle, -1, u""},
        {CCdTextPacks::kPerformer, 3, u"Two"},
        {0x82, 1, u""}, // no packs of that type
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << int(c.type) << " track " << c.track);
        EXPECT_EQ(packs.GetText(c.type, 0, c.track), c.text);
    }
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 8, 1), u"");
}

TEST(CCdTextPacks, EachBlockDecodesWithItsOwnCharacterCode)
{
    // Block 0 is Latin-1, block 1 MS-JIS in double-byte characters. The
    // Japanese title's terminator straddles two packs (12 bytes of text, then
    // the two zero bytes).
    const std::string twelve = kNihon + kGo + kNihon + kGo; // 12 bytes
    const CCdTextPacks packs = Assemble({MakeBlock(0, 0x00, 0x09, 2, {"Caf\xe9", "Song \xc0", "\t"}),
                                         MakeBlock(1, 0x80, 0x69, 2, {twelve, kNihon, "\t\t"})},
                                        2);
    EXPECT_EQ(packs.GetCharacterCode(0), 0x00);
    EXPECT_EQ(packs.GetCharacterCode(1), 0x80);
    EXPECT_EQ(packs.GetCharacterCode(2), CCdTextPacks::kNoCharacterCode);
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 0), u"Caf\u00e9");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 2), u"Song \u00c0");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 1, 0), u"日本語日本語");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 1, 1), u"日本");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 1, 2), u"日本");
    EXPECT_EQ(packs.GetLanguage(0), 0x09);
    EXPECT_EQ(packs.GetLanguage(1), 0x69);
    EXPECT_EQ(packs.GetLanguage(2), 0);
    EXPECT_EQ(packs.GetLanguage(8), 0);
}

TEST(CCdTextPacks, OtherCharacterCodesAreUtf8WhenValid)
{
    const CCdTextPacks packs = Assemble({MakeBlock(0, 0x02, 0x09, 2, {"Disc", "Caf\xc3\xa9", "Caf\xe9"})}, 2);
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 1), u"Caf\u00e9");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 2), u"Caf\u00e9"); // not UTF-8: byte for byte
}

TEST(CCdTextPacks, MissingOrDamagedSizeInformation)
{
    qm::test::CdTextPackBuilder builder;
    builder.AddBlock(MakeBlock(0, 0x00, 0x09, 1, {"Disc", "One"}));
    std::vector<uint8_t> bytes = builder.Build();
    // Without the third size-information pack the language codes are unknown,
    // the character code is still there.
    bytes.resize(bytes.size() - CCdTextPacks::kPackBytes);
    CCdTextPacks packs;
    packs.Assign(bytes.data(), bytes.size() + 7, 1); // a stray partial pack is dropped too
    EXPECT_EQ(packs.GetLanguage(0), 0);
    EXPECT_EQ(packs.GetCharacterCode(0), 0x00);
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 1), u"One");

    // A last pack without a terminator ends the string at the pack's end; the
    // packs' own track numbers do not matter.
    uint8_t raw[18] = {0x80, 0x05, 0x00, 0x00, 'N', 'o', 0, 'E', 'n', 'd', 'l', 'e', 's', 's', '!', '!'};
    packs.Assign(raw, sizeof raw, 1);
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 0), u"No");
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 1), u"Endless!!");
    EXPECT_EQ(packs.GetCharacterCode(0), CCdTextPacks::kNoCharacterCode);

    packs.Assign(nullptr, 100, 1);
    EXPECT_TRUE(packs.IsEmpty());
    EXPECT_EQ(packs.GetText(CCdTextPacks::kTitle, 0, 0), u"");
}
