#include "session/export/CTVConverterThread.h"

#include <algorithm>
#include <cmath>

#include "app/core/WideText.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "disc/CAudioDiscBurnBase.h"
#include "engine/audiofile/song/CChannelGroupWrite.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/song/CSongWrite.h"
#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"
#include "platform/files/FileSafety.h"
#include "platform/thread/ThreadName.h"

namespace Tavrel
{
namespace
{
// Output rates from here up are 1-bit rates, which the file converter does
// not make.
constexpr unsigned kOneBitRate = 2822400;

const SongOutputFiles* OutputsOf(const ConverterSettings& settings, int row)
{
    for (const SongOutputFiles& out : settings.outputs)
        if (out.row == row)
            return &out;
    return nullptr;
}

juce::File TemporaryFile(const juce::String& temporaryBase, const juce::String& extension, int count, int index)
{
    return juce::File(toJuceString(
        CChannelGroupWrite::MakeTrackFileName(toEngineText(temporaryBase), toEngineText(extension), count, index)));
}
} // namespace

CTVConverterThread::CTVConverterThread(const ConverterSettings& settings)
    : juce::Thread("Converter"),
      m_settings(settings),
      m_reader(std::make_unique<CSongRead>())
{
    if (settings.sampleRate < kOneBitRate)
    {
        m_converter = std::make_unique<CAudioFileConverterPcmOutput>(2);
        m_converter->SetDitherMode(ditherModeFromSetting(settings.ditherType));
    }
}

CTVConverterThread::~CTVConverterThread()
{
    // Never killed: asked to stop, then waited for. Its message-manager
    // locks give up once it is asked to exit.
    cancel();
    signalThreadShouldExit();
    stopThread(-1);
    (void)m_runEnded.load(std::memory_order_acquire);
    if (m_writer != nullptr)
        m_writer->Cancel();
    m_converter.reset();
    m_reader.reset();
    m_writer.reset();
}

void CTVConverterThread::cancel()
{
    if (m_converter != nullptr)
    {
        m_converter->SetCancel(true);
        m_converter->SetPause(false);
    }
    m_cancel.store(true);
}

void CTVConverterThread::pause()
{
    if (m_converter != nullptr)
        m_converter->SetPause(true);
}

void CTVConverterThread::resume()
{
    if (m_converter != nullptr)
        m_converter->SetPause(false);
}

bool CTVConverterThread::isPaused() const
{
    return m_converter != nullptr && m_converter->IsHoldingAtPause();
}

double CTVConverterThread::getPositionPercent() const
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    if (!m_songActive || m_converter == nullptr || m_currentLengthSeconds <= 0.0)
        return 0.0;
    const uint32_t rate = m_converter->GetPublishedSampleRate();
    if (rate == 0)
        return 0.0;
    const double seconds = static_cast<double>(m_converter->GetPublishedPosition()) / rate;
    return std::min(100.0, seconds / m_currentLengthSeconds * 100.0);
}

void CTVConverterThread::getPositionHourMinSec(int& hours, int& minutes, float& seconds) const
{
    hours = 0;
    minutes = 0;
    seconds = 0.0f;
    std::lock_guard<std::mutex> guard(m_stateLock);
    if (!m_songActive || m_converter == nullptr)
        return;
    const uint32_t rate = m_converter->GetPublishedSampleRate();
    if (rate == 0)
        return;
    const double position = static_cast<double>(m_converter->GetPublishedPosition()) / rate;
    hours = static_cast<int>(position / 3600.0);
    minutes = static_cast<int>((position - hours * 3600.0) / 60.0);
    seconds = static_cast<float>(position - hours * 3600.0 - minutes * 60.0);
}

double CTVConverterThread::getProgress()
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    if (m_totalSeconds <= 0.0)
        return 0.0;
    double seconds = m_doneSeconds;
    if (m_songActive && m_converter != nullptr)
    {
        const uint32_t rate = m_converter->GetPublishedSampleRate();
        if (rate != 0)
            seconds += std::min(m_currentLengthSeconds,
                                static_cast<double>(m_converter->GetPublishedPosition()) / rate);
    }
    // Read-outs race the song's end by a block: never show a step back.
    m_lastProgress = std::max(m_lastProgress, std::min(100.0, seconds / m_totalSeconds * 100.0));
    return m_lastProgress;
}

void CTVConverterThread::getLevels(float* levels, int& clipState)
{
    clipState = 0;
    if (m_converter == nullptr)
    {
        levels[0] = levels[1] = -200.0f;
        return;
    }
    m_converter->GetPeakLevels(levels, &clipState);
}

juce::SparseSet<int> CTVConverterThread::getFailedSongs() const
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_failed;
}

