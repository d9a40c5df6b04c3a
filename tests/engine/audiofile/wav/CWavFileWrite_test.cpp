#include <gtest/gtest.h>

#include <cstring>

#include "engine/audiofile/wav/CWavFileRead.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/engine/audiofile/RiffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;
namespace fs = std::filesystem;

namespace
{
std::u16string wide(const fs::path& path)
{
    return path.u16string();
}

void setText(CAudioRecorderOutput& writer, int field, const char* text)
{
    writer.GetMetaData()->GetField(field)->SetNarrow(-1, text);
}

// Writes frames of a ramp (left) and its negative (right) as 32-bit integers.
uint32_t writeRamp(CAudioRecorderOutput& writer, uint32_t frames, uint32_t first = 0)
{
    std::vector<int32_t> left(frames);
    std::vector<int32_t> right(frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        left[i] = static_cast<int32_t>((first + i) * 0x10000u);
        right[i] = -left[i];
    }
    int32_t* channels[2] = {left.data(), right.data()};
    return writer.WriteInt32(channels, frames);
}

// The offset of the first chunk with the id after the 12-byte head, or 0.
size_t findChunk(const Bytes& bytes, const std::string& id)
{
    for (size_t at = 12; at + 8 <= bytes.size();)
    {
        if (textAt(bytes, at, 4) == id)
            return at;
        const uint64_t size = readLE(bytes, at + 4, 4);
        at += 8 + size + (size & 1);
    }
    return 0;
}

// Lowers the size limit so that the 4 GiB rule can be seen on a small file.
class SmallLimitWavWrite : public CWavFileWrite
{
public:
    void SetLimit(uint64_t bytes) { m_dataByteLimit = bytes; }
};
} // namespace

