#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/audiofile/aiff/CAifcSowtFileRead.h"
#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/aiff/CAiffFormat.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
const Bytes kRate44100 = extendedRate(0x400E, 0xAC44);

// Big-endian 16-bit samples.
Bytes be16(std::initializer_list<int16_t> samples)
{
    Bytes bytes;
    for (const int16_t s : samples)
        putBE(bytes, static_cast<uint16_t>(s), 2);
    return bytes;
}

Bytes le16(std::initializer_list<int16_t> samples)
{
    Bytes bytes;
    for (const int16_t s : samples)
        putLE(bytes, static_cast<uint16_t>(s), 2);
    return bytes;
}

Bytes aiff(const Bytes& comm, const Bytes& ssnd, std::initializer_list<Bytes> more = {})
{
    Bytes bytes = form("AIFF", {iffChunk("COMM", comm), iffChunk("SSND", ssnd)});
    for (const Bytes& chunk : more)
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    return bytes;
}

template <typename Reader>
int openBytes(Reader& reader, TempFolder& folder, const Bytes& bytes, const std::string& name = "file.aif")
{
    const auto path = folder.file(name);
    writeFile(path, bytes);
    // The numbers are the ones the reader has always returned.
    return static_cast<int>(reader.Open(path.u16string().c_str()));
}

std::vector<int32_t> readChannel(CAiffFileRead& reader, uint32_t frames, int channel, uint32_t* delivered)
{
    std::vector<int32_t> left(frames, 99), right(frames, 99);
    int32_t* channels[2] = {left.data(), right.data()};
    *delivered = reader.ReadInt32(channels, frames, 0);
    return channel == 0 ? left : right;
}
} // namespace

TEST(CAiffFormat, ExtendedRates)
{
    const struct
    {
        uint32_t rate;
        uint8_t bytes[4];
    } table[] = {
        {44100, {0x40, 0x0E, 0xAC, 0x44}}, {48000, {0x40, 0x0E, 0xBB, 0x80}},  {88200, {0x40, 0x0F, 0xAC, 0x44}},
        {96000, {0x40, 0x0F, 0xBB, 0x80}}, {176400, {0x40, 0x10, 0xAC, 0x44}}, {192000, {0x40, 0x10, 0xBB, 0x80}},
        {22050, {0x40, 0x0D, 0xAC, 0x44}}, {8000, {0x40, 0x0B, 0xFA, 0x00}},   {11025, {0x40, 0x0C, 0xAC, 0x44}},
        {32000, {0x40, 0x0D, 0xFA, 0x00}}, {1, {0x3F, 0xFF, 0x80, 0x00}},
    };
    for (const auto& c : table)
    {
        uint8_t extended[10];
        std::fill(extended, extended + 10, 0xAA);
        CAiffFormat::RateToExtended(c.rate, extended);
        EXPECT_EQ(Bytes(extended, extended + 4), Bytes(c.bytes, c.bytes + 4)) << c.rate;
        EXPECT_EQ(Bytes(extended + 4, extended + 10), Bytes(6, 0)) << c.rate;
        if (c.rate > 1)
        {
            EXPECT_EQ(CAiffFormat::ExtendedToRate(extended), c.rate);
        }
    }
    uint8_t extended[10];
    CAiffFormat::RateToExtended(0, extended);
    EXPECT_EQ(Bytes(extended, extended + 10), Bytes(10, 0));
    EXPECT_EQ(CAiffFormat::ExtendedToRate(extended), 0u);
    CAiffFormat::RateToExtended(123456789, extended);
    EXPECT_EQ(CAiffFormat::ExtendedToRate(extended), 123456789u);
    EXPECT_EQ(CAiffFormat::ExtendedToRate(extendedRate(0x401D, 0x8000).data()), 0u);
    EXPECT_EQ(CAiffFormat::ExtendedToRate(extendedRate(0xC00E, 0xAC44).data()), 0u);
}

