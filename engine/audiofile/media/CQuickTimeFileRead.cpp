#include "engine/audiofile/media/CQuickTimeFileRead.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "engine/audiofile/tags/Id3MetaDataMerge.h"

namespace
{
std::atomic<int> g_availability{-1};

bool IsMp4Container(const std::string& name)
{
    return name.rfind("mov", 0) == 0;
}
} // namespace

bool CQuickTimeFileRead::IsAvailable()
{
    const int state = g_availability;
    if (state >= 0)
        return state == 1;
    return qm::platform::MediaDecoder::hasDecoder("aac");
}

void CQuickTimeFileRead::SetAvailabilityOverride(int state)
{
    g_availability = state < 0 ? -1 : (state > 0 ? 1 : 0);
}

CQuickTimeFileRead::CQuickTimeFileRead() = default;

CQuickTimeFileRead::~CQuickTimeFileRead()
{
    CQuickTimeFileRead::Close();
}

ReaderOpenResult CQuickTimeFileRead::Open(const char16_t* path)
{
    Close();
    if (!OpenMedia(path))
        return ReaderOpenResult::CannotOpen;
    const std::string& container = m_media.containerName();
    if (!IsMp4Container(container) && container != "aac" && container != "mp3")
    {
        Close();
        return ReaderOpenResult::CannotOpen;
    }
    // Exactly one track, and it must be sound.
    if (m_media.audioStreams().size() != 1 || m_media.otherStreamCount() != 0)
    {
        Close();
        return ReaderOpenResult::FormatNotAccepted;
    }
    const auto& s = m_media.audioStreams()[0];
    if (s.codecName == "aac")
        m_format = Format::Aac;
    else if (s.codecName == "alac")
        m_format = Format::Alac;
    else if (s.codecName == "mp3")
        m_format = Format::Mp3;
    if (m_format == Format::None || s.channels < 1 || s.channels > 2 || !IsAcceptedSampleRate(s.sampleRate))
    {
        Close();
        return ReaderOpenResult::FormatNotAccepted;
    }
    if (!StartDecoding(0))
    {
        Close();
        return ReaderOpenResult::CannotOpen;
    }
    m_sampleRate = s.sampleRate;
    m_channelCount = s.channels;
    const int bits = s.bitsPerRawSample > 0 ? s.bitsPerRawSample : m_media.decoderBitsPerRawSample();
    m_bitsPerSample = bits > 0 && bits <= 32 ? static_cast<uint16_t>(bits) : 32;
    // An MP3 stream states no bit rate of its own here; its average is used.
    if (m_format != Format::Mp3 && s.bitRate > 0 && s.bitRate <= UINT32_MAX)
        m_statedBitRate = static_cast<uint32_t>(s.bitRate);
    m_fileSize = m_media.fileSize();

    ReadMetaData();
    FillDateFromFileWhenMissing();
    return ReaderOpenResult::Ok;
}

void CQuickTimeFileRead::ReadMetaData()
{
    m_metaData.Clear();
    // MP4 tags; an MP3 or raw AAC file has its texts in ID3 tags only.
    const bool mp4 = IsMp4Container(m_media.containerName());
    auto tag = [&](const char* key) { return mp4 ? m_media.tag(key) : std::string(); };
    SetFieldUtf8(CAudioMetaData::kAlbum, tag("album"));
    SetFieldUtf8(CAudioMetaData::kTitle, tag("title"));
    SetFieldUtf8(CAudioMetaData::kArtist, tag("artist"));
    SetFieldUtf8(CAudioMetaData::kGenre, tag("genre"));
    SetFieldUtf8(CAudioMetaData::kSoftware, tag("encoder"));

    SetId3Picture(MergeId3TagsIntoMetaData(GetPath(), m_metaData));

    CMultiString* date = m_metaData.GetField(CAudioMetaData::kDate);
    if (date->IsEmpty())
    {
        const std::string day = tag("date");
        if (day.size() >= 20)
        {
            // A timestamp such as 2009-12-31T23:59:58Z: date and time.
            SetFieldUtf8(CAudioMetaData::kDate, day.substr(0, 10));
            SetFieldUtf8(CAudioMetaData::kTime, day.substr(11, 8));
        }
        else if (!day.empty())
        {
            // A date alone ("2009", "2009-12-31"): keep its date part rather
            // than lose it to the file's time.
            SetFieldUtf8(CAudioMetaData::kDate, day.substr(0, std::min<size_t>(day.size(), 10)));
        }
    }

    if (mp4)
        TakeContainerPicture();
}

void CQuickTimeFileRead::Close()
{
    CloseMedia();
    m_format = Format::None;
    m_bitsPerSample = 0;
    m_statedBitRate = 0;
    m_fileSize = 0;
}

const char* CQuickTimeFileRead::GetFormatName()
{
    switch (m_format)
    {
    case Format::Aac:
        return "AAC";
    case Format::Alac:
        return "ALAC";
    case Format::Mp3:
        return "MP3";
    default:
        return "";
    }
}

uint16_t CQuickTimeFileRead::GetBitsPerSample()
{
    return m_bitsPerSample != 0 ? m_bitsPerSample : 32;
}

uint32_t CQuickTimeFileRead::GetBitRate()
{
    if (m_statedBitRate != 0)
        return m_statedBitRate;
    const uint64_t length = GetFullLength();
    if (length == 0 || m_fileSize <= 0 || static_cast<uint64_t>(m_fileSize) > (UINT64_MAX / 8) / GetSampleRate())
        return 0;
    const uint64_t rate = static_cast<uint64_t>(m_fileSize) * 8u * GetSampleRate() / length;
    return rate > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(rate);
}

bool CQuickTimeFileRead::IsLossless()
{
    return m_format == Format::Alac;
}

bool CQuickTimeFileRead::IsVariableBitRate()
{
    if (IsLossless())
        return true;
    return m_statedBitRate == 0;
}
