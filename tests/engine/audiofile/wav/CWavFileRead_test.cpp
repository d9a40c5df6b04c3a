#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "engine/audiofile/wav/CWavFileRead.h"
#include "tests/engine/audiofile/RiffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
// True when text has pattern's length, a digit wherever pattern has 'd' and
// pattern's character elsewhere.
bool matches(const std::string& text, const std::string& pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != pattern[i])
            return false;
    return true;
}

std::string title(CAudioPlayerInput& reader)
{
    return reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetNarrow();
}

std::vector<double> marks(CAudioPlayerInput& reader)
{
    std::vector<double> times;
    for (int i = 0; i < reader.GetMarker()->GetCount(); ++i)
        times.push_back(reader.GetMarker()->GetAt(i));
    return times;
}

// A reader opened on the given bytes; open is the Open result.
struct WavOnDisk
{
    TempFolder folder;
    CWavFileRead reader;
    int open = -1;

    explicit WavOnDisk(const Bytes& bytes)
    {
        writeFile(path(), bytes);
        open = static_cast<int>(reader.Open(path().u16string().c_str()));
    }
    std::filesystem::path path() const { return folder.file("t.wav"); }
};

Bytes monoWav(uint32_t frames, std::initializer_list<Bytes> after = {})
{
    Bytes bytes = riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", silence(frames * 2))});
    for (const Bytes& c : after)
        bytes.insert(bytes.end(), c.begin(), c.end());
    return bytes;
}
} // namespace

TEST(CWavFileRead, DataBeforeFormatOpensAndReadsLeftAligned)
{
    WavOnDisk wav(
        riff("WAVE", {chunk("data", samples16({0x1234, -2, 0x4000, 0})), chunk("fmt ", fmtBody(1, 2, 44100, 16))}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_EQ(wav.reader.GetChannelCount(), 2);
    EXPECT_EQ(wav.reader.GetBitsPerSample(), 16);
    EXPECT_FALSE(wav.reader.IsFloat());
    EXPECT_EQ(wav.reader.GetLength(), 2u);
    EXPECT_STREQ(wav.reader.GetFormatName(), "WAV");

    int32_t left[2];
    int32_t right[2];
    int32_t* channels[2] = {left, right};
    EXPECT_EQ(wav.reader.ReadInt32(channels, 2, 0), 2u);
    EXPECT_EQ(left[0], 0x12340000);
    EXPECT_EQ(right[0], -0x20000);
    EXPECT_EQ(left[1], 0x40000000);
    EXPECT_EQ(wav.reader.GetPosition(), 2u);

    wav.reader.SetPosition(1);
    float fl[1];
    float* floats[2] = {fl, nullptr};
    EXPECT_EQ(wav.reader.ReadFloat(floats, 1, 0), 1u);
    EXPECT_EQ(fl[0], 0.5f);
}

TEST(CWavFileRead, OpenResults)
{
    const Bytes data = chunk("data", silence(16));
    struct Case
    {
        const char* name;
        Bytes bytes;
        int result;
    } cases[] = {
        {"8-bit", riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 8)), data}), 3},
        {"3 channels", riff("WAVE", {chunk("fmt ", fmtBody(1, 3, 44100, 16)), data}), 3},
        {"22050 Hz", riff("WAVE", {chunk("fmt ", fmtBody(1, 2, 22050, 16)), data}), 3},
        {"32-bit integer", riff("WAVE", {chunk("fmt ", fmtBody(1, 2, 44100, 32)), data}), 3},
        {"16-bit float", riff("WAVE", {chunk("fmt ", fmtBody(3, 2, 44100, 16)), data}), 3},
        {"wrong block align",
         [] {
             Bytes fmt = fmtBody(1, 2, 44100, 16);
             fmt[12] = 2;
             return riff("WAVE", {chunk("fmt ", fmt), chunk("data", silence(16))});
         }(),
         3},
        {"short format chunk", riff("WAVE", {chunk("fmt ", Bytes(14, 1)), data}), 3},
        {"no format chunk", riff("WAVE", {data}), 3},
        {"extensible ADPCM", riff("WAVE", {chunk("fmt ", extensibleFmtBody(2, 2, 44100, 16)), data}), 3},
        {"extensible 8-bit", riff("WAVE", {chunk("fmt ", extensibleFmtBody(1, 1, 44100, 8)), data}), 3},
        {"extensible cut short",
         riff("WAVE", {chunk("fmt ",
                             [] {
                                 Bytes fmt = extensibleFmtBody(1, 2, 44100, 16);
                                 fmt.resize(24);
                                 return fmt;
                             }()),
                       data}),
         3},
        {"not RIFF",
         [] {
             Bytes b = monoWav(4);
             std::memcpy(b.data(), "RIFX", 4);
             return b;
         }(),
         4},
        {"not WAVE", riff("AVI ", {chunk("fmt ", fmtBody(1, 1, 44100, 16)), data}), 4},
        {"no data chunk", riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 16))}), 4},
        {"empty file", Bytes(), 4},
        {"extensible PCM 24-bit", riff("WAVE", {chunk("fmt ", extensibleFmtBody(1, 2, 48000, 24)), data}), 0},
        {"extensible float", riff("WAVE", {chunk("fmt ", extensibleFmtBody(3, 1, 96000, 32)), data}), 0},
        {"192 kHz float", riff("WAVE", {chunk("fmt ", fmtBody(3, 2, 192000, 32)), data}), 0},
    };
    for (const Case& c : cases)
    {
        WavOnDisk wav(c.bytes);
        EXPECT_EQ(wav.open, c.result) << c.name;
        if (c.result != 0)
        {
            EXPECT_FALSE(wav.reader.IsOpen()) << c.name;
            EXPECT_EQ(wav.reader.GetLength(), 0u) << c.name;
        }
    }
    CWavFileRead reader;
    EXPECT_EQ(reader.Open(u"/nonexistent/folder/x.wav"), ReaderOpenResult::CannotOpen);
}

