#include "session/manager/ExportManager.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/session/FakeExportSession.h"
#include "tests/support/MessageLoop.h"

using Tavrel::ExportManager;
using Tavrel::ExportSession;
using Tavrel::ExportSessionListener;

namespace
{
using qm::test::PumpPosted;
using qm::test::PumpUntil;

bool OnMessageThread()
{
    return juce::MessageManager::getInstance()->isThisTheMessageThread();
}

// Logs every event with the thread it arrived on.
class LoggingListener final : public ExportSessionListener
{
public:
    LoggingListener(ExportManager& manager, std::string name, bool warningAnswer, bool repeatAnswer)
        : m_manager(manager),
          m_name(std::move(name)),
          m_warningAnswer(warningAnswer),
          m_repeatAnswer(repeatAnswer)
    {
    }

    void exportSessionStarted(ExportSession*) override { Log("started"); }
    void exportSessionProcessingStarted(ExportSession*) override { Log("processing"); }
    void exportSessionFinished(ExportSession*, bool aborted) override
    {
        kindWhileFinishing = m_manager.getCurrentSessionKind();
        Log(aborted ? "finished aborted" : "finished done");
        finished = true;
    }
    void exportSessionError(ExportSession*, const char* key, const juce::SparseSet<int>&,
                            const juce::StringArray& texts) override
    {
        Log(std::string("error ") + key + " " + texts.joinIntoString(",").toStdString());
        if (onError)
            onError();
    }
    bool exportSessionWarning(ExportSession*, const char* key, const juce::SparseSet<int>&,
                              const juce::StringArray&) override
    {
        Log(std::string("warning ") + key);
        if (onWarning)
            onWarning();
        return m_warningAnswer;
    }
    void exportSessionProgress(ExportSession* session, double progress, const char* key,
                               const juce::StringArray& texts) override
    {
        progressSessions.push_back(session);
        progressValues.push_back(progress);
        progressKeys.push_back(key == nullptr ? "(none)" : key);
        progressTexts.push_back(texts.joinIntoString(",").toStdString());
        offMessageThread = offMessageThread || !OnMessageThread();
    }
    bool exportSessionAskRepeat(ExportSession*) override
    {
        Log("repeat");
        return m_repeatAnswer;
    }

    std::vector<std::string> log;
    std::vector<ExportSession*> progressSessions;
    std::vector<double> progressValues;
    std::vector<std::string> progressKeys;
    std::vector<std::string> progressTexts;
    bool offMessageThread = false;
    bool finished = false;
    int kindWhileFinishing = -1;
    std::function<void()> onError;
    std::function<void()> onWarning;

private:
    void Log(const std::string& entry)
    {
        log.push_back(m_name + ":" + entry);
        offMessageThread = offMessageThread || !OnMessageThread();
    }

    ExportManager& m_manager;
    std::string m_name;
    bool m_warningAnswer;
    bool m_repeatAnswer;
};
} // namespace

TEST(ExportManagerRelay, SessionThreadEventsReachTheListenersOnTheMessageThreadInOrder)
{
    ExportManager manager(std::make_unique<CAudioDiscBurnProxy>(nullptr));
    LoggingListener ui(manager, "ui", true, false);
    LoggingListener host(manager, "host", false, true);
    manager.AddListener(&ui);
    manager.AddListener(&host);

    constexpr int kProgressCount = 300;
    std::atomic<bool> errorReturned{false}, warningReturned{false};
    std::atomic<int> warningAnswer{-1}, repeatAnswer{-1};
    auto work = [&](FakeExportSession& session) {
        session.notifyStarted();
        // Far faster than the message thread takes them.
        for (int i = 0; i < kProgressCount; ++i)
            session.notifyProgress(i * 0.25, i % 2 == 0 ? "Export_Converting" : nullptr, {juce::String(i)});
        session.notifyProcessingStarted();
        session.notifyError("Export_CannotWrite", {}, {"x.wav"});
        errorReturned = true;
        warningAnswer = session.notifyWarning("Export_AlreadyExists", {}, {"y.wav"}) ? 1 : 0;
        warningReturned = true;
        repeatAnswer = session.notifyAskRepeat() ? 1 : 0;
        session.notifyFinished(false);
    };
    // The session thread waits in both calls until they have been answered.
    bool threadWaitedForError = false, threadWaitedForWarning = false;
    ui.onError = [&] { threadWaitedForError = !errorReturned; };
    host.onWarning = [&] { threadWaitedForWarning = !warningReturned; };

    FakeExportSession::Record record;
    ASSERT_TRUE(manager.startSession(std::make_unique<FakeExportSession>(record, "Export_Title", true, work)));
    ASSERT_TRUE(PumpUntil([&] { return host.finished; }));

    EXPECT_EQ(ui.log, (std::vector<std::string>{"ui:started", "ui:processing", "ui:error Export_CannotWrite x.wav",
                                                "ui:warning Export_AlreadyExists", "ui:repeat", "ui:finished done"}));
    EXPECT_EQ(host.log.size(), ui.log.size());
    EXPECT_FALSE(ui.offMessageThread);
    EXPECT_FALSE(host.offMessageThread);
    EXPECT_TRUE(threadWaitedForError);
    EXPECT_TRUE(threadWaitedForWarning);
    EXPECT_EQ(warningAnswer, 0); // the host said no
    EXPECT_EQ(repeatAnswer, 1);  // the host said yes
    EXPECT_EQ(ui.kindWhileFinishing, Tavrel::kExportSessionFileExport);
    EXPECT_EQ(manager.getCurrentSessionKind(), Tavrel::kExportSessionNone);

    // Every progress event arrived, in order, before the processing start
    // that the session raised after them.
    ASSERT_EQ(ui.progressValues.size(), static_cast<size_t>(kProgressCount));
    for (int i = 0; i < kProgressCount; ++i)
    {
        EXPECT_EQ(ui.progressValues[i], i * 0.25);
        EXPECT_EQ(ui.progressKeys[i], i % 2 == 0 ? "Export_Converting" : "(none)");
        EXPECT_EQ(ui.progressTexts[i], std::to_string(i));
    }
    EXPECT_EQ(host.progressValues, ui.progressValues);
    EXPECT_FALSE(record.deleted);
    manager.RemoveListener(&ui);
    manager.RemoveListener(&host);
}

