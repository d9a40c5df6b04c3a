#include "engine/audiofile/CAiffFileWrite.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unistd.h>

#include "engine/audiofile/CID3v2_3Create.h"
#include "engine/audiofile/NumberHelpers.h"
#include "engine/audiofile/PcmPacking.h"

namespace
{
// Room kept below 4 GiB for what follows the samples: a pad byte and an
// "ID3 " chunk of text frames (eight texts of at most 128 UTF-16 units). A
// picture is added only when it fits into what is left.
constexpr uint64_t kTrailerReserve = 32768;
constexpr uint64_t kMaxFileLength = 0xFFFFFFFFu;
} // namespace

CAiffFileWrite::CAiffFileWrite() = default;

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

uint32_t CAiffFileWrite::FrameBytes() const
{
    return uint32_t(m_sampleSize / 8) * m_channelCount;
}

int CAiffFileWrite::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                         uint32_t)
{
    Close();
    // Only 16 and 24 bits: other widths do not fill the staging buffer with
    // whole frames, and no reader here takes them back.
    if ((bitsPerSample != 16 && bitsPerSample != 24) || (channelCount != 1 && channelCount != 2) || sampleRate == 0)
        return 2;
    if (CBinaryFile64::Open(path) < 0)
        return 2;

    RateToExtended(sampleRate, m_sampleRate);
    m_sampleSize = bitsPerSample;
    m_channelCount = channelCount;
    m_dataStart = m_dataEnd = kHeaderSize;
    m_stagingFill = 0;
    m_writeFailed = false;
    const uint64_t room = kMaxFileLength - kHeaderSize - kTrailerReserve;
    m_dataByteLimit = room - room % FrameBytes();

    if (!WriteHeader())
    {
        // Not even the header fits (a full disk): leave no file behind.
        const std::u16string created = GetPath();
        CBinaryFile64::Close();
        std::string narrow;
        if (PathToUtf8(created, narrow))
            ::unlink(narrow.c_str());
        ResetAiffFormat();
        m_dataStart = m_dataEnd = 0;
        return 2;
    }
    return 0;
}

bool CAiffFileWrite::WriteHeader()
{
    const int64_t length = GetFileLength();
    const uint64_t dataBytes = static_cast<uint64_t>(m_dataEnd - m_dataStart);
    const uint32_t frameBytes = FrameBytes();
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
    m_headerEnd = 12;
    return Write(header, kHeaderSize) == kHeaderSize;
}

bool CAiffFileWrite::FlushStaging()
{
    if (m_stagingFill == 0)
        return true;
    const uint32_t written = Write(m_staging.get(), m_stagingFill);
    const bool complete = written == m_stagingFill;
    // Only whole frames count as data; a partly written frame is overwritten
    // by what follows.
    m_dataEnd += written - written % FrameBytes();
    Seek(m_dataEnd, SEEK_SET);
    m_stagingFill = 0;
    if (!complete)
        m_writeFailed = true;
    return complete;
}

uint32_t CAiffFileWrite::WriteInt32(int32_t** channels, uint32_t frames)
{
    const uint32_t frameBytes = FrameBytes();
    if (!IsOpen() || m_writeFailed || channels == nullptr || frameBytes == 0)
        return 0;
    const uint64_t used = uint64_t(m_dataEnd - m_dataStart) + m_stagingFill;
    const uint64_t room = m_dataByteLimit > used ? (m_dataByteLimit - used) / frameBytes : 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(frames, room));

    uint32_t accepted = 0;
    while (accepted < wanted)
    {
        const uint32_t k = std::min((kStagingSize - m_stagingFill) / frameBytes, wanted - accepted);
        PackBigEndian(m_channelCount, m_staging.get() + m_stagingFill, channels, k, m_sampleSize, accepted);
        m_stagingFill += k * frameBytes;
        accepted += k;
        if (m_stagingFill + frameBytes <= kStagingSize && (accepted < wanted || m_stagingFill < kStagingKeep))
            continue;
        const uint32_t staged = m_stagingFill;
        const int64_t endBefore = m_dataEnd;
        if (!FlushStaging())
        {
            // The frames that did not reach the file are the latest ones.
            const uint32_t writtenBytes = static_cast<uint32_t>(m_dataEnd - endBefore);
            const uint32_t lost = (staged - writtenBytes) / frameBytes;
            return accepted - std::min(accepted, lost);
        }
    }
    return accepted;
}

uint32_t CAiffFileWrite::WriteFloat(float** channels, uint32_t frames)
{
    return WriteFloatAsInt32(channels, frames);
}

uint64_t CAiffFileWrite::GetWrittenFrames()
{
    const uint32_t frameBytes = FrameBytes();
    if (frameBytes == 0 || !IsOpen())
        return 0;
    const int64_t bytes = Tell() + int64_t(m_stagingFill) - m_dataStart;
    return bytes > 0 ? uint64_t(bytes) / frameBytes : 0;
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
        withoutPicture.SetPicturePath(u"");
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
        ok = !m_writeFailed;
        ok = FlushStaging() && ok;
        Seek(m_dataEnd, SEEK_SET);
        // IFF pads a chunk of odd size to an even length; other programs
        // expect the next chunk there.
        if (((m_dataEnd - m_dataStart) & 1) != 0)
            ok = WriteUInt(0, 1) == 1 && ok;
        ok = WriteId3Chunk() && ok;
        ok = WriteHeader() && ok;
        ok = CBinaryFile64::Close() == 0 && ok;
    }
    ResetAiffFormat();
    m_headerEnd = m_dataStart = m_dataEnd = 0;
    m_stagingFill = 0;
    m_dataByteLimit = 0;
    m_writeFailed = false;
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