TEST(CWavFileRead, ExtensibleFloatReadsTheStoredFloats)
{
    Bytes samples;
    float values[2] = {0.25f, -1.5f};
    for (float v : values)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putLE(samples, bits, 4);
    }
    WavOnDisk wav(riff("WAVE", {chunk("fmt ", extensibleFmtBody(3, 1, 44100, 32)), chunk("data", samples)}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_TRUE(wav.reader.IsFloat());
    float out[2];
    float* channels[1] = {out};
    EXPECT_EQ(wav.reader.ReadFloat(channels, 2, 0), 2u);
    EXPECT_EQ(out[0], 0.25f);
    EXPECT_EQ(out[1], -1.5f);
}

TEST(CWavFileRead, RangeClamps)
{
    struct Case
    {
        int64_t start;
        int64_t end;
        uint64_t length;
        uint64_t rangeStart;
    } cases[] = {{1000, -1, 4000, 1000}, {3000, 2000, 2000, 3000}, {-5, 10, 10, 0},
                 {0, 99999, 5000, 0},    {6000, 7000, 0, 5000},    {4999, 5000, 1, 4999}};
    WavOnDisk wav(monoWav(5000));
    ASSERT_EQ(wav.open, 0);
    for (const Case& c : cases)
    {
        wav.reader.SetRange(static_cast<uint64_t>(c.start), static_cast<uint64_t>(c.end));
        EXPECT_EQ(wav.reader.GetLength(), c.length) << c.start << ".." << c.end;
        EXPECT_EQ(wav.reader.GetRangeStart(), c.rangeStart) << c.start << ".." << c.end;
        EXPECT_EQ(wav.reader.GetPosition(), 0u);
        EXPECT_EQ(wav.reader.GetAbsolutePosition(), c.rangeStart);
    }
    wav.reader.SetRange(1000, 2000);
    EXPECT_EQ(wav.reader.SetPosition(static_cast<uint64_t>(-3)), 0u);
    EXPECT_EQ(wav.reader.SetPosition(5000), 1000u);
    EXPECT_EQ(wav.reader.GetRemaining(), 0u);
}

TEST(CWavFileRead, CuePointsBecomeMarksRelativeToTheRange)
{
    WavOnDisk wav(monoWav(88200, {chunk("cue ", cueBody({44100, 100, 1, 88200}))}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_EQ(marks(wav.reader), (std::vector<double>{0.0, 0.002, 1.0}));
    wav.reader.SetRange(22050, static_cast<uint64_t>(-1));
    EXPECT_EQ(marks(wav.reader), (std::vector<double>{0.5}));
}

TEST(CWavFileRead, LyingChunkSizesAreBoundedByTheFile)
{
    WavOnDisk lying(
        riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", silence(201), false, 0x7FFFFFF0)}));
    ASSERT_EQ(lying.open, 0);
    EXPECT_EQ(lying.reader.GetLength(), 100u);

    WavOnDisk lyingCue(monoWav(1000, {chunk("cue ", cueBody({441, 882}), true, 0xFFFFFFF0)}));
    ASSERT_EQ(lyingCue.open, 0);
    EXPECT_EQ(lyingCue.reader.GetMarker()->GetCount(), 2);
}

TEST(CWavFileRead, CuePointCountIsBounded)
{
    Bytes body;
    putLE(body, 6000, 4);
    for (uint32_t i = 0; i < 6000; ++i)
    {
        putLE(body, i + 1, 4);
        putLE(body, 0, 4);
        putLE(body, 0, 4);
        putLE(body, 0, 4);
        putLE(body, 0, 4);
        putLE(body, i * 50, 4); // 1.13 ms apart: no two share a millisecond
    }
    WavOnDisk wav(monoWav(300000, {chunk("cue ", body)}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_EQ(wav.reader.GetMarker()->GetCount(), int(CWavFileRead::kMaxCuePoints));
}

TEST(CWavFileRead, InfoTexts)
{
    const std::string longTitle(200, 'T');
    struct Case
    {
        const char* name;
        Bytes bytes;
        std::string title;
        std::string artist;
    } cases[] = {
        {"padded odd texts", monoWav(3, {chunk("LIST", infoBody({{"INAM", "abcd"}, {"IART", "Band"}}))}), "abcd",
         "Band"},
        {"unpadded odd texts", monoWav(3, {chunk("LIST", infoBody({{"INAM", "abcd"}, {"IART", "Band"}}, false))}),
         "abcd", "Band"},
        {"a long title is cut", monoWav(3, {chunk("LIST", infoBody({{"INAM", longTitle}}))}), longTitle.substr(0, 128),
         ""},
        {"after an odd data chunk and its pad byte",
         riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 24)), chunk("data", silence(9)),
                       chunk("LIST", infoBody({{"IART", "x"}, {"INAM", "t"}}))}),
         "t", "x"},
        {"after an odd data chunk without pad byte",
         riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 24)), chunk("data", silence(9), false),
                       chunk("LIST", infoBody({{"INAM", "t"}}))}),
         "t", ""},
        {"a sub-chunk size past the list",
         [] {
             Bytes info;
             putText(info, "INFO");
             putText(info, "INAM");
             putLE(info, 1000, 4);
             putText(info, "cut");
             return monoWav(3, {chunk("LIST", info)});
         }(),
         "cut", ""},
    };
    for (const Case& c : cases)
    {
        WavOnDisk wav(c.bytes);
        ASSERT_EQ(wav.open, 0) << c.name;
        EXPECT_EQ(title(wav.reader), c.title) << c.name;
        EXPECT_EQ(std::string(wav.reader.GetMetaData()->GetField(CAudioMetaData::kArtist)->GetNarrow()), c.artist)
            << c.name;
    }
}

