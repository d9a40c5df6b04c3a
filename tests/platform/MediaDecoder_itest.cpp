#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/media/MediaDecoder.h"
#include "platform/media/WmaEncoder.h"
#include "tests/support/AudioCompare.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WmaFileOutput.h"

using qm::platform::MediaChooseResult;
using qm::platform::MediaDecoder;
using qm::platform::MediaOpenResult;

namespace
{
constexpr uint64_t kSourceFrames = 99997; // not a multiple of any codec's frame length

// Sources made once: a sweep over a tone (16-bit and 24-bit) and a longer one
// that takes the length measurement's tail path; reference samples as raw
// left-aligned 32-bit integers.
class MediaFiles
{
public:
    MediaFiles()
    {
        const std::string synth = " synth 99997s sine 300-3000 sine 2500-200 gain -3";
        sh("sox -D -r 44100 -n -r 44100 -c 2 -b 16 " + q("src16.wav") + synth);
        sh("sox -D -r 44100 -n -r 44100 -c 2 -b 24 " + q("src24.wav") + synth);
        sh("sox " + q("src16.wav") + " -t s32 " + q("src16.s32"));
        sh("sox " + q("src24.wav") + " -t s32 " + q("src24.s32"));
        sh("sox -D -r 44100 -n -r 44100 -c 2 -b 16 " + q("long.wav") +
           " synth 1234567s sine 200-5000 sine 3000-100 gain -3");
        sh("ffmpeg -v error -y -f lavfi -i color=c=red:s=32x32 -frames:v 1 " + q("cover.jpg"));
    }

    std::string path(const std::string& name) const { return folder.file(name).string(); }
    std::string q(const std::string& name) const { return qm::test::shellQuote(path(name)); }
    void sh(const std::string& cmd) const { ASSERT_EQ(qm::test::runCommand(cmd), 0) << cmd; }

    // Encodes `source` with the ffmpeg options into `name` (once).
    std::string encode(const std::string& name, const std::string& source, const std::string& options)
    {
        if (!std::filesystem::exists(folder.file(name)))
            sh("ffmpeg -v error -y -i " + q(source) + " " + options + " " + q(name));
        return path(name);
    }

    qm::test::TempFolder folder;
};

MediaFiles& files()
{
    static MediaFiles instance;
    return instance;
}

// Decodes the whole chosen stream from the current position, in blocks.
std::vector<std::vector<int32_t>> decodeAll(MediaDecoder& d, uint32_t block = 3000)
{
    return qm::test::readAllBlocks(d.chosenStream().channels, block,
                                   [&](int32_t** channels, uint32_t frames) { return d.read(channels, frames, 0); });
}

struct FormatCase
{
    const char* name;
    const char* source;  // "src16" or "src24"
    const char* options; // ffmpeg output options
    const char* container;
    const char* codec;
    bool lossless;
    long lag;            // decoded[i + lag] matches source[i]
    long lengthVsSource; // decoded length - source length
    long lengthTolerance;
    double seekSnrDb; // a seek and a straight decode agree at least this well
};

// Measured behaviour of the encoders on this system:
// - MP3 with the encoder's info tag: delay and padding removed, exact length.
// - AAC in MP4: priming removed; the edit list gives the length in
//   milliseconds, so it is within one millisecond of the source. Encoded
//   without noise substitution, whose random numbers would make every
//   decode differ slightly (about 90 dB down), so seeks can be compared exactly.
// - WMA: the encoder keeps no first frame, so the decoding starts one frame
//   (2048) into the source; the last frame is padded up to the frame length.
const FormatCase kFormats[] = {
    {"cbr.mp3", "src16", "-c:a libmp3lame -b:a 128k", "mp3", "mp3", false, 0, 0, 0, 300},
    {"vbr.mp3", "src16", "-c:a libmp3lame -q:a 4", "mp3", "mp3", false, 0, 0, 0, 300},
    {"aac.m4a", "src16", "-c:a aac -b:a 128k -aac_pns 0", "mov,mp4,m4a,3gp,3g2,mj2", "aac", false, 0, 0, 45, 300},
    {"alac16.m4a", "src16", "-c:a alac", "mov,mp4,m4a,3gp,3g2,mj2", "alac", true, 0, 0, 0, 300},
    {"alac24.m4a", "src24", "-c:a alac", "mov,mp4,m4a,3gp,3g2,mj2", "alac", true, 0, 0, 0, 300},
    {"wma.wma", "src16", "-c:a wmav2 -b:a 128k", "asf", "wmav2", false, -2048, -2048 + 355, 0, 300},
};

void PrintTo(const FormatCase& fc, std::ostream* os)
{
    *os << fc.name;
}

class MediaDecoderFormat : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(MediaDecoderFormat, DescribesDecodesAndSeeksExactly)
{
    const FormatCase& fc = GetParam();
    const std::string file = files().encode(fc.name, std::string(fc.source) + ".wav", fc.options);
    const auto source = qm::test::readRawS32(files().folder.file(std::string(fc.source) + ".s32"), 2);
    ASSERT_EQ(source[0].size(), kSourceFrames);

