#include "engine/audiofile/aiff/CAiffFileWrite.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/tags/CID3v2_3Create.h"

namespace
{
// Room kept below 4 GiB for what follows the samples: a pad byte and an
// "ID3 " chunk of text frames (eight texts of at most 128 UTF-16 units). A
// picture is added only when it fits into what is left.
constexpr uint64_t kTrailerReserve = 32768;
} // namespace

CAiffFileWrite::CAiffFileWrite()
    : CStagedPcmFileWrite(ByteOrder::BigEndian)
{
}

CAiffFileWrite::~CAiffFileWrite()
{
    CAiffFileWrite::Close();
}

int CAiffFileWrite::WriteUInt(uint64_t value, int bytes)
{
    uint8_t buffer[8] = {};
    bytes = std::clamp(bytes, 0, 8);
    IntToBigEndianBytes(buffer, value, bytes);
    return static_cast<int>(Write(buffer, static_cast<uint32_t>(bytes)));
}

const char* CAiffFileWrite::GetFormatName()
{
    return "AIFF";
}

WriterOpenResult CAiffFileWrite::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample,
                                      uint16_t channelCount, uint32_t)
{
    Close();
    // Only 16 and 24 bits: other widths do not fill the staging buffer with
    // whole frames, and no reader here takes them back.
    if ((bitsPerSample != 16 && bitsPerSample != 24) || (channelCount != 1 && channelCount != 2) || sampleRate == 0)
        return WriterOpenResult::CannotCreate;
    if (CBinaryFile64::Open(path) < 0)
        return WriterOpenResult::CannotCreate;

    RateToExtended(sampleRate, m_sampleRate);
    m_sampleSize = bitsPerSample;
    m_channelCount = channelCount;
    BeginData(kHeaderSize, channelCount, bitsPerSample, kTrailerReserve);

    if (!WriteHeader())
    {
        // Not even the header fits (a full disk): leave no file behind.
        DeleteCreatedFile();
        ResetAiffFormat();
        return WriterOpenResult::CannotCreate;
    }
    return WriterOpenResult::Ok;
}

bool CAiffFileWrite::WriteHeader()
{
    const int64_t length = GetFileLength();
    const uint64_t dataBytes = GetDataBytes();
    const uint32_t frameBytes = uint32_t(m_sampleSize / 8) * m_channelCount;
    m_formSize = static_cast<uint32_t>(static_cast<uint64_t>(length - 8));
    m_sampleFrames = frameBytes != 0 ? static_cast<uint32_t>(dataBytes / frameBytes) : 0;
    m_ssndSize = static_cast<uint32_t>(dataBytes + 8);

    uint8_t header[kHeaderSize];
    std::memcpy(header, "FORM", 4);
    IntToBigEndianBytes(header + 4, m_formSize, 4);
    std::memcpy(header + 8, "AIFF", 4);
    std::memcpy(header + 12, "COMM", 4);
    IntToBigEndianBytes(header + 16, 18, 4);
    IntToBigEndianBytes(header + 20, m_channelCount, 2);
    IntToBigEndianBytes(header + 22, m_sampleFrames, 4);
    IntToBigEndianBytes(header + 26, m_sampleSize, 2);
    std::memcpy(header + 28, m_sampleRate, 10);
    std::memcpy(header + 38, "SSND", 4);
    IntToBigEndianBytes(header + 42, m_ssndSize, 4);
    IntToBigEndianBytes(header + 46, 0, 4);
    IntToBigEndianBytes(header + 50, 0, 4);
    Seek(0, SEEK_SET);
    return Write(header, kHeaderSize) == kHeaderSize;
}

bool CAiffFileWrite::WriteId3Chunk()
{
    CID3v2_3Create tag;
    tag.CreateId3v2Tag(m_metaData);
    const uint64_t room = kMaxFileLength - std::min<uint64_t>(static_cast<uint64_t>(Tell()), kMaxFileLength);
    if (tag.GetSize() > 10 && uint64_t(tag.GetSize()) + 9 > room && m_metaData.GetPicturePath()[0] != 0)
    {
        // The picture does not fit below the size limit: the texts still do.
        CAudioMetaData withoutPicture;
        withoutPicture.CopyFrom(m_metaData);
        (void)withoutPicture.SetPicturePath(u""); // an empty path always fits
        tag.CreateId3v2Tag(withoutPicture);
    }
    if (tag.GetSize() <= 10 || uint64_t(tag.GetSize()) + 9 > room)
        return true;
    uint8_t header[8];
    std::memcpy(header, "ID3 ", 4);
    IntToBigEndianBytes(header + 4, tag.GetSize(), 4);
    bool ok = Write(header, 8) == 8;
    ok = Write(tag.GetData(), tag.GetSize()) == tag.GetSize() && ok;
    // IFF pads a chunk of odd size to an even length.
    if ((tag.GetSize() & 1) != 0)
        ok = WriteUInt(0, 1) == 1 && ok;
    return ok;
}

bool CAiffFileWrite::Close()
{
    bool ok = true;
    if (IsOpen())
    {
        ok = FinishData();
        ok = WriteId3Chunk() && ok;
        ok = WriteHeader() && ok;
        ok = CBinaryFile64::Close() == 0 && ok;
    }
    ResetAiffFormat();
    ResetData();
    return ok;
}

uint32_t CAiffFileWrite::GetSampleRate()
{
    return ExtendedToRate(m_sampleRate);
}

uint16_t CAiffFileWrite::GetChannelCount()
{
    return m_channelCount;
}

uint16_t CAiffFileWrite::GetBitsPerSample()
{
    return m_sampleSize;
}

bool CAiffFileWrite::IsFloat()
{
    return false;
}
