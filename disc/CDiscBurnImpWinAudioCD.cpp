#include "disc/CDiscBurnImpWinAudioCD.h"

#include <algorithm>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "platform/burn/CdTextPackWriter.h"

using qm::platform::RecorderWriteMethod;
using qm::platform::RecorderWriteModes;

CDiscBurnImpWinAudioCD::CDiscBurnImpWinAudioCD(qm::platform::DiscRecorderSystem* system)
    : CDiscBurnImpWin(system)
{
}

CDiscBurnImpWinAudioCD::~CDiscBurnImpWinAudioCD()
{
    StopWorker();
}

bool CDiscBurnImpWinAudioCD::ProbeModes(RecorderWriteModes& modes)
{
    if (Recorder() == nullptr)
        return false;
    if (!IsBusy())
    {
        m_probed = Recorder()->ProbeWriteModes(m_probedModes);
        if (!m_probed)
            m_probedModes = {};
    }
    modes = m_probedModes;
    return m_probed;
}

bool CDiscBurnImpWinAudioCD::CanWriteRawPW()
{
    RecorderWriteModes modes;
    return ProbeModes(modes) && modes.discAtOnceRawPW;
}

bool CDiscBurnImpWinAudioCD::CanWriteCdText()
{
    return CanWriteRawPW();
}

bool CDiscBurnImpWinAudioCD::WillWriteTrackAtOnce()
{
    RecorderWriteModes modes;
    return ProbeModes(modes) && !modes.discAtOnceRawPW && modes.trackAtOnce;
}

bool CDiscBurnImpWinAudioCD::CannotWriteRawPW()
{
    RecorderWriteModes modes;
    return !ProbeModes(modes) || !modes.discAtOnceRawPW;
}

std::string CDiscBurnImpWinAudioCD::CdTextFromWide(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text)
    {
        if (c < 0x20 || c > 0x7E)
            return {};
        if (narrow.size() < kMaxCdTextBytes)
            narrow.push_back(char(c));
    }
    return narrow;
}

namespace
{
bool TrackFromEntry(const CAudioCDTrackEntry& entry, qm::platform::RecorderTrack& track)
{
    track = {};
    if (entry.path.empty() || !CBinaryFile64::PathToUtf8(entry.path, track.wavPath))
        return false;
    track.pregapSectors = entry.gapSectors;
    return true;
}
} // namespace

bool CDiscBurnImpWinAudioCD::PrepareDiscAtOnce(const CAudioCDBurnJob& job)
{
    m_disc.albumTitle = CdTextFromWide(job.albumTitle);
    m_disc.albumPerformer = CdTextFromWide(job.albumPerformer);
    m_disc.withCdText = true;
    for (const auto& entry : job.tracks)
    {
        qm::platform::RecorderTrack track;
        if (!TrackFromEntry(entry, track))
            return false;
        track.title = CdTextFromWide(entry.title);
        track.performer = CdTextFromWide(entry.performer);
        m_disc.tracks.push_back(std::move(track));
    }
    // The texts must fit into the disc's CD-TEXT.
    std::vector<uint8_t> packs;
    return qm::platform::BuildCdTextPacks(m_disc, packs);
}

bool CDiscBurnImpWinAudioCD::PrepareSessionAtOnce(const CAudioCDBurnJob& job)
{
    for (const auto& entry : job.tracks)
    {
        qm::platform::RecorderTrack track;
        if (!TrackFromEntry(entry, track))
            return false;
        m_disc.tracks.push_back(std::move(track));
    }
    return true;
}

bool CDiscBurnImpWinAudioCD::PrepareTrackAtOnce(const CAudioCDBurnJob& job)
{
    for (const auto& entry : job.tracks)
    {
        qm::platform::RecorderTrack track;
        if (!TrackFromEntry(entry, track))
            return false;
        m_disc.tracks.push_back(std::move(track));
        m_trackFrames.push_back(entry.frames);
    }
    return true;
}