TEST(CWavFileWrite, EmptyFileLayoutAndReopen)
{
    TempFolder folder;
    const auto path = folder.file("empty.wav");
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    EXPECT_EQ(readLE(readFile(path), 4, 4), 0xFFFFFFF8u);
    EXPECT_TRUE(writer.Close());

    Bytes expected;
    putText(expected, "RIFF");
    putLE(expected, 36, 4);
    putText(expected, "WAVEfmt ");
    putLE(expected, 16, 4);
    putLE(expected, 1, 2);
    putLE(expected, 2, 2);
    putLE(expected, 44100, 4);
    putLE(expected, 176400, 4);
    putLE(expected, 4, 2);
    putLE(expected, 16, 2);
    putText(expected, "data");
    putLE(expected, 0, 4);
    EXPECT_EQ(readFile(path), expected);

    CWavFileRead reader;
    EXPECT_EQ(reader.Open(wide(path).c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetLength(), 0u);
}

TEST(CWavFileWrite, OpenRefusesWhatItCannotWrite)
{
    TempFolder folder;
    struct Case
    {
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
    } cases[] = {{44100, 24, 3}, {44100, 8, 1}, {44100, 20, 2}, {44100, 16, 0}, {0, 16, 2}, {44100, 32, 6}};
    for (const Case& c : cases)
    {
        const auto path = folder.file("refused.wav");
        CWavFileWrite writer;
        EXPECT_EQ(writer.Open(wide(path).c_str(), c.rate, c.bits, c.channels, 0), WriterOpenResult::CannotCreate)
            << c.rate << " " << c.bits << " " << c.channels;
        EXPECT_FALSE(fs::exists(path));
    }
    CWavFileWrite writer;
    EXPECT_EQ(writer.Open(u"/nonexistent/folder/x.wav", 44100, 16, 2, 0), WriterOpenResult::CannotCreate);
    EXPECT_TRUE(writer.Close());
}

TEST(CWavFileWrite, CueChunk)
{
    TempFolder folder;
    const auto path = folder.file("cue.wav");
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    for (int i = 0; i < 1025; ++i)
        writer.GetMarker()->Add(i * 0.01);
    writer.GetMarker()->Add(1000.0); // the 1026th mark
    ASSERT_TRUE(writer.Close());

    const Bytes bytes = readFile(path);
    const size_t cue = findChunk(bytes, "cue ");
    ASSERT_EQ(cue, 44u);
    EXPECT_EQ(readLE(bytes, cue + 4, 4), 24580u);
    EXPECT_EQ(readLE(bytes, cue + 8, 4), 1024u);
    EXPECT_EQ(bytes.size(), cue + 8 + 24580);
    const size_t first = cue + 12;
    EXPECT_EQ(readLE(bytes, first, 4), 1u);
    EXPECT_EQ(Bytes(bytes.begin() + first + 4, bytes.begin() + first + 20), Bytes(16, 0));
    EXPECT_EQ(readLE(bytes, first + 20, 4), 0u);                // 0.0 s
    EXPECT_EQ(readLE(bytes, first + 100 * 24, 4), 101u);        // cue id
    EXPECT_EQ(readLE(bytes, first + 100 * 24 + 20, 4), 44122u); // 1.0 s: truncate(1.0005 x 44100)
}

TEST(CWavFileWrite, InfoChunk)
{
    struct Case
    {
        const char* name;
        const char* title;
        const char* artist;
        Bytes expected; // the LIST chunk, or nothing
    } cases[] = {
        {"four letters", "Abcd", "",
         [] {
             Bytes b;
             putText(b, "LIST");
             putLE(b, 18, 4);
             putText(b, "INFOINAM");
             putLE(b, 6, 4);
             putText(b, "Abcd");
             putLE(b, 0, 2);
             return b;
         }()},
        {"five letters", "Abcde", "",
         [] {
             Bytes b;
             putText(b, "LIST");
             putLE(b, 18, 4);
             putText(b, "INFOINAM");
             putLE(b, 6, 4);
             putText(b, "Abcde");
             putLE(b, 0, 1);
             return b;
         }()},
        {"a title outside printable ASCII is left out", "Caf\xc3\xa9", "Me",
         [] {
             Bytes b;
             putText(b, "LIST");
             putLE(b, 16, 4);
             putText(b, "INFOIART");
             putLE(b, 4, 4);
             putText(b, "Me");
             putLE(b, 0, 2);
             return b;
         }()},
        {"no texts", "", "", Bytes()},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        const auto path = folder.file("info.wav");
        CWavFileWrite writer;
        ASSERT_EQ(writer.Open(wide(path).c_str(), 48000, 24, 1, 0), WriterOpenResult::Ok);
        setText(writer, CAudioMetaData::kTitle, c.title);
        setText(writer, CAudioMetaData::kArtist, c.artist);
        ASSERT_TRUE(writer.Close());
        const Bytes bytes = readFile(path);
        EXPECT_EQ(Bytes(bytes.begin() + 44, bytes.end()), c.expected) << c.name;
        EXPECT_EQ(readLE(bytes, 4, 4), bytes.size() - 8) << c.name;
    }
}

TEST(CWavFileWrite, OddDataIsPaddedBeforeTheTrailingChunks)
{
    TempFolder folder;
    const auto path = folder.file("odd.wav");
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, 24, 1, 0), WriterOpenResult::Ok);
    writer.GetMarker()->Add(0.0);
    setText(writer, CAudioMetaData::kTitle, "t");
    EXPECT_EQ(writeRamp(writer, 3), 3u);
    EXPECT_EQ(writer.GetWrittenFrames(), 3u);
    ASSERT_TRUE(writer.Close());

    const Bytes bytes = readFile(path);
    EXPECT_EQ(readLE(bytes, 40, 4), 9u);
    EXPECT_EQ(bytes[53], 0);
    EXPECT_EQ(textAt(bytes, 54, 4), "cue ");
    EXPECT_EQ(findChunk(bytes, "LIST"), 54u + 8 + 28);
    EXPECT_EQ(readLE(bytes, 4, 4), bytes.size() - 8);

    CWavFileRead reader;
    ASSERT_EQ(reader.Open(wide(path).c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetLength(), 3u);
    EXPECT_EQ(reader.GetMarker()->GetCount(), 1);
    EXPECT_STREQ(reader.GetMetaData()->GetField(CAudioMetaData::kTitle)->GetNarrow(), "t");
}

TEST(CWavFileWrite, WriteFloat)
{
    TempFolder folder;
    const float original[2] = {0.5f, -0.25f};
    for (const uint16_t bits : {uint16_t(32), uint16_t(16)})
    {
        const auto path = folder.file("float" + std::to_string(bits) + ".wav");
        CWavFileWrite writer;
        ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, bits, 1, 0), WriterOpenResult::Ok);
        EXPECT_EQ(writer.IsFloat(), bits == 32);
        float samples[2] = {original[0], original[1]};
        float* channels[1] = {samples};
        EXPECT_EQ(writer.WriteFloat(channels, 2), 2u);
        ASSERT_TRUE(writer.Close());
        const Bytes bytes = readFile(path);
        if (bits == 32)
        {
            EXPECT_EQ(std::memcmp(samples, original, sizeof original), 0);
            EXPECT_EQ(readLE(bytes, 20, 2), 3u);
            uint32_t stored;
            std::memcpy(&stored, &original[1], 4);
            EXPECT_EQ(readLE(bytes, 48, 4), stored);
        }
        else
        {
            int32_t asIntegers[2];
            std::memcpy(asIntegers, samples, sizeof asIntegers);
            EXPECT_EQ(asIntegers[0], 0x40000000);
            EXPECT_EQ(asIntegers[1], -0x20000000);
            EXPECT_EQ(readLE(bytes, 44, 2), 0x4000u);
            EXPECT_EQ(readLE(bytes, 46, 2), 0xE000u);
        }
    }
}

