#include "engine/audiofile/CAiffFileRead.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/audiofile/CID3v2Read.h"
#include "engine/audiofile/EngineText.h"
#include "engine/audiofile/Id3MetaDataMerge.h"
#include "engine/audiofile/PcmBuffers.h"
#include "engine/audiofile/PcmPacking.h"

namespace
{
bool IsAcceptedRate(uint32_t rate)
{
    switch (rate)
    {
    case 44100:
    case 48000:
    case 88200:
    case 96000:
    case 176400:
    case 192000:
        return true;
    default:
        return false;
    }
}

void ZeroIntChannels(uint16_t channels, int32_t** buffers, uint32_t from, uint32_t count)
{
    if (buffers == nullptr || count == 0)
        return;
    for (uint16_t c = 0; c < channels; ++c)
        if (buffers[c] != nullptr)
            std::memset(buffers[c] + from, 0, sizeof(int32_t) * count);
}
} // namespace

CAiffFileRead::CAiffFileRead() = default;

CAiffFileRead::~CAiffFileRead()
{
    CAiffFileRead::Close();
}

uint64_t CAiffFileRead::ReadUInt(int bytes)
{
    return ReadUIntBigEndian(bytes);
}

const char* CAiffFileRead::GetFormatName()
{
    return "AIFF";
}

uint32_t CAiffFileRead::FrameBytes() const
{
    return uint32_t(m_sampleSize / 8) * m_channelCount;
}

void CAiffFileRead::EmptyBuffer()
{
    m_bufferFill = 0;
    m_bufferRead = 0;
}

void CAiffFileRead::Close()
{
    std::lock_guard lock(m_lock.m_section);
    CBinaryFile64::Close();
    ResetAiffFormat();
    m_metaData.Clear();
    m_headerEnd = m_dataStart = m_dataEnd = m_rangeStart = m_rangeEnd = 0;
    std::memset(m_buffer.get(), 0, kBufferSize);
    EmptyBuffer();
    m_readFailed = false;
    m_pictureSize = 0;
}

