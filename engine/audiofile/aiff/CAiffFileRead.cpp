#include "engine/audiofile/aiff/CAiffFileRead.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/pcm/PcmPacking.h"
#include "engine/audiofile/tags/CID3v2Read.h"
#include "engine/audiofile/tags/Id3MetaDataMerge.h"

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

void CAiffFileRead::Close()
{
    std::lock_guard lock(m_lock.m_section);
    CBinaryFile64::Close();
    ResetAiffFormat();
    m_metaData.Clear();
    m_headerEnd = 0;
    ResetData();
    m_pictureSize = 0;
}

ReaderOpenResult CAiffFileRead::Open(const char16_t* path)
{
    std::lock_guard lock(m_lock.m_section);
    Close();
    if (CBinaryFile64::Open(path) < 0)
        return ReaderOpenResult::CannotOpen;
    if (!ReadFormHeader())
    {
        Close();
        return ReaderOpenResult::NoUsableAudio;
    }
    m_headerEnd = Tell();
    if (!ReadCommChunk())
    {
        Close();
        return ReaderOpenResult::FormatNotAccepted;
    }

    Seek(m_headerEnd, SEEK_SET);
    const uint64_t ssndChunk = FindRiffChunk("SSND", -1);
    if (ssndChunk < 16)
    {
        Close();
        return ReaderOpenResult::NoUsableAudio;
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
    const int64_t dataStart = chunkStart + 16 + int64_t(m_ssndOffset);
    int64_t dataBytes = std::min<int64_t>(int64_t(m_sampleFrames) * frameBytes, chunkEnd - dataStart);
    dataBytes = std::max<int64_t>(dataBytes, 0);
    dataBytes -= dataBytes % frameBytes;
    SetData(dataStart, dataStart + dataBytes);

    ReadTags();
    if (m_metaData.GetYear() == -1)
        ReadFileDateTime();

    StartAtData();
    return ReaderOpenResult::Ok;
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
           IsAcceptedSampleRate(ExtendedToRate(m_sampleRate));
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

uint32_t CAiffFileRead::UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset)
{
    return UnpackBigEndian(m_channelCount, channels, source, frames, m_sampleSize, offset);
}
