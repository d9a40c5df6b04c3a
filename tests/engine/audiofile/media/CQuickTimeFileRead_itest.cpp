#include <gtest/gtest.h>

#include <string>

#include "engine/audiofile/media/CQuickTimeFileRead.h"
#include "tests/engine/audiofile/MediaFixtures.h"

using qm::test::MediaFixtures;
using qm::test::metaField;

namespace
{
constexpr long kSource = static_cast<long>(MediaFixtures::kSourceFrames);

MediaFixtures& fx()
{
    return MediaFixtures::get();
}

struct QtCase
{
    const char* name;
    const char* options;
    int bits; // of the source
    const char* format;
    uint16_t bitsPerSample;
    bool lossless;
    bool variable;
    long lengthVsSource; // decoded length - source length
    long lengthTolerance;
    long lag; // decoded[i + lag] ~ source[i]
};

void PrintTo(const QtCase& c, std::ostream* os)
{
    *os << c.name;
}

// An MP4 edit list gives the length in milliseconds: AAC comes within one
// millisecond of the source; ALAC and MP3 (info tag) are exact. A raw AAC
// stream has no place for the encoder's priming (1024 frames) and padding, so
// both are decoded. AAC is encoded without noise substitution, whose random
// numbers would make two decodes of one stretch differ slightly.
const QtCase kCases[] = {
    {"song.m4a", "-c:a aac -b:a 128k -aac_pns 0", 16, "AAC", 32, false, false, 0, 45, 0},
    {"song16.m4a", "-c:a alac", 16, "ALAC", 16, true, true, 0, 0, 0},
    {"song24.m4a", "-c:a alac", 24, "ALAC", 24, true, true, 0, 0, 0},
    {"song.aac", "-c:a aac -b:a 128k -aac_pns 0 -f adts", 16, "AAC", 32, false, false, 99 * 1024 - kSource, 0, 1024},
    {"song.mp3", "-c:a libmp3lame -b:a 128k", 16, "MP3", 32, false, true, 0, 0, 0},
};

class QuickTimeRead : public ::testing::TestWithParam<QtCase>
{
};

TEST_P(QuickTimeRead, DescribesAndDecodesTheFile)
{
    const QtCase& c = GetParam();
    const std::string src = fx().source(44100, c.bits);
    fx().make(c.name, "-i " + fx().q(src) + " " + c.options);
    const auto source = fx().sourceSamples(44100, c.bits);

    CQuickTimeFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath(c.name).c_str()), ReaderOpenResult::Ok);
    EXPECT_STREQ(reader.GetFormatName(), c.format);
    EXPECT_EQ(reader.GetSampleRate(), 44100u);
    EXPECT_EQ(reader.GetChannelCount(), 2);
    EXPECT_EQ(reader.GetBitsPerSample(), c.bitsPerSample);
    EXPECT_EQ(reader.IsLossless(), c.lossless);
    EXPECT_EQ(reader.IsVariableBitRate(), c.variable);
    EXPECT_GT(reader.GetBitRate(), 64000u);
    EXPECT_NEAR(static_cast<double>(reader.GetLength()), static_cast<double>(kSource + c.lengthVsSource),
                static_cast<double>(c.lengthTolerance));

    const auto decoded = qm::test::readAllInt32(reader);
    ASSERT_EQ(decoded[0].size(), reader.GetLength());
    if (c.lossless)
    {
        EXPECT_EQ(decoded, source);
    }
    else
    {
        for (size_t ch = 0; ch < 2; ++ch)
        {
            const auto m = qm::test::findLag(source[ch], decoded[ch], 20000, 8000, 2500);
            EXPECT_EQ(m.lag, c.lag) << "channel " << ch;
            EXPECT_GT(m.correlation, 0.999) << "channel " << ch;
        }
    }

    reader.SetRange(kSource - 1000, kSource + 5000);
    EXPECT_EQ(reader.GetRangeStart(), static_cast<uint64_t>(kSource - 1000));
    EXPECT_EQ(reader.GetLength(), decoded[0].size() - static_cast<size_t>(kSource - 1000)) << "end clamped";
    reader.SetPosition(10);
    std::vector<int32_t> a(50), b(50);
    int32_t* ints[2] = {a.data(), b.data()};
    ASSERT_EQ(reader.ReadInt32(ints, 50, 0), 50u);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), decoded[0].begin() + kSource - 990));
    EXPECT_EQ(reader.GetPosition(), 60u);
}