TEST(ExportManagerRelay, AThreadHoldingTheMessageManagerLockIsAnsweredAtOnce)
{
    ExportManager manager(std::make_unique<CAudioDiscBurnProxy>(nullptr));
    LoggingListener ui(manager, "ui", false, false);
    manager.AddListener(&ui);
    bool lockedWhenCalled = false;
    ui.onWarning = [&] {
        lockedWhenCalled =
            juce::MessageManager::getInstance()->currentThreadHasLockedMessageManager() && !OnMessageThread();
    };

    std::atomic<int> answer{-1};
    auto work = [&](FakeExportSession& session) {
        const juce::MessageManagerLock lock;
        if (lock.lockWasGained())
            answer = session.notifyWarning("Export_AlreadyExists", {}, {}) ? 1 : 0;
    };
    FakeExportSession::Record record;
    ASSERT_TRUE(manager.startSession(std::make_unique<FakeExportSession>(record, "Export_Title", true, work)));
    ASSERT_TRUE(PumpUntil([&] { return answer >= 0; }));
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(lockedWhenCalled);
    manager.RemoveListener(&ui);
}

TEST(ExportManagerRelay, DeletingTheManagerReleasesASessionThreadWaitingForAnAnswer)
{
    auto manager = std::make_unique<ExportManager>(std::make_unique<CAudioDiscBurnProxy>(nullptr));
    LoggingListener ui(*manager, "ui", true, true);
    manager->AddListener(&ui);

    std::atomic<bool> asking{false};
    std::atomic<int> answer{-1};
    auto work = [&](FakeExportSession& session) {
        asking = true;
        answer = session.notifyWarning("Export_AlreadyExists", {}, {}) ? 1 : 0;
        session.notifyFinished(true);
    };
    FakeExportSession::Record record;
    ASSERT_TRUE(manager->startSession(std::make_unique<FakeExportSession>(record, "Export_Title", true, work)));
    // The message loop does not run: the question stays unanswered until the
    // manager goes, which must not wait for it.
    while (!asking)
        std::this_thread::yield();
    manager.reset();

    EXPECT_TRUE(record.deleted);
    EXPECT_EQ(record.cancels, 1);
    EXPECT_EQ(answer, 0); // not answered: not taken as consent
    // The question, still queued, is never put to the listener.
    ASSERT_TRUE(PumpPosted());
    EXPECT_TRUE(ui.log.empty());
}

TEST(ExportManagerRelay, ProgressOfAReplacedSessionIsNotDelivered)
{
    ExportManager manager(std::make_unique<CAudioDiscBurnProxy>(nullptr));
    LoggingListener ui(manager, "ui", true, false);
    manager.AddListener(&ui);

    // The first session reports from the message thread, as a timer-driven
    // session does, and is replaced before its progress is delivered.
    FakeExportSession::Record firstRecord, secondRecord;
    auto first = std::make_unique<FakeExportSession>(firstRecord, "DiscErase_Title");
    ExportSession* firstSession = first.get();
    ASSERT_TRUE(manager.startSession(std::move(first)));
    firstSession->notifyProgress(10.0, "DiscErase_Erase", {});
    firstSession->notifyProgress(20.0, "DiscErase_Erase", {});
    firstSession->notifyFinished(false);

    auto second = std::make_unique<FakeExportSession>(secondRecord, "DiscErase_Title");
    ExportSession* secondSession = second.get();
    ASSERT_TRUE(manager.startSession(std::move(second)));
    EXPECT_TRUE(firstRecord.deleted);
    secondSession->notifyProgress(50.0, "DiscErase_Erase", {});

    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(ui.progressValues, (std::vector<double>{50.0}));
    EXPECT_EQ(ui.progressSessions, (std::vector<ExportSession*>{secondSession}));
    manager.RemoveListener(&ui);
}
