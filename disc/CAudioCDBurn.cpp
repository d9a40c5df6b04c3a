#include "disc/CAudioCDBurn.h"

#include <cmath>
#include <mutex>

#include "engine/audiofile/wav/CWavFileWrite.h"

namespace
{
constexpr DiscTypeCode kDiscTypeCdR = 2;
constexpr DiscTypeCode kDiscTypeCdRw = 3;
// Disc free and used space are asked in the disc writer's audio-CD terms.
constexpr int kAudioCdSpaceKind = 1;
} // namespace

CAudioCDBurn::CAudioCDBurn(std::unique_ptr<CDiscBurnImp> burnImp)
    : CAudioDiscBurnBase(std::move(burnImp)),
      m_acceptedDiscTypes{kDiscTypeCdR, kDiscTypeCdRw}
{
}

CAudioCDBurn::~CAudioCDBurn()
{
    // The disc writer (and a burn its worker may still run) ends before the
    // track files it reads are deleted with the creator.
    m_burnImp.reset();
}

uint32_t CAudioCDBurn::SecondsToSectors(float seconds)
{
    // NaN and negative times fail this test.
    if (!(seconds > 0.0f))
        return 0;
    const double frames = std::trunc(double(seconds) * 44100.0);
    const double limit = 4294967295.0;
    return static_cast<uint32_t>((frames < limit ? frames : limit) / CAudioCDTempFileCreator::kSectorFrames);
}

void CAudioCDBurn::Cancel()
{
    ClearTempFiles();
}

uint32_t CAudioCDBurn::GetSampleRate()
{
    return 44100;
}

uint16_t CAudioCDBurn::GetChannelCount()
{
    return 2;
}

uint16_t CAudioCDBurn::GetBitsPerSample()
{
    return 16;
}

bool CAudioCDBurn::IsFloat()
{
    return false;
}

bool CAudioCDBurn::CanWrite()
{
    std::lock_guard lock(m_lock.m_section);
    return m_burnImp != nullptr && m_burnImp->CanWriteRawPW();
}

uint32_t CAudioCDBurn::WriteDsd(uint8_t**, uint32_t)
{
    return 0;
}

uint32_t CAudioCDBurn::WriteInt32(int32_t** channels, uint32_t frames)
{
    return m_tempFileCreator.Write(channels, frames);
}

uint32_t CAudioCDBurn::WriteFloat(float** channels, uint32_t frames)
{
    return WriteFloatAsInt32(channels, frames);
}

CMarker* CAudioCDBurn::GetMarker()
{
    CWavFileWrite* writer = m_tempFileCreator.GetOpenWriter();
    return writer != nullptr ? writer->GetMarker() : CAudioRecorderOutput::GetMarker();
}

CAudioMetaData* CAudioCDBurn::GetMetaData()
{
    CWavFileWrite* writer = m_tempFileCreator.GetOpenWriter();
    return writer != nullptr ? writer->GetMetaData() : CAudioRecorderOutput::GetMetaData();
}

void CAudioCDBurn::UpdateMetaData() {}

const std::vector<DiscTypeCode>& CAudioCDBurn::GetAcceptedDiscTypes()
{
    return m_acceptedDiscTypes;
}

uint64_t CAudioCDBurn::GetDiscFreeSpace()
{
    std::lock_guard lock(m_lock.m_section);
    return m_burnImp != nullptr ? m_burnImp->GetDiscFreeSpace(kAudioCdSpaceKind) : 0;
}

uint64_t CAudioCDBurn::GetDiscUsedSpace()
{
    std::lock_guard lock(m_lock.m_section);
    return m_burnImp != nullptr ? m_burnImp->GetDiscUsedSpace(kAudioCdSpaceKind) : 0;
}

DiscResult CAudioCDBurn::SetTempDirectory(const std::u16string& directory)
{
    ClearTempFiles();
    return m_tempFileCreator.SetDirectory(directory) ? DiscResult::Ok : DiscResult::Failed;
}

void CAudioCDBurn::ClearTempFiles()
{
    m_tempFileCreator.Reset();
    m_tempFileCreator.SetDirectory(u"");
}

DiscResult CAudioCDBurn::BeginTracks(const std::u16string& albumTitle, const std::u16string& albumPerformer, uint32_t,
                                     uint32_t, uint32_t)
{
    return m_tempFileCreator.BeginTracks(albumTitle, albumPerformer) ? DiscResult::Ok : DiscResult::Failed;
}

DiscResult CAudioCDBurn::AddTrack(const std::u16string&, bool joinPrevious, bool keepGap, float gapSeconds,
                                  float tailSeconds)
{
    // With joinPrevious the last partial sector of the previous track opens
    // the new track's file.
    if (!m_tempFileCreator.FinishTrack(joinPrevious))
        return DiscResult::Failed;

    uint32_t gapSectors = SecondsToSectors(gapSeconds);
    uint32_t tailSectors = SecondsToSectors(tailSeconds);
    bool trackAtOnce = false;
    {
        std::lock_guard lock(m_lock.m_section);
        trackAtOnce = m_burnImp != nullptr && m_burnImp->WillWriteTrackAtOnce();
    }
    if (!trackAtOnce && !keepGap)
    {
        // The pause becomes silence at the end of this track's file.
        const uint64_t sum = uint64_t(tailSectors) + gapSectors;
        tailSectors = sum > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(sum);
        gapSectors = 0;
    }
    return m_tempFileCreator.AddTrack(gapSectors, tailSectors) ? DiscResult::Ok : DiscResult::Failed;
}

bool CAudioCDBurn::HasTrackFileFailed()
{
    std::lock_guard lock(m_lock.m_section);
    return m_tempFileCreator.HasFailed();
}

bool CAudioCDBurn::FinishTrackFiles()
{
    std::lock_guard lock(m_lock.m_section);
    return m_tempFileCreator.FinishTrack(false) && !m_tempFileCreator.HasFailed();
}

DiscResult CAudioCDBurn::StartBurn()
{
    std::lock_guard lock(m_lock.m_section);
    if (m_burnImp == nullptr)
        return DiscResult::Failed;
    if (m_burnImp->RefreshDiscInfo() != DiscResult::Ok)
        return DiscResult::Failed;
    if (!m_burnImp->IsDiscBlank())
        return DiscResult::Failed;
    const DiscTypeCode type = m_burnImp->GetDiscType();
    bool accepted = false;
    for (DiscTypeCode code : m_acceptedDiscTypes)
        accepted = accepted || code == type;
    if (!accepted)
        return DiscResult::Failed;
    if (ApplyWriteSpeed() != DiscResult::Ok)
        return DiscResult::Failed;
    // A job whose track files are not all complete, or that has none, is not
    // burned.
    if (!m_tempFileCreator.FinishTrack(false) || m_tempFileCreator.HasFailed() ||
        m_tempFileCreator.GetJob().tracks.empty())
        return DiscResult::Failed;
    return m_burnImp->StartBurn(m_tempFileCreator.GetJob());
}
