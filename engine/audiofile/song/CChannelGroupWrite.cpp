#include "engine/audiofile/song/CChannelGroupWrite.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "engine/audiofile/io/AudioFileWriterFactory.h"
#include "platform/files/FileSafety.h"

CChannelGroupWrite::CChannelGroupWrite(const char* formatName, uint32_t sampleRate, uint16_t bitsPerSample,
                                       uint32_t formatOption)
    : m_formatName(formatName != nullptr ? formatName : ""),
      m_sampleRate(sampleRate),
      m_bitsPerSample(bitsPerSample),
      m_formatOption(formatOption)
{
}

CChannelGroupWrite::~CChannelGroupWrite()
{
    CloseAll();
}

std::u16string CChannelGroupWrite::MakeTrackFileName(const std::u16string& baseName, const std::u16string& extension,
                                                     int fileCount, int fileIndex)
{
    if (fileCount < 2)
        return baseName + extension;
    const std::string number = std::to_string(fileIndex + 1);
    return baseName + u".trk" + std::u16string(number.begin(), number.end()) + extension;
}

bool CChannelGroupWrite::Open(const std::u16string& extension, const std::u16string& baseName, uint16_t channels,
                              uint16_t channelsPerFile)
{
    CloseAll();
    if (channels == 0 || channelsPerFile == 0)
        return false;
    const int files = std::max(1, channels / channelsPerFile);
    for (int i = 0; i < files; ++i)
        if (!AddTrackWriter(MakeTrackFileName(baseName, extension, files, i), channelsPerFile))
        {
            Cancel();
            return false;
        }
    return true;
}

bool CChannelGroupWrite::AddTrackWriter(const std::u16string& path, uint16_t channels)
{
    std::unique_ptr<CAudioFileWriteBase> writer(CreateAudioFileWriter(path.c_str(), m_formatName.c_str(), m_sampleRate,
                                                                      m_bitsPerSample, channels, m_formatOption));
    if (writer == nullptr)
        return false;
    if (m_metaDataUpdated)
    {
        writer->GetMetaData()->CopyFrom(m_metaData);
        writer->UpdateMetaData();
    }
    m_writers.push_back(std::move(writer));
    m_scratchInt32.insert(m_scratchInt32.end(), channels, nullptr);
    m_scratchFloat.insert(m_scratchFloat.end(), channels, nullptr);
    return true;
}

bool CChannelGroupWrite::CloseAll()
{
    bool ok = true;
    for (auto& writer : m_writers)
    {
        writer->GetMarker()->CopyFrom(m_marker);
        if (!m_metaDataUpdated)
            writer->GetMetaData()->CopyFrom(m_metaData);
        ok = writer->Close() && ok;
    }
    m_writers.clear();
    m_scratchInt32.clear();
    m_scratchFloat.clear();
    m_metaDataUpdated = false;
    return ok;
}

bool CChannelGroupWrite::RenameAndClose(const std::u16string& newBaseName, const std::u16string& extension,
                                        std::vector<std::u16string>& finalPaths)
{
    bool ok = true;
    const int count = static_cast<int>(m_writers.size());
    for (int i = 0; i < count; ++i)
    {
        CAudioFileWriteBase& writer = *m_writers[i];
        const std::u16string oldPath = writer.GetPath();
        const std::u16string newPath = MakeTrackFileName(newBaseName, extension, count, i);
        writer.GetMarker()->CopyFrom(m_marker);
        writer.GetMetaData()->CopyFrom(m_metaData);
        const bool moved = writer.CloseAndRename(newPath.c_str());
        // A file that failed may still have been moved (its finishing
        // failed, not the move); where it is decides what Cancel removes.
        std::string oldNarrow;
        const bool stayed =
            !moved && CBinaryFile64::PathToUtf8(oldPath, oldNarrow) && qm::platform::pathExists(oldNarrow);
        finalPaths.push_back(moved || !stayed ? newPath : oldPath);
        ok = moved && ok;
    }
    return CloseAll() && ok;
}

void CChannelGroupWrite::Cancel()
{
    for (auto& writer : m_writers)
        writer->Cancel();
    CloseAll();
}

uint32_t CChannelGroupWrite::GetSampleRate()
{
    return m_writers.empty() ? m_sampleRate : m_writers.front()->GetSampleRate();
}

uint16_t CChannelGroupWrite::GetBitsPerSample()
{
    return m_writers.empty() ? m_bitsPerSample : m_writers.front()->GetBitsPerSample();
}

uint16_t CChannelGroupWrite::GetChannelCount()
{
    uint32_t channels = 0;
    for (auto& writer : m_writers)
        channels += writer->GetChannelCount();
    return static_cast<uint16_t>(channels);
}

bool CChannelGroupWrite::IsFloat()
{
    return !m_writers.empty() && m_writers.front()->IsFloat();
}

template <typename Sample>
uint32_t CChannelGroupWrite::WriteGroups(Sample** channels, uint32_t frames, std::vector<Sample*>& scratch)
{
    if (m_writers.empty() || channels == nullptr)
        return 0;
    uint32_t accepted = std::numeric_limits<uint32_t>::max();
    size_t c = 0;
    for (auto& writer : m_writers)
    {
        const uint16_t count = writer->GetChannelCount();
        Sample** own = scratch.data() + c;
        for (uint16_t k = 0; k < count && c < scratch.size(); ++k, ++c)
            scratch[c] = channels[c];
        uint32_t written;
        if constexpr (std::is_same_v<Sample, float>)
            written = writer->WriteFloat(own, frames);
        else
            written = writer->WriteInt32(own, frames);
        accepted = std::min(accepted, written);
    }
    return accepted;
}

uint32_t CChannelGroupWrite::WriteInt32(int32_t** channels, uint32_t frames)
{
    return WriteGroups(channels, frames, m_scratchInt32);
}

uint32_t CChannelGroupWrite::WriteFloat(float** channels, uint32_t frames)
{
    return WriteGroups(channels, frames, m_scratchFloat);
}

void CChannelGroupWrite::UpdateMetaData()
{
    m_metaDataUpdated = true;
    for (auto& writer : m_writers)
    {
        writer->GetMetaData()->CopyFrom(m_metaData);
        writer->UpdateMetaData();
    }
}

uint64_t CChannelGroupWrite::GetWrittenFrames()
{
    return m_writers.empty() ? 0 : m_writers.front()->GetWrittenFrames();
}

std::vector<std::u16string> CChannelGroupWrite::GetFilePaths() const
{
    std::vector<std::u16string> paths;
    for (const auto& writer : m_writers)
        paths.emplace_back(writer->GetPath());
    return paths;
}
