#include <gtest/gtest.h>

#include <memory>

#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "engine/audiofile/io/CAudioFileWriteBase.h"
#include "tests/support/TempFolder.h"

namespace
{
using List = std::vector<uint32_t>;
}

TEST(AudioFileWriterFactory, CreatesOpenWavWriters)
{
    qm::test::TempFolder folder;
    for (const char* name : {"WAV", "wave", "Wav"})
    {
        const auto path = folder.file(std::string(name) + ".wav");
        std::unique_ptr<CAudioFileWriteBase> writer(
            CreateAudioFileWriter(path.u16string().c_str(), name, 48000, 24, 2, 0));
        ASSERT_NE(writer, nullptr) << name;
        EXPECT_STREQ(writer->GetFormatName(), "WAV");
        EXPECT_TRUE(writer->IsOpen());
        EXPECT_EQ(writer->GetSampleRate(), 48000u);
        EXPECT_EQ(writer->GetBitsPerSample(), 24);
    }
}

TEST(AudioFileWriterFactory, NullWithoutAWriter)
{
    qm::test::TempFolder folder;
    const auto path = folder.file("x").u16string();
    EXPECT_EQ(CreateAudioFileWriter(path.c_str(), "flac", 44100, 16, 2, 0), nullptr);
    EXPECT_EQ(CreateAudioFileWriter(path.c_str(), "", 44100, 16, 2, 0), nullptr);
    EXPECT_EQ(CreateAudioFileWriter(path.c_str(), nullptr, 44100, 16, 2, 0), nullptr);
    EXPECT_EQ(CreateAudioFileWriter(u"/nonexistent/folder/x.wav", "wav", 44100, 16, 2, 0), nullptr);
    EXPECT_EQ(CreateAudioFileWriter(path.c_str(), "wav", 44100, 16, 3, 0), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(AudioFileWriterFactory, Capabilities)
{
    List list;
    struct RateCase
    {
        const char* name;
        uint16_t channels;
        List rates;
    } rateCases[] = {{"WAV", 2, {44100, 48000, 88200, 96000, 176400, 192000}},
                     {"aif", 1, {44100, 48000, 88200, 96000, 176400, 192000}},
                     {"wma", 1, {44100}},
                     {"wma", 2, {44100, 48000}},
                     {"mp3", 1, {44100, 48000}},
                     {"flac", 2, {}}};
    for (const RateCase& c : rateCases)
    {
        list = {1};
        GetSupportedSampleRates(c.name, c.channels, list);
        EXPECT_EQ(list, c.rates) << c.name << " " << c.channels;
    }

    struct BitsCase
    {
        const char* name;
        List bits;
        List channels;
    } bitsCases[] = {{"wave", {16, 24, 32}, {1, 2}},
                     {"AIFF", {16, 24}, {1, 2}},
                     {"wma", {16}, {1, 2}},
                     {"mp3", {24}, {1, 2}},
                     {"dsf", {}, {}}};
    for (const BitsCase& c : bitsCases)
    {
        GetSupportedBitDepths(c.name, list);
        EXPECT_EQ(list, c.bits) << c.name;
        GetSupportedChannelCounts(c.name, list);
        EXPECT_EQ(list, c.channels) << c.name;
    }

    struct BitRateCase
    {
        const char* name;
        uint16_t channels;
        uint32_t rate;
        List bitRates;
    } bitRateCases[] = {
        {"wav", 2, 44100, {}},
        {"mp3", 1, 44100, {48000, 56000, 64000, 80000, 96000, 112000, 128000}},
        {"mp3", 1, 48000, {64000, 80000, 96000, 112000, 128000}},
        {"MP3", 2, 44100, {96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000}},
        {"mp3", 2, 48000, {112000, 128000, 160000, 192000, 224000, 256000, 320000}},
        {"mp3", 2, 88200, {}},
        {"wma", 1, 44100, {32024, 48024}},
        {"wma", 1, 48000, {}},
        {"wma", 2, 44100, {31984, 48024, 64024, 80024, 96024, 128016, 160016, 192016, 256016, 320008}},
        {"wma", 2, 48000, {64008, 96000, 128016, 160008, 192000}},
    };
    for (const BitRateCase& c : bitRateCases)
    {
        list = {1};
        GetSupportedBitRates(c.name, c.channels, c.rate, list);
        EXPECT_EQ(list, c.bitRates) << c.name << " " << c.channels << " " << c.rate;
    }
}

TEST(AudioFileWriterFactory, PicturesAndExtensions)
{
    struct Case
    {
        const char* name;
        bool picture;
        std::u16string extension;
    } cases[] = {{"wav", false, u".wav"},   {"WAVE", false, u".wav"}, {"bwf", false, u".wav"},
                 {"aiff", true, u".aif"},   {"aif", true, u".aif"},   {"dsdiff", false, u".dff"},
                 {"dff", false, u".dff"},   {"dsf", false, u".dsf"},  {"wsd", false, u".wsd"},
                 {"flac", false, u".flac"}, {"wma", true, u".wma"},   {"wma-l", false, u".wma"},
                 {"WMA-P", false, u".wma"}, {"mp3", true, u".mp3"},   {"aac", false, u".m4a"},
                 {"alac", false, u".m4a"},  {"ogg", false, u""},      {"", false, u""}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(ExportFormatSupportsPicture(c.name), c.picture) << c.name;
        EXPECT_EQ(GetExportFileExtension(c.name), c.extension) << c.name;
    }
}
