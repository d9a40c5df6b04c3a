#include "engine/audiofile/song/CSongWrite.h"

#include <cstdio>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "platform/files/FileSafety.h"

CSongWrite::CSongWrite(const char* formatName, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                       uint16_t channelsPerFile, uint32_t formatOption)
    : m_formatName(formatName != nullptr ? formatName : ""),
      m_sampleRate(sampleRate),
      m_bitsPerSample(bitsPerSample),
      m_channelCount(channelCount),
      m_formatOption(formatOption),
      m_channelsPerFile(channelsPerFile)
{
}

CSongWrite::~CSongWrite()
{
    Close();
}

void CSongWrite::ResetNames()
{
    m_piece.reset();
    m_pieceStartTime = 0.0;
    m_pieceCount = 0;
    m_metaDataUpdated = false;
    m_baseName.clear();
    m_extension.clear();
    m_finishedFiles.clear();
    m_renameFailed = false;
    m_closeFailed = false;
}

bool CSongWrite::Open(const std::u16string& baseName, const std::u16string& extension)
{
    Close();
    m_baseName = baseName;
    m_extension = extension;
    return OpenNextGroupWriter();
}

bool CSongWrite::OpenNextGroupWriter()
{
    m_piece.reset();
    if (m_renameFailed)
        return false;
    auto piece =
        std::make_unique<CChannelGroupWrite>(m_formatName.c_str(), m_sampleRate, m_bitsPerSample, m_formatOption);
    if (!piece->Open(m_extension, m_baseName, m_channelCount, m_channelsPerFile))
        return false;
    m_piece = std::move(piece);
    ++m_pieceCount;
    if (m_metaDataUpdated)
    {
        m_piece->GetMetaData()->CopyFrom(m_metaData);
        m_piece->UpdateMetaData();
    }
    return true;
}

bool CSongWrite::SplitAtMarker(bool numbered)
{
    if (m_piece == nullptr)
        return false;
    const uint32_t rate = m_piece->GetSampleRate();
    const double length = rate == 0 ? 0.0 : static_cast<double>(m_piece->GetWrittenFrames()) / rate;
    for (int i = 0; i < m_marker.GetCount(); ++i)
    {
        const double t = m_marker.GetAt(i) - m_pieceStartTime;
        if (t >= 0.0 && t < length)
            m_piece->GetMarker()->Add(t);
    }
    if (!m_metaDataUpdated)
        m_piece->GetMetaData()->CopyFrom(m_metaData);
    m_pieceStartTime += length;

    bool ok;
    if (numbered || m_pieceCount >= 2)
    {
        char number[16];
        std::snprintf(number, sizeof number, ".%03d", m_pieceCount);
        const std::u16string newBase =
            m_baseName + std::u16string(number, number + std::char_traits<char>::length(number));
        std::vector<std::u16string> paths;
        ok = m_piece->RenameAndClose(newBase, m_extension, paths);
        m_finishedFiles.insert(m_finishedFiles.end(), paths.begin(), paths.end());
        if (!ok)
            m_renameFailed = true;
    }
    else
    {
        const std::vector<std::u16string> paths = m_piece->GetFilePaths();
        m_finishedFiles.insert(m_finishedFiles.end(), paths.begin(), paths.end());
        ok = m_piece->CloseAll();
    }
    if (!ok)
        m_closeFailed = true;
    m_piece.reset();
    return ok;
}

bool CSongWrite::Close()
{
    if (m_piece != nullptr)
        SplitAtMarker(false);
    const bool ok = !m_closeFailed;
    ResetNames();
    return ok;
}

void CSongWrite::Cancel()
{
    // The open piece deletes its own files; the finished ones go by the
    // names they ended up with (never by guessed names, which could be
    // someone else's files).
    if (m_piece != nullptr)
        m_piece->Cancel();
    m_piece.reset();
    for (const std::u16string& path : m_finishedFiles)
    {
        std::string narrow;
        if (CBinaryFile64::PathToUtf8(path, narrow))
            (void)qm::platform::removeFile(narrow);
    }
    ResetNames();
}

uint32_t CSongWrite::GetSampleRate()
{
    return m_piece != nullptr ? m_piece->GetSampleRate() : m_sampleRate;
}

uint16_t CSongWrite::GetChannelCount()
{
    return m_piece != nullptr ? m_piece->GetChannelCount() : m_channelCount;
}

uint16_t CSongWrite::GetBitsPerSample()
{
    return m_piece != nullptr ? m_piece->GetBitsPerSample() : m_bitsPerSample;
}

bool CSongWrite::IsFloat()
{
    return m_piece != nullptr && m_piece->IsFloat();
}

bool CSongWrite::CanWrite()
{
    return true;
}

uint32_t CSongWrite::WriteInt32(int32_t** channels, uint32_t frames)
{
    return m_piece != nullptr ? m_piece->WriteInt32(channels, frames) : 0;
}

uint32_t CSongWrite::WriteFloat(float** channels, uint32_t frames)
{
    return m_piece != nullptr ? m_piece->WriteFloat(channels, frames) : 0;
}

void CSongWrite::UpdateMetaData()
{
    m_metaDataUpdated = true;
    if (m_piece != nullptr)
    {
        m_piece->GetMetaData()->CopyFrom(m_metaData);
        m_piece->UpdateMetaData();
    }
}
