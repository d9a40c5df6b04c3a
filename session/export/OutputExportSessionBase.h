#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "session/manager/ExportSession.h"
#include "session/parameters/CommonExportParameter.h"

namespace Tavrel
{
class CTVConverterThread;
class NormalizeGainDetectThread;

// What the file-export and disc-burn sessions share: the common settings,
// the songs to render, the normalise pass with its thread, the converter
// thread, cancel and pause, the read-outs the progress windows poll, and the
// loading of detected gains into the songs as one undo step.
//
// Threads: cancel, pause, resume and the read-outs come from the message
// thread (and the read-outs also from the session thread); the session lock
// guards only the two worker pointers and is held briefly. A worker is taken
// out under the lock and joined and deleted outside it.
class OutputExportSessionBase : public ExportSession
{
public:
    explicit OutputExportSessionBase(const CommonExportParameter& common);
    // Deletes the workers (each stops its own thread first).
    ~OutputExportSessionBase() override;

    void cancel() override;
    void pause() override;
    void resume() override;
    bool isNormalizeOn() override;
    bool isNormalizeGainDetected() override { return m_detected.load(); }
    // One undo step named "Load Normalized Gain": each song's gain with its
    // detected gain added (rounded down to 0.1 dB). Message thread.
    void applyNormalizedGain() override;
    juce::SparseSet<int> getSongIndices() override;
    bool isPaused() override;
    void getPositionHourMinSec(int& hours, int& minutes, float& seconds) override;
    double getProgress() override;
    // levels: two channel levels in dB (-200 without a converter); second:
    // the file converter's clip state (0, 1, 2).
    void getLevels(float* levels, int& clipState) override;
    bool isConverting() override;

    // The free bytes of a folder's volume; tests replace it (empty: the
    // volume's available blocks).
    using FreeSpaceQuery = std::function<int64_t(const juce::File& folder)>;
    static void setFreeSpaceQuery(FreeSpaceQuery query);

protected:
    static int64_t freeSpaceOf(const juce::File& folder);
    // The burn session cancels its burner here.
    virtual void cancelHook() {}

    // Message thread: the songs of the source item that open; asks the
    // warning (false when declined) or reports the error (no song left).
    bool gatherSongs(const char* warningKey, const char* errorKey);
    // Session thread: the normalise pass; false only when cancelled.
    bool runNormalizePass(juce::Thread* sessionThread);
    // Session thread: starts the converter thread and reports its progress
    // (under the key, null for none) every 200 ms, or at once when it
    // finishes (the converter's end notifies the session thread), until it
    // has finished or the thread is asked to exit. Then the songs that
    // failed: to open, and to be written completely.
    void driveConverter(juce::Thread& sessionThread, const char* progressKey, juce::SparseSet<int>& failed,
                        juce::SparseSet<int>& writeFailed);
    // For the destructor of a session that runs on its own thread: cancels,
    // asks the thread to end, wakes it and waits for it without a limit,
    // then deletes the converter. The framework joins by polling, which the
    // thread sanitizer cannot follow: the end flag, set by markRunEnded as
    // run's last step, is read after the join so that run visibly ends first.
    void stopSessionThread(juce::Thread& sessionThread);
    void markRunEnded() { m_runEnded.store(true, std::memory_order_release); }
    // The converter thread, stored or taken out under the session lock.
    void setConverterThread(std::unique_ptr<CTVConverterThread> converter);
    std::unique_ptr<CTVConverterThread> takeConverterThread();
    // Runs `call` on the converter under the session lock; false without one.
    bool withConverter(const std::function<void(CTVConverterThread&)>& call);

    const CommonExportParameter& getCommon() const { return m_common; }
    bool isCancelled() const { return m_cancelled.load(); }

    juce::SparseSet<int> m_songs;

private:
    // Writes the detected gains into the records (or clears them) under the
    // message-manager lock; false when the lock could not be had.
    bool storeDetectedGains(juce::Thread* sessionThread, const std::vector<float>* gains);

    CommonExportParameter m_common;
    std::unique_ptr<NormalizeGainDetectThread> m_normalize;
    std::unique_ptr<CTVConverterThread> m_converter;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_detected{false};
    std::atomic<bool> m_runEnded{false};
};
} // namespace Tavrel
