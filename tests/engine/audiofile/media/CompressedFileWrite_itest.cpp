#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "engine/audiofile/io/CAudioFileWriteBase.h"
#include "engine/audiofile/media/CMp3FileWriteAcm.h"
#include "engine/audiofile/media/CWindowsMediaFileRead.h"
#include "engine/audiofile/media/CWma9_2FileWrite.h"
#include "platform/media/MediaDecoder.h"
#include "tests/support/AudioCompare.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

using qm::platform::MediaDecoder;

namespace
{
using Planar = std::vector<std::vector<int32_t>>;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Pictures and a sweep, made once.
class Fixtures
{
public:
    Fixtures()
    {
        const std::string ffmpeg = "ffmpeg -v error -y -f lavfi -i ";
        Run(ffmpeg + "color=c=red:s=32x32 -frames:v 1 " + qm::test::shellQuote(smallCover().string()));
        // Noise compresses badly: a picture well over 64 KB.
        Run(ffmpeg + "\"nullsrc=s=320x240,geq=random(1)*255:128:128\" -frames:v 1 -q:v 2 " +
            qm::test::shellQuote(largeCover().string()));
    }
    std::filesystem::path smallCover() const { return folder.file("small.jpg"); }
    std::filesystem::path largeCover() const { return folder.file("large.jpg"); }

    static void Run(const std::string& command) { ASSERT_EQ(qm::test::runCommand(command), 0) << command; }

    qm::test::TempFolder folder;
};

Fixtures& fixtures()
{
    static Fixtures instance;
    return instance;
}

Planar Sweep(uint32_t frames, uint16_t channels, uint32_t rate)
{
    Planar samples(channels, std::vector<int32_t>(frames));
    for (uint16_t c = 0; c < channels; ++c)
        for (uint32_t i = 0; i < frames; ++i)
        {
            const double t = double(i) / rate;
            samples[c][i] = int32_t(0.5 * std::sin(2 * M_PI * (200.0 + 2000.0 * t + 300.0 * c) * t) * 2147483647.0);
        }
    return samples;
}

// Writes through WriteFloat in uneven blocks; returns the frames accepted.
uint32_t WriteAll(CAudioFileWriteBase& writer, const Planar& samples)
{
    const uint32_t frames = uint32_t(samples[0].size());
    uint32_t done = 0;
    for (uint32_t block = 700; done < frames; block = block * 5 / 4 + 3)
    {
        const uint32_t count = std::min(block, frames - done);
        std::vector<std::vector<float>> floats;
        std::vector<float*> pointers;
        for (const auto& channel : samples)
        {
            floats.emplace_back(count);
            for (uint32_t i = 0; i < count; ++i)
                floats.back()[i] = float(channel[done + i] / 2147483648.0);
        }
        for (auto& channel : floats)
            pointers.push_back(channel.data());
        const uint32_t accepted = writer.WriteFloat(pointers.data(), count);
        done += accepted;
        if (accepted < count)
            break;
    }
    return done;
}

void SetMetaData(CAudioMetaData& metaData, const std::filesystem::path& picture)
{
    metaData.GetField(CAudioMetaData::kAlbum)->SetWide(-1, u"Album");
    metaData.GetField(CAudioMetaData::kTitle)->SetWide(-1, u"T\u00eftle \u65e5\u672c");
    metaData.GetField(CAudioMetaData::kArtist)->SetWide(-1, u"Artist");
    metaData.GetField(CAudioMetaData::kGenre)->SetWide(-1, u"Jazz");
    metaData.GetField(CAudioMetaData::kDate)->SetWide(-1, u"2009-12-31");
    metaData.GetField(CAudioMetaData::kSoftware)->SetWide(-1, u"Quillmark");
    if (!picture.empty())
    {
        ASSERT_TRUE(metaData.SetPicturePath(picture.u16string().c_str()));
    }
}

struct Decoded
{
    qm::platform::MediaAudioStreamInfo stream;
    Planar samples;
    std::vector<uint8_t> picture;
};

Decoded Decode(const std::filesystem::path& path)
{
    Decoded result;
    MediaDecoder decoder;
    if (decoder.open(path.string()) != qm::platform::MediaOpenResult::Ok ||
        decoder.chooseAudioStream(0) != qm::platform::MediaChooseResult::Ok)
        return result;
    result.stream = decoder.chosenStream();
    result.picture = decoder.attachedPicture();
    result.samples.assign(result.stream.channels, std::vector<int32_t>(decoder.length()));
    std::vector<int32_t*> pointers;
    for (auto& channel : result.samples)
        pointers.push_back(channel.data());
    const uint32_t got = decoder.read(pointers.data(), uint32_t(decoder.length()), 0);
    for (auto& channel : result.samples)
        channel.resize(got);
    return result;
}

std::string ProbeTag(const std::filesystem::path& path, const std::string& tag)
{
    std::string value = qm::test::runCommandOutput("ffprobe -v error -show_entries format_tags=" + tag +
                                                   " -of default=nw=1:nk=1 " + qm::test::shellQuote(path.string()));
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
        value.pop_back();
    return value;
}

// Frames the command-line decoder gives back.
uint64_t CommandLineFrames(const std::filesystem::path& path, uint16_t channels)
{
    const std::string bytes =
        qm::test::runCommandOutput("ffmpeg -v error -i " + qm::test::shellQuote(path.string()) + " -f s16le - | wc -c");
    return std::stoull(bytes) / (2u * channels);
}

std::unique_ptr<CAudioFileWriteBase> Create(const std::filesystem::path& path, const char* format, uint32_t rate,
                                            uint16_t bits, uint16_t channels, uint32_t bitRate)
{
    return std::unique_ptr<CAudioFileWriteBase>(
        CreateAudioFileWriter(path.u16string().c_str(), format, rate, bits, channels, bitRate));
}

struct Case
{
    const char* format;
    uint32_t rate;
    uint16_t channels;
    uint32_t bitRate;         // asked
    uint32_t expectedBitRate; // in the file
    bool largeCover;
};
} // namespace