TEST(CAiffFileRead, OpenResults)
{
    const Bytes frames = be16({1, 2, 3, 4});
    const Bytes sowtComm = commBody(2, 2, 16, kRate44100, "sowt");
    Bytes shortAifcComm = commBody(2, 2, 16, kRate44100);
    const struct
    {
        const char* name;
        Bytes file;
        int aiff;
        int sowt;
    } cases[] = {
        {"AIFF 44100", aiff(commBody(2, 2, 16, kRate44100), ssndBody(frames)), 0, 4},
        {"24-bit mono 48000", aiff(commBody(1, 1, 24, extendedRate(0x400E, 0xBB80)), ssndBody(Bytes(3, 0))), 0, 4},
        {"22050 Hz", aiff(commBody(2, 2, 16, extendedRate(0x400D, 0xAC44)), ssndBody(frames)), 3, 4},
        {"8 bits", aiff(commBody(2, 2, 8, kRate44100), ssndBody(frames)), 3, 4},
        {"32 bits", aiff(commBody(2, 1, 32, kRate44100), ssndBody(frames)), 3, 4},
        {"3 channels", aiff(commBody(3, 1, 16, kRate44100), ssndBody(Bytes(6, 0))), 3, 4},
        {"no COMM", form("AIFF", {iffChunk("SSND", ssndBody(frames))}), 3, 4},
        {"COMM too short", form("AIFF", {iffChunk("COMM", Bytes(10, 0)), iffChunk("SSND", ssndBody(frames))}), 3, 4},
        {"no SSND", form("AIFF", {iffChunk("COMM", commBody(2, 2, 16, kRate44100))}), 4, 4},
        {"RIFF", riff("WAVE", {}), 4, 4},
        {"AIFC sowt", form("AIFC", {iffChunk("COMM", sowtComm), iffChunk("SSND", ssndBody(frames))}), 4, 0},
        {"AIFC NONE",
         form("AIFC", {iffChunk("COMM", commBody(2, 2, 16, kRate44100, "NONE")), iffChunk("SSND", ssndBody(frames))}),
         4, 0},
        {"AIFC other compression",
         form("AIFC", {iffChunk("COMM", commBody(2, 2, 16, kRate44100, "ulaw")), iffChunk("SSND", ssndBody(frames))}),
         4, 3},
        // An AIFC "COMM" without room for the compression type.
        {"AIFC COMM of 18 bytes", form("AIFC", {iffChunk("COMM", shortAifcComm), iffChunk("SSND", ssndBody(frames))}),
         4, 3},
        {"empty file", Bytes{}, 4, 4},
    };
    TempFolder folder;
    for (const auto& c : cases)
    {
        CAiffFileRead aiffReader;
        CAifcSowtFileRead sowtReader;
        EXPECT_EQ(openBytes(aiffReader, folder, c.file), c.aiff) << c.name;
        EXPECT_EQ(openBytes(sowtReader, folder, c.file), c.sowt) << c.name;
        EXPECT_EQ(aiffReader.IsOpen(), c.aiff == 0) << c.name;
    }
    CAiffFileRead reader;
    EXPECT_EQ(reader.Open(folder.file("missing.aif").u16string().c_str()), ReaderOpenResult::CannotOpen);
}

TEST(CAiffFileRead, SamplesInBothByteOrders)
{
    TempFolder folder;
    CAiffFileRead aiffReader;
    // Sound-data offset 4: the first frame starts 4 bytes after the block size.
    ASSERT_EQ(openBytes(aiffReader, folder,
                        aiff(commBody(2, 3, 16, kRate44100), ssndBody(be16({1, -1, 2, -2, 0x7FFF, -0x8000}), 4))),
              0);
    EXPECT_EQ(aiffReader.GetSampleRate(), 44100u);
    EXPECT_EQ(aiffReader.GetChannelCount(), 2);
    EXPECT_EQ(aiffReader.GetBitsPerSample(), 16);
    EXPECT_STREQ(aiffReader.GetFormatName(), "AIFF");
    EXPECT_EQ(aiffReader.GetLength(), 3u);
    uint32_t delivered = 0;
    const auto right = readChannel(aiffReader, 5, 1, &delivered);
    EXPECT_EQ(delivered, 3u);
    EXPECT_EQ(right, (std::vector<int32_t>{-1 << 16, -2 << 16, -0x8000 << 16, 0, 0}));
    EXPECT_FALSE(aiffReader.HasReadFailed());

    CAifcSowtFileRead sowtReader;
    ASSERT_EQ(
        openBytes(sowtReader, folder,
                  form("AIFC", {iffChunk("FVER", Bytes(4, 0)), iffChunk("COMM", commBody(1, 2, 16, kRate44100, "sowt")),
                                iffChunk("SSND", ssndBody(le16({0x1234, -2})))}),
                  "sowt.aif"),
        0);
    EXPECT_STREQ(sowtReader.GetFormatName(), "AIFF");
    const auto mono = readChannel(sowtReader, 2, 0, &delivered);
    EXPECT_EQ(mono, (std::vector<int32_t>{0x1234 << 16, -2 * 65536}));

    // Positions and ranges count frames.
    EXPECT_EQ(aiffReader.SetPosition(2), 2u);
    aiffReader.SetRange(1, uint64_t(-1));
    EXPECT_EQ(aiffReader.GetLength(), 2u);
    EXPECT_EQ(aiffReader.GetRangeStart(), 1u);
    EXPECT_EQ(aiffReader.GetAbsolutePosition(), 1u);
    std::vector<float> l(2), r(2);
    float* floats[2] = {l.data(), r.data()};
    EXPECT_EQ(aiffReader.ReadFloat(floats, 2, 0), 2u);
    EXPECT_FLOAT_EQ(l[0], 2.0f / 32768.0f);
    EXPECT_FLOAT_EQ(r[1], -1.0f);
}

