#include "session/manager/ExportManager.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tests/disc/FakeDiscBurnImp.h"
#include "tests/session/FakeExportSession.h"

using Tavrel::ExportManager;
using Tavrel::ExportSession;
using Tavrel::ExportSessionListener;

namespace
{
// The test's thread is the message thread: every relayed event runs at once.
class ExportManagerTest : public ::testing::Test
{
protected:
    ExportManagerTest() { juce::MessageManager::getInstance(); }
    ~ExportManagerTest() override
    {
        manager.reset();
        juce::MessageManager::deleteInstance();
    }

    // What the fake sessions record. It outlives the manager, which cancels
    // its stored session when it is deleted at the end of a test.
    FakeExportSession::Record& NewRecord() { return m_records.emplace_back(); }

    std::deque<FakeExportSession::Record> m_records;
    std::unique_ptr<ExportManager> manager =
        std::make_unique<ExportManager>(std::make_unique<CAudioDiscBurnProxy>(nullptr));
};

// Records what reaches it and answers questions as told.
class RecordingListener final : public ExportSessionListener
{
public:
    RecordingListener(std::vector<std::string>& log, std::string name, bool warningAnswer = true,
                      bool repeatAnswer = false)
        : m_log(log),
          m_name(std::move(name)),
          m_warningAnswer(warningAnswer),
          m_repeatAnswer(repeatAnswer)
    {
    }

    void exportSessionStarted(ExportSession*) override { m_log.push_back(m_name + ":started"); }
    void exportSessionFinished(ExportSession* session, bool aborted) override
    {
        m_log.push_back(m_name + ":finished " + (aborted ? "aborted" : "done"));
        finishedSession = session;
    }
    void exportSessionError(ExportSession*, const char* key, const juce::SparseSet<int>& songs,
                            const juce::StringArray& texts) override
    {
        m_log.push_back(m_name + ":error " + key + " songs " + std::to_string(songs.size()) + " " +
                        texts.joinIntoString(",").toStdString());
    }
    bool exportSessionWarning(ExportSession*, const char* key, const juce::SparseSet<int>&,
                              const juce::StringArray&) override
    {
        m_log.push_back(m_name + ":warning " + key);
        return m_warningAnswer;
    }
    bool exportSessionAskRepeat(ExportSession*) override
    {
        m_log.push_back(m_name + ":repeat");
        return m_repeatAnswer;
    }

    ExportSession* finishedSession = nullptr;

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    bool m_warningAnswer;
    bool m_repeatAnswer;
};
} // namespace

TEST_F(ExportManagerTest, TheRunningKindFollowsTheTitleUntilTheSessionFinishes)
{
    const std::vector<std::pair<const char*, int>> cases = {
        {"Export_Title", Tavrel::kExportSessionFileExport},
        {"DiscBurn_Title", Tavrel::kExportSessionDiscBurn},
        {"DiscErase_Title", Tavrel::kExportSessionDiscErase},
        {"Other_Title", Tavrel::kExportSessionNone},
    };
    for (const auto& [key, kind] : cases)
    {
        SCOPED_TRACE(key);
        FakeExportSession::Record& record = NewRecord();
        auto session = std::make_unique<FakeExportSession>(record, key);
        ExportSession* stored = session.get();
        ASSERT_TRUE(manager->startSession(std::move(session)));
        EXPECT_EQ(record.starts, 1);
        EXPECT_EQ(manager->getCurrentSessionKind(), kind);

        stored->notifyFinished(false);
        EXPECT_EQ(manager->getCurrentSessionKind(), Tavrel::kExportSessionNone);
        // The finished session stays for the finished-handlers until the next
        // session replaces it.
        EXPECT_FALSE(record.deleted);
        FakeExportSession::Record& nextRecord = NewRecord();
        auto next = std::make_unique<FakeExportSession>(nextRecord, key);
        ExportSession* nextStored = next.get();
        ASSERT_TRUE(manager->startSession(std::move(next)));
        EXPECT_TRUE(record.deleted);
        EXPECT_EQ(record.cancels, 0);
        nextStored->notifyFinished(false);
        manager = std::make_unique<ExportManager>(std::make_unique<CAudioDiscBurnProxy>(nullptr));
        EXPECT_TRUE(nextRecord.deleted);
    }
}

