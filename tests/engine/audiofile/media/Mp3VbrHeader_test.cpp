#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/media/Mp3VbrHeader.h"
#include "tests/support/TempFolder.h"

namespace
{
// An MPEG audio frame header (4 bytes) followed by zeroes, with `id` written
// at `idOffset` from the frame start; `prefix` bytes come before the frame.
std::vector<uint8_t> Frame(uint8_t b1, uint8_t b3, const char* id, size_t idOffset,
                           const std::vector<uint8_t>& prefix = {})
{
    std::vector<uint8_t> data(prefix);
    const size_t start = data.size();
    data.resize(start + 417, 0);
    data[start] = 0xFF;
    data[start + 1] = b1;
    data[start + 2] = 0x90; // 128 kbit/s, 44100 Hz
    data[start + 3] = b3;
    if (id != nullptr)
        std::memcpy(data.data() + start + idOffset, id, 4);
    return data;
}

std::vector<uint8_t> Id3v2Tag(uint32_t bodySize)
{
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    tag[6] = static_cast<uint8_t>((bodySize >> 21) & 0x7F);
    tag[7] = static_cast<uint8_t>((bodySize >> 14) & 0x7F);
    tag[8] = static_cast<uint8_t>((bodySize >> 7) & 0x7F);
    tag[9] = static_cast<uint8_t>(bodySize & 0x7F);
    tag.resize(10 + bodySize, 0);
    return tag;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> first, const std::vector<uint8_t>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& data, size_t size)
{
    return std::vector<uint8_t>(data.begin(), data.begin() + static_cast<long>(size));
}

constexpr uint8_t kMpeg1 = 0xFB;  // MPEG 1, Layer III, no CRC
constexpr uint8_t kMpeg2 = 0xF3;  // MPEG 2, Layer III
constexpr uint8_t kLayer2 = 0xFD; // MPEG 1, Layer II
constexpr uint8_t kStereo = 0x00;
constexpr uint8_t kMono = 0xC0;

TEST(Mp3VbrHeader, FindsTheHeaderWhereTheFrameLayoutPutsIt)
{
    const struct
    {
        const char* what;
        std::vector<uint8_t> data;
        Mp3VbrHeader expected;
    } rows[] = {
        {"MPEG 1 stereo Xing", Frame(kMpeg1, kStereo, "Xing", 36), Mp3VbrHeader::Xing},
        {"MPEG 1 stereo Info", Frame(kMpeg1, kStereo, "Info", 36), Mp3VbrHeader::Info},
        {"MPEG 1 mono Xing", Frame(kMpeg1, kMono, "Xing", 21), Mp3VbrHeader::Xing},
        {"MPEG 2 stereo Xing", Frame(kMpeg2, kStereo, "Xing", 21), Mp3VbrHeader::Xing},
        {"MPEG 2 mono Info", Frame(kMpeg2, kMono, "Info", 13), Mp3VbrHeader::Info},
        {"VBRI", Frame(kMpeg1, kStereo, "VBRI", 36), Mp3VbrHeader::Vbri},
        {"Xing at the wrong offset", Frame(kMpeg1, kMono, "Xing", 36), Mp3VbrHeader::None},
        {"no header", Frame(kMpeg1, kStereo, nullptr, 0), Mp3VbrHeader::None},
        {"Layer II frame", Frame(kLayer2, kStereo, "Xing", 36), Mp3VbrHeader::None},
        {"after an ID3v2 tag", Frame(kMpeg1, kStereo, "Xing", 36, Id3v2Tag(300)), Mp3VbrHeader::Xing},
        {"after two ID3v2 tags in a row", Frame(kMpeg1, kStereo, "Xing", 36, Concat(Id3v2Tag(300), Id3v2Tag(20))),
         Mp3VbrHeader::Xing},
        {"after junk", Frame(kMpeg1, kStereo, "Info", 36, {1, 2, 3, 0xFF, 0x00}), Mp3VbrHeader::Info},
        {"tag larger than the data", Prefix(Frame(kMpeg1, kStereo, "Xing", 36, Id3v2Tag(5000)), 100),
         Mp3VbrHeader::None},
    };
    // The probe of a file answers as the probe of its bytes.
    qm::test::TempFolder folder;
    const auto path = folder.file("probe.mp3");
    for (const auto& row : rows)
    {
        EXPECT_EQ(FindMp3VbrHeader(row.data.data(), row.data.size()), row.expected) << row.what;
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(row.data.data()), static_cast<std::streamsize>(row.data.size()));
        CBinaryFile64 file(false);
        ASSERT_GE(file.Open(path.u16string().c_str()), 0);
        EXPECT_EQ(ReadMp3VbrHeader(file), row.expected) << row.what;
    }
}

TEST(Mp3VbrHeader, NeverReadsPastTheData)
{
    // The frame header sits at the very end: the header id would lie beyond.
    const auto whole = Frame(kMpeg1, kStereo, "Xing", 36);
    for (size_t size : {0u, 3u, 4u, 39u, 40u})
    {
        const auto cut = Prefix(whole, size);
        EXPECT_EQ(FindMp3VbrHeader(cut.data(), cut.size()), size == 40 ? Mp3VbrHeader::Xing : Mp3VbrHeader::None)
            << size;
    }
    EXPECT_EQ(FindMp3VbrHeader(nullptr, 100), Mp3VbrHeader::None);
    EXPECT_TRUE(IsVariableBitRateHeader(Mp3VbrHeader::Xing));
    EXPECT_TRUE(IsVariableBitRateHeader(Mp3VbrHeader::Vbri));
    EXPECT_FALSE(IsVariableBitRateHeader(Mp3VbrHeader::Info));
}

} // namespace