// Every file is read back by the decoding layer and by the command-line
// tools: format, length, alignment with the source, texts and cover.
TEST(CompressedFileWrite, WrittenFilesReadBack)
{
    const Case cases[] = {
        {"mp3", 44100, 2, 128000, 128000, false},
        {"MP3", 48000, 2, 320000, 320000, true},
        // Mono at 48 kbit/s: frames too small for the encoder's own info frame.
        {"mp3", 44100, 1, 48000, 48000, false},
        {"mp3", 48000, 2, 0, 128000, false},
        {"wma", 44100, 2, 128016, 128016, false},
        {"wma", 48000, 2, 192000, 192000, true},
        {"WMA", 44100, 1, 48024, 48024, false},
    };
    qm::test::TempFolder folder;
    const uint32_t frames = 30011;
    for (const Case& c : cases)
    {
        const bool mp3 = std::string(c.format) == "mp3" || std::string(c.format) == "MP3";
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.rate) + " Hz " + std::to_string(c.channels) +
                     " ch " + std::to_string(c.bitRate));
        const auto path = folder.file(std::string("out") + (mp3 ? ".mp3" : ".wma"));
        std::filesystem::remove(path);
        const auto cover = c.largeCover ? fixtures().largeCover() : fixtures().smallCover();
        const Planar source = Sweep(frames, c.channels, c.rate);
        {
            auto writer = Create(path, c.format, c.rate, mp3 ? 24 : 16, c.channels, c.bitRate);
            ASSERT_NE(writer, nullptr);
            EXPECT_STREQ(writer->GetFormatName(), mp3 ? "MP3" : "WMA");
            SetMetaData(*writer->GetMetaData(), cover);
            writer->UpdateMetaData();
            EXPECT_EQ(WriteAll(*writer, source), frames);
            EXPECT_EQ(writer->GetWrittenFrames(), frames);
            EXPECT_TRUE(writer->Close());
        }
        const Decoded decoded = Decode(path);
        ASSERT_EQ(decoded.samples.size(), c.channels);
        EXPECT_EQ(decoded.stream.codecName, mp3 ? "mp3" : "wmav2");
        EXPECT_EQ(decoded.stream.sampleRate, c.rate);
        EXPECT_EQ(decoded.stream.bitRate, c.expectedBitRate);
        // MP3 gives back the exact length; WMA the length rounded up to its
        // 2048-frame blocks. Both start with the first sample written.
        const uint64_t expectedFrames = mp3 ? frames : (frames + 2047) / 2048 * 2048;
        EXPECT_EQ(decoded.samples[0].size(), expectedFrames);
        EXPECT_EQ(CommandLineFrames(path, c.channels), expectedFrames);
        const qm::test::LagMatch match = qm::test::findLag(source[0], decoded.samples[0], 3000, 20000, 2500);
        EXPECT_EQ(match.lag, 0);
        EXPECT_GT(match.correlation, 0.99);

        EXPECT_EQ(ProbeTag(path, "title"), "T\u00eftle \u65e5\u672c");
        EXPECT_EQ(ProbeTag(path, "artist"), "Artist");
        EXPECT_EQ(ProbeTag(path, "album"), "Album");
        EXPECT_EQ(ProbeTag(path, "genre"), "Jazz");
        EXPECT_EQ(ProbeTag(path, mp3 ? "date" : "WM/Year").substr(0, 4), "2009");
        EXPECT_EQ(ProbeTag(path, "encoder"), "Quillmark");
        EXPECT_EQ(decoded.picture, ReadBytes(cover));

        // Our own reader agrees.
        CWindowsMediaFileRead reader;
        ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
        EXPECT_STREQ(reader.GetFormatName(), mp3 ? "MP3" : "WMA");
        EXPECT_EQ(reader.GetLength(), expectedFrames);
        EXPECT_EQ(reader.GetSampleRate(), c.rate);
        EXPECT_EQ(reader.GetChannelCount(), c.channels);
        EXPECT_EQ(reader.GetBitRate(), c.expectedBitRate);
        EXPECT_EQ(std::u16string(reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetWide()),
                  u"T\u00eftle \u65e5\u672c");
        EXPECT_EQ(std::u16string(reader.GetMetaData()->GetField(CAudioMetaData::kAlbum)->GetWide()), u"Album");
        EXPECT_EQ(reader.GetMetaData()->GetYear(), 2009);
        std::vector<uint8_t> picture(reader.GetPictureDataSize());
        ASSERT_FALSE(picture.empty());
        EXPECT_EQ(reader.ReadPictureData(picture.data(), uint32_t(picture.size())), int(picture.size()));
        EXPECT_EQ(picture, ReadBytes(cover));
    }
}