juce::SparseSet<int> CTVConverterThread::getWriteFailedSongs() const
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_writeFailed;
}

void CTVConverterThread::markFailed(int row, bool writeFailed)
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    (writeFailed ? m_writeFailed : m_failed).addRange({row, row + 1});
}

void CTVConverterThread::songEnded(double lengthSeconds)
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_doneSeconds += lengthSeconds;
    m_songActive = false;
}

void CTVConverterThread::run()
{
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    {
        // The total length, from the records as they are now.
        const juce::MessageManagerLock lock(this);
        if (!lock.lockWasGained())
            m_cancel.store(true);
        else if (CTVHost* host = CTVHost::GetStoredInstance())
        {
            double total = 0.0;
            for (int i = 0; i < m_settings.songs.size(); ++i)
                if (const TrackInfo* track = host->GetTrack(m_settings.songs[i]))
                    total += track->getLengthInSeconds();
            std::lock_guard<std::mutex> guard(m_stateLock);
            m_totalSeconds = total;
            m_doneSeconds = 0.0;
        }
    }

    int lastConverted = -1;
    for (int i = 0; i < m_settings.songs.size() && !threadShouldExit() && !m_cancel.load(); ++i)
    {
        const SongResult result = convertSong(i);
        if (result == SongResult::Done)
            lastConverted = m_settings.songs[i];
        else if (result == SongResult::OpenFailed || result == SongResult::WriteFailed)
        {
            markFailed(m_settings.songs[i], result == SongResult::WriteFailed);
            m_cancel.store(true);
        }
    }

    // The burn's last track file ends here, so that its failure is known
    // before any disc is asked for.
    if (m_settings.burner != nullptr && lastConverted >= 0 && !m_cancel.load() &&
        !m_settings.burner->FinishTrackFiles())
        markFailed(lastConverted, true);

    {
        const juce::MessageManagerLock lock(this);
        if (lock.lockWasGained())
        {
            if (CTVHost* host = CTVHost::GetStoredInstance())
                host->SetCurrentTrack(-1, host->GetMode() == CTVHost::kPlayerMode, false);
        }
    }
    if (m_converter != nullptr)
        m_converter->Open(nullptr, nullptr, false); // lets go of input and output
    if (m_writer != nullptr)
    {
        m_writer->Cancel();
        m_writer.reset();
    }
    m_reader->Close();
    m_song.reset();
    // Nothing of this object but the end flag is touched after the finished
    // flag; the owner deletes it only after joining the thread.
    const std::function<void()> onFinished = m_onFinished;
    m_finished.store(true);
    if (onFinished)
        onFinished();
    m_runEnded.store(true, std::memory_order_release);
}

