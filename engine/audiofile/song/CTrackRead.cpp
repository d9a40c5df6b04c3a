#include "engine/audiofile/song/CTrackRead.h"

#include <algorithm>
#include <atomic>

#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/ChainedInputs.h"
#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"

namespace
{
std::atomic<CTrackRead::FileReaderFactory> g_factory{nullptr};

CAudioFileReadBase* MakeReader(const char16_t* path)
{
    CTrackRead::FileReaderFactory factory = g_factory.load();
    return factory != nullptr ? factory(path, true) : CreateDirectAudioFileReader(path, true);
}

// Deletes a reader that is no longer needed; one that is still preparing must
// not be deleted while it works and goes to the deferred disposal instead.
void DisposeReader(std::unique_ptr<CAudioFileReadBase> reader)
{
    if (reader->IsPreparing())
        CAudioDecodeTempFileManager::GetInstance()->AppendDeferredReader(reader.release());
}

void AppendEntry(CPlaylistTrack* track, const std::u16string& path, int64_t start, int64_t end, uint32_t mediaId)
{
    CPlaylistFile* entry = track->AddFile();
    entry->SetPath(path);
    entry->SetStart(start);
    entry->SetEnd(end);
    entry->SetMediaUniqueId(mediaId);
}
} // namespace

CTrackRead::CTrackRead() = default;

CTrackRead::~CTrackRead()
{
    Close();
}

void CTrackRead::SetFileReaderFactory(FileReaderFactory factory)
{
    g_factory.store(factory);
}

bool CTrackRead::Open(const CPlaylistTrack* track)
{
    Close();
    // A track without segments would read nothing for ever: refused.
    if (track == nullptr || track->GetFileCount() == 0)
        return false;
    for (int i = 0; i < track->GetFileCount(); ++i)
    {
        if (!OpenFile(track->GetFile(i)))
        {
            Close();
            return false;
        }
    }
    return true;
}

bool CTrackRead::OpenFile(const CPlaylistFile* entry)
{
    if (entry == nullptr)
        return false;
    std::unique_ptr<CAudioFileReadBase> reader(MakeReader(entry->GetPath().c_str()));
    if (!reader)
        return false;
    // A segment taken from a disc opens only on that disc.
    if (entry->GetMediaUniqueId() != 0 && static_cast<uint32_t>(reader->GetDiscId()) != entry->GetMediaUniqueId())
    {
        DisposeReader(std::move(reader));
        return false;
    }
    // The files of one track are never resampled or remixed.
    if (!m_files.empty() && (reader->GetSampleRate() != m_files.front()->GetSampleRate() ||
                             reader->GetChannelCount() != m_files.front()->GetChannelCount()))
    {
        DisposeReader(std::move(reader));
        return false;
    }
    // A negative start means the file's start; any negative end its end.
    const uint64_t start = entry->GetStart() > 0 ? static_cast<uint64_t>(entry->GetStart()) : 0;
    const uint64_t end = entry->GetEnd() >= 0 ? static_cast<uint64_t>(entry->GetEnd()) : UINT64_MAX;
    reader->SetRange(start, end);

    // The new file begins where the files before it end.
    const uint64_t framesBefore = chained::SumOfLengths(m_files);
    m_files.push_back(std::move(reader));
    m_paths.push_back(entry->GetPath());
    const uint32_t rate = GetSampleRate();
    const double begins = rate != 0 ? static_cast<double>(framesBefore) / rate : 0.0;
    CMarker* marks = m_files.back()->GetMarker();
    for (int i = 0; i < marks->GetCount(); ++i)
        m_marker.Add(marks->GetAt(i) + begins);
    return true;
}

void CTrackRead::Close()
{
    for (auto& reader : m_files)
        DisposeReader(std::move(reader));
    m_files.clear();
    m_paths.clear();
    m_currentFile = 0;
    m_marker.Clear();
}