// Tag placement: a tag only when metadata arrives before the audio and has
// something in it; short songs are whole; refused formats leave no file.
TEST(CompressedFileWrite, Mp3TagsShortSongsAndRefusals)
{
    qm::test::TempFolder folder;
    struct Case
    {
        const char* name;
        bool setTitle;
        bool updateBeforeAudio;
        bool updateAfterAudio;
        uint32_t frames;
        bool tagged;
    };
    const Case cases[] = {
        {"tagged.mp3", true, true, false, 5000, true},
        {"empty-metadata.mp3", false, true, false, 5000, false},
        {"late-metadata.mp3", true, false, true, 5000, false},
        {"short.mp3", true, true, false, 500, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto path = folder.file(c.name);
        auto writer = Create(path, "mp3", 44100, 24, 2, 128000);
        ASSERT_NE(writer, nullptr);
        if (c.setTitle)
            writer->GetMetaData()->GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Title");
        if (c.updateBeforeAudio)
            writer->UpdateMetaData();
        EXPECT_EQ(WriteAll(*writer, Sweep(c.frames, 2, 44100)), c.frames);
        if (c.updateAfterAudio)
            writer->UpdateMetaData();
        EXPECT_TRUE(writer->Close());
        const std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 3u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3) == "ID3", c.tagged);
        EXPECT_EQ(Decode(path).samples.at(0).size(), c.frames);
    }

    for (const uint32_t rate : {88200u, 96000u})
        EXPECT_EQ(Create(folder.file("refused.mp3"), "mp3", rate, 24, 2, 128000), nullptr) << rate;
    EXPECT_EQ(Create(folder.file("refused.mp3"), "mp3", 44100, 24, 2, 100000), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder.file("refused.mp3")));

    EXPECT_TRUE(IsMp3EncoderAvailable());
    SimulateMp3EncoderMissing(true);
    EXPECT_FALSE(IsMp3EncoderAvailable());
    EXPECT_EQ(Create(folder.file("missing.mp3"), "mp3", 44100, 24, 2, 128000), nullptr);
    SimulateMp3EncoderMissing(false);
    EXPECT_TRUE(IsMp3EncoderAvailable());
}

TEST(CompressedFileWrite, WmaWithoutGenreHasNoGenreAttribute)
{
    qm::test::TempFolder folder;
    const auto path = folder.file("nogenre.wma");
    auto writer = Create(path, "wma", 44100, 16, 2, 128016);
    ASSERT_NE(writer, nullptr);
    writer->GetMetaData()->GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Title");
    EXPECT_EQ(WriteAll(*writer, Sweep(5000, 2, 44100)), 5000u);
    EXPECT_TRUE(writer->Close());
    EXPECT_EQ(ProbeTag(path, "title"), "Title");
    const std::string all =
        qm::test::runCommandOutput("ffprobe -v error -show_entries format_tags " + qm::test::shellQuote(path.string()));
    EXPECT_EQ(all.find("genre"), std::string::npos) << all;
    EXPECT_EQ(all.find("Lavf"), std::string::npos) << "the library's name stays out: " << all;
}

// A full disk (a file-size limit stands in for it): the writers accept fewer
// frames, take nothing more, and Close fails.
TEST(CompressedFileWrite, FullDiskIsReported)
{
    qm::test::TempFolder folder;
    for (const char* format : {"mp3", "wma"})
    {
        SCOPED_TRACE(format);
        auto writer = Create(folder.file(std::string("full.") + format), format, 44100, 16, 2,
                             std::string(format) == "mp3" ? 128000 : 128016);
        ASSERT_NE(writer, nullptr);
        qm::test::ScopedFileSizeLimit limit(20000);
        ASSERT_TRUE(limit.isSet());
        const uint32_t accepted = WriteAll(*writer, Sweep(441000, 2, 44100));
        const uint32_t afterwards = WriteAll(*writer, Sweep(1000, 2, 44100));
        const bool closed = writer->Close();
        limit.lift();
        EXPECT_LT(accepted, 441000u);
        EXPECT_EQ(afterwards, 0u);
        EXPECT_FALSE(closed);
    }
}