    MediaDecoder d;
    ASSERT_EQ(d.open(file), MediaOpenResult::Ok);
    EXPECT_EQ(d.containerName(), fc.container);
    ASSERT_EQ(d.audioStreams().size(), 1u);
    EXPECT_EQ(d.otherStreamCount(), 0);
    const auto& info = d.audioStreams()[0];
    EXPECT_EQ(info.codecName, fc.codec);
    EXPECT_EQ(info.codecLossless, fc.lossless);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.channels, 2);
    ASSERT_EQ(d.chooseAudioStream(0), MediaChooseResult::Ok);

    const long length = static_cast<long>(d.length());
    EXPECT_NEAR(length - static_cast<long>(kSourceFrames), fc.lengthVsSource, fc.lengthTolerance);

    const auto decoded = decodeAll(d);
    ASSERT_EQ(decoded[0].size(), d.length()) << "a straight decode delivers exactly the length";
    EXPECT_FALSE(d.readFailed());
    EXPECT_TRUE(d.atEnd());

    if (fc.lossless)
    {
        EXPECT_EQ(decoded[0], source[0]);
        EXPECT_EQ(decoded[1], source[1]);
    }
    else
    {
        for (int c = 0; c < 2; ++c)
        {
            const auto m =
                qm::test::findLag(source[static_cast<size_t>(c)], decoded[static_cast<size_t>(c)], 20000, 8000, 2500);
            EXPECT_EQ(m.lag, fc.lag) << "channel " << c;
            EXPECT_GT(m.correlation, 0.999) << "channel " << c;
        }
    }

    // A seek followed by a read gives what the straight decode gave there.
    const uint64_t targets[] = {0, 1, 4095, 5000, 44100, 70001, d.length() - 700, d.length()};
    for (const uint64_t t : targets)
    {
        SCOPED_TRACE("seek to " + std::to_string(t));
        ASSERT_TRUE(d.seek(t));
        EXPECT_EQ(d.position(), t);
        std::vector<int32_t> l(2000, 7), r(2000, 7);
        int32_t* ch[2] = {l.data(), r.data()};
        const uint32_t n = d.read(ch, 2000, 0);
        ASSERT_EQ(n, std::min<uint64_t>(2000, d.length() - t));
        EXPECT_EQ(d.position(), t + n);
        if (n == 0)
            continue;
        l.resize(n);
        const std::vector<int32_t> expected(decoded[0].begin() + static_cast<long>(t),
                                            decoded[0].begin() + static_cast<long>(t + n));
        EXPECT_GE(qm::test::snrDb(expected, l), fc.seekSnrDb);
        // Near the start and the end a misplaced seek shows as a lag.
        EXPECT_EQ(qm::test::findLag(expected, l, 0, n, 40).lag, 0);
    }