TEST_F(ExportManagerTest, ASecondSessionIsRefusedWhileOneRuns)
{
    FakeExportSession::Record& burnRecord = NewRecord();
    FakeExportSession::Record& exportRecord = NewRecord();
    ASSERT_TRUE(manager->startSession(std::make_unique<FakeExportSession>(burnRecord, "DiscBurn_Title")));

    EXPECT_FALSE(manager->startSession(std::make_unique<FakeExportSession>(exportRecord, "Export_Title")));
    // The refused session never started and was not kept; the running one is
    // untouched.
    EXPECT_EQ(exportRecord.starts, 0);
    EXPECT_TRUE(exportRecord.deleted);
    EXPECT_EQ(burnRecord.cancels, 0);
    EXPECT_FALSE(burnRecord.deleted);
    EXPECT_EQ(manager->getCurrentSessionKind(), Tavrel::kExportSessionDiscBurn);

    EXPECT_FALSE(manager->startSession(nullptr));
    EXPECT_EQ(manager->getCurrentSessionKind(), Tavrel::kExportSessionDiscBurn);
}

TEST_F(ExportManagerTest, AFailedStartReportsItsReasonAndLeavesTheManagerIdle)
{
    std::vector<std::string> log;
    RecordingListener ui(log, "ui"), host(log, "host");
    manager->AddListener(&ui);
    manager->AddListener(&host);

    FakeExportSession::Record& record = NewRecord();
    auto checks = [](FakeExportSession& session) {
        juce::SparseSet<int> songs;
        songs.addRange({2, 4});
        session.notifyError("Export_FileNotFound", songs, {"a.wav", "b.wav"});
    };
    EXPECT_FALSE(
        manager->startSession(std::make_unique<FakeExportSession>(record, "Export_Title", false, nullptr, checks)));
    EXPECT_EQ(log, (std::vector<std::string>{"ui:error Export_FileNotFound songs 2 a.wav,b.wav",
                                             "host:error Export_FileNotFound songs 2 a.wav,b.wav"}));
    EXPECT_TRUE(record.deleted);
    EXPECT_EQ(manager->getCurrentSessionKind(), Tavrel::kExportSessionNone);

    FakeExportSession::Record& next = NewRecord();
    EXPECT_TRUE(manager->startSession(std::make_unique<FakeExportSession>(next, "Export_Title")));
    manager->RemoveListener(&ui);
    manager->RemoveListener(&host);
}

TEST_F(ExportManagerTest, QuestionsAskEveryListenerAndCombineTheAnswers)
{
    struct Case
    {
        std::vector<std::pair<bool, bool>> answers; // warning, repeat answer per listener
        bool warning;
        bool repeat;
    };
    const std::vector<Case> cases = {
        {{}, true, false},
        {{{true, false}, {true, false}}, true, false},
        {{{true, false}, {false, true}, {true, false}}, false, true},
        {{{false, true}}, false, true},
    };
    for (size_t c = 0; c < cases.size(); ++c)
    {
        SCOPED_TRACE(c);
        std::vector<std::string> log;
        std::vector<std::unique_ptr<RecordingListener>> listeners;
        for (size_t i = 0; i < cases[c].answers.size(); ++i)
        {
            listeners.push_back(std::make_unique<RecordingListener>(log, std::to_string(i), cases[c].answers[i].first,
                                                                    cases[c].answers[i].second));
            manager->AddListener(listeners.back().get());
        }
        FakeExportSession::Record& record = NewRecord();
        auto session = std::make_unique<FakeExportSession>(record, "DiscBurn_Title");
        ExportSession* running = session.get();
        ASSERT_TRUE(manager->startSession(std::move(session)));

        EXPECT_EQ(running->notifyWarning("DiscBurn_SilenceAppended", {}, {}), cases[c].warning);
        EXPECT_EQ(running->notifyAskRepeat(), cases[c].repeat);
        // Every listener was asked both questions, in order, even after an
        // answer that decided the result.
        std::vector<std::string> expected;
        for (size_t i = 0; i < listeners.size(); ++i)
            expected.push_back(std::to_string(i) + ":warning DiscBurn_SilenceAppended");
        for (size_t i = 0; i < listeners.size(); ++i)
            expected.push_back(std::to_string(i) + ":repeat");
        EXPECT_EQ(log, expected);

        running->notifyFinished(true);
        for (auto& listener : listeners)
        {
            EXPECT_EQ(listener->finishedSession, running);
            manager->RemoveListener(listener.get());
        }
    }
}