DiscResult CDiscBurnImpWinAudioCD::StartBurn(const CAudioCDBurnJob& job)
{
    if (IsBusy())
        return DiscResult::Failed;
    m_progress.store(0.0f);
    m_progressBase = 0.0;
    m_progressScale = 1.0;
    m_cancel.store(false);
    if (Recorder() == nullptr)
        return DiscResult::Failed;

    RecorderWriteModes modes;
    if (!ProbeModes(modes))
        modes = {};
    m_disc = {};
    m_trackFrames.clear();
    int mode = kModeIdle;
    bool prepared = false;
    if (modes.discAtOnceRawPW)
    {
        mode = kModeDiscAtOnceRawPW;
        prepared = PrepareDiscAtOnce(job);
    }
    else if (modes.trackAtOnce)
    {
        mode = kModeTrackAtOnce;
        prepared = PrepareTrackAtOnce(job);
    }
    else if (modes.discAtOncePQ)
    {
        mode = kModeDiscAtOncePQ;
        prepared = PrepareDiscAtOnce(job);
    }
    else if (modes.sessionAtOnce)
    {
        mode = kModeSessionAtOnce;
        prepared = PrepareSessionAtOnce(job);
    }
    // Nothing to write is as unusable as a failed preparation.
    if (mode == kModeIdle || !prepared || m_disc.tracks.empty())
    {
        m_mode.store(kModeIdle);
        return DiscResult::Failed;
    }

    m_mode.store(mode);
    // A cancel that came meanwhile leaves the writer idle rather than busy
    // with no worker to end the job.
    if (IsCancelled())
    {
        m_mode.store(kModeIdle);
        return DiscResult::Failed;
    }
    m_state.store(kStateStarting);
    if (!StartWorker())
    {
        m_state.store(kStateIdle);
        m_mode.store(kModeIdle);
        return DiscResult::Failed;
    }
    return DiscResult::Ok;
}

bool CDiscBurnImpWinAudioCD::IsBusy() const
{
    return m_mode.load() != kModeIdle || CDiscBurnImpWin::IsBusy();
}

uint32_t CDiscBurnImpWinAudioCD::WriteDisc()
{
    m_state.store(kStateIdle);
    m_previousWritten = 0;
    qm::platform::DiscRecorder* recorder = Recorder();
    if (recorder == nullptr)
        return qm::platform::kRecorderFailed;

    switch (m_mode.load())
    {
    case kModeDiscAtOnceRawPW:
        return recorder->WriteDisc(RecorderWriteMethod::DiscAtOnceRawPW, m_disc, this, CancelFlag());
    case kModeDiscAtOncePQ:
        return recorder->WriteDisc(RecorderWriteMethod::DiscAtOncePQ, m_disc, this, CancelFlag());
    case kModeSessionAtOnce:
        return recorder->WriteDisc(RecorderWriteMethod::SessionAtOnce, m_disc, this, CancelFlag());
    case kModeTrackAtOnce:
        break;
    default:
        return qm::platform::kRecorderFailed;
    }

    uint64_t allFrames = 0;
    for (uint64_t frames : m_trackFrames)
        allFrames += frames;
    uint64_t framesBefore = 0;
    uint32_t result = qm::platform::kRecorderOk;
    for (size_t i = 0; i < m_disc.tracks.size() && result == qm::platform::kRecorderOk; ++i)
    {
        if (allFrames > 0)
        {
            m_progressBase = double(framesBefore) / double(allFrames);
            m_progressScale = double(m_trackFrames[i]) / double(allFrames);
        }
        else
        {
            m_progressBase = double(i) / double(m_disc.tracks.size());
            m_progressScale = 1.0 / double(m_disc.tracks.size());
        }
        // Each track's write counts its bytes from 0.
        m_previousWritten = 0;
        result = recorder->WriteTrack(m_disc.tracks[i], this, CancelFlag());
        framesBefore += m_trackFrames[i];
    }
    if (result != qm::platform::kRecorderOk)
        return result;
    // A session left open is no finished disc.
    if (IsCancelled())
        return qm::platform::kRecorderCancelled;
    m_state.store(kStateFinishing);
    m_progress.store(100.0f);
    return recorder->CloseSession();
}

void CDiscBurnImpWinAudioCD::OnJobEnded()
{
    m_mode.store(kModeIdle);
    m_state.store(kStateIdle);
}

void CDiscBurnImpWinAudioCD::OnProgress(int reason, uint64_t value1, uint64_t value2)
{
    if (reason == kProgressVerify)
    {
        m_state.store(kStateVerifying);
        return;
    }
    if (reason != kProgressWrite)
        return;
    const uint64_t total = value1;
    const uint64_t written = value2;
    double fraction = 0.0;
    // One more step of the same size would finish the write.
    const uint64_t twice = written * 2;
    if (twice >= m_previousWritten && twice - m_previousWritten >= total)
    {
        fraction = 1.0;
        if (m_mode.load() != kModeTrackAtOnce)
            m_state.store(kStateFinishing);
    }
    else
    {
        fraction = total != 0 ? double(written) / double(total) : 0.0;
        m_state.store(kStateWriting);
    }
    if (!IsCancelled())
        m_progress.store(float(std::clamp((m_progressBase + m_progressScale * fraction) * 100.0, 0.0, 100.0)));
    m_previousWritten = written;
}
