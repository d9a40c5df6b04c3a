#include <gtest/gtest.h>

#include <memory>

#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
// Writes frames of a ramp (left, in 24-bit steps) and its negative (right).
uint32_t writeRamp(CAudioRecorderOutput& writer, uint32_t frames)
{
    std::vector<int32_t> left(frames), right(frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        left[i] = static_cast<int32_t>(i * 0x1300u);
        right[i] = -left[i];
    }
    int32_t* channels[2] = {left.data(), right.data()};
    return writer.WriteInt32(channels, frames);
}

class LimitedAiffFileWrite : public CAiffFileWrite
{
public:
    void SetDataByteLimit(uint64_t limit) { m_dataByteLimit = limit; }
};
} // namespace

TEST(CAiffFileWrite, EmptyFileLayout)
{
    TempFolder folder;
    const auto path = folder.file("empty.aif");
    CAiffFileWrite writer;
    ASSERT_EQ(writer.Open(path.u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    EXPECT_STREQ(writer.GetFormatName(), "AIFF");
    EXPECT_EQ(writer.GetSampleRate(), 44100u);
    ASSERT_TRUE(writer.Close());

    const Bytes bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 54u);
    EXPECT_EQ(textAt(bytes, 0, 4), "FORM");
    EXPECT_EQ(readBE(bytes, 4, 4), 46u);
    EXPECT_EQ(textAt(bytes, 8, 8), "AIFFCOMM");
    EXPECT_EQ(readBE(bytes, 16, 4), 18u);
    EXPECT_EQ(readBE(bytes, 20, 2), 2u);
    EXPECT_EQ(readBE(bytes, 22, 4), 0u);
    EXPECT_EQ(readBE(bytes, 26, 2), 16u);
    EXPECT_EQ(Bytes(bytes.begin() + 28, bytes.begin() + 38), (Bytes{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(textAt(bytes, 38, 4), "SSND");
    EXPECT_EQ(readBE(bytes, 42, 4), 8u);
    EXPECT_EQ(readBE(bytes, 46, 8), 0u);

    // It reopens as an empty file.
    CAiffFileRead reader;
    ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetLength(), 0u);
}

TEST(CAiffFileWrite, OpenRefusesWhatItCannotWrite)
{
    TempFolder folder;
    const struct
    {
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
    } refused[] = {{44100, 32, 2}, {44100, 32, 1}, {44100, 8, 2}, {44100, 24, 3}, {44100, 16, 0}, {0, 16, 2}};
    for (const auto& c : refused)
    {
        CAiffFileWrite writer;
        EXPECT_EQ(writer.Open(folder.file("x.aif").u16string().c_str(), c.rate, c.bits, c.channels, 0),
                  WriterOpenResult::CannotCreate)
            << c.bits << " bits " << c.channels << " channels";
    }
    CAiffFileWrite writer;
    EXPECT_EQ(writer.Open(u"/nonexistent/folder/x.aif", 44100, 16, 2, 0), WriterOpenResult::CannotCreate);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    // Any other rate is written as its extended number and reads back.
    const auto path = folder.file("22050.aif");
    ASSERT_EQ(writer.Open(path.u16string().c_str(), 22050, 16, 1, 0), WriterOpenResult::Ok);
    EXPECT_EQ(writer.GetSampleRate(), 22050u);
    ASSERT_TRUE(writer.Close());
    const Bytes bytes = readFile(path);
    EXPECT_EQ(readBE(bytes, 28, 4), 0x400DAC44u);
}

TEST(CAiffFileWrite, SamplesRoundTrip)
{
    TempFolder folder;
    const auto path = folder.file("ramp.aif");
    std::unique_ptr<CAudioFileWriteBase> writer(
        CreateAudioFileWriter(path.u16string().c_str(), "aiff", 48000, 24, 2, 0));
    ASSERT_NE(writer, nullptr);
    // More than one read of the reader, whose 64 KiB hold no whole number of
    // 6-byte frames.
    EXPECT_EQ(writeRamp(*writer, 30000), 30000u);
    EXPECT_EQ(writeRamp(*writer, 3000), 3000u);
    EXPECT_EQ(writer->GetWrittenFrames(), 33000u);
    ASSERT_TRUE(writer->Close());

    const Bytes bytes = readFile(path);
    EXPECT_EQ(readBE(bytes, 22, 4), 33000u);
    EXPECT_EQ(readBE(bytes, 42, 4), 198008u);
    EXPECT_EQ(readBE(bytes, 4, 4), bytes.size() - 8);

    CAiffFileRead reader;
    ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetSampleRate(), 48000u);
    EXPECT_EQ(reader.GetBitsPerSample(), 24);
    ASSERT_EQ(reader.GetLength(), 33000u);
    std::vector<int32_t> left(33000), right(33000);
    int32_t* channels[2] = {left.data(), right.data()};
    ASSERT_EQ(reader.ReadInt32(channels, 33000, 0), 33000u);
    for (uint32_t i = 0; i < 33000; i += 37)
    {
        const uint32_t step = i < 30000 ? i : i - 30000; // the second ramp starts again
        EXPECT_EQ(left[i], static_cast<int32_t>(step * 0x1300u)) << i;
        EXPECT_EQ(right[i], -static_cast<int32_t>(step * 0x1300u)) << i;
    }
}

TEST(CAiffFileWrite, TagChunkAfterOddData)
{
    TempFolder folder;
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
    writeFile(folder.file("cover.png"), png);
    const auto path = folder.file("tagged.aif");
    CAiffFileWrite writer;
    ASSERT_EQ(writer.Open(path.u16string().c_str(), 44100, 24, 1, 0), WriterOpenResult::Ok);
    CAudioMetaData& m = *writer.GetMetaData();
    m.GetField(CAudioMetaData::kTitle)->SetWide(-1, u"Caf\u00E9");
    m.GetField(CAudioMetaData::kArtist)->SetNarrow(-1, "Artist");
    m.GetField(CAudioMetaData::kDate)->SetNarrow(-1, "2009-12-31");
    m.GetField(CAudioMetaData::kTime)->SetNarrow(-1, "23:59:58");
    ASSERT_TRUE(m.SetPicturePath(folder.file("cover.png").u16string().c_str()));
    std::vector<int32_t> mono = {1 << 8, 2 << 8, 3 << 8};
    int32_t* channels[1] = {mono.data()};
    ASSERT_EQ(writer.WriteInt32(channels, 3), 3u);
    ASSERT_TRUE(writer.Close());

    const Bytes bytes = readFile(path);
    // 9 data bytes, a pad byte, then the tag chunk.
    EXPECT_EQ(readBE(bytes, 42, 4), 17u);
    EXPECT_EQ(bytes.at(63), 0);
    EXPECT_EQ(textAt(bytes, 64, 4), "ID3 ");
    const uint64_t tagSize = readBE(bytes, 68, 4);
    EXPECT_EQ(textAt(bytes, 72, 3), "ID3");
    EXPECT_EQ(bytes.size(), 72 + tagSize + (tagSize & 1));
    EXPECT_EQ(readBE(bytes, 4, 4), bytes.size() - 8);

    CAiffFileRead reader;
    ASSERT_EQ(reader.Open(path.u16string().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetLength(), 3u);
    const CAudioMetaData& read = *reader.GetMetaData();
    EXPECT_EQ(std::u16string(read.GetField(CAudioMetaData::kTitle)->GetWide()), u"Caf\u00E9");
    EXPECT_STREQ(read.GetField(CAudioMetaData::kArtist)->GetNarrow(), "Artist");
    EXPECT_STREQ(read.GetField(CAudioMetaData::kDate)->GetNarrow(), "2009-12-31");
    EXPECT_STREQ(read.GetField(CAudioMetaData::kTime)->GetNarrow(), "23:59:00");
    ASSERT_EQ(reader.GetPictureDataSize(), png.size());
    Bytes picture(png.size());
    EXPECT_EQ(reader.ReadPictureData(picture.data(), uint32_t(picture.size())), int(png.size()));
    EXPECT_EQ(picture, png);
}

TEST(CAiffFileWrite, StopsAtTheSizeLimit)
{
    TempFolder folder;
    LimitedAiffFileWrite writer;
    ASSERT_EQ(writer.Open(folder.file("limit.aif").u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    writer.SetDataByteLimit(400);
    EXPECT_EQ(writeRamp(writer, 60), 60u);
    EXPECT_EQ(writeRamp(writer, 60), 40u);
    EXPECT_EQ(writeRamp(writer, 1), 0u);
    EXPECT_EQ(writer.GetWrittenFrames(), 100u);
    EXPECT_TRUE(writer.Close());
}

TEST(CAiffFileWrite, CancelDeletesTheFile)
{
    TempFolder folder;
    const auto path = folder.file("gone.aif");
    CAiffFileWrite writer;
    writer.Cancel();
    ASSERT_EQ(writer.Open(path.u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    writeRamp(writer, 10);
    writer.Cancel();
    EXPECT_FALSE(std::filesystem::exists(path));
}