TEST_F(ExportManagerTest, AFinishedSessionNoLongerReachesTheManagersListeners)
{
    std::vector<std::string> log;
    RecordingListener ui(log, "ui");
    manager->AddListener(&ui);
    FakeExportSession::Record& record = NewRecord();
    auto session = std::make_unique<FakeExportSession>(record, "Export_Title");
    ExportSession* stored = session.get();
    ASSERT_TRUE(manager->startSession(std::move(session)));

    stored->notifyStarted();
    stored->notifyFinished(false);
    stored->notifyError("Export_Late", {}, {});
    EXPECT_EQ(log, (std::vector<std::string>{"ui:started", "ui:finished done"}));
    manager->RemoveListener(&ui);
}

TEST_F(ExportManagerTest, CancelReachesTheStoredSessionAndTheManagerEndsIt)
{
    manager->cancelSession(); // nothing stored: nothing happens

    FakeExportSession::Record& record = NewRecord();
    ASSERT_TRUE(manager->startSession(std::make_unique<FakeExportSession>(record, "Export_Title")));
    manager->cancelSession();
    EXPECT_EQ(record.cancels, 1);
    EXPECT_FALSE(record.deleted);

    manager.reset();
    EXPECT_EQ(record.cancels, 2);
    EXPECT_TRUE(record.deleted);
}

namespace
{
// A disc writer with the drives a test gives it.
class DrivesDiscBurnImp final : public FakeDiscBurnImp
{
public:
    explicit DrivesDiscBurnImp(std::vector<DiscBurnDeviceRecord> devices)
        : m_drives(std::move(devices))
    {
    }
    const std::vector<DiscBurnDeviceRecord>& GetDevices() const override { return m_drives; }

private:
    std::vector<DiscBurnDeviceRecord> m_drives;
};

DiscBurnDeviceRecord DriveWriting(std::initializer_list<int> flags)
{
    DiscBurnDeviceRecord record;
    record.drive = "/dev/sr0";
    for (int flag : flags)
        record.mediaFlags[flag] = 1;
    return record;
}
} // namespace

TEST(ExportManagerDrives, AUsableDriveIsOneThatWritesCdR)
{
    struct Case
    {
        const char* name;
        bool hasBurner;
        std::vector<DiscBurnDeviceRecord> drives;
        bool usable;
    };
    const std::vector<Case> cases = {
        {"no burner", false, {}, false},
        {"no drives", true, {}, false},
        {"CD-RW and DVD only", true, {DriveWriting({3, 4, 9})}, false},
        {"second drive writes CD-R", true, {DriveWriting({4}), DriveWriting({2, 3})}, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CAudioDiscBurnProxy::BurnImpFactory factory;
        if (c.hasBurner)
            factory = [drives = c.drives] { return std::make_unique<DrivesDiscBurnImp>(drives); };
        ExportManager manager(std::make_unique<CAudioDiscBurnProxy>(factory));
        EXPECT_EQ(manager.hasUsableDrive(), c.usable);
    }
}
