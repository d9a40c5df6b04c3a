#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/aiff/CAifcSowtFileRead.h"
#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/wav/CWavFileRead.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
std::string q(const std::filesystem::path& path)
{
    return shellQuote(path.string());
}

// Every frame of both channels of an open reader, interleaved.
std::vector<int32_t> readAll(CAudioPlayerInput& reader)
{
    const uint64_t length = reader.GetLength();
    std::vector<int32_t> left(length), right(length);
    int32_t* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(reader.ReadInt32(channels, static_cast<uint32_t>(length), 0), length);
    std::vector<int32_t> all;
    for (uint64_t i = 0; i < length; ++i)
    {
        all.push_back(left[i]);
        if (reader.GetChannelCount() == 2)
            all.push_back(right[i]);
    }
    return all;
}

// The samples of a file as the tool that made it decodes it into WAV.
std::vector<int32_t> samplesOfWav(const std::filesystem::path& wav)
{
    CWavFileRead reader;
    EXPECT_EQ(reader.Open(wav.u16string().c_str()), ReaderOpenResult::Ok) << wav;
    return readAll(reader);
}

std::string u8(const char16_t* text)
{
    std::string out;
    for (; *text != 0; ++text)
    {
        const char32_t c = *text;
        if (c < 0x80)
            out += char(c);
        else if (c < 0x800)
            out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        else
            out += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
    }
    return out;
}
} // namespace

