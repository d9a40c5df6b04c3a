#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>

#include "engine/audiofile/wav/CWavFileRead.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;
namespace fs = std::filesystem;

namespace
{
// ffprobe's key=value lines for the stream and the format tags.
std::map<std::string, std::string> probe(const fs::path& path)
{
    const std::string out = runCommandOutput(
        "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,duration_ts:format_tags "
        "-of default=noprint_wrappers=1 " +
        shellQuote(path.string()));
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
    {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::string soxInfo(const fs::path& path, const char* option)
{
    std::string out = runCommandOutput("sox --i " + std::string(option) + " " + shellQuote(path.string()));
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The samples as sox decodes them: interleaved, left-aligned 32-bit integers.
std::vector<int32_t> soxSamples(const fs::path& path)
{
    const std::string raw =
        runCommandOutput("sox " + shellQuote(path.string()) + " -t raw -e signed-integer -b 32 -L -");
    std::vector<int32_t> samples(raw.size() / 4);
    std::memcpy(samples.data(), raw.data(), samples.size() * 4);
    return samples;
}

// The samples as our reader delivers them, interleaved.
std::vector<int32_t> ourSamples(CWavFileRead& reader)
{
    const uint16_t channels = reader.GetChannelCount();
    const uint32_t frames = static_cast<uint32_t>(reader.GetLength());
    std::vector<std::vector<int32_t>> planes(channels, std::vector<int32_t>(frames));
    std::vector<int32_t*> pointers;
    for (auto& plane : planes)
        pointers.push_back(plane.data());
    EXPECT_EQ(reader.ReadInt32(pointers.data(), frames, 0), frames);
    EXPECT_FALSE(reader.HasReadFailed());
    std::vector<int32_t> interleaved;
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
            interleaved.push_back(planes[c][i]);
    return interleaved;
}

// Compares what our reader delivers with what sox decodes: integer files
// exactly, float files within sox's own conversion to integers.
void expectSoxSamples(CWavFileRead& reader, const fs::path& path, const std::string& label)
{
    const std::vector<int32_t> expected = soxSamples(path);
    if (!reader.IsFloat())
    {
        EXPECT_EQ(ourSamples(reader), expected) << label;
        return;
    }
    const uint16_t channelCount = reader.GetChannelCount();
    const uint32_t frames = static_cast<uint32_t>(reader.GetLength());
    ASSERT_EQ(expected.size(), size_t(frames) * channelCount) << label;
    std::vector<std::vector<float>> planes(channelCount, std::vector<float>(frames));
    std::vector<float*> pointers;
    for (auto& plane : planes)
        pointers.push_back(plane.data());
    ASSERT_EQ(reader.ReadFloat(pointers.data(), frames, 0), frames) << label;
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channelCount; ++c)
            ASSERT_NEAR(planes[c][i], expected[size_t(i) * channelCount + c] / 2147483648.0, 1e-6) << label << " " << i;
}

std::string field(CAudioPlayerInput& reader, int index)
{
    return reader.GetMetaData()->GetField(index)->GetNarrow();
}
} // namespace

TEST(WavInterop, OurFilesReadInFfprobeAndSox)
{
    struct Case
    {
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
        uint32_t frames;
        const char* codec;
        const char* title; // odd and even lengths
    } cases[] = {{44100, 16, 2, 4410, "pcm_s16le", "Song"},
                 {48000, 24, 1, 1001, "pcm_s24le", "Odd data"},
                 {96000, 32, 2, 777, "pcm_f32le", "Float song"}};
    for (const Case& c : cases)
    {
        TempFolder folder;
        const auto path = folder.file("ours.wav");
        CWavFileWrite writer;
        ASSERT_EQ(writer.Open(path.u16string().c_str(), c.rate, c.bits, c.channels, 0), WriterOpenResult::Ok);
        CAudioMetaData* metadata = writer.GetMetaData();
        metadata->GetField(CAudioMetaData::kTitle)->SetNarrow(-1, c.title);
        metadata->GetField(CAudioMetaData::kArtist)->SetNarrow(-1, "Artist");
        metadata->GetField(CAudioMetaData::kGenre)->SetNarrow(-1, "Jazz");
        metadata->GetField(CAudioMetaData::kDate)->SetNarrow(-1, "2009-03-07");
        metadata->GetField(CAudioMetaData::kSoftware)->SetEncoderText();
        writer.GetMarker()->Add(0.001);
        std::vector<float> samples(c.frames);
        for (uint32_t i = 0; i < c.frames; ++i)
            samples[i] = static_cast<float>(i % 100) / 200.0f - 0.25f;
        std::vector<float> copy = samples;
        float* channels[2] = {samples.data(), copy.data()};
        ASSERT_EQ(writer.WriteFloat(channels, c.frames), c.frames);
        ASSERT_TRUE(writer.Close());

        auto values = probe(path);
        EXPECT_EQ(values["codec_name"], c.codec);
        EXPECT_EQ(values["sample_rate"], std::to_string(c.rate));
        EXPECT_EQ(values["channels"], std::to_string(c.channels));
        EXPECT_EQ(values["duration_ts"], std::to_string(c.frames));
        EXPECT_EQ(values["TAG:title"], c.title);
        EXPECT_EQ(values["TAG:artist"], "Artist");
        EXPECT_EQ(values["TAG:genre"], "Jazz");
        EXPECT_EQ(values["TAG:date"], "2009-03-07");
        EXPECT_EQ(values["TAG:encoder"], CMultiString::EncoderText());

        EXPECT_EQ(soxInfo(path, "-s"), std::to_string(c.frames));
        EXPECT_EQ(soxInfo(path, "-c"), std::to_string(c.channels));
        EXPECT_EQ(soxInfo(path, "-r"), std::to_string(c.rate));
        EXPECT_EQ(soxInfo(path, "-b"), std::to_string(c.bits));

        CWavFileRead reader;
        ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
        expectSoxSamples(reader, path, c.codec);
    }
}

TEST(WavInterop, FilesWrittenBySoxOpenWithTheirSamples)
{
    struct Case
    {
        const char* name;
        const char* options; // sox output options
        uint16_t bits;
        bool extensible;
    } cases[] = {{"16-bit wavpcm", "-b 16 -t wavpcm", 16, false},
                 {"24-bit wavpcm", "-b 24 -t wavpcm", 24, false},
                 {"24-bit extensible", "-b 24 -t wav", 24, true},
                 {"float with an 18-byte format chunk", "-e floating-point -b 32 -t wav", 32, false}};
    for (const Case& c : cases)
    {
        TempFolder folder;
        const auto path = folder.file("sox.wav");
        ASSERT_EQ(runCommand("sox -n -r 48000 -c 2 " + std::string(c.options) + " " + shellQuote(path.string()) +
                             " synth 0.2 sine 440 sine 1000 vol 0.8"),
                  0)
            << c.name;
        const std::string head = runCommandOutput("head -c 22 " + shellQuote(path.string()));
        ASSERT_EQ(head.size(), 22u);
        EXPECT_EQ(head.substr(20, 2) == "\xFE\xFF", c.extensible) << c.name;
        CWavFileRead reader;
        ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok) << c.name;
        EXPECT_EQ(reader.GetBitsPerSample(), c.bits) << c.name;
        EXPECT_EQ(reader.GetLength(), 9600u) << c.name;
        expectSoxSamples(reader, path, c.name);
    }
}

TEST(WavInterop, FilesWrittenByFfmpegOpenWithPaddedTags)
{
    for (const char* codec : {"pcm_s16le", "pcm_s24le"})
    {
        TempFolder folder;
        const auto path = folder.file("ffmpeg.wav");
        ASSERT_EQ(runCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=0.25 -ac 2 -c:a " +
                             std::string(codec) +
                             " -metadata title=abcd -metadata artist=Band -metadata genre=Rock "
                             "-metadata date=2009-03-07 -metadata IARL=Loc " +
                             shellQuote(path.string())),
                  0);
        CWavFileRead reader;
        ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok) << codec;
        EXPECT_EQ(reader.GetLength(), 11025u);
        EXPECT_EQ(field(reader, CAudioMetaData::kTitle), "abcd");
        EXPECT_EQ(field(reader, CAudioMetaData::kArtist), "Band");
        EXPECT_EQ(field(reader, CAudioMetaData::kGenre), "Rock");
        EXPECT_EQ(field(reader, CAudioMetaData::kLocation), "Loc");
        EXPECT_EQ(field(reader, CAudioMetaData::kDate), "2009-03-07");
        expectSoxSamples(reader, path, codec);
    }
}
