#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "session/export/ConverterSettings.h"

class CAudioFileConverterPcmOutput;
class CSongRead;
class CSongWrite;

namespace Tavrel
{
class TrackInfo;

// Renders the songs of a session one after another: the song's reader, its
// texts, its gain (with the detected normalise gain), balance, fades and DC
// cut, into a song writer (file export) or the disc burner (burn).
//
// Each file-export song is written under temporary names in the destination
// and moved to its names only once its writer has closed without an error;
// a cancelled or failed song leaves none of its files, and a file the user
// agreed to replace is replaced only by a complete one. The first song that
// fails stops the conversion; the songs before it stay written.
//
// Threads: run is the "Converter" thread. The controller and its records are
// touched only under the message-manager lock, never across a conversion.
// cancel, pause, resume and the read-outs are for any thread: they reach only
// the file converter (which lives as long as this object) and atomics.
class CTVConverterThread : public juce::Thread
{
public:
    explicit CTVConverterThread(const ConverterSettings& settings);
    // Stops the thread (cancel, then wait without a limit), then deletes the
    // converter, the reader and the writer.
    ~CTVConverterThread() override;

    void run() override;

    void cancel();
    void pause();
    void resume();
    // The converter holds at its pause point.
    bool isPaused() const;

    // Percent of the total length; 0.0 while the total is 0. Never falls,
    // and reads 100 once the last song is done.
    double getProgress();
    // The position in the song being converted.
    double getPositionPercent() const;
    void getPositionHourMinSec(int& hours, int& minutes, float& seconds) const;
    // The converter's levels (dB, read and reset) and clip state (0, 1, 2).
    void getLevels(float* levels, int& clipState);

    // Songs whose reader, converter or output could not be opened.
    juce::SparseSet<int> getFailedSongs() const;
    // Songs whose output could not be written completely (a full disk).
    juce::SparseSet<int> getWriteFailedSongs() const;
    bool isFinished() const { return m_finished.load(); }
    // Called on the converter thread right after the finished flag is set
    // (the session wakes its thread with it); set before the thread starts.
    void setFinishedCallback(std::function<void()> callback) { m_onFinished = std::move(callback); }

private:
    enum class SongResult
    {
        Done,
        Skipped,
        OpenFailed,
        WriteFailed,
        Cancelled,
    };
    SongResult convertSong(int index);
    // Closes the song's writer and moves its files to their names.
    bool finishFileOutput(const SongOutputFiles& names, const juce::String& temporaryBase);
    void deleteTemporaryFiles(const SongOutputFiles& names, const juce::String& temporaryBase) const;
    void markFailed(int row, bool writeFailed);
    // Done seconds and the current song's position together.
    void songEnded(double lengthSeconds);

    const ConverterSettings m_settings;
    std::unique_ptr<CSongRead> m_reader;
    std::unique_ptr<CAudioFileConverterPcmOutput> m_converter;
    std::unique_ptr<CSongWrite> m_writer;
    // The record of the song being converted, copied under the lock: the
    // reader reads its song while the list may change.
    std::unique_ptr<TrackInfo> m_song;

    mutable std::mutex m_stateLock;
    juce::SparseSet<int> m_failed;
    juce::SparseSet<int> m_writeFailed;
    double m_totalSeconds = 0.0;
    double m_doneSeconds = 0.0;
    double m_currentLengthSeconds = 0.0;
    bool m_songActive = false;
    double m_lastProgress = 0.0;

    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::function<void()> m_onFinished;
    // Set as run's very last step (after the callback). The framework joins
    // its threads by polling, which the thread sanitizer cannot follow: the
    // destructor reads this after the join.
    std::atomic<bool> m_runEnded{false};
};
} // namespace Tavrel
