#pragma once

#include <juce_core/juce_core.h>

#include "app/core/CBJXListenerOwner.h"
#include "engine/audiofile/foundation/CCriticalSection.h"
#include "session/manager/ExportSessionListener.h"

namespace Tavrel
{
// The kinds of session, told apart by their title keys.
enum ExportSessionKind : int
{
    kExportSessionNone = 0,
    kExportSessionFileExport = 1,
    kExportSessionDiscBurn = 2,
    kExportSessionDiscErase = 3,
};

// Title keys of the three kinds of session.
inline constexpr const char* kExportTitleKey = "Export_Title";
inline constexpr const char* kDiscBurnTitleKey = "DiscBurn_Title";
inline constexpr const char* kDiscEraseTitleKey = "DiscErase_Title";

// The kind whose title key this is; none for a null or any other key.
int getExportSessionKindOfTitleKey(const char* titleKey);

// A long operation (file export, disc burn, disc erase). start runs the checks
// on the message thread and starts the work; the work reports through the
// session's listeners, from whatever thread it runs on.
class ExportSession : public CBJXListenerOwner<ExportSessionListener>
{
public:
    ExportSession() = default;
    ExportSession(const ExportSession&) = delete;
    ExportSession& operator=(const ExportSession&) = delete;

    // The session's own lock.
    virtual CCriticalSection& getLock() { return m_lock; }
    ~ExportSession() override = default;

    // "Export_Title", "DiscBurn_Title" or "DiscErase_Title".
    virtual const char* getTitleKey() const = 0;
    // Runs the checks on the calling (message) thread and, when they pass,
    // starts the work; false means nothing runs.
    virtual bool start() = 0;
    virtual void cancel() = 0;
    virtual void pause() {}
    virtual void resume() {}
    virtual bool isNormalizeOn() { return false; }
    virtual bool isNormalizeGainDetected() { return false; }
    virtual void applyNormalizedGain() {}
    // The song-list rows the session works on, ascending.
    virtual juce::SparseSet<int> getSongIndices() { return {}; }
    virtual unsigned getOutputSampleRate() { return 0; }
    virtual bool isPaused() { return false; }
    // The position in the song being worked on; the base writes nothing.
    virtual void getPositionHourMinSec(int& hours, int& minutes, float& seconds)
    {
        juce::ignoreUnused(hours, minutes, seconds);
    }
    // Percent of the whole session.
    virtual double getProgress() { return 0.0; }
    // The pair of channel levels (dB) and the clip state of the file
    // converter (0 none, 1 clipped, 2 clipped hard); the base writes nothing.
    virtual void getLevels(float* levels, int& clipState) { juce::ignoreUnused(levels, clipState); }
    virtual bool isConverting() { return false; }
    virtual bool hasSucceeded() { return true; }
    virtual juce::String getFailureText() { return {}; }

    // Broadcasts to the session's listeners in the order they were added,
    // on the calling thread.
    void notifyStarted();
    void notifyProcessingStarted();
    void notifyFinished(bool aborted);
    void notifyError(const char* key, const juce::SparseSet<int>& songs, const juce::StringArray& texts);
    // True unless a listener answers false (every listener is asked).
    bool notifyWarning(const char* key, const juce::SparseSet<int>& songs, const juce::StringArray& texts);
    void notifyProgress(double progress, const char* key, const juce::StringArray& texts);
    // True when any listener answers true (every listener is asked).
    bool notifyAskRepeat();

private:
    CCriticalSection m_lock;
};
} // namespace Tavrel
