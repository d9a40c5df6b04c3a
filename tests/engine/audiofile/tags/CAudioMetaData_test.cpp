#include <gtest/gtest.h>

#include <string>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMultiString.h"

namespace
{
std::u16string Wide(const CMultiString& s)
{
    return s.GetWide();
}
std::string Narrow(const CMultiString& s)
{
    return s.GetNarrow();
}
} // namespace

TEST(CMultiString, StoresAreCutToTheCapacityAndLoseTrailingSpaces)
{
    struct Case
    {
        std::u16string wide;
        int length;
        std::u16string expected;
    };
    const std::u16string u130(130, u'x');
    const Case wideCases[] = {
        {u130, -1, std::u16string(128, u'x')},
        {u130, 129, std::u16string(128, u'x')},
        {u"Title   ", -1, u"Title"},
        {u"   ", -1, u""},
        {u" a b ", -1, u" a b"},
        {u"abcdef", 3, u"abc"},
        {u"tab\t", -1, u"tab\t"},
        // A cut at the capacity never leaves the first half of a surrogate pair.
        {std::u16string(127, u'x') + u"\U0001F600", -1, std::u16string(127, u'x')},
        {std::u16string(126, u'x') + u"\U0001F600", -1, std::u16string(126, u'x') + u"\U0001F600"},
    };
    for (const Case& c : wideCases)
    {
        CMultiString field(128);
        field.SetWide(c.length, c.wide.c_str());
        EXPECT_EQ(Wide(field), c.expected) << c.wide.size();
    }

    struct NarrowCase
    {
        std::string narrow;
        int length;
        std::string expected;
    };
    const NarrowCase narrowCases[] = {
        {std::string(130, 'y'), -1, std::string(128, 'y')},
        {"Artist   ", -1, "Artist"},
        {"    ", -1, ""},
        {"abcdef", 4, "abcd"},
        // A cut never splits a UTF-8 sequence (here a two-byte e-acute).
        {std::string(127, 'y') + "\xC3\xA9", -1, std::string(127, 'y')},
        {"ab\xC3\xA9", 3, "ab"},
        {"ab\xE2\x82\xAC", -1, "ab\xE2\x82\xAC"},
    };
    for (const NarrowCase& c : narrowCases)
    {
        CMultiString field(128);
        field.SetNarrow(c.length, c.narrow.c_str());
        EXPECT_EQ(Narrow(field), c.expected) << c.narrow.size();
    }
}

TEST(CMultiString, ConvertsTheStaleWidthOnDemand)
{
    CMultiString field(128);
    field.SetNarrow(-1, "Caf\xC3\xA9 \xE6\x97\xA5");
    const char16_t* wide = field.GetWide();
    EXPECT_EQ(std::u16string(wide), u"Café 日");
    EXPECT_EQ(field.GetWide(), wide);
    EXPECT_EQ(Narrow(field), "Caf\xC3\xA9 \xE6\x97\xA5");

    field.SetWide(-1, u"Ünïcode");
    EXPECT_EQ(Narrow(field), "\xC3\x9Cn\xC3\xAF"
                             "code");
    EXPECT_EQ(Wide(field), u"Ünïcode");
}

TEST(CMultiString, FailedConversionLeavesDefinedTextAndKeepsTheFieldNonEmpty)
{
    // An unpaired surrogate cannot be written as UTF-8: the conversion keeps
    // what came before it.
    CMultiString lone(128);
    const char16_t broken[] = {u'a', u'b', 0xDC00, u'c', 0};
    lone.SetWide(-1, broken);
    EXPECT_EQ(Narrow(lone), "ab");
    EXPECT_FALSE(lone.IsEmpty());

    CMultiString onlySurrogate(128);
    const char16_t surrogate[] = {0xDC00, 0};
    onlySurrogate.SetWide(-1, surrogate);
    EXPECT_EQ(Narrow(onlySurrogate), "");
    EXPECT_FALSE(onlySurrogate.IsEmpty()) << "the wide text still holds a value";

    CMultiString badBytes(128);
    badBytes.SetNarrow(-1, "ok\xFF\xFE");
    EXPECT_EQ(Wide(badBytes), u"ok");
    CMultiString onlyBadBytes(128);
    onlyBadBytes.SetNarrow(-1, "\xFF");
    EXPECT_EQ(Wide(onlyBadBytes), u"");
    EXPECT_FALSE(onlyBadBytes.IsEmpty());
}

TEST(CMultiString, EmptinessIsJudgedOnTheNewerText)
{
    // A wide store leaves the narrow buffer stale; the field is not empty.
    CMultiString field(128);
    EXPECT_TRUE(field.IsEmpty());
    field.SetWide(-1, u"Album");
    EXPECT_FALSE(field.IsEmpty());
    field.SetNarrow(0, "");
    EXPECT_TRUE(field.IsEmpty());
    field.SetNarrow(-1, "x");
    EXPECT_FALSE(field.IsEmpty());
    field.SetWide(-1, u"   ");
    EXPECT_TRUE(field.IsEmpty());
    field.SetWide(-1, nullptr);
    EXPECT_TRUE(field.IsEmpty());
}