CTVConverterThread::SongResult CTVConverterThread::convertSong(int index)
{
    const int row = m_settings.songs[index];
    const bool gapsZero = m_settings.gap == 0.0f && m_settings.secondGap == 0.0f;
    bool mayJoinPrevious = false;
    bool mayJoinNext = false;
    double length = 0.0;
    juce::String name;
    {
        const juce::MessageManagerLock lock(this);
        if (!lock.lockWasGained())
            return SongResult::Cancelled;
        CTVHost* host = CTVHost::GetStoredInstance();
        const TrackInfo* track = host != nullptr ? host->GetTrack(row) : nullptr;
        if (track == nullptr || !track->readable)
        {
            if (track != nullptr)
                songEnded(track->getLengthInSeconds());
            return SongResult::Skipped;
        }
        const TrackInfo* previous = index > 0 ? host->GetTrack(m_settings.songs[index - 1]) : nullptr;
        const TrackInfo* next = index + 1 < m_settings.songs.size() ? host->GetTrack(m_settings.songs[index + 1]) : nullptr;
        mayJoinPrevious = gapsZero && previous != nullptr && previous->readable &&
                          TrackInfo::CanJoinSeamlessly(track, previous);
        mayJoinNext = gapsZero && next != nullptr && next->readable && TrackInfo::CanJoinSeamlessly(next, track);
        // The reader reads a copy: the list may change while it converts.
        m_song = std::make_unique<TrackInfo>(*track);
        m_song->normalizeGainValid = track->normalizeGainValid;
        m_song->normalizeGain = track->normalizeGain;
        length = track->getLengthInSeconds();
        name = track->getTextField(TrackInfo::kSongName);
    }

    // The output.
    CAudioRecorderOutput* output = nullptr;
    const SongOutputFiles* names = nullptr;
    juce::String temporaryBase;
    bool outputFailed = false;
    bool joined = false;
    if (m_settings.burner != nullptr)
    {
        output = m_settings.burner;
        joined = mayJoinPrevious && output->CanWrite();
        // Every pause is a pregap the disc writer makes, so that it is the
        // chosen gap in any write mode: none before the first song or a
        // joined one, and nothing added after the last.
        const float gap = index == 0 || joined ? 0.0f : m_settings.gap;
        outputFailed = m_settings.burner->AddTrack(toEngineText(name), joined, true, gap, 0.0f) != DiscResult::Ok;
    }
    else
    {
        names = OutputsOf(m_settings, row);
        const int channels = m_settings.fileType == 0 ? std::max(1, m_song->channels) : 2;
        const int perFile = m_settings.fileType == 0 ? 1 : 2;
        m_writer = std::make_unique<CSongWrite>(m_settings.formatName.toRawUTF8(), m_settings.sampleRate,
                                                static_cast<uint16_t>(m_settings.bitDepth),
                                                static_cast<uint16_t>(channels), static_cast<uint16_t>(perFile),
                                                static_cast<uint32_t>(m_settings.qualityOption));
        // Written under a short temporary name in the destination, so that
        // any name that fits as the final one fits here too.
        temporaryBase = m_settings.outputFolder
                            .getChildFile(".qm-" + juce::String::toHexString(juce::Random::getSystemRandom().nextInt()) +
                                          ".part")
                            .getFullPathName();
        outputFailed = names == nullptr || (m_settings.fileType != 0 && m_settings.fileType != 1) ||
                       !m_writer->Open(toEngineText(temporaryBase), toEngineText(m_settings.extension));
        output = m_writer.get();
        joined = mayJoinPrevious && output->CanWrite();
    }

    bool opened = !outputFailed && m_reader->Open(m_song->song.get());
    if (opened)
    {
        if (CAudioMetaData* metaData = m_reader->GetMetaData())
            (void)m_song->writeMetadata(*metaData);
        if (m_converter != nullptr)
            m_song->applyControls(*m_converter->GetDynamicControl(), true);
        opened = m_converter != nullptr &&
                 m_converter->Open(m_reader.get(), output, mayJoinNext && output->CanWrite());
    }
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        m_currentLengthSeconds = length;
        m_songActive = opened;
    }
    {
        const juce::MessageManagerLock lock(this);
        if (lock.lockWasGained())
            if (CTVHost* host = CTVHost::GetStoredInstance())
                host->SetCurrentTrack(row, host->GetMode() == CTVHost::kPlayerMode, false);
    }

    if (!opened)
    {
        if (m_writer != nullptr)
        {
            m_writer->Cancel();
            m_writer.reset();
        }
        songEnded(0.0);
        return SongResult::OpenFailed;
    }
    if (!m_cancel.load())
        m_converter->Run();

    const bool cancelled = m_cancel.load() || m_converter->IsCancelled();
    SongResult result = cancelled ? SongResult::Cancelled : SongResult::Done;
    if (m_writer != nullptr)
    {
        if (cancelled)
            m_writer->Cancel();
        else if (!finishFileOutput(*names, temporaryBase))
            result = SongResult::WriteFailed;
        m_writer.reset();
    }
    else if (!cancelled && m_settings.burner->HasTrackFileFailed())
        result = SongResult::WriteFailed;
    songEnded(result == SongResult::Done ? length : 0.0);
    return result;
}

bool CTVConverterThread::finishFileOutput(const SongOutputFiles& names, const juce::String& temporaryBase)
{
    if (!m_writer->Close())
    {
        m_writer->Cancel();
        deleteTemporaryFiles(names, temporaryBase);
        return false;
    }
    const int count = names.files.size();
    bool ok = true;
    for (int i = 0; i < count && ok; ++i)
    {
        const std::string from = TemporaryFile(temporaryBase, m_settings.extension, count, i).getFullPathName().toStdString();
        const juce::File target = names.files[i];
        const std::string to = target.getFullPathName().toStdString();
        const qm::platform::RenameResult moved = m_settings.replaceable.contains(target)
                                                     ? qm::platform::renameReplacing(from, to)
                                                     : qm::platform::renameNoReplace(from, to);
        ok = moved == qm::platform::RenameResult::Ok;
    }
    if (!ok)
        deleteTemporaryFiles(names, temporaryBase);
    return ok;
}

void CTVConverterThread::deleteTemporaryFiles(const SongOutputFiles& names, const juce::String& temporaryBase) const
{
    const int count = names.files.size();
    for (int i = 0; i < count; ++i)
        (void)qm::platform::removeFile(
            TemporaryFile(temporaryBase, m_settings.extension, count, i).getFullPathName().toStdString());
}
} // namespace Tavrel