// The field holds 128 UTF-16 units, however many bytes they take in UTF-8.
TEST(CWavFileRead, InfoTextsAreCutAtTheFieldsUnitsNotItsBytes)
{
    std::u16string song60;
    for (int i = 0; i < 12; ++i)
        song60 += u"日本語の歌";
    std::u16string long200;
    for (int i = 0; i < 40; ++i)
        long200 += u"日本語の歌";
    // A character outside the basic plane at units 127 and 128 would be
    // split by a cut at 128: it is left out whole.
    const std::u16string pairAtTheCut = std::u16string(127, u'あ') + u"🎵" + u"x";
    const struct
    {
        const char* name;
        std::u16string stored;
        std::u16string read;
    } cases[] = {
        {"60 Japanese characters", song60, song60},
        {"200 Japanese characters", long200, long200.substr(0, 128)},
        {"a pair at the cut", pairAtTheCut, pairAtTheCut.substr(0, 127)},
    };
    for (const auto& c : cases)
    {
        char utf8[1024] = {};
        WideToUtf8(utf8, sizeof utf8, c.stored.c_str());
        WavOnDisk wav(monoWav(3, {chunk("LIST", infoBody({{"INAM", utf8}}))}));
        ASSERT_EQ(wav.open, 0) << c.name;
        EXPECT_EQ(std::u16string(wav.reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetWide()), c.read)
            << c.name;
    }
}

