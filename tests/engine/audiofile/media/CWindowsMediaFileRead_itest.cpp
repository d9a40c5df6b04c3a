#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <unistd.h>

#include "engine/audiofile/media/CAsfAttributeWriter.h"
#include "engine/audiofile/media/CWindowsMediaFileRead.h"
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

struct WmCase
{
    const char* name;
    const char* options; // after the source input
    int rate;
    int channels;
    const char* format;
    long lengthVsSource; // measured on this system, see below
    long lag;            // decoded[i + lag] ~ source[i]
    bool variable;
    uint32_t bitRate;
};

void PrintTo(const WmCase& c, std::ostream* os)
{
    *os << c.name;
}

// MP3 with the encoder's info tag decodes to the source's exact length. The
// WMA encoder keeps no first frame (the decoding starts 2048 frames into the
// source) and pads the last frame to its full length.
const WmCase kCases[] = {
    {"cbr.mp3", "-c:a libmp3lame -b:a 128k", 44100, 2, "MP3", 0, 0, false, 128000},
    {"vbr.mp3", "-c:a libmp3lame -q:a 4", 44100, 2, "MP3", 0, 0, true, 0},
    // Without the info tag neither the delay (576 + 529) nor the padding is
    // known; no bit-rate header means a constant bit rate.
    {"noinfo.mp3", "-c:a libmp3lame -b:a 128k -write_xing 0", 44100, 2, "MP3", 88 * 1152 - kSource, 1105, false,
     128000},
    {"mono48.mp3", "-c:a libmp3lame -b:a 96k", 48000, 1, "MP3", 0, 0, false, 96000},
    {"song.wma", "-c:a wmav2 -b:a 128k", 44100, 2, "WMA", -2048 + 355, -2048, false, 128000},
    {"song48.wma", "-c:a wmav2 -b:a 96k", 48000, 2, "WMA", 0, -2048, false, 96000},
};

class WindowsMediaRead : public ::testing::TestWithParam<WmCase>
{
};

TEST_P(WindowsMediaRead, DescribesAndDecodesTheFile)
{
    const WmCase& c = GetParam();
    const std::string src = fx().source(c.rate, 16, c.channels);
    fx().make(c.name, "-i " + fx().q(src) + " " + c.options);
    const auto source = fx().sourceSamples(c.rate, 16, c.channels);

    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath(c.name).c_str()), ReaderOpenResult::Ok);
    EXPECT_STREQ(reader.GetFormatName(), c.format);
    EXPECT_EQ(reader.GetSampleRate(), static_cast<uint32_t>(c.rate));
    EXPECT_EQ(reader.GetChannelCount(), c.channels);
    EXPECT_EQ(reader.GetBitsPerSample(), 16);
    EXPECT_FALSE(reader.IsLossless());
    EXPECT_EQ(reader.IsVariableBitRate(), c.variable);
    if (c.bitRate != 0)
    {
        EXPECT_EQ(reader.GetBitRate(), c.bitRate);
    }
    if (c.rate == 48000 && std::string(c.format) == "WMA")
        EXPECT_NEAR(static_cast<double>(reader.GetLength()), static_cast<double>(kSource - 2048), 2048.0);
    else
        EXPECT_EQ(static_cast<long>(reader.GetLength()), kSource + c.lengthVsSource);

    const auto decoded = qm::test::readAllInt32(reader);
    ASSERT_EQ(decoded[0].size(), reader.GetLength());
    EXPECT_FALSE(reader.HasReadFailed());
    for (size_t ch = 0; ch < source.size(); ++ch)
    {
        const auto m = qm::test::findLag(source[ch], decoded[ch], 20000, 8000, 2500);
        EXPECT_EQ(m.lag, c.lag) << "channel " << ch;
        EXPECT_GT(m.correlation, 0.999) << "channel " << ch;
    }

    // A range, a position in it and a read give the same samples as the
    // straight decode; float reads are the integers scaled by 2^-31.
    reader.SetRange(30000, 70000);
    EXPECT_EQ(reader.GetLength(), 40000u);
    EXPECT_EQ(reader.GetPosition(), 0u);
    EXPECT_EQ(reader.SetPosition(12345), 12345u);
    EXPECT_EQ(reader.GetAbsolutePosition(), 42345u);
    std::vector<int32_t> a(1000), b(1000);
    int32_t* ints[2] = {a.data(), b.data()};
    ASSERT_EQ(reader.ReadInt32(ints, 1000, 0), 1000u);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), decoded[0].begin() + 42345));
    std::vector<float> fa(1000), fb(1000);
    float* floats[2] = {fa.data(), fb.data()};
    ASSERT_EQ(reader.ReadFloat(floats, 1000, 0), 1000u);
    for (int i = 0; i < 1000; i += 97)
        EXPECT_FLOAT_EQ(fa[static_cast<size_t>(i)],
                        static_cast<float>(decoded[0][static_cast<size_t>(43345 + i)] / 2147483648.0));

    // Reading across the range end delivers what is left and silence after it.
    reader.SetPosition(39990);
    std::fill(a.begin(), a.end(), 1);
    EXPECT_EQ(reader.ReadInt32(ints, 100, 0), 10u);
    EXPECT_TRUE(std::all_of(a.begin() + 10, a.begin() + 100, [](int32_t v) { return v == 0; }));
    EXPECT_EQ(reader.ReadInt32(ints, 100, 0), 0u);
    EXPECT_EQ(reader.GetRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, WindowsMediaRead, ::testing::ValuesIn(kCases), qm::test::CaseFileName());