std::string CTrackRead::GetFormatName()
{
    if (m_files.empty())
        return std::string();
    const char* name = m_files.front()->GetFormatName();
    return name != nullptr ? std::string(name) : std::string();
}

void CTrackRead::SplitAt(CPlaylistTrack* first, CPlaylistTrack* second, double seconds)
{
    SplitAtFrame(first, second, chained::FramesFromSeconds(GetSampleRate(), seconds));
}

void CTrackRead::SplitAtFrame(CPlaylistTrack* first, CPlaylistTrack* second, int64_t frame)
{
    if (first == nullptr || second == nullptr)
        return;
    const CPlaylistTrack empty;
    first->CopyFrom(empty);
    second->CopyFrom(empty);

    int64_t pos = frame;
    // A 1-bit stream is cut on a byte boundary.
    if (GetBitsPerSample() == 1)
        pos = pos >= 0 ? pos - pos % 8 : -((-pos + 7) / 8 * 8);
    for (size_t i = 0; i < m_files.size(); ++i)
    {
        CAudioFileReadBase* reader = m_files[i].get();
        const int64_t len = static_cast<int64_t>(reader->GetLength());
        const int64_t rs = static_cast<int64_t>(reader->GetRangeStart());
        const std::u16string& path = m_paths[i];
        const uint32_t id = static_cast<uint32_t>(reader->GetDiscId());
        if (pos >= len)
        {
            AppendEntry(first, path, rs, rs + len, id);
        }
        else if (pos <= 0)
        {
            AppendEntry(second, path, rs, rs + len, id);
        }
        else
        {
            AppendEntry(first, path, rs, rs + pos, id);
            AppendEntry(second, path, rs + pos, rs + len, id);
        }
        pos -= len;
    }
}

uint16_t CTrackRead::GetChannelCount()
{
    uint16_t largest = 0;
    for (const auto& reader : m_files)
        largest = std::max(largest, reader->GetChannelCount());
    return largest;
}

uint64_t CTrackRead::GetLength()
{
    return chained::SumOfLengths(m_files);
}

uint64_t CTrackRead::GetPosition()
{
    return chained::ChainPosition(m_files, m_currentFile);
}

uint64_t CTrackRead::SetPosition(uint64_t frame)
{
    chained::ChainSetPosition(m_files, m_currentFile, frame);
    return GetPosition();
}

uint32_t CTrackRead::ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset)
{
    if (m_files.empty())
        return CAudioPlayerInput::ReadDsd(channels, bits, bitOffset);
    return chained::ChainRead(m_files, m_currentFile, bits,
                              [&](CAudioFileReadBase& file, uint32_t count, uint32_t extra) {
                                  return file.ReadDsd(channels, count, bitOffset + extra);
                              });
}

uint32_t CTrackRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    if (m_files.empty())
        return CAudioPlayerInput::ReadInt32(channels, frames, offset);
    const bool isFloat = IsFloat();
    const uint16_t channelCount = GetChannelCount();
    return chained::ChainRead(
        m_files, m_currentFile, frames, [&](CAudioFileReadBase& file, uint32_t count, uint32_t extra) {
            const uint32_t got = file.ReadInt32(channels, count, offset + extra);
            chained::MatchSampleKind(channels, channelCount, count, offset + extra, file.IsFloat(), isFloat);
            return got;
        });
}

uint32_t CTrackRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    if (m_files.empty())
        return CAudioPlayerInput::ReadFloat(channels, frames, offset);
    return chained::ChainRead(m_files, m_currentFile, frames,
                              [&](CAudioFileReadBase& file, uint32_t count, uint32_t extra) {
                                  return file.ReadFloat(channels, count, offset + extra);
                              });
}

bool CTrackRead::HasReadFailed()
{
    return m_currentFile < m_files.size() && m_files[m_currentFile]->HasReadFailed();
}

size_t CTrackRead::GetPartCount() const
{
    return m_files.size();
}

CAudioPlayerInput* CTrackRead::GetPart(size_t index) const
{
    return m_files[index].get();
}
