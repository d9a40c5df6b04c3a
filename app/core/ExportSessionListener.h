#pragma once

#include <juce_core/juce_core.h>

namespace Tavrel
{
class ExportSession;

// What a session reports while it runs. Every operation has an empty default,
// so a listener overrides only what it needs. Keys are UI-string keys; songs
// are song-list rows that a message lists below its text; texts fill the
// placeholders "%1", "%2" of the key's text.
class ExportSessionListener
{
public:
    virtual ~ExportSessionListener() = default;

    // The session's checks passed and its work has begun.
    virtual void exportSessionStarted(ExportSession* session) { juce::ignoreUnused(session); }
    // The normalise pass is over; rendering (conversion, burning) begins.
    virtual void exportSessionProcessingStarted(ExportSession* session) { juce::ignoreUnused(session); }
    // The session has ended; aborted is true when it was cancelled or failed.
    virtual void exportSessionFinished(ExportSession* session, bool aborted) { juce::ignoreUnused(session, aborted); }
    // An error to show.
    virtual void exportSessionError(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                                    const juce::StringArray& texts)
    {
        juce::ignoreUnused(session, key, songs, texts);
    }
    // A question; true means go on.
    virtual bool exportSessionWarning(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                                      const juce::StringArray& texts)
    {
        juce::ignoreUnused(session, key, songs, texts);
        return true;
    }
    // Progress in percent (0 to 100); a null key keeps the shown text.
    virtual void exportSessionProgress(ExportSession* session, double progress, const char* key,
                                       const juce::StringArray& texts)
    {
        juce::ignoreUnused(session, progress, key, texts);
    }
    // Asked after each disc write that was not cancelled: write the same disc
    // image again?
    virtual bool exportSessionAskRepeat(ExportSession* session)
    {
        juce::ignoreUnused(session);
        return false;
    }
};
} // namespace Tavrel