TEST(CMultiString, StoringAFieldIntoItselfKeepsItsText)
{
    CMultiString field(128);
    field.SetWide(-1, u"Wide text");
    field.SetWide(-1, field.GetWide());
    EXPECT_EQ(Wide(field), u"Wide text");
    field.SetNarrow(-1, "Narrow text");
    field.SetNarrow(6, field.GetNarrow());
    EXPECT_EQ(Narrow(field), "Narrow");
    EXPECT_EQ(Wide(field), u"Narrow");
}

TEST(CMultiString, EncoderTextNamesThisProgram)
{
    CMultiString field(128);
    field.SetEncoderText();
    EXPECT_EQ(Narrow(field), "Quillmark ver.1.0.0 (Linux)");
    EXPECT_EQ(Wide(field), u"Quillmark ver.1.0.0 (Linux)");
    CMultiString small(9);
    small.SetEncoderText();
    EXPECT_EQ(Narrow(small), "Quillmark");
}

TEST(CAudioMetaData, CopyFromCopiesEveryFieldAsWideTextAndThePicture)
{
    CAudioMetaData source;
    for (int i = 0; i < CAudioMetaData::kFieldCount; ++i)
        source.GetField(i)->SetNarrow(-1, ("f\xC3\xA9" + std::to_string(i)).c_str());
    source.GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Wide title  ");
    ASSERT_TRUE(source.SetPicturePath(u"/pictures/cover.jpg"));

    CAudioMetaData copy;
    copy.GetField(CAudioMetaData::kGenre)->SetNarrow(-1, "old");
    copy.CopyFrom(source);
    for (int i = 0; i < CAudioMetaData::kFieldCount; ++i)
    {
        const std::u16string expected =
            i == CAudioMetaData::kTitle ? u"Wide title" : u"fé" + std::u16string(1, char16_t(u'0' + i));
        EXPECT_EQ(Wide(*copy.GetField(i)), expected) << i;
        EXPECT_EQ(Wide(*source.GetField(i)), expected) << i;
    }
    EXPECT_EQ(std::u16string(copy.GetPicturePath()), u"/pictures/cover.jpg");

    copy.CopyFrom(copy);
    EXPECT_EQ(Wide(*copy.GetField(0)), u"fé0");
    EXPECT_EQ(copy.GetField(CAudioMetaData::kFieldCount), nullptr);
    EXPECT_EQ(copy.GetField(-1), nullptr);
}

TEST(CAudioMetaData, ClearEmptiesEveryFieldAndThePicture)
{
    CAudioMetaData meta;
    for (int i = 0; i < CAudioMetaData::kFieldCount; ++i)
        meta.GetField(i)->SetWide(-1, u"text");
    ASSERT_TRUE(meta.SetPicturePath(u"/p.png"));
    meta.Clear();
    for (int i = 0; i < CAudioMetaData::kFieldCount; ++i)
    {
        EXPECT_EQ(Wide(*meta.GetField(i)), u"") << i;
        EXPECT_EQ(Narrow(*meta.GetField(i)), "") << i;
        EXPECT_EQ(meta.GetField(i)->GetCapacity(), 128u);
    }
    EXPECT_EQ(std::u16string(meta.GetPicturePath()), u"");
}

TEST(CAudioMetaData, GetYearReadsTheStartOfTheDate)
{
    const std::pair<const char*, int> cases[] = {
        {"1999-12-31", 1999}, {"99", -1},   {"0000-01-01", -1}, {"", -1},           {"2024", 2024},   {" 12-05-01", 12},
        {"+7xx", 7},          {"-005", -1}, {"abcd", -1},       {"20x5-01-01", 20}, {"123456", 1234},
    };
    for (auto [date, year] : cases)
    {
        CAudioMetaData meta;
        meta.GetField(CAudioMetaData::kDate)->SetNarrow(-1, date);
        EXPECT_EQ(meta.GetYear(), year) << date;
    }
    CAudioMetaData wide;
    wide.GetField(CAudioMetaData::kDate)->SetWide(-1, u"2001-02-03");
    EXPECT_EQ(wide.GetYear(), 2001);
}

TEST(CAudioMetaData, PicturePathThatDoesNotFitIsRefused)
{
    CAudioMetaData meta;
    const std::u16string fits(1023, u'p');
    EXPECT_TRUE(meta.SetPicturePath(fits.c_str()));
    EXPECT_EQ(std::u16string(meta.GetPicturePath()), fits);

    const std::u16string tooLong(1024, u'q');
    EXPECT_FALSE(meta.SetPicturePath(tooLong.c_str()));
    EXPECT_EQ(std::u16string(meta.GetPicturePath()), u"");

    EXPECT_TRUE(meta.SetPicturePath(tooLong.c_str(), 5));
    EXPECT_EQ(std::u16string(meta.GetPicturePath()), u"qqqqq");
    EXPECT_TRUE(meta.SetPicturePath(nullptr));
    EXPECT_EQ(std::u16string(meta.GetPicturePath()), u"");
}