TEST(CWavFileWrite, RoundTripThroughTheReader)
{
    for (const uint16_t bits : {uint16_t(16), uint16_t(24)})
    {
        TempFolder folder;
        const auto path = folder.file("round.wav");
        CWavFileWrite writer;
        ASSERT_EQ(writer.Open(wide(path).c_str(), 96000, bits, 2, 0), WriterOpenResult::Ok);
        writer.GetMarker()->Add(0.005);
        setText(writer, CAudioMetaData::kArtist, "Artist");
        setText(writer, CAudioMetaData::kDate, "2009-03-07");
        // A call small enough to stay staged, then calls larger than one read
        // of the reader (whose 64 KiB hold no whole number of 6-byte frames).
        const uint32_t frames = 32007;
        EXPECT_EQ(writeRamp(writer, 7), 7u);
        EXPECT_EQ(writeRamp(writer, 20000, 7), 20000u);
        EXPECT_EQ(writeRamp(writer, 12000, 20007), 12000u);
        EXPECT_DOUBLE_EQ(writer.GetLengthInSeconds(), frames / 96000.0);
        ASSERT_TRUE(writer.Close());

        CWavFileRead reader;
        ASSERT_EQ(reader.Open(wide(path).c_str()), ReaderOpenResult::Ok);
        EXPECT_EQ(reader.GetSampleRate(), 96000u);
        EXPECT_EQ(reader.GetBitsPerSample(), bits);
        ASSERT_EQ(reader.GetLength(), frames);
        std::vector<int32_t> left(frames);
        std::vector<int32_t> right(frames);
        int32_t* channels[2] = {left.data(), right.data()};
        ASSERT_EQ(reader.ReadInt32(channels, frames, 0), frames);
        for (uint32_t i = 0; i < frames; ++i)
        {
            ASSERT_EQ(left[i], static_cast<int32_t>(i * 0x10000u)) << i;
            ASSERT_EQ(right[i], -left[i]) << i;
        }
        EXPECT_EQ(reader.GetMarker()->GetCount(), 1);
        EXPECT_DOUBLE_EQ(reader.GetMarker()->GetAt(0), 0.005);
        EXPECT_STREQ(reader.GetMetaData()->GetField(CAudioMetaData::kArtist)->GetNarrow(), "Artist");
        EXPECT_STREQ(reader.GetMetaData()->GetField(CAudioMetaData::kDate)->GetNarrow(), "2009-03-07");
    }
}

TEST(CWavFileWrite, StopsBeforeTheSizeLimit)
{
    TempFolder folder;
    const auto path = folder.file("limit.wav");
    SmallLimitWavWrite writer;
    ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, 24, 2, 0), WriterOpenResult::Ok);
    writer.SetLimit(6 * 1000);
    EXPECT_EQ(writeRamp(writer, 600), 600u);
    EXPECT_EQ(writeRamp(writer, 600), 400u);
    EXPECT_EQ(writeRamp(writer, 1), 0u);
    EXPECT_EQ(writer.GetWrittenFrames(), 1000u);
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(readLE(readFile(path), 40, 4), 6000u);
}

TEST(CWavFileWrite, CancelDeletesTheFileReallyOpened)
{
    TempFolder folder;
    CWavFileWrite never;
    never.Cancel();

    // A path longer than 1025 units.
    fs::path deep = folder.path();
    for (int i = 0; i < 12; ++i)
        deep /= std::string(100, char('a' + i));
    fs::create_directories(deep);
    const auto path = deep / "long.wav";
    ASSERT_GT(wide(path).size(), 1025u);
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(wide(path).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    writeRamp(writer, 10);
    EXPECT_TRUE(fs::exists(path));
    writer.Cancel();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(writer.IsOpen());
}

TEST(CWavFileWrite, CloseAndRenameNeverReplaces)
{
    TempFolder folder;
    const auto first = folder.file("a.wav");
    const auto target = folder.file("b.wav");
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(wide(first).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    EXPECT_TRUE(writer.CloseAndRename(wide(target).c_str()));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(fs::file_size(target), 44u);

    ASSERT_EQ(writer.Open(wide(first).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    writeRamp(writer, 10);
    EXPECT_FALSE(writer.CloseAndRename(wide(target).c_str()));
    EXPECT_EQ(fs::file_size(first), 84u);
    EXPECT_EQ(fs::file_size(target), 44u);
    EXPECT_FALSE(writer.CloseAndRename(wide(target).c_str())); // nothing open
}
