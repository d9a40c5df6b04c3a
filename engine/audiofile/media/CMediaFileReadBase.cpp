#include "engine/audiofile/media/CMediaFileReadBase.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "engine/audiofile/pcm/PcmBuffers.h"
#include "engine/audiofile/tags/CID3v2Read.h"

CMediaFileReadBase::CMediaFileReadBase() = default;

CMediaFileReadBase::~CMediaFileReadBase() = default;

bool CMediaFileReadBase::OpenMedia(const char16_t* path)
{
    CloseMedia();
    if (path == nullptr || CBinaryFile64::Open(path) < 0)
        return false;
    std::string narrow;
    if (!PathToUtf8(GetPath(), narrow) || m_media.open(narrow) != qm::platform::MediaOpenResult::Ok)
    {
        CloseMedia();
        return false;
    }
    return true;
}

bool CMediaFileReadBase::StartDecoding(size_t audioStreamIndex)
{
    if (m_media.chooseAudioStream(audioStreamIndex) != qm::platform::MediaChooseResult::Ok)
        return false;
    m_fullLength = m_media.length();
    m_rangeStart = 0;
    m_rangeEnd = m_fullLength.load();
    m_position = 0;
    m_readFailed = false;
    return true;
}

void CMediaFileReadBase::CloseMedia()
{
    m_media.close();
    CBinaryFile64::Close();
    m_sampleRate = 0;
    m_channelCount = 0;
    m_fullLength = 0;
    m_rangeStart = 0;
    m_rangeEnd = 0;
    m_position = 0;
    m_readFailed = false;
    m_pictureFromId3 = false;
    m_pictureSize = 0;
}

void CMediaFileReadBase::SetId3Picture(uint32_t size)
{
    m_pictureFromId3 = size > 0;
    m_pictureSize = size;
}

std::vector<uint8_t> CMediaFileReadBase::ContainerPicture()
{
    return m_media.attachedPicture();
}

bool CMediaFileReadBase::TakeContainerPicture()
{
    if (m_pictureFromId3)
        return false;
    const size_t size = ContainerPicture().size();
    if (size == 0 || size > UINT32_MAX || !m_metaData.SetPicturePath(GetPath()))
        return false;
    m_pictureSize = static_cast<uint32_t>(size);
    return true;
}

void CMediaFileReadBase::FillDateFromFileWhenMissing()
{
    if (m_metaData.GetYear() == -1)
        ReadFileDateTime();
}

void CMediaFileReadBase::SetFieldUtf8(int field, const std::string& text)
{
    char16_t wide[CAudioMetaData::kFieldCapacity + 1];
    Utf8ToWide(wide, CAudioMetaData::kFieldCapacity + 1, text.data(), static_cast<uint32_t>(text.size()));
    m_metaData.GetField(field)->SetWide(-1, wide);
}

uint32_t CMediaFileReadBase::GetSampleRate()
{
    return m_sampleRate != 0 ? m_sampleRate : 44100;
}

uint16_t CMediaFileReadBase::GetChannelCount()
{
    return m_channelCount != 0 ? m_channelCount : 2;
}

void CMediaFileReadBase::SetRange(uint64_t startFrame, uint64_t endFrame)
{
    const uint64_t full = m_fullLength;
    const uint64_t start = std::min(startFrame, full);
    m_rangeStart = start;
    m_rangeEnd = endFrame > start ? std::min(endFrame, full) : full;
    SetPosition(0);
}

uint64_t CMediaFileReadBase::GetRangeStart()
{
    return m_rangeStart;
}

uint64_t CMediaFileReadBase::GetLength()
{
    const uint64_t start = m_rangeStart;
    const uint64_t end = m_rangeEnd;
    return end > start ? end - start : 0;
}

uint64_t CMediaFileReadBase::GetPosition()
{
    const uint64_t start = m_rangeStart;
    const uint64_t position = m_position;
    return position > start ? position - start : 0;
}

uint64_t CMediaFileReadBase::SetPosition(uint64_t frame)
{
    m_readFailed = false;
    if (!m_media.hasChosenStream())
        return 0;
    const uint64_t absolute = m_rangeStart + std::min(frame, GetLength());
    const bool placed = m_media.seek(absolute);
    m_position = m_media.position();
    if (!placed)
        m_readFailed = true;
    else if (m_position < absolute)
        m_rangeEnd = std::max<uint64_t>(m_rangeStart, m_position); // the stream ended before the target
    return GetPosition();
}

bool CMediaFileReadBase::HasReadFailed()
{
    return m_readFailed;
}

template <typename Sample>
uint32_t CMediaFileReadBase::ReadSamples(Sample** channels, uint32_t frames, uint32_t offset)
{
    if (channels == nullptr)
        return 0;
    uint32_t produced = 0;
    if (m_media.hasChosenStream() && m_position < m_rangeEnd)
    {
        const uint64_t position = m_position;
        const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(frames, m_rangeEnd - position));
        if constexpr (std::is_same_v<Sample, float>)
            produced = m_media.readFloat(channels, wanted, offset);
        else
            produced = m_media.read(channels, wanted, offset);
        m_position = position + produced;
        if (produced < wanted)
        {
            if (m_media.readFailed())
                m_readFailed = true;
            else
                m_rangeEnd = std::max<uint64_t>(m_rangeStart, std::min<uint64_t>(m_rangeEnd, position + produced));
        }
    }
    for (uint16_t c = 0; c < m_channelCount; ++c)
        if (channels[c] != nullptr && produced < frames)
            std::memset(channels[c] + offset + produced, 0, (frames - produced) * sizeof(Sample));
    return produced;
}

uint32_t CMediaFileReadBase::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    return ReadSamples(channels, frames, offset);
}

// Float reads take the decoder's float samples as they are: a lossy decode
// may overshoot full scale, and a later gain stage must be able to bring
// those peaks back rather than find them clipped.
uint32_t CMediaFileReadBase::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    return ReadSamples(channels, frames, offset);
}

uint32_t CMediaFileReadBase::GetPictureDataSize()
{
    return m_pictureSize;
}

int CMediaFileReadBase::ReadPictureData(uint8_t* buffer, uint32_t size)
{
    if (m_pictureFromId3)
    {
        std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(GetPath(), 0));
        if (tag == nullptr)
        {
            if (buffer != nullptr)
                std::memset(buffer, 0, size);
            return 0;
        }
        return static_cast<int>(tag->ReadPicture(buffer, size, -1));
    }
    const std::vector<uint8_t> picture = m_pictureSize > 0 ? ContainerPicture() : std::vector<uint8_t>{};
    if (buffer == nullptr)
        return static_cast<int>(picture.size());
    if (picture.empty() || picture.size() > size)
    {
        std::memset(buffer, 0, size);
        return 0;
    }
    std::memcpy(buffer, picture.data(), picture.size());
    return static_cast<int>(picture.size());
}