TEST(CAiffFileRead, UntrustedLengths)
{
    TempFolder folder;
    const Bytes tag = id3Tag(3, 0, frame(3, "TIT2", textBody(0, "Title")));
    const struct
    {
        const char* name;
        Bytes file;
        uint64_t frames;
    } cases[] = {
        // The frame count claims more than the file holds.
        {"count beyond the file", aiff(commBody(1, 1000000, 16, kRate44100), ssndBody(be16({1, 2, 3}))), 3},
        // ... or more than the "SSND" chunk holds, with a tag after it: the
        // tag's bytes are no samples.
        {"count beyond the chunk",
         aiff(commBody(1, 1000, 24, kRate44100), ssndBody(Bytes(9, 1)), {iffChunk("ID3 ", tag)}), 3},
        {"huge chunk size",
         form("AIFF", {iffChunk("COMM", commBody(2, 4, 16, kRate44100)),
                       iffChunk("SSND", ssndBody(Bytes(16, 0)), true, 0xFFFFFFF0)}),
         4},
    };
    for (const auto& c : cases)
    {
        CAiffFileRead reader;
        ASSERT_EQ(openBytes(reader, folder, c.file), 0) << c.name;
        EXPECT_EQ(reader.GetLength(), c.frames) << c.name;
        std::vector<int32_t> samples(16, 7);
        int32_t* channels[2] = {samples.data(), samples.data() + 8};
        EXPECT_EQ(reader.ReadInt32(channels, 8, 0), c.frames) << c.name;
        EXPECT_FALSE(reader.HasReadFailed()) << c.name;
    }

    Bytes farOffset = aiff(commBody(2, 4, 16, kRate44100), ssndBody(Bytes(16, 0)));
    farOffset[12 + 8 + 18 + 8] = 0x7F; // the SSND offset's top byte
    CAiffFileRead reader;
    ASSERT_EQ(openBytes(reader, folder, farOffset), 0);
    EXPECT_EQ(reader.GetLength(), 0u);
}

TEST(CAiffFileRead, TagsAndPictureFromTheId3Chunk)
{
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 7};
    const Bytes tag =
        id3Tag(4, 0,
               join({frame(4, "TALB", textBody(3, "Album")), frame(4, "TIT2", textBody(3, "T\xC3\xADtulo")),
                     frame(4, "TPE2", textBody(3, "Band")), frame(4, "TPE1", textBody(3, "Artist")),
                     frame(4, "TCON", textBody(3, "(8)")), frame(4, "TDRC", textBody(3, "2010-05-06T07:08:09")),
                     frame(4, "TSSE", textBody(3, "Encoder")),
                     frame(4, "APIC", join({Bytes{0}, bytesOf(std::string("image/png\0", 10)), Bytes{3, 0}, png}))}));
    TempFolder folder;
    // An odd "SSND" chunk, its pad byte, then the tag chunk.
    const Bytes file = aiff(commBody(1, 1, 24, kRate44100), ssndBody(Bytes(3, 5)), {iffChunk("ID3 ", tag)});
    CAiffFileRead reader;
    ASSERT_EQ(openBytes(reader, folder, file), 0);
    const CAudioMetaData& m = *reader.GetMetaData();
    const struct
    {
        int field;
        std::u16string text;
    } expected[] = {{CAudioMetaData::kAlbum, u"Album"},      {CAudioMetaData::kTitle, u"T\u00EDtulo"},
                    {CAudioMetaData::kAlbumArtist, u"Band"}, {CAudioMetaData::kArtist, u"Artist"},
                    {CAudioMetaData::kGenre, u"Jazz"},       {CAudioMetaData::kDate, u"2010-05-06"},
                    {CAudioMetaData::kTime, u"07:08:09"},    {CAudioMetaData::kSoftware, u"Encoder"}};
    for (const auto& e : expected)
        EXPECT_EQ(std::u16string(m.GetField(e.field)->GetWide()), e.text) << e.field;
    EXPECT_EQ(std::u16string(m.GetPicturePath()), folder.file("file.aif").u16string());
    ASSERT_EQ(reader.GetPictureDataSize(), png.size());
    Bytes picture(png.size());
    EXPECT_EQ(reader.ReadPictureData(picture.data(), uint32_t(picture.size())), int(png.size()));
    EXPECT_EQ(picture, png);
    EXPECT_EQ(reader.GetLength(), 1u);

    // Without a tag: no texts, the file's time as the date, no picture.
    CAiffFileRead plain;
    ASSERT_EQ(openBytes(plain, folder, aiff(commBody(1, 1, 16, kRate44100), ssndBody(Bytes(2, 0))), "plain.aif"), 0);
    EXPECT_TRUE(plain.GetMetaData()->GetField(CAudioMetaData::kTitle)->IsEmpty());
    EXPECT_GT(plain.GetMetaData()->GetYear(), 2000);
    EXPECT_EQ(plain.GetPictureDataSize(), 0u);
    Bytes none(4, 0xAA);
    EXPECT_EQ(plain.ReadPictureData(none.data(), 4), 0);
    EXPECT_EQ(none, Bytes(4, 0));

    plain.Close();
    EXPECT_FALSE(plain.IsOpen());
    EXPECT_EQ(plain.GetLength(), 0u);
}
