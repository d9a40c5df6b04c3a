#include "engine/audiofile/media/CWindowsMediaFileRead.h"

#include <string>

#include "engine/audiofile/media/CAsfAttributeReader.h"
#include "engine/audiofile/media/Mp3VbrHeader.h"
#include "engine/audiofile/tags/Id3MetaDataMerge.h"

CWindowsMediaFileRead::CWindowsMediaFileRead() = default;

CWindowsMediaFileRead::~CWindowsMediaFileRead()
{
    CWindowsMediaFileRead::Close();
}

ReaderOpenResult CWindowsMediaFileRead::Open(const char16_t* path)
{
    Close();
    if (!OpenMedia(path))
        return ReaderOpenResult::CannotOpen;
    const std::string& container = m_media.containerName();
    if (container == "asf")
        m_container = Container::Asf;
    else if (container == "mp3")
        m_container = Container::Mp3;
    else
    {
        Close();
        return ReaderOpenResult::CannotOpen;
    }

    // The first audio stream whose format is usable and that decodes.
    const auto& streams = m_media.audioStreams();
    bool chosen = false;
    for (size_t i = 0; i < streams.size() && !chosen; ++i)
    {
        const auto& s = streams[i];
        if (!IsAcceptedSampleRate(s.sampleRate) || s.channels < 1 || s.channels > 2)
            continue;
        chosen = StartDecoding(i);
    }
    if (!chosen)
    {
        Close();
        return ReaderOpenResult::NoUsableAudio;
    }
    const auto& s = m_media.chosenStream();
    m_sampleRate = s.sampleRate;
    m_channelCount = s.channels;
    const int bits = s.bitsPerRawSample > 0 ? s.bitsPerRawSample : m_media.decoderBitsPerRawSample();
    m_bitsPerSample = bits > 16 ? 24 : 16;
    m_lossless = s.codecLossless;
    m_bitRate = s.bitRate > 0 && s.bitRate <= UINT32_MAX ? static_cast<uint32_t>(s.bitRate) : 0;

    if (m_container == Container::Mp3)
    {
        const Mp3VbrHeader header = ReadMp3VbrHeader(*this);
        if (header != Mp3VbrHeader::None)
            m_isVbr = IsVariableBitRateHeader(header) ? VbrState::True : VbrState::False;
    }
    else
    {
        const std::string vbr = m_media.tag("IsVBR");
        if (vbr == "1" || vbr == "true" || vbr == "True")
            m_isVbr = VbrState::True;
        else if (vbr == "0" || vbr == "false" || vbr == "False")
            m_isVbr = VbrState::False;
    }

    ReadMetaData();
    FillDateFromFileWhenMissing();
    return ReaderOpenResult::Ok;
}

void CWindowsMediaFileRead::ReadMetaData()
{
    m_metaData.Clear();
    // MP3 files carry their texts in ID3 tags, which the ID3 readers read;
    // only Windows Media files have attributes.
    const bool attributes = m_container == Container::Asf;
    auto attribute = [&](const char* name, const char* commonName) {
        if (!attributes)
            return std::string();
        std::string value = m_media.tag(name);
        return value.empty() ? m_media.tag(commonName) : value;
    };
    static const struct
    {
        int field;
        const char* name;
        const char* commonName;
    } kAttributes[] = {
        {CAudioMetaData::kAlbum, "WM/AlbumTitle", "album"},
        {CAudioMetaData::kTitle, "Title", "title"},
        {CAudioMetaData::kAlbumArtist, "WM/AlbumArtist", "album_artist"},
        {CAudioMetaData::kArtist, "Author", "artist"},
        {CAudioMetaData::kGenre, "WM/Genre", "genre"},
        {CAudioMetaData::kSoftware, "WM/EncodingSettings", "encoder"},
    };
    for (const auto& a : kAttributes)
        SetFieldUtf8(a.field, attribute(a.name, a.commonName));

    SetId3Picture(MergeId3TagsIntoMetaData(GetPath(), m_metaData));

    if (m_metaData.GetField(CAudioMetaData::kDate)->IsEmpty())
        SetFieldUtf8(CAudioMetaData::kDate, attribute("WM/Year", "date"));

    if (attributes)
        TakeContainerPicture();
}

std::vector<uint8_t> CWindowsMediaFileRead::ContainerPicture()
{
    // The decoding layer refuses attribute values over 65535 bytes, which is
    // where larger pictures are stored (the Metadata Library object): the
    // header's own reader finds a picture of any size.
    if (m_container != Container::Asf)
        return {};
    CAsfAttributeReader attributes;
    CAsfAttributeReader::Picture picture;
    if (!attributes.ReadFrom(GetPath()) || !attributes.GetPicture(picture))
        return {};
    return std::move(picture.data);
}

void CWindowsMediaFileRead::Close()
{
    CloseMedia();
    m_container = Container::None;
    m_bitsPerSample = 16;
    m_bitRate = 0;
    m_lossless = false;
    m_isVbr = VbrState::Absent;
}

const char* CWindowsMediaFileRead::GetFormatName()
{
    switch (m_container)
    {
    case Container::Mp3:
        return "MP3";
    case Container::Asf:
        return "WMA";
    default:
        return "";
    }
}

uint16_t CWindowsMediaFileRead::GetBitsPerSample()
{
    return m_bitsPerSample;
}

uint32_t CWindowsMediaFileRead::GetBitRate()
{
    return m_bitRate != 0 ? m_bitRate : 128000;
}

bool CWindowsMediaFileRead::IsLossless()
{
    return m_lossless;
}

bool CWindowsMediaFileRead::IsVariableBitRate()
{
    if (m_lossless)
        return true;
    // Without the attribute the file would be variable only when its nominal
    // and current bit rates differ; both come from the one stream bit rate.
    return m_isVbr == VbrState::True;
}