int CAiffFileRead::Open(const char16_t* path)
{
    std::lock_guard lock(m_lock.m_section);
    Close();
    if (CBinaryFile64::Open(path) < 0)
        return 2;
    if (!ReadFormHeader())
    {
        Close();
        return 4;
    }
    m_headerEnd = Tell();
    if (!ReadCommChunk())
    {
        Close();
        return 3;
    }

    Seek(m_headerEnd, SEEK_SET);
    const uint64_t ssndChunk = FindRiffChunk("SSND", -1);
    if (ssndChunk < 16)
    {
        Close();
        return 4;
    }
    const int64_t chunkStart = Tell();
    Read(m_ssndId, 4);
    m_ssndSize = static_cast<uint32_t>(ReadUInt(4));
    m_ssndOffset = static_cast<uint32_t>(ReadUInt(4));
    m_ssndBlockSize = static_cast<uint32_t>(ReadUInt(4));

    // The frame count of "COMM" gives the length, but neither it nor the
    // chunk sizes are trusted: the samples end at the end of the "SSND" chunk
    // and of the file at the latest, on a whole frame.
    const int64_t frameBytes = FrameBytes();
    const int64_t chunkEnd = std::min<int64_t>(chunkStart + static_cast<int64_t>(ssndChunk), GetFileLength());
    m_dataStart = chunkStart + 16 + int64_t(m_ssndOffset);
    int64_t dataBytes = std::min<int64_t>(int64_t(m_sampleFrames) * frameBytes, chunkEnd - m_dataStart);
    dataBytes = std::max<int64_t>(dataBytes, 0);
    dataBytes -= dataBytes % frameBytes;
    m_dataEnd = m_dataStart + dataBytes;
    m_rangeStart = m_dataStart;
    m_rangeEnd = m_dataEnd;

    ReadTags();
    if (m_metaData.GetYear() == -1)
        ReadFileDateTime();

    Seek(m_dataStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
    return 0;
}

bool CAiffFileRead::ReadFormHeader()
{
    char form[4] = {};
    char type[4] = {};
    Read(form, 4);
    ReadUInt(4);
    Read(type, 4);
    return FourCharCodeEquals(form, "FORM") && FourCharCodeEquals(type, "AIFF");
}

bool CAiffFileRead::ReadCommonCommFields(uint64_t minimumChunkSize)
{
    Seek(m_headerEnd, SEEK_SET);
    const uint64_t size = FindRiffChunk("COMM", -1);
    if (size < minimumChunkSize || size < 26)
        return false;
    Read(m_commId, 4);
    m_commSize = static_cast<uint32_t>(ReadUInt(4));
    m_channelCount = static_cast<uint16_t>(ReadUInt(2));
    m_sampleFrames = static_cast<uint32_t>(ReadUInt(4));
    m_sampleSize = static_cast<uint16_t>(ReadUInt(2));
    if (Read(m_sampleRate, 10) != 10)
        return false;
    return (m_sampleSize == 16 || m_sampleSize == 24) && (m_channelCount == 1 || m_channelCount == 2) &&
           IsAcceptedRate(ExtendedToRate(m_sampleRate));
}

bool CAiffFileRead::ReadCommChunk()
{
    return ReadCommonCommFields(26);
}

int64_t CAiffFileRead::FindId3ChunkData()
{
    const int64_t saved = Tell();
    Seek(m_headerEnd, SEEK_SET);
    const uint64_t size = FindRiffChunk("ID3 ", -1);
    const int64_t data = size >= 8 ? Tell() + 8 : -1;
    Seek(saved, SEEK_SET);
    return data;
}

bool CAiffFileRead::ReadTags()
{
    m_metaData.Clear();
    m_pictureSize = 0;
    const int64_t data = FindId3ChunkData();
    if (data < 0)
        return false;
    std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(GetPath(), data));
    if (tag == nullptr)
        return false;

    using Getter = uint32_t (CID3v2Read::*)(char16_t*, uint32_t);
    static constexpr struct
    {
        int field;
        Getter getter;
        bool moment;
    } kTexts[] = {
        {CAudioMetaData::kAlbum, &CID3v2Read::GetAlbum, false},
        {CAudioMetaData::kTitle, &CID3v2Read::GetTitle, false},
        {CAudioMetaData::kAlbumArtist, &CID3v2Read::GetAlbumArtist, false},
        {CAudioMetaData::kArtist, &CID3v2Read::GetArtist, false},
        {CAudioMetaData::kGenre, &CID3v2Read::GetGenre, false},
        {CAudioMetaData::kDate, &CID3v2Read::GetDate, true},
        {CAudioMetaData::kTime, &CID3v2Read::GetTime, true},
        {CAudioMetaData::kSoftware, &CID3v2Read::GetEncoder, false},
    };
    constexpr uint32_t kCapacity = CAudioMetaData::kFieldCapacity + 1;
    for (const auto& entry : kTexts)
    {
        char16_t text[kCapacity] = {};
        const uint32_t length = (tag.get()->*entry.getter)(text, kCapacity);
        CMultiString* field = m_metaData.GetField(entry.field);
        field->Clear();
        // A blank date or time template is no value.
        if (length > 0 && (!entry.moment || HasDateDigits(text)))
            field->SetWide(static_cast<int>(length), text);
    }
    const uint32_t pictureSize = tag->ReadPicture(nullptr, 0, -1);
    if (pictureSize > 0 && m_metaData.SetPicturePath(GetPath()))
        m_pictureSize = pictureSize;
    return true;
}

uint32_t CAiffFileRead::GetPictureDataSize()
{
    return m_pictureSize;
}

int CAiffFileRead::ReadPictureData(uint8_t* buffer, uint32_t size)
{
    std::lock_guard lock(m_lock.m_section);
    if (buffer != nullptr)
        std::memset(buffer, 0, size);
    if (!IsOpen() || buffer == nullptr)
        return 0;
    const int64_t data = FindId3ChunkData();
    if (data < 0)
        return 0;
    std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(GetPath(), data));
    if (tag == nullptr)
        return 0;
    return static_cast<int>(tag->ReadPicture(buffer, size, -1));
}

uint32_t CAiffFileRead::GetSampleRate()
{
    return ExtendedToRate(m_sampleRate);
}

uint16_t CAiffFileRead::GetBitsPerSample()
{
    return m_sampleSize;
}

uint16_t CAiffFileRead::GetChannelCount()
{
    return m_channelCount;
}

bool CAiffFileRead::IsFloat()
{
    return false;
}