INSTANTIATE_TEST_SUITE_P(Files, QuickTimeRead, ::testing::ValuesIn(kCases), qm::test::CaseFileName());

TEST(QuickTimeReadTags, Mp4TagsCoverAndDates)
{
    const std::string src = fx().source();
    const std::string cover = fx().cover("cover.png");
    fx().make("tagged.m4a", "-i " + fx().q(src) + " -i " + fx().q(cover) +
                                " -map 0 -map 1 -c:a aac -c:v copy -disposition:v attached_pic"
                                " -metadata title=Title3 -metadata artist=Artist3 -metadata album=Album3"
                                " -metadata genre=Blues -metadata date=2009");
    CQuickTimeFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("tagged.m4a").c_str()), ReaderOpenResult::Ok)
        << "a cover is not a second track";
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTitle), "Title3");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kArtist), "Artist3");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kAlbum), "Album3");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kGenre), "Blues");
    // A date of a year alone is kept, not replaced by the file's time.
    EXPECT_EQ(metaField(reader, CAudioMetaData::kDate), "2009");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTime), "");

    ASSERT_NO_FATAL_FAILURE(fx().expectPicture(reader, "tagged.m4a", cover));
    const auto coverBytes = fx().bytes(cover);
    std::vector<uint8_t> small(coverBytes.size() - 1, 0xEE);
    EXPECT_EQ(reader.ReadPictureData(small.data(), static_cast<uint32_t>(small.size())), 0);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint8_t v) { return v == 0; }));

    const struct
    {
        const char* stamp;
        const char* date;
        const char* time;
    } stamps[] = {
        {"2009-12-31T23:59:58Z", "2009-12-31", "23:59:58"},
        {"2010-06-07", "2010-06-07", ""},
    };
    int i = 0;
    for (const auto& s : stamps)
    {
        const std::string name = "stamp" + std::to_string(i++) + ".m4a";
        fx().make(name, "-i " + fx().q(src) + " -c:a aac -metadata date=" + s.stamp);
        ASSERT_EQ(reader.Open(fx().widePath(name).c_str()), ReaderOpenResult::Ok);
        EXPECT_EQ(metaField(reader, CAudioMetaData::kDate), s.date) << s.stamp;
        EXPECT_EQ(metaField(reader, CAudioMetaData::kTime), s.time) << s.stamp;
    }
}

// A cover of about 3 MB reads back byte for byte.
TEST(QuickTimeReadTags, ALargeCoverReadsBackWhole)
{
    const std::string src = fx().source();
    const std::string cover = fx().noiseCover("cover3m.jpg", 1700);
    fx().make("covered.m4a", "-i " + fx().q(src) + " -i " + fx().q(cover) +
                                 " -map 0 -map 1 -c:a aac -c:v copy -disposition:v attached_pic");
    CQuickTimeFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("covered.m4a").c_str()), ReaderOpenResult::Ok);
    ASSERT_NO_FATAL_FAILURE(fx().expectPicture(reader, "covered.m4a", cover));
}

TEST(QuickTimeReadOpen, RefusesWhatItCannotPlay)
{
    const std::string src = fx().source();
    fx().make("rate22k.m4a", "-i " + fx().q(src) + " -ar 22050 -c:a aac");
    fx().make("six.m4a", "-f lavfi -i sine=f=440:d=1 -ac 6 -c:a aac");
    fx().make("movie.mp4", "-f lavfi -i color=c=blue:s=32x32:d=1 -i " + fx().q(src) + " -c:v mpeg4 -c:a aac -shortest");
    fx().make("song.wma", "-i " + fx().q(src) + " -c:a wmav2 -b:a 128k");
    fx().make("ac3.m4a", "-i " + fx().q(src) + " -c:a ac3 -f mp4");
    const struct
    {
        const char* name;
        int result;
    } rows[] = {
        {"rate22k.m4a", 3}, {"six.m4a", 3}, {"movie.mp4", 3}, {"ac3.m4a", 3}, {"song.wma", 2}, {"missing.m4a", 2},
    };
    for (const auto& row : rows)
    {
        CQuickTimeFileRead reader;
        EXPECT_EQ(static_cast<int>(reader.Open(fx().widePath(row.name).c_str())), row.result) << row.name;
        EXPECT_STREQ(reader.GetFormatName(), "") << row.name;
        EXPECT_EQ(reader.GetSampleRate(), 44100u);
        EXPECT_EQ(reader.GetChannelCount(), 2);
    }
}

} // namespace