TEST(WindowsMediaReadTags, Mp3TextsAndPictureComeFromTheId3Tag)
{
    const std::string src = fx().source();
    const std::string cover = fx().cover("cover.jpg");
    fx().make("tagged.mp3", "-i " + fx().q(src) + " -i " + fx().q(cover) +
                                " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic"
                                " -id3v2_version 3 -metadata title=Title1 -metadata artist=Artist1"
                                " -metadata album=Album1 -metadata album_artist=Band1 -metadata genre=Jazz"
                                " -metadata date=2009");
    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("tagged.mp3").c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTitle), "Title1");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kArtist), "Artist1");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kAlbum), "Album1");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kAlbumArtist), "Band1");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kGenre), "Jazz");
    EXPECT_EQ(reader.GetMetaData()->GetYear(), 2009);
    EXPECT_EQ(reader.GetLength(), MediaFixtures::kSourceFrames) << "the tag does not shift the audio";

    fx().expectPicture(reader, "tagged.mp3", cover);
}

TEST(WindowsMediaReadTags, WmaAttributesAndTheFileTimeForAMissingYear)
{
    const std::string src = fx().source();
    fx().make("tagged.wma", "-i " + fx().q(src) +
                                " -c:a wmav2 -metadata title=Title2 -metadata artist=Artist2 -metadata album=Album2"
                                " -metadata album_artist=Band2 -metadata genre=Rock -metadata date=2007");
    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("tagged.wma").c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTitle), "Title2");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kArtist), "Artist2");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kAlbum), "Album2");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kAlbumArtist), "Band2");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kGenre), "Rock");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kDate), "2007");
    EXPECT_EQ(reader.GetPictureDataSize(), 0u);
    EXPECT_EQ(reader.GetMetaData()->GetPicturePath()[0], 0);

    // Without a year the date and time are the file's last-write time.
    fx().make("plain.wma", "-i " + fx().q(src) + " -c:a wmav2");
    fx().run("touch -m -d '2011-02-03 04:05:06' " + fx().q("plain.wma"));
    ASSERT_EQ(reader.Open(fx().widePath("plain.wma").c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(metaField(reader, CAudioMetaData::kDate), "2011-02-03");
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTime), "04:05:06");
}

// Large covers read back byte for byte: one of about 300 KB that our writer
// stores in a WMA file (beyond the 64 KB the Extended Content Description
// object holds) and one of about 3 MB in an ID3v2.4 tag.
TEST(WindowsMediaReadTags, LargeCoversReadBackWhole)
{
    const std::string src = fx().source();
    const std::string wmaCover = fx().noiseCover("cover300k.jpg", 640);
    fx().make("covered.wma", "-i " + fx().q(src) + " -c:a wmav2");
    const auto coverBytes = fx().bytes(wmaCover);
    ASSERT_GT(coverBytes.size(), 200000u);
    CAsfAttributeWriter writer;
    writer.AddText(u"Title", u"Covered");
    writer.AddPicture(u"image/jpeg", coverBytes.data(), static_cast<uint32_t>(coverBytes.size()));
    ASSERT_TRUE(writer.WriteTo(fx().widePath("covered.wma").c_str()));
    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("covered.wma").c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(metaField(reader, CAudioMetaData::kTitle), "Covered");
    ASSERT_NO_FATAL_FAILURE(fx().expectPicture(reader, "covered.wma", wmaCover));

    const std::string bigCover = fx().noiseCover("cover3m.jpg", 1700);
    ASSERT_GT(fx().bytes(bigCover).size(), 3000000u);
    fx().make("covered.mp3", "-i " + fx().q(src) + " -i " + fx().q(bigCover) +
                                 " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic"
                                 " -id3v2_version 4");
    ASSERT_EQ(reader.Open(fx().widePath("covered.mp3").c_str()), ReaderOpenResult::Ok);
    ASSERT_NO_FATAL_FAILURE(fx().expectPicture(reader, "covered.mp3", bigCover));
}

