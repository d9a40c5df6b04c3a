#include "app/core/TextFormatting.h"

#include "tests/app/TestResources.h"

#include <gtest/gtest.h>

using qm::test::TestResources;

TEST(TextFormatting, SampleRates)
{
    struct Case
    {
        double rate;
        bool withSpace;
        const char* expected;
    };
    const Case cases[] = {
        {96000.0, true, "96.0 kHz"}, {800.0, false, "800.0Hz"},    {44100.0, true, "44.1 kHz"},
        {48000.0, true, "48.0 kHz"}, {2822400.0, true, "2.8 MHz"}, {999.99, false, "999.9Hz"},
        {0.0, true, "0.0 Hz"},       {-44100.0, true, "0.0 Hz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatSampleRate(c.rate, c.withSpace), c.expected) << c.rate;
}

TEST(TextFormatting, Durations)
{
    struct Case
    {
        int hours, minutes;
        float seconds;
        TimeStyle style;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 59.9996f, TimeStyle::Compact, "1:00"},
        {1, 2, 3.5f, TimeStyle::Precise, "01:02:03.500"},
        {0, 75, 0.0f, TimeStyle::Compact, "1:15:00"},
        {1, 0, 0.129f, TimeStyle::Precise, "01:00:00.129"}, // every millisecond survives an hour's total
        {10, 0, 0.001f, TimeStyle::Precise, "10:00:00.001"},
        {0, 0, 3599.9996f, TimeStyle::Precise, "01:00:00.000"},
        {0, 0, 61.0f, TimeStyle::Compact, "1:01"},
        {0, 0, -1.0f, TimeStyle::Compact, "0:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatTimeParts(c.hours, c.minutes, c.seconds, c.style), c.expected)
            << c.hours << "h " << c.minutes << "m " << c.seconds << "s";

    struct SecondsCase
    {
        double seconds;
        TimeStyle style;
        const char* expected;
    };
    const SecondsCase secondsCases[] = {
        {3600.129, TimeStyle::Precise, "01:00:00.129"}, {3723.5, TimeStyle::Compact, "1:02:03"},
        {59.9996, TimeStyle::Compact, "1:00"},          {-5.0, TimeStyle::Precise, "00:00:00.000"},
        {std::nan(""), TimeStyle::Compact, "0:00"},     {359999.999, TimeStyle::Precise, "99:59:59.999"},
    };
    for (const auto& c : secondsCases)
        EXPECT_EQ(formatTime(c.seconds, c.style), c.expected) << c.seconds;

    // A stored setting that names no style shows the precise form.
    for (const int value : {-1, 0, 2, 7})
        EXPECT_EQ(timeStyleFromSetting(value), TimeStyle::Precise) << value;
    EXPECT_EQ(timeStyleFromSetting(1), TimeStyle::Compact);
}

TEST(TextFormatting, ByteSizes)
{
    TestResources resources({TestResources::StringTable({{"Unit_Byte", "Byte"}, {"Unit_Bytes", "Bytes"}})});
    struct Case
    {
        bool decimal;
        std::uint64_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        {true, 1500, "1.50 KB"},
        {false, 1023, "1023 Bytes"},
        {false, 1, "1 Byte"},
        {true, 0, "0 Bytes"},
        {true, 999, "999 Bytes"},
        {true, 1000, "1.00 KB"},
        {false, 1024, "1.00 KB"},
        {false, 1536 * 1024, "1.50 MB"},
        {true, 4700000000ull, "4.70 GB"},
        {true, UINT64_MAX, "18446744073.71 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatByteSize(c.decimal, c.bytes), c.expected) << c.bytes;
}

TEST(TextFormatting, KeyDescriptions)
{
    TestResources resources({TestResources::StringTable(
        {{"Menu_Key_Space", "Space"}, {"Symbol_Left", "Left"}, {"Symbol_Right", "Right"}})});
    struct Case
    {
        const char* description;
        const char* expected;
    };
    const Case cases[] = {
        {"ctrl + shift + 'A'", "Ctrl + Shift + A"},
        {"alt + spacebar", "Alt + Space"},
        {"shortcut: ctrl + cursor left", " Ctrl + Left"},
        {"cursor right, backspace", "Right"},
        {"delete", "Del"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeKeyPress(c.description), c.expected) << c.description;
}

TEST(TextFormatting, FilePatterns)
{
    EXPECT_EQ(getAudioFileWildcards(), "*.wav;*.aif;*.aiff;*.mp3;*.wma;*.m4a;*.wma;*.cda;*.qmpl");
    EXPECT_EQ(getExtensionsForFileType(false).joinIntoString(","), "jpg,jpeg,png");
    EXPECT_EQ(getWildcardForFileType(), "*.jpg;*.jpeg;*.png;*.aif;*.aiff;*.mp3;*.wma;*.m4a;");
}