TEST(AiffInterop, SoxFiles)
{
    TempFolder folder;
    const auto aiff = folder.file("sox.aiff");
    // sox puts its comment chunk before "COMM".
    ASSERT_EQ(runCommand("sox -n -r 48000 -c 2 -b 24 --comment 'made by sox' " + q(aiff) +
                         " synth 0.05 sine 440 sine 660 2>/dev/null"),
              0);
    ASSERT_EQ(textAt(readFile(aiff), 12, 4), "COMT");
    ASSERT_EQ(runCommand("sox " + q(aiff) + " " + q(folder.file("sox.wav"))), 0);

    CAiffFileRead reader;
    ASSERT_EQ(reader.Open(aiff.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetSampleRate(), 48000u);
    EXPECT_EQ(reader.GetBitsPerSample(), 24);
    EXPECT_EQ(reader.GetLength(), 2400u);
    EXPECT_EQ(readAll(reader), samplesOfWav(folder.file("sox.wav")));

    // sox's AIFC is uncompressed big-endian ("NONE"): not an AIFF file, but
    // the AIFC reader takes it with its samples.
    const auto aifc = folder.file("sox.aifc");
    ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 -b 16 " + q(aifc) + " synth 0.05 sine 440 sine 660 2>/dev/null"), 0);
    ASSERT_EQ(runCommand("sox " + q(aifc) + " " + q(folder.file("soxc.wav"))), 0);
    EXPECT_EQ(reader.Open(aifc.u16string().c_str()), ReaderOpenResult::NoUsableAudio);
    CAifcSowtFileRead aifcReader;
    ASSERT_EQ(aifcReader.Open(aifc.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(aifcReader.GetLength(), 2205u);
    EXPECT_EQ(readAll(aifcReader), samplesOfWav(folder.file("soxc.wav")));
}

TEST(AiffInterop, FfmpegFiles)
{
    TempFolder folder;
    const auto cover = folder.file("cover.png");
    ASSERT_EQ(runCommand("ffmpeg -v error -y -f lavfi -i color=red:s=8x8 -frames:v 1 " + q(cover)), 0);

    // A little-endian "sowt" AIFC named .aif.
    const auto sowtPath = folder.file("sowt.aif");
    ASSERT_EQ(runCommand("ffmpeg -v error -y -f lavfi -i 'sine=f=440:d=0.05' -ac 2 -ar 44100 -c:a pcm_s16le -f aiff " +
                         q(sowtPath)),
              0);
    ASSERT_EQ(runCommand("ffmpeg -v error -y -i " + q(sowtPath) + " -c:a pcm_s16le " + q(folder.file("sowt.wav"))), 0);
    CAiffFileRead aiffReader;
    EXPECT_EQ(aiffReader.Open(sowtPath.u16string().c_str()), ReaderOpenResult::NoUsableAudio);
    CAifcSowtFileRead sowt;
    ASSERT_EQ(sowt.Open(sowtPath.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(sowt.GetLength(), 2205u);
    EXPECT_EQ(readAll(sowt), samplesOfWav(folder.file("sowt.wav")));

    // 24-bit mono with an odd frame count (an odd "SSND" chunk), then an "ID3 "
    // chunk with texts and the cover.
    for (const char* version : {"3", "4"})
    {
        const auto tagged = folder.file(std::string("tagged") + version + ".aif");
        ASSERT_EQ(runCommand(std::string("ffmpeg -v error -y -f lavfi -i 'sine=f=440:d=0.2' -i ") + q(cover) +
                             " -map 0:a -map 1:v -c:v copy -disposition:v attached_pic -af atrim=end_sample=4405"
                             " -ac 1 -ar 44100 -c:a pcm_s24be -write_id3v2 1 -id3v2_version " +
                             version +
                             " -metadata 'title=Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC' -metadata artist=Artist"
                             " -metadata album=Album -metadata genre=Jazz -metadata date=2009 " +
                             q(tagged)),
                  0);
        ASSERT_EQ(runCommand("ffmpeg -v error -y -i " + q(tagged) + " -map 0:a -c:a pcm_s24le " +
                             q(folder.file("tagged.wav"))),
                  0);
        CAiffFileRead reader;
        ASSERT_EQ(reader.Open(tagged.u16string().c_str()), ReaderOpenResult::Ok) << version;
        EXPECT_EQ(reader.GetLength(), 4405u);
        EXPECT_EQ(readAll(reader), samplesOfWav(folder.file("tagged.wav"))) << version;
        const CAudioMetaData& m = *reader.GetMetaData();
        EXPECT_STREQ(m.GetField(CAudioMetaData::kTitle)->GetNarrow(), "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
        EXPECT_STREQ(m.GetField(CAudioMetaData::kArtist)->GetNarrow(), "Artist");
        EXPECT_STREQ(m.GetField(CAudioMetaData::kAlbum)->GetNarrow(), "Album");
        EXPECT_STREQ(m.GetField(CAudioMetaData::kGenre)->GetNarrow(), "Jazz");
        EXPECT_EQ(m.GetYear(), 2009) << version;
        const Bytes png = readFile(cover);
        ASSERT_EQ(reader.GetPictureDataSize(), png.size()) << version;
        Bytes picture(png.size());
        EXPECT_EQ(reader.ReadPictureData(picture.data(), uint32_t(picture.size())), int(png.size()));
        EXPECT_EQ(picture, png);
    }
}

TEST(AiffInterop, OurFilesInOtherTools)
{
    TempFolder folder;
    const auto cover = folder.file("cover.png");
    ASSERT_EQ(runCommand("ffmpeg -v error -y -f lavfi -i color=blue:s=8x8 -frames:v 1 " + q(cover)), 0);
    const auto path = folder.file("ours.aif");
    CAiffFileWrite writer;
    ASSERT_EQ(writer.Open(path.u16string().c_str(), 96000, 24, 2, 0), WriterOpenResult::Ok);
    CAudioMetaData& m = *writer.GetMetaData();
    m.GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Caf\u00E9 \u65E5\u672C");
    m.GetField(CAudioMetaData::kArtist)->SetNarrow(-1, "Artist");
    m.GetField(CAudioMetaData::kAlbum)->SetNarrow(-1, "Album");
    m.GetField(CAudioMetaData::kDate)->SetNarrow(-1, "2009-12-31");
    ASSERT_TRUE(m.SetPicturePath(cover.u16string().c_str()));
    std::vector<int32_t> left(4801), right(4801);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = int32_t(i * 997 % 65536) << 12;
        right[i] = -left[i];
    }
    int32_t* channels[2] = {left.data(), right.data()};
    ASSERT_EQ(writer.WriteInt32(channels, 4801), 4801u);
    ASSERT_TRUE(writer.Close());

    const std::string probe = runCommandOutput(
        "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,duration_ts:format_tags=title,artist,"
        "album,date -of default=nw=1 " +
        q(path));
    for (const std::string& expected :
         std::vector<std::string>{"codec_name=pcm_s24be", "sample_rate=96000", "channels=2", "duration_ts=4801",
                                  "TAG:title=" + u8(u"Caf\u00E9 \u65E5\u672C"), "TAG:artist=Artist", "TAG:album=Album"})
        EXPECT_NE(probe.find(expected), std::string::npos) << expected << " in\n" << probe;
    // ffmpeg decodes the samples we wrote.
    ASSERT_EQ(runCommand("ffmpeg -v error -y -i " + q(path) + " -map 0:a -c:a pcm_s24le " + q(folder.file("back.wav"))),
              0);
    CAiffFileRead reader;
    ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(readAll(reader), samplesOfWav(folder.file("back.wav")));

    const std::string sox = runCommandOutput("sox --i " + q(path));
    for (const char* expected :
         {"Channels       : 2", "Sample Rate    : 96000", "Precision      : 24-bit", "4801 samples"})
        EXPECT_NE(sox.find(expected), std::string::npos) << expected << " in\n" << sox;
}
