#include "session/export/OutputExportSessionBase.h"

#include <mutex>

#include "app/commands/CommandManager.h"
#include "app/commands/ValueActions.h"
#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "session/export/CTVConverterThread.h"
#include "session/export/NormalizeGainDetectThread.h"
#include "session/parameters/SongListAccess.h"

namespace Tavrel
{
namespace
{
constexpr int kPollMs = 200;
OutputExportSessionBase::FreeSpaceQuery g_freeSpace;
constexpr int kIndexPollMs = 10;
}

void OutputExportSessionBase::setFreeSpaceQuery(FreeSpaceQuery query)
{
    g_freeSpace = std::move(query);
}

int64_t OutputExportSessionBase::freeSpaceOf(const juce::File& folder)
{
    return g_freeSpace ? g_freeSpace(folder) : folder.getBytesFreeOnVolume();
}

OutputExportSessionBase::OutputExportSessionBase(const CommonExportParameter& common)
    : m_common(common)
{
}

OutputExportSessionBase::~OutputExportSessionBase()
{
    std::unique_ptr<NormalizeGainDetectThread> normalize;
    std::unique_ptr<CTVConverterThread> converter;
    {
        std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
        normalize = std::move(m_normalize);
        converter = std::move(m_converter);
    }
    normalize.reset();
    converter.reset();
}

bool OutputExportSessionBase::withConverter(const std::function<void(CTVConverterThread&)>& call)
{
    std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
    if (m_converter == nullptr)
        return false;
    call(*m_converter);
    return true;
}

void OutputExportSessionBase::cancel()
{
    m_cancelled.store(true);
    {
        std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
        if (m_normalize != nullptr)
            m_normalize->stop();
        if (m_converter != nullptr)
            m_converter->cancel();
    }
    cancelHook();
}

void OutputExportSessionBase::pause()
{
    withConverter([](CTVConverterThread& c) { c.pause(); });
}

void OutputExportSessionBase::resume()
{
    withConverter([](CTVConverterThread& c) { c.resume(); });
}

bool OutputExportSessionBase::isNormalizeOn()
{
    return m_common.getChoiceValue(CommonExportParameter::kNormalizeMode) != 0;
}

juce::SparseSet<int> OutputExportSessionBase::getSongIndices()
{
    return m_songs;
}

bool OutputExportSessionBase::isPaused()
{
    bool paused = false;
    withConverter([&](CTVConverterThread& c) { paused = c.isPaused(); });
    return paused;
}

void OutputExportSessionBase::getPositionHourMinSec(int& hours, int& minutes, float& seconds)
{
    hours = 0;
    minutes = 0;
    seconds = 0.0f;
    withConverter([&](CTVConverterThread& c) { c.getPositionHourMinSec(hours, minutes, seconds); });
}

double OutputExportSessionBase::getProgress()
{
    double progress = 0.0;
    withConverter([&](CTVConverterThread& c) { progress = c.getProgress(); });
    return progress;
}

void OutputExportSessionBase::getLevels(float* levels, int& clipState)
{
    levels[0] = levels[1] = -200.0f;
    clipState = 0;
    withConverter([&](CTVConverterThread& c) { c.getLevels(levels, clipState); });
}

bool OutputExportSessionBase::isConverting()
{
    bool converting = false;
    withConverter([&](CTVConverterThread& c) { converting = !c.isFinished(); });
    return converting;
}

void OutputExportSessionBase::setConverterThread(std::unique_ptr<CTVConverterThread> converter)
{
    std::unique_ptr<CTVConverterThread> old;
    {
        std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
        old = std::move(m_converter);
        m_converter = std::move(converter);
    }
}

void OutputExportSessionBase::driveConverter(juce::Thread& sessionThread, const char* progressKey,
                                             juce::SparseSet<int>& failed, juce::SparseSet<int>& writeFailed)
{
    withConverter([](CTVConverterThread& c) { c.startThread(); });
    for (;;)
    {
        bool finished = true;
        double progress = 0.0;
        withConverter([&](CTVConverterThread& c) {
            finished = c.isFinished();
            progress = c.getProgress();
        });
        notifyProgress(progress, progressKey, {});
        if (finished || sessionThread.threadShouldExit())
            break;
        sessionThread.wait(kPollMs);
    }
    withConverter([&](CTVConverterThread& c) {
        failed = c.getFailedSongs();
        writeFailed = c.getWriteFailedSongs();
    });
}

void OutputExportSessionBase::stopSessionThread(juce::Thread& sessionThread)
{
    cancel();
    sessionThread.signalThreadShouldExit();
    sessionThread.notify();
    sessionThread.stopThread(-1);
    (void)m_runEnded.load(std::memory_order_acquire);
    takeConverterThread().reset();
}

std::unique_ptr<CTVConverterThread> OutputExportSessionBase::takeConverterThread()
{
    std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
    return std::move(m_converter);
}

bool OutputExportSessionBase::gatherSongs(const char* warningKey, const char* errorKey)
{
    m_songs.clear();
    juce::SparseSet<int> missing;
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host != nullptr)
    {
        const bool selectedOnly = m_common.getChoiceValue(CommonExportParameter::kSource) ==
                                  CommonExportParameter::kSourceSelected;
        const juce::SparseSet<int> selection = host->GetSelection();
        for (int row = 0; row < host->GetTrackCount(); ++row)
        {
            if (selectedOnly && !selection.contains(row))
                continue;
            TrackInfo* track = host->GetTrack(row);
            (track != nullptr && track->isReadable() ? m_songs : missing).addRange({row, row + 1});
        }
    }
    if (m_songs.isEmpty())
    {
        notifyError(errorKey, missing, {});
        return false;
    }
    if (!missing.isEmpty())
        return notifyWarning(warningKey, missing, {});
    return true;
}

