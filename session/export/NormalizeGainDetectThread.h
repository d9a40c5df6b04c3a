#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "engine/dsp/convert/CNormalizeGainDetect.h"

namespace Tavrel
{
// Measures the normalise gain of each song of a session at the session's
// output rate ("Normalize Gain Detect" thread). Each song is copied under
// the message-manager lock and measured outside it, with its own controls
// but never with a gain detected earlier. With the all-songs flag every
// song gets the smallest gain of the songs that have a peak (silence and
// songs that cannot be read take no part; with no peak at all, 0).
//
// stop, the progress and the current song are for any thread; the gains
// are read once isFinished is true.
class NormalizeGainDetectThread : public juce::Thread
{
public:
    NormalizeGainDetectThread(const juce::SparseSet<int>& songs, unsigned outputRate, int dsdFilter, bool allSongs);
    // Stops the detection and waits for the thread (never kills it).
    ~NormalizeGainDetectThread() override;

    void run() override;
    void stop();

    bool isFinished() const { return m_finished.load(); }
    // The song being measured: its number from 0 (-1 before the first) and
    // its name.
    int getCurrentIndex() const { return m_current.load(); }
    juce::String getCurrentName() const;
    // The name of song number i once it has begun; empty before.
    juce::String getName(int index) const;
    // Percent of the current song.
    float getProgress() { return m_detector.GetProgress(); }
    // One gain (dB) per song, in song order; complete once finished.
    std::vector<float> getGains() const;

private:
    const juce::SparseSet<int> m_songs;
    const unsigned m_outputRate;
    const int m_dsdFilter;
    const bool m_allSongs;
    CNormalizeGainDetect m_detector;
    std::atomic<int> m_current{-1};
    std::atomic<bool> m_finished{false};
    mutable std::mutex m_lock;
    juce::String m_currentName;
    std::vector<juce::String> m_names;
    std::vector<float> m_gains;
};
} // namespace Tavrel