uint64_t CAiffFileRead::GetLength()
{
    const uint32_t frameBytes = FrameBytes();
    if (frameBytes == 0 || m_rangeEnd <= m_rangeStart)
        return 0;
    return uint64_t(m_rangeEnd - m_rangeStart) / frameBytes;
}

uint64_t CAiffFileRead::GetPosition()
{
    std::lock_guard lock(m_lock.m_section);
    const uint32_t frameBytes = FrameBytes();
    const int64_t bytes = Tell() - int64_t(m_bufferFill) + int64_t(m_bufferRead) - m_rangeStart;
    if (bytes <= 0 || frameBytes == 0)
        return 0;
    return uint64_t(bytes) / frameBytes;
}

uint64_t CAiffFileRead::GetRangeStart()
{
    const uint32_t frameBytes = FrameBytes();
    if (frameBytes == 0 || m_rangeStart <= m_dataStart)
        return 0;
    return uint64_t(m_rangeStart - m_dataStart) / frameBytes;
}

void CAiffFileRead::SetRange(uint64_t startFrame, uint64_t endFrame)
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t frameBytes = FrameBytes();
    if (frameBytes == 0 || !IsOpen())
        return;
    const int64_t frames = (m_dataEnd - m_dataStart) / frameBytes;
    const int64_t start = std::clamp<int64_t>(static_cast<int64_t>(startFrame), 0, frames);
    int64_t end = static_cast<int64_t>(endFrame);
    if (end >= frames)
        end = frames;
    m_rangeStart = m_dataStart + start * frameBytes;
    m_rangeEnd = start < end ? m_dataStart + end * frameBytes : m_dataEnd;
    Seek(m_rangeStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
}

uint64_t CAiffFileRead::SetPosition(uint64_t frame)
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t length = static_cast<int64_t>(GetLength());
    const int64_t target = std::clamp<int64_t>(static_cast<int64_t>(frame), 0, length);
    Seek(m_rangeStart + target * FrameBytes(), SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
    return GetPosition();
}

bool CAiffFileRead::HasReadFailed()
{
    return m_readFailed;
}

uint32_t CAiffFileRead::UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset)
{
    return UnpackBigEndian(m_channelCount, channels, source, frames, m_sampleSize, offset);
}

uint32_t CAiffFileRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    std::lock_guard lock(m_lock.m_section);
    int32_t* none[2] = {nullptr, nullptr};
    int32_t** target = channels != nullptr ? channels : none;
    const uint32_t frameBytes = FrameBytes();
    uint32_t delivered = 0;
    if (IsOpen() && frameBytes != 0)
    {
        for (;;)
        {
            const uint32_t unreadFrames = (m_bufferFill - m_bufferRead) / frameBytes;
            const uint32_t k = std::min(unreadFrames, frames - delivered);
            if (k > 0)
            {
                UnpackSamples(m_buffer.get() + m_bufferRead, target, k, offset + delivered);
                delivered += k;
                m_bufferRead += k * frameBytes;
            }
            if (delivered == frames)
                return frames;
            const int64_t position = Tell();
            if (position >= m_rangeEnd)
                break;
            const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(m_rangeEnd - position, kBufferSize - kBufferSize % frameBytes));
            const uint32_t got = Read(m_buffer.get(), want);
            m_bufferFill = got;
            m_bufferRead = 0;
            if (got < want)
            {
                // Whole frames only, and the file position on a frame.
                const uint32_t partial = got % frameBytes;
                m_bufferFill = got - partial;
                Seek(-int64_t(partial), SEEK_CUR);
                m_readFailed = true;
                const uint32_t rest = std::min((m_bufferFill - m_bufferRead) / frameBytes, frames - delivered);
                if (rest > 0)
                {
                    UnpackSamples(m_buffer.get(), target, rest, offset + delivered);
                    delivered += rest;
                    m_bufferRead += rest * frameBytes;
                }
                break;
            }
        }
    }
    ZeroIntChannels(m_channelCount, channels, offset + delivered, frames - delivered);
    return delivered;
}

uint32_t CAiffFileRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    int32_t** integers = reinterpret_cast<int32_t**>(channels);
    const uint32_t delivered = ReadInt32(integers, frames, offset);
    if (channels != nullptr)
        Int32ToFloat(m_channelCount, integers, channels, delivered, offset);
    return delivered;
}
