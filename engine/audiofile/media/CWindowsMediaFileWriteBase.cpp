#include "engine/audiofile/media/CWindowsMediaFileWriteBase.h"

#include <memory>
#include <string>

#include "engine/audiofile/foundation/FileNameHelpers.h"
#include "engine/audiofile/media/CAsfAttributeWriter.h"
#include "engine/audiofile/tags/CImageFileRead.h"
#include "platform/files/FileSafety.h"

CWindowsMediaFileWriteBase::CWindowsMediaFileWriteBase() = default;

CWindowsMediaFileWriteBase::~CWindowsMediaFileWriteBase()
{
    // The derived writer closes first; this closes the stream without
    // finishing when it is still open.
    m_encoder.close();
}

void CWindowsMediaFileWriteBase::ResetFormat()
{
    m_sampleRate = 44100;
    m_channels = 2;
    m_bitsPerSample = 16;
    m_framesWritten = 0;
    m_profile = Profile{};
}

WriterOpenResult CWindowsMediaFileWriteBase::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample,
                                                  uint16_t channelCount, uint32_t option)
{
    Close();
    if (bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32)
        return WriterOpenResult::CannotCreate;
    if (!CreateProfile(sampleRate, bitsPerSample, channelCount, option))
    {
        ResetFormat();
        return WriterOpenResult::CannotCreate;
    }
    if (CBinaryFile64::Open(path) < 0)
    {
        ResetFormat();
        return WriterOpenResult::CannotCreate;
    }
    if (!m_encoder.open(*this, m_profile.sampleRate, m_profile.channels, m_profile.bitRate))
    {
        // Refused by the encoder: the file just created goes again.
        std::string narrow;
        const bool named = PathToUtf8(GetPath(), narrow);
        CBinaryFile64::Close();
        if (named)
            (void)qm::platform::removeFile(narrow);
        ResetFormat();
        return WriterOpenResult::CannotCreate;
    }
    m_sampleRate = sampleRate;
    m_channels = channelCount;
    m_bitsPerSample = bitsPerSample;
    return WriterOpenResult::Ok;
}

uint32_t CWindowsMediaFileWriteBase::write(const uint8_t* data, uint32_t size)
{
    return Write(data, size);
}

int64_t CWindowsMediaFileWriteBase::seek(int64_t offset, int origin)
{
    return Seek(offset, origin);
}

int64_t CWindowsMediaFileWriteBase::size()
{
    return GetFileLength();
}

uint32_t CWindowsMediaFileWriteBase::WriteInt32(int32_t** channels, uint32_t frames)
{
    if (!IsOpen() || !m_encoder.isOpen() || channels == nullptr)
        return 0;
    const uint32_t taken = m_encoder.write(channels, frames);
    m_framesWritten += taken;
    return taken;
}

uint32_t CWindowsMediaFileWriteBase::WriteFloat(float** channels, uint32_t frames)
{
    return WriteFloatAsInt32(channels, frames);
}

bool CWindowsMediaFileWriteBase::Close()
{
    if (!IsOpen())
    {
        m_encoder.close();
        ResetFormat();
        return true;
    }
    const std::u16string path = GetPath();
    bool ok = m_encoder.finish();
    ok = CBinaryFile64::Close() == 0 && ok;
    if (ok)
        WriteAttributes(path.c_str());
    ResetFormat();
    return ok;
}

void CWindowsMediaFileWriteBase::WriteAttributes(const char16_t* path)
{
    struct Text
    {
        const char16_t* name;
        int field;
        size_t maxLength;
    };
    static const Text kTexts[] = {
        {u"WM/AlbumTitle", CAudioMetaData::kAlbum, std::u16string::npos},
        {u"Title", CAudioMetaData::kTitle, std::u16string::npos},
        {u"Author", CAudioMetaData::kArtist, std::u16string::npos},
        {u"WM/Genre", CAudioMetaData::kGenre, std::u16string::npos},
        {u"WM/Year", CAudioMetaData::kDate, 4}, // the year at the start of the date
        {u"WM/EncodingSettings", CAudioMetaData::kSoftware, std::u16string::npos},
    };
    CAsfAttributeWriter attributes;
    for (const Text& text : kTexts)
    {
        const std::u16string value =
            std::u16string(m_metaData.GetField(text.field)->GetWide()).substr(0, text.maxLength);
        if (!value.empty())
            attributes.AddText(text.name, value);
    }
    if (m_metaData.GetPicturePath()[0] != 0)
    {
        const std::unique_ptr<CImageFileReadBase> picture(CreateImageFileRead(m_metaData.GetPicturePath()));
        if (picture != nullptr && picture->GetDataSize() > 0 && picture->Load() > 0)
        {
            const uint8_t* data = picture->GetData();
            const uint32_t size = picture->GetLoadedSize();
            if (size >= 10 && IsJpegSignature(data))
                attributes.AddPicture(u"image/jpeg", data, size);
            else if (size >= 4 && IsPngSignature(data))
                attributes.AddPicture(u"image/png", data, size);
        }
    }
    if (!attributes.GetAttributes().empty())
        attributes.WriteTo(path);
}

uint64_t CWindowsMediaFileWriteBase::GetWrittenFrames()
{
    return m_framesWritten;
}

uint32_t CWindowsMediaFileWriteBase::GetSampleRate()
{
    return m_sampleRate;
}

uint16_t CWindowsMediaFileWriteBase::GetChannelCount()
{
    return m_channels;
}

uint16_t CWindowsMediaFileWriteBase::GetBitsPerSample()
{
    return m_bitsPerSample;
}
