#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "app/core/CBJXListenerOwner.h"
#include "app/core/CBJXSingleton.h"
#include "app/core/SessionMonitor.h"
#include "disc/CAudioDiscBurnProxy.h"
#include "engine/audiofile/foundation/CCriticalSection.h"
#include "session/manager/ExportSession.h"
#include "session/manager/ExportSessionListener.h"
#include "session/manager/MessageThreadRelay.h"
#include "session/manager/ProgressMessage.h"

namespace Tavrel
{
// Runs one session at a time and re-issues every event of its session to its
// own listeners (the user interface, the controller) on the message thread:
// progress is posted, every other event is handed over synchronously, so a
// question raised on a session's thread gets its answer from the message
// thread. It also owns the disc-burn proxy, and it is the process's session
// monitor from construction to destruction.
class ExportManager : public CBJXSingleton<ExportManager>,
                      public CBJXListenerOwner<ExportSessionListener>,
                      public ExportSessionListener,
                      public SessionMonitor,
                      public juce::MessageListener
{
public:
    // With the program's own disc-burn proxy.
    ExportManager();
    explicit ExportManager(std::unique_ptr<CAudioDiscBurnProxy> discBurnProxy);
    // Cancels and deletes the stored session; a session thread that waits for
    // the message thread is released first, so its end can be waited for.
    ~ExportManager() override;

    ExportManager(const ExportManager&) = delete;
    ExportManager& operator=(const ExportManager&) = delete;

    // Message thread. Takes the session over and starts it. While a session
    // runs, a new one is refused: false, and the new session (never started)
    // is deleted while the running one stays untouched. Otherwise the
    // previously stored session is deleted and the new one stored and
    // started; when its start fails it is deleted and false returned.
    bool startSession(std::unique_ptr<ExportSession> session);
    // Cancels the stored session, if any.
    void cancelSession();
    // The running session's kind (ExportSessionKind); none when no session
    // runs, also while a finished one is still stored.
    int getCurrentSessionKind() override;
    // SessionMonitor: the running session, read under the manager's lock.
    void addSessionListener(ExportSessionListener* listener) override { AddListener(listener); }
    void removeSessionListener(ExportSessionListener* listener) override { RemoveListener(listener); }
    double getSessionProgress() override;
    bool getSessionPosition(int& hours, int& minutes, float& seconds) override;
    void getSessionLevels(float levels[2], int& clip) override;

    // Message thread: the stored session (running, or finished and kept until
    // the next starts); null when there is none.
    ExportSession* getStoredSession() const { return m_session.get(); }

    // True when a drive of the burner can write CD-R discs.
    bool hasUsableDrive();

    CAudioDiscBurnProxy* getDiscBurnProxy() const { return m_discBurnProxy.get(); }
    // The manager's own lock (not that of its listener list).
    CCriticalSection& getLock() { return m_lock; }

    // ExportSessionListener: the events of the stored session, relayed.
    void exportSessionStarted(ExportSession* session) override;
    void exportSessionProcessingStarted(ExportSession* session) override;
    void exportSessionFinished(ExportSession* session, bool aborted) override;
    void exportSessionError(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                            const juce::StringArray& texts) override;
    bool exportSessionWarning(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                              const juce::StringArray& texts) override;
    void exportSessionProgress(ExportSession* session, double progress, const char* key,
                               const juce::StringArray& texts) override;
    bool exportSessionAskRepeat(ExportSession* session) override;

    // juce::MessageListener: delivers posted progress.
    void handleMessage(const juce::Message& message) override;

private:
    // Clears the busy flag when the session is still the stored one.
    void markFinished(ExportSession* session);

    std::unique_ptr<ExportSession> m_session;
    bool m_busy = false;
    // Counts the sessions stored so far; tags posted progress.
    std::uint64_t m_serial = 0;
    CCriticalSection m_lock;
    std::unique_ptr<CAudioDiscBurnProxy> m_discBurnProxy;
    MessageThreadRelay m_relay;
};
} // namespace Tavrel