    // The same bytes opened from memory describe, measure and decode alike,
    // also after a seek (which may reopen the demuxer).
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MediaDecoder fromMemory;
    ASSERT_EQ(fromMemory.openMemory(bytes.data(), bytes.size()), MediaOpenResult::Ok);
    EXPECT_EQ(fromMemory.containerName(), fc.container);
    ASSERT_EQ(fromMemory.chooseAudioStream(0), MediaChooseResult::Ok);
    EXPECT_EQ(fromMemory.length(), d.length());
    EXPECT_EQ(decodeAll(fromMemory), decoded);
    ASSERT_TRUE(fromMemory.seek(0));
    const auto again = decodeAll(fromMemory);
    ASSERT_EQ(again[0].size(), decoded[0].size());
    EXPECT_GE(qm::test::snrDb(decoded[0], again[0]), fc.seekSnrDb);
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaDecoderFormat, ::testing::ValuesIn(kFormats), [](const auto& info) {
    std::string n = info.param.name;
    for (char& c : n)
        if (c == '.')
            c = '_';
    return n;
});

// Streams longer than a few seconds are measured from near their end; the
// length and late seeks must still be exact.
TEST(MediaDecoder, LongStreamsAreMeasuredAndSoughtExactly)
{
    const char* const rows[][2] = {{"long.mp3", "-c:a libmp3lame -q:a 2"}, {"long.m4a", "-c:a alac"}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row[0]);
        const std::string file = files().encode(row[0], "long.wav", row[1]);
        MediaDecoder d;
        ASSERT_EQ(d.open(file), MediaOpenResult::Ok);
        ASSERT_EQ(d.chooseAudioStream(0), MediaChooseResult::Ok);
        EXPECT_EQ(d.length(), 1234567u);

        const uint64_t target = 1234567 - 50000;
        ASSERT_TRUE(d.seek(target));
        std::vector<int32_t> afterSeek(50000), dummy(50000);
        int32_t* ch[2] = {afterSeek.data(), dummy.data()};
        ASSERT_EQ(d.read(ch, 50000, 0), 50000u);
        ASSERT_TRUE(d.seek(0));
        const auto all = decodeAll(d, 65536);
        ASSERT_EQ(all[0].size(), 1234567u);
        EXPECT_TRUE(std::equal(afterSeek.begin(), afterSeek.end(), all[0].begin() + static_cast<long>(target)));
    }
}

// Files as a collection holds them: made by two MP3 encoders (with and
// without the info tag, constant and variable rate), AAC in MP4 and raw
// ADTS, an MP4 remuxed with edited packet durations (a few packets stated as
// 1472 and 576 frames, every one decoding to 1024), ALAC, WMA from ffmpeg and
// from our own encoder (which leads with a frame of silence), and files with
// 4096 zero bytes written into their middle. For every one, the length
// at open is what a straight read delivers, and a seek lands on the frame a
// straight read delivers at that number.
struct AgreementCase
{
    const char* name;
    const char* make; // shell command; {in} the source, {out} the file
    const char* from; // "long.wav" or another case's file
    bool zeroed;      // 4096 zero bytes written into the middle
};

const AgreementCase kAgreement[] = {
    {"long_ff_cbr.mp3", "ffmpeg -v error -y -i {in} -c:a libmp3lame -b:a 128k {out}", "long.wav", false},
    {"long_ff_cbr_notag.mp3", "ffmpeg -v error -y -i {in} -c:a libmp3lame -b:a 128k -write_xing 0 {out}", "long.wav",
     false},
    {"long_ff_vbr.mp3", "ffmpeg -v error -y -i {in} -c:a libmp3lame -q:a 4 {out}", "long.wav", false},
    {"long_lame_cbr.mp3", "lame --quiet -b 128 {in} {out}", "long.wav", false},
    {"long_lame_vbr.mp3", "lame --quiet -V 4 {in} {out}", "long.wav", false},
    {"long_aac.m4a", "ffmpeg -v error -y -i {in} -c:a aac -b:a 128k -aac_pns 0 {out}", "long.wav", false},
    {"long_aac.aac", "ffmpeg -v error -y -i {in} -c:a aac -b:a 128k -aac_pns 0 -f adts {out}", "long.wav", false},
    {"long_edited.m4a",
     "ffmpeg -v error -y -i {in} -c:a copy -bsf:a \"setts=ts='if(eq(mod(N,12),5),TS+448,TS)'\" {out}", "long_aac.m4a",
     false},
    {"long_alac.m4a", "ffmpeg -v error -y -i {in} -c:a alac {out}", "long.wav", false},
    {"long_wma.wma", "ffmpeg -v error -y -i {in} -c:a wmav2 -b:a 128k {out}", "long.wav", false},
    {"long_ours.wma", "our WMA encoder", "long.wav", false},
    {"long_zeroed_ff_cbr.mp3", "cp {in} {out}", "long_ff_cbr.mp3", true},
    {"long_zeroed_lame_vbr.mp3", "cp {in} {out}", "long_lame_vbr.mp3", true},
    {"long_zeroed_aac.m4a", "cp {in} {out}", "long_aac.m4a", true},
    {"long_zeroed_wma.wma", "cp {in} {out}", "long_wma.wma", true},
};