TEST(WindowsMediaReadOpen, RefusesWhatItCannotPlay)
{
    const std::string src = fx().source();
    fx().make("rate32k.wma", "-i " + fx().q(src) + " -ar 32000 -c:a wmav2");
    fx().make("six.wma", "-f lavfi -i sine=f=440:d=1 -ac 6 -c:a ac3 -f asf");
    fx().make("rate32k.mp3", "-i " + fx().q(src) + " -ar 32000 -c:a libmp3lame");
    fx().make("wm-refused.m4a", "-i " + fx().q(src) + " -c:a aac");
    {
        std::ofstream(fx().path("notes.wma")) << "plain text, not media\n";
    }
    const struct
    {
        const char* name;
        int result;
    } rows[] = {
        {"rate32k.wma", 4},    {"six.wma", 4},   {"rate32k.mp3", 4},
        {"wm-refused.m4a", 2}, {"notes.wma", 2}, {"missing.wma", 2},
    };
    for (const auto& row : rows)
    {
        CWindowsMediaFileRead reader;
        EXPECT_EQ(static_cast<int>(reader.Open(fx().widePath(row.name).c_str())), row.result) << row.name;
        EXPECT_STREQ(reader.GetFormatName(), "") << row.name;
        EXPECT_EQ(reader.GetSampleRate(), 44100u);
        EXPECT_EQ(reader.GetChannelCount(), 2);
        EXPECT_EQ(reader.GetLength(), 0u);
    }
}

// A video file: its audio is read, the video stream is left aside.
TEST(WindowsMediaReadOpen, ReadsTheAudioOfAVideo)
{
    const std::string src = fx().source();
    fx().make("movie.wmv",
              "-f lavfi -i color=c=blue:s=32x32:d=3 -i " + fx().q(src) + " -c:v wmv2 -c:a wmav2 -b:a 128k -shortest");
    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(fx().widePath("movie.wmv").c_str()), ReaderOpenResult::Ok);
    EXPECT_STREQ(reader.GetFormatName(), "WMA");
    EXPECT_EQ(reader.GetChannelCount(), 2);
    const auto decoded = qm::test::readAllInt32(reader);
    EXPECT_EQ(decoded[0].size(), reader.GetLength());
    EXPECT_GT(reader.GetLength(), 90000u);
}

// A file that turns out shorter than measured when it was opened (here cut
// while open) ends where its samples end: the read zero-fills the rest, the
// length shrinks to what was delivered, and that is no read failure.
TEST(WindowsMediaReadOpen, AStreamThatEndsEarlyShrinksTheLength)
{
    const std::string src = fx().source();
    fx().make("cut.mp3", "-i " + fx().q(src) + " -c:a libmp3lame -b:a 320k");
    const auto copy = fx().path("cut-now.mp3");
    std::filesystem::copy_file(fx().path("cut.mp3"), copy, std::filesystem::copy_options::overwrite_existing);

    CWindowsMediaFileRead reader;
    ASSERT_EQ(reader.Open(copy.u16string().c_str()), ReaderOpenResult::Ok);
    const uint64_t measured = reader.GetLength();
    ASSERT_EQ(::truncate(copy.c_str(), static_cast<off_t>(std::filesystem::file_size(copy) / 4 * 3)), 0);

    std::vector<int32_t> l(MediaFixtures::kSourceFrames + 5000, 3), r(MediaFixtures::kSourceFrames + 5000, 3);
    int32_t* ch[2] = {l.data(), r.data()};
    uint64_t total = 0;
    uint32_t n;
    while ((n = reader.ReadInt32(ch, 4096, static_cast<uint32_t>(total))) == 4096)
        total += n;
    total += n;
    EXPECT_LT(total, measured);
    EXPECT_EQ(reader.GetLength(), total);
    EXPECT_FALSE(reader.HasReadFailed());
    EXPECT_TRUE(std::all_of(l.begin() + static_cast<long>(total), l.begin() + static_cast<long>(total) + 100,
                            [](int32_t v) { return v == 0; }));
}

} // namespace
