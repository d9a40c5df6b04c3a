#include "disc/CAudioCDTempFileCreator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/audiofile/wav/CWavFileWrite.h"
#include "platform/files/FileSafety.h"

namespace
{
constexpr uint32_t kSampleRate = 44100;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kChannelCount = 2;

std::u16string TrackFileName(size_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "Track %02zu.wav", number);
    return std::u16string(name, name + std::strlen(name));
}
} // namespace

CAudioCDTempFileCreator::CAudioCDTempFileCreator()
    : m_channels{m_left, m_right}
{
    ClearBuffers();
}

CAudioCDTempFileCreator::~CAudioCDTempFileCreator()
{
    Reset();
    m_directory.clear();
}

bool CAudioCDTempFileCreator::SetDirectory(const std::u16string& directory)
{
    Reset();
    m_directory.clear();
    if (directory.empty())
        return false;
    m_directory = directory;
    if (m_directory.back() != u'/')
        m_directory += u'/';
    return true;
}

bool CAudioCDTempFileCreator::BeginTracks(const std::u16string& albumTitle, const std::u16string& albumPerformer)
{
    if (m_directory.empty())
        return false;
    Reset();
    m_job.albumTitle = albumTitle;
    m_job.albumPerformer = albumPerformer;
    m_jobStarted = true;
    return true;
}

bool CAudioCDTempFileCreator::AddTrack(uint32_t gapSectors, uint32_t tailSectors, bool joinPrevious)
{
    if (!FinishTrack(joinPrevious))
        return false;
    if (!m_jobStarted || m_failed)
        return false;

    const std::u16string path = m_directory + TrackFileName(m_job.tracks.size() + 1);
    std::string narrowPath;
    // The file is made by this job or not at all: a file that is already
    // there belongs to someone else and is neither truncated nor, later,
    // deleted by Reset.
    if (!CBinaryFile64::PathToUtf8(path, narrowPath) || qm::platform::pathExists(narrowPath))
    {
        m_failed = true;
        return false;
    }

    CAudioCDTrackEntry entry;
    entry.path = path;
    entry.gapSectors = gapSectors;
    m_job.tracks.push_back(std::move(entry));

    auto writer = std::make_unique<CWavFileWrite>();
    if (writer->Open(path.c_str(), kSampleRate, kBitsPerSample, kChannelCount, 0) != WriterOpenResult::Ok)
    {
        m_job.tracks.pop_back();
        // A job without this track must not be burned as if it were whole.
        m_failed = true;
        return false;
    }
    m_writer = std::move(writer);
    m_tailSectors = tailSectors;
    return true;
}

uint32_t CAudioCDTempFileCreator::Write(int32_t* const* channels, uint32_t frames)
{
    if (m_writer == nullptr || m_failed || channels == nullptr)
        return 0;

    uint32_t taken = 0;
    while (taken < frames)
    {
        if (m_bufferedFrames == 0 && frames - taken >= kSectorFrames && channels[0] != nullptr &&
            channels[1] != nullptr)
        {
            // Whole sectors go to the file straight from the caller's buffers.
            const uint32_t whole = (frames - taken) - (frames - taken) % kSectorFrames;
            int32_t* direct[2] = {channels[0] + taken, channels[1] + taken};
            const uint32_t written = m_writer->WriteInt32(direct, whole);
            if (written != whole)
            {
                m_failed = true;
                return taken + written;
            }
            taken += whole;
            continue;
        }

        const uint32_t count = std::min(kSectorFrames - m_bufferedFrames, frames - taken);
        for (int ch = 0; ch < 2; ++ch)
        {
            int32_t* to = m_channels[ch] + m_bufferedFrames;
            if (channels[ch] != nullptr)
                std::memcpy(to, channels[ch] + taken, count * sizeof(int32_t));
            else
                std::memset(to, 0, count * sizeof(int32_t));
        }
        m_bufferedFrames += count;
        taken += count;
        if (m_bufferedFrames == kSectorFrames && !WriteSector())
        {
            m_failed = true;
            // The frames of this call in the lost sector did not reach the file.
            return taken - count;
        }
    }
    return frames;
}

bool CAudioCDTempFileCreator::WriteSector()
{
    const bool ok = m_writer->WriteInt32(m_channels, kSectorFrames) == kSectorFrames;
    m_bufferedFrames = 0;
    return ok;
}

bool CAudioCDTempFileCreator::FlushBuffered()
{
    bool ok = true;
    if (m_bufferedFrames > 0)
        ok = m_writer->WriteInt32(m_channels, m_bufferedFrames) == m_bufferedFrames;
    ClearBuffers();
    return ok;
}

void CAudioCDTempFileCreator::ClearBuffers()
{
    std::memset(m_left, 0, sizeof m_left);
    std::memset(m_right, 0, sizeof m_right);
    m_bufferedFrames = 0;
}

bool CAudioCDTempFileCreator::WriteSilence(uint64_t frames)
{
    int32_t zeros[kSectorFrames] = {};
    int32_t* silence[2] = {zeros, zeros};
    while (frames > 0)
    {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(frames, kSectorFrames));
        if (m_writer->WriteInt32(silence, count) != count)
            return false;
        frames -= count;
    }
    return true;
}

bool CAudioCDTempFileCreator::FinishTrack(bool joinNext)
{
    if (m_writer == nullptr)
        return true;

    bool ok = !m_failed;
    // Only whole sectors reach the file while a track is written, so a track
    // long enough and without tail can end on its last whole sector and hand
    // the rest of a sector to the next track.
    const bool join = joinNext && m_tailSectors == 0 && m_writer->GetWrittenFrames() >= kMinTrackFrames;
    if (!join)
    {
        if (ok)
        {
            ok = FlushBuffered();
            const uint64_t frames = m_writer->GetWrittenFrames();
            // Silence up to the next whole sector, then one sector of silence
            // and the tail.
            const uint64_t align = (kSectorFrames - frames % kSectorFrames) % kSectorFrames;
            ok = ok && WriteSilence(align + kSectorFrames + uint64_t(m_tailSectors) * kSectorFrames);
            const uint64_t written = m_writer->GetWrittenFrames();
            if (ok && written < kMinTrackFrames)
                ok = WriteSilence(kMinTrackFrames - written);
        }
        else
        {
            // The file is lost already: the buffered frames go nowhere.
            ClearBuffers();
        }
    }

    CAudioCDTrackEntry& entry = m_job.tracks.back();
    CAudioMetaData* metaData = m_writer->GetMetaData();
    entry.title = metaData->GetField(CAudioMetaData::kTitle)->GetWide();
    entry.performer = metaData->GetField(CAudioMetaData::kArtist)->GetWide();
    entry.frames = m_writer->GetWrittenFrames();

    ok = m_writer->Close() && ok;
    m_writer.reset();
    m_tailSectors = 0;
    if (!ok)
        m_failed = true;
    return ok;
}

void CAudioCDTempFileCreator::Reset()
{
    // The open track's file is deleted with the others: there is no point
    // in padding it first.
    if (m_writer != nullptr)
    {
        m_writer->Close();
        m_writer.reset();
    }
    for (const CAudioCDTrackEntry& entry : m_job.tracks)
    {
        std::string narrow;
        if (CBinaryFile64::PathToUtf8(entry.path, narrow))
            (void)qm::platform::removeFile(narrow);
    }
    m_job = CAudioCDBurnJob();
    ClearBuffers();
    m_jobStarted = false;
    m_tailSectors = 0;
    m_failed = false;
}