TEST(CWavFileRead, InfoTextThatIsNotUtf8IsTakenAsLatin1)
{
    WavOnDisk wav(monoWav(3, {chunk("LIST", infoBody({{"INAM", "caf\xe9"}}))}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_EQ(std::u16string(wav.reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetWide()), u"caf\u00e9");
}

TEST(CWavFileRead, DateFromTheTagsOrFromTheFile)
{
    WavOnDisk tagged(monoWav(3, {chunk("LIST", infoBody({{"ICRD", "1999-12-31"}}))}));
    ASSERT_EQ(tagged.open, 0);
    EXPECT_STREQ(tagged.reader.GetMetaData()->GetField(CAudioMetaData::kDate)->GetNarrow(), "1999-12-31");
    EXPECT_STREQ(tagged.reader.GetMetaData()->GetField(CAudioMetaData::kTime)->GetNarrow(), "");

    WavOnDisk untagged(monoWav(3));
    ASSERT_EQ(untagged.open, 0);
    const std::string date = untagged.reader.GetMetaData()->GetField(CAudioMetaData::kDate)->GetNarrow();
    const std::string time = untagged.reader.GetMetaData()->GetField(CAudioMetaData::kTime)->GetNarrow();
    EXPECT_TRUE(matches(date, "dddd-dd-dd")) << date;
    EXPECT_TRUE(matches(time, "dd:dd:dd")) << time;
}

TEST(CWavFileRead, ReadEndsAtTheRangeWithSilence)
{
    Bytes data;
    for (int i = 0; i < 5000; ++i)
        putLE(data, 0x0101, 2);
    WavOnDisk wav(riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", data)}));
    ASSERT_EQ(wav.open, 0);
    wav.reader.SetRange(0, 4000);
    wav.reader.SetPosition(3700);
    std::vector<int32_t> out(1010, 77);
    int32_t* channels[1] = {out.data()};
    EXPECT_EQ(wav.reader.ReadInt32(channels, 1000, 10), 300u);
    EXPECT_EQ(out[9], 77);
    EXPECT_EQ(out[10], 0x01010000);
    EXPECT_EQ(out[309], 0x01010000);
    EXPECT_EQ(out[310], 0);
    EXPECT_EQ(out[1009], 0);
    EXPECT_FALSE(wav.reader.HasReadFailed());
    EXPECT_EQ(wav.reader.GetPosition(), 300u + 3700u);
}

TEST(CWavFileRead, FileCutShortWhileOpenFailsTheRead)
{
    WavOnDisk wav(monoWav(1000));
    ASSERT_EQ(wav.open, 0);
    ASSERT_EQ(truncate(wav.path().c_str(), 44 + 2 * 500 + 1), 0);
    std::vector<int32_t> out(1000, 5);
    int32_t* channels[1] = {out.data()};
    const uint32_t got = wav.reader.ReadInt32(channels, 1000, 0);
    EXPECT_LE(got, 500u);
    EXPECT_TRUE(wav.reader.HasReadFailed());
    EXPECT_EQ(out[999], 0);
    wav.reader.SetPosition(0);
    EXPECT_FALSE(wav.reader.HasReadFailed());
    // Reading goes on with whole frames: all 500 remaining frames arrive.
    uint32_t total = 0;
    for (int i = 0; i < 10; ++i)
        total += wav.reader.ReadInt32(channels, 100, 0);
    EXPECT_EQ(total, 500u);
}

TEST(CWavFileRead, CloseForgetsEverything)
{
    WavOnDisk wav(monoWav(100, {chunk("LIST", infoBody({{"INAM", "x"}})), chunk("cue ", cueBody({5}))}));
    ASSERT_EQ(wav.open, 0);
    EXPECT_EQ(title(wav.reader), "x");
    wav.reader.Close();
    EXPECT_EQ(title(wav.reader), "");
    EXPECT_EQ(wav.reader.GetMarker()->GetCount(), 0);
    EXPECT_EQ(wav.reader.GetLength(), 0u);
    EXPECT_EQ(wav.reader.GetSampleRate(), 44100u);
    EXPECT_FALSE(wav.reader.IsOpen());
}