bool OutputExportSessionBase::storeDetectedGains(juce::Thread* sessionThread, const std::vector<float>* gains)
{
    const juce::MessageManagerLock lock(sessionThread);
    if (!lock.lockWasGained())
        return false;
    CTVHost* host = CTVHost::GetStoredInstance();
    if (host == nullptr)
        return true;
    for (int i = 0; i < m_songs.size(); ++i)
    {
        if (TrackInfo* track = host->GetTrack(m_songs[i]))
        {
            const bool valid = gains != nullptr && static_cast<size_t>(i) < gains->size();
            track->normalizeGainValid = valid;
            track->normalizeGain = valid ? (*gains)[static_cast<size_t>(i)] : 0.0f;
        }
    }
    return true;
}

bool OutputExportSessionBase::runNormalizePass(juce::Thread* sessionThread)
{
    m_detected.store(false);
    const int mode = m_common.getChoiceValue(CommonExportParameter::kNormalizeMode);
    if (mode == 0)
        return storeDetectedGains(sessionThread, nullptr);

    {
        std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
        if (m_cancelled.load())
            return false;
        m_normalize = std::make_unique<NormalizeGainDetectThread>(
            m_songs, getOutputSampleRate(), m_common.getChoiceValue(CommonExportParameter::kDsdFilter), mode == 2);
        m_normalize->startThread();
    }
    const int count = m_songs.size();
    // Every song is named once it begins (also one measured between two
    // polls), and the current one again every 200 ms.
    int shownIndex = -1;
    juce::uint32 lastShown = 0;
    auto show = [&](int index, float progress) {
        juce::String name;
        {
            std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
            name = m_normalize->getName(index);
        }
        notifyProgress(progress, "Export_DetectNormalizeGain",
                       {name + juce::String::formatted(" (%d / %d)", index + 1, count)});
        shownIndex = index;
        lastShown = juce::Time::getMillisecondCounter();
    };
    for (;;)
    {
        int index = 0;
        float progress = 0.0f;
        bool finished = false;
        {
            std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
            finished = m_normalize->isFinished();
            index = m_normalize->getCurrentIndex();
            progress = m_normalize->getProgress();
        }
        for (int i = shownIndex + 1; i < index; ++i)
            show(i, 100.0f);
        if (finished)
        {
            if (!m_cancelled.load())
                for (int i = shownIndex + 1; i <= index; ++i)
                    show(i, 100.0f);
            break;
        }
        if (index >= 0 && (index != shownIndex || juce::Time::getMillisecondCounter() - lastShown >= kPollMs))
            show(index, progress);
        if (sessionThread != nullptr)
            sessionThread->wait(kIndexPollMs);
        else
            juce::Thread::sleep(kIndexPollMs);
    }
    std::unique_ptr<NormalizeGainDetectThread> normalize;
    {
        std::lock_guard<std::recursive_mutex> guard(getLock().m_section);
        normalize = std::move(m_normalize);
    }
    const std::vector<float> gains = normalize->getGains();
    normalize.reset(); // joined outside the lock
    if (m_cancelled.load() || gains.size() != static_cast<size_t>(count))
        return false;
    if (!storeDetectedGains(sessionThread, &gains))
        return false;
    m_detected.store(true);
    return true;
}

void OutputExportSessionBase::applyNormalizedGain()
{
    CTVHost* host = CTVHost::GetStoredInstance();
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (!isNormalizeOn() || host == nullptr || commands == nullptr)
        return;
    bool first = true;
    for (int i = 0; i < m_songs.size(); ++i)
    {
        const TrackInfo* track = host->GetTrack(m_songs[i]);
        if (track == nullptr)
            continue;
        auto* change = new CTVActionChangeValue(host);
        change->setFloatValue(m_songs[i], TrackInfo::kGain, track->getEffectiveGain());
        if (commands->performUndoable(change, first,
                                      first ? CBJXResource::GetString("Action_ApplyNormalizedGain") : juce::String()))
            first = false;
    }
}
} // namespace Tavrel