void PrintTo(const AgreementCase& c, std::ostream* os)
{
    *os << c.name;
}

// Makes the case's file (and the file it is made from) once.
std::string makeAgreementFile(const AgreementCase& c)
{
    MediaFiles& f = files();
    if (std::filesystem::exists(f.folder.file(c.name)))
        return f.path(c.name);
    for (const AgreementCase& other : kAgreement)
    {
        if (std::string(other.name) == c.from)
            makeAgreementFile(other);
    }
    std::string cmd = c.make;
    if (cmd == "our WMA encoder")
    {
        if (!std::filesystem::exists(f.folder.file("long.s32")))
            f.sh("sox " + f.q("long.wav") + " -t s32 " + f.q("long.s32"));
        const auto samples = qm::test::readRawS32(f.folder.file("long.s32"), 2);
        qm::test::WmaFileOutput output(f.path(c.name));
        qm::platform::WmaEncoder encoder;
        EXPECT_TRUE(encoder.open(output, 44100, 2, 128000));
        const int32_t* channels[2] = {samples[0].data(), samples[1].data()};
        EXPECT_EQ(encoder.write(channels, static_cast<uint32_t>(samples[0].size())), samples[0].size());
        EXPECT_TRUE(encoder.finish());
        return f.path(c.name);
    }
    cmd.replace(cmd.find("{in}"), 4, f.q(c.from));
    cmd.replace(cmd.find("{out}"), 5, f.q(c.name));
    f.sh(cmd);
    if (c.zeroed)
    {
        std::fstream io(f.path(c.name), std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(static_cast<std::streamoff>(std::filesystem::file_size(f.path(c.name)) / 2));
        const std::string zeros(4096, '\0');
        io.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    }
    return f.path(c.name);
}

class MediaDecoderAgreement : public ::testing::TestWithParam<AgreementCase>
{
};

TEST_P(MediaDecoderAgreement, SeekLengthAndStraightReadAgree)
{
    const std::string file = makeAgreementFile(GetParam());
    MediaDecoder d;
    ASSERT_EQ(d.open(file), MediaOpenResult::Ok);
    ASSERT_EQ(d.chooseAudioStream(0), MediaChooseResult::Ok);
    const uint64_t length = d.length();
    const auto straight = decodeAll(d, 4096);
    EXPECT_FALSE(d.readFailed());
    ASSERT_EQ(straight[0].size(), length) << "the length at open is what a straight read delivers";
    if (!GetParam().zeroed)
    {
        EXPECT_NEAR(static_cast<double>(length), 1234567.0, 2048.0 + 1024.0);
    }
    ASSERT_GT(length, 100000u);

    constexpr uint32_t kRead = 1000;
    std::mt19937_64 random(20261211);
    int wrong = 0;
    std::string firstWrong;
    for (int i = 0; i < 200; ++i)
    {
        const uint64_t target = random() % length;
        ASSERT_TRUE(d.seek(target)) << target;
        ASSERT_EQ(d.position(), target);
        std::vector<int32_t> l(kRead), r(kRead);
        int32_t* ch[2] = {l.data(), r.data()};
        const uint32_t n = d.read(ch, kRead, 0);
        ASSERT_EQ(n, std::min<uint64_t>(kRead, length - target)) << target;
        for (int c = 0; c < 2; ++c)
        {
            const auto& got = c == 0 ? l : r;
            const auto& want = straight[static_cast<size_t>(c)];
            if (!std::equal(got.begin(), got.begin() + n, want.begin() + static_cast<long>(target)))
            {
                if (wrong++ == 0)
                {
                    // Where the frames read after the seek lie in the straight read, if anywhere near.
                    std::string where = "nowhere near";
                    for (long lag = -13000; lag <= 13000; ++lag)
                    {
                        const long at = static_cast<long>(target) + lag;
                        if (at >= 0 && at + static_cast<long>(n) <= static_cast<long>(want.size()) &&
                            std::equal(got.begin(), got.begin() + n, want.begin() + at))
                        {
                            where = std::to_string(lag) + " frames off";
                            break;
                        }
                    }
                    firstWrong = "target " + std::to_string(target) + " channel " + std::to_string(c) + ": " + where;
                }
                break;
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "first: " << firstWrong;
}

INSTANTIATE_TEST_SUITE_P(Files, MediaDecoderAgreement, ::testing::ValuesIn(kAgreement), [](const auto& info) {
    std::string n = info.param.name;
    for (char& c : n)
        if (c == '.')
            c = '_';
    return n;
});

TEST(MediaDecoder, TagsAndAttachedPicture)
{
    const std::string mp3 =
        files().encode("tagged.mp3", "src16.wav",
                       "-i " + files().q("cover.jpg") +
                           " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic -id3v2_version 3"
                           " -metadata title=Title1 -metadata artist=Artist1");
    std::ifstream coverIn(files().path("cover.jpg"), std::ios::binary);
    const std::vector<uint8_t> cover((std::istreambuf_iterator<char>(coverIn)), std::istreambuf_iterator<char>());

    MediaDecoder d;
    ASSERT_EQ(d.open(mp3), MediaOpenResult::Ok);
    EXPECT_EQ(d.audioStreams().size(), 1u);
    EXPECT_EQ(d.otherStreamCount(), 0) << "a cover is not a video stream";
    EXPECT_EQ(d.tag("TITLE"), "Title1");
    EXPECT_EQ(d.tag("artist"), "Artist1");
    EXPECT_EQ(d.tag("album"), "");
    EXPECT_EQ(d.attachedPicture(), cover);

    const std::string plain = files().encode("cbr.mp3", "src16.wav", "-c:a libmp3lame -b:a 128k");
    ASSERT_EQ(d.open(plain), MediaOpenResult::Ok);
    EXPECT_TRUE(d.attachedPicture().empty());
}

TEST(MediaDecoder, RefusesWhatItCannotRead)
{
    auto& f = files();
    {
        std::ofstream(f.path("notes.txt")) << "not audio at all\n";
    }
    f.sh("ffmpeg -v error -y -f lavfi -i color=c=blue:s=32x32:d=1 -c:v mpeg4 " + f.q("video.mp4"));
    f.sh("ffmpeg -v error -y -f lavfi -i color=c=blue:s=32x32:d=1 -i " + f.q("src16.wav") +
         " -c:v wmv2 -c:a wmav2 -shortest " + f.q("movie.wmv"));

    MediaDecoder d;
    EXPECT_EQ(d.open(f.path("missing.mp3")), MediaOpenResult::CannotOpen);
    EXPECT_EQ(d.open(f.path("notes.txt")), MediaOpenResult::CannotOpen);
    EXPECT_EQ(d.open(f.path("video.mp4")), MediaOpenResult::NoAudio);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(d.chooseAudioStream(0), MediaChooseResult::NoDecoder);
    std::vector<int32_t> l(10, 5);
    int32_t* ch[2] = {l.data(), nullptr};
    EXPECT_EQ(d.read(ch, 10, 0), 0u);

    ASSERT_EQ(d.open(f.path("movie.wmv")), MediaOpenResult::Ok);
    EXPECT_EQ(d.audioStreams().size(), 1u);
    EXPECT_EQ(d.otherStreamCount(), 1);
    EXPECT_EQ(d.chooseAudioStream(1), MediaChooseResult::NoDecoder);
}

// Decoding goes on past a damaged stretch in the middle of a file, and the
// damage is not reported as a failed read.
TEST(MediaDecoder, DecodingGoesOnPastDamage)
{
    const std::string good = files().encode("cbr.mp3", "src16.wav", "-c:a libmp3lame -b:a 128k");
    const std::string bad = files().path("damaged.mp3");
    std::filesystem::copy_file(good, bad, std::filesystem::copy_options::overwrite_existing);
    {
        std::fstream io(bad, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(static_cast<std::streamoff>(std::filesystem::file_size(bad) / 2));
        const std::string junk(700, '\xA5');
        io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    MediaDecoder d;
    ASSERT_EQ(d.open(bad), MediaOpenResult::Ok);
    ASSERT_EQ(d.chooseAudioStream(0), MediaChooseResult::Ok);
    const auto decoded = decodeAll(d);
    EXPECT_FALSE(d.readFailed());
    // The frames the damage covers are lost, and a few more: after damage the
    // demuxer can lock onto false frame headers inside the following audio
    // data before it finds the real ones again, and how many it meets depends
    // on the bytes there (the sources are made without dither so that the
    // file, and so the loss, is the same on every run). The bound still
    // catches a decode that stops at the damage or skips far ahead.
    EXPECT_NEAR(static_cast<double>(decoded[0].size()), static_cast<double>(kSourceFrames), 24 * 1152.0);
    // The end of the file still decodes to the source.
    const auto source = qm::test::readRawS32(files().folder.file("src16.s32"), 2);
    const size_t tail = decoded[0].size() - 12000;
    const std::vector<int32_t> decodedTail(decoded[0].begin() + static_cast<long>(tail), decoded[0].end());
    const std::vector<int32_t> sourceTail(source[0].end() - 12000, source[0].end());
    EXPECT_GT(qm::test::findLag(sourceTail, decodedTail, 4000, 4000, 7000).correlation, 0.999);
}

// A loud square wave overshoots full scale once encoded lossily. Float reads
// keep the overshoot for a later gain stage; integer reads clip as they must.
TEST(MediaDecoder, FloatReadsKeepSamplesAboveFullScale)
{
    MediaFiles& f = files();
    if (!std::filesystem::exists(f.folder.file("square.wav")))
        f.sh("sox -D -r 44100 -n -r 44100 -c 2 -b 16 " + f.q("square.wav") + " synth 2 square 1000 gain -0.1");
    const std::string mp3 = f.encode("square.mp3", "square.wav", "-c:a libmp3lame -b:a 128k");

    MediaDecoder floats;
    ASSERT_EQ(floats.open(mp3), MediaOpenResult::Ok);
    ASSERT_EQ(floats.chooseAudioStream(0), MediaChooseResult::Ok);
    MediaDecoder integers;
    ASSERT_EQ(integers.open(mp3), MediaOpenResult::Ok);
    ASSERT_EQ(integers.chooseAudioStream(0), MediaChooseResult::Ok);

    constexpr uint32_t kBlock = 4096;
    std::vector<float> fl(kBlock), fr(kBlock);
    std::vector<int32_t> il(kBlock), ir(kBlock);
    float* fch[2] = {fl.data(), fr.data()};
    int32_t* ich[2] = {il.data(), ir.data()};
    float peak = 0.0f;
    double worst = 0.0;
    for (;;)
    {
        const uint32_t nf = floats.readFloat(fch, kBlock, 0);
        const uint32_t ni = integers.read(ich, kBlock, 0);
        ASSERT_EQ(nf, ni);
        if (nf == 0)
            break;
        for (uint32_t i = 0; i < nf; ++i)
        {
            peak = std::max(peak, std::fabs(fl[i]));
            // Where the float sample lies within full scale, both reads agree.
            if (std::fabs(fl[i]) < 0.999f)
            {
                worst = std::max(worst, std::fabs(double(fl[i]) * 2147483648.0 - double(il[i])));
            }
            else if (fl[i] >= 1.0f)
            {
                EXPECT_EQ(il[i], std::numeric_limits<int32_t>::max());
            }
        }
    }
    EXPECT_GT(peak, 1.0f);
    EXPECT_LT(worst, 256.0);
}

} // namespace
