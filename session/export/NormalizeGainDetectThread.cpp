#include "session/export/NormalizeGainDetectThread.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/song/CSongRead.h"
#include "platform/thread/ThreadName.h"

namespace Tavrel
{
NormalizeGainDetectThread::NormalizeGainDetectThread(const juce::SparseSet<int>& songs, unsigned outputRate,
                                                     int dsdFilter, bool allSongs)
    : juce::Thread("Normalize Gain Detect"),
      m_songs(songs),
      m_outputRate(outputRate),
      m_dsdFilter(dsdFilter),
      m_allSongs(allSongs)
{
}

NormalizeGainDetectThread::~NormalizeGainDetectThread()
{
    stop();
    stopThread(-1);
    // The framework's join is not visible to the thread sanitizer; the
    // flag, set at the end of run, is.
    (void)m_finished.load(std::memory_order_acquire);
}

void NormalizeGainDetectThread::stop()
{
    signalThreadShouldExit();
    m_detector.SetCancel(true);
}

juce::String NormalizeGainDetectThread::getCurrentName() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_currentName;
}

juce::String NormalizeGainDetectThread::getName(int index) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return index >= 0 && static_cast<size_t>(index) < m_names.size() ? m_names[static_cast<size_t>(index)]
                                                                      : juce::String();
}

std::vector<float> NormalizeGainDetectThread::getGains() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_gains;
}

void NormalizeGainDetectThread::run()
{
    qm::platform::setCurrentThreadName(getThreadName().toStdString());
    std::vector<float> gains;
    std::optional<float> smallest;
    for (int i = 0; i < m_songs.size() && !threadShouldExit(); ++i)
    {
        std::unique_ptr<TrackInfo> song;
        {
            // A copy of the song and its controls; measured outside the lock.
            const juce::MessageManagerLock lock(this);
            if (!lock.lockWasGained())
                break;
            const CTVHost* host = CTVHost::GetStoredInstance();
            const TrackInfo* track = host != nullptr ? host->GetTrack(m_songs[i]) : nullptr;
            if (track != nullptr)
            {
                song = std::make_unique<TrackInfo>(*track);
                std::lock_guard<std::mutex> guard(m_lock);
                m_currentName = track->getTextField(TrackInfo::kSongName);
            }
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (song == nullptr)
                m_currentName.clear();
            m_names.push_back(m_currentName);
        }
        // The number after the name: a read-out never pairs them wrongly.
        m_current.store(i);
        float gain = 0.0f;
        bool found = false;
        CSongRead reader;
        if (song != nullptr && reader.Open(song->song.get()) && m_detector.Prepare(&reader, m_outputRate))
        {
            m_detector.WaitForSource();
            if (CAudioFileConverterPcmOutput* converter = m_detector.GetConverter())
                song->applyControls(*converter->GetDynamicControl(), false);
            gain = m_detector.Detect();
            found = m_detector.FoundPeak();
        }
        if (threadShouldExit())
            break;
        gains.push_back(gain);
        if (found)
            smallest = smallest ? std::min(*smallest, gain) : gain;
    }
    if (m_allSongs)
        std::fill(gains.begin(), gains.end(), smallest.value_or(0.0f));
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_gains = std::move(gains);
    }
    m_finished.store(true);
}
} // namespace Tavrel
