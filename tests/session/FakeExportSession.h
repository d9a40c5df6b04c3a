#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "session/manager/ExportSession.h"

// A session whose title, start result and work a test chooses. Its work runs
// on a thread of its own, as a real session's does; the destructor waits for
// that thread, as a real session's must.
class FakeExportSession final : public Tavrel::ExportSession
{
public:
    struct Record
    {
        std::atomic<bool> deleted{false};
        std::atomic<int> starts{0};
        std::atomic<int> cancels{0};
    };

    using Work = std::function<void(FakeExportSession&)>;

    FakeExportSession(Record& record, const char* titleKey, bool startResult = true, Work work = {}, Work checks = {})
        : m_record(record),
          m_titleKey(titleKey),
          m_startResult(startResult),
          m_work(std::move(work)),
          m_checks(std::move(checks))
    {
    }

    ~FakeExportSession() override
    {
        if (m_thread.joinable())
            m_thread.join();
        m_record.deleted = true;
    }

    const char* getTitleKey() const override { return m_titleKey; }

    // Runs the checks here (on the calling thread); when they pass and the
    // start succeeds, the work starts on the session's thread.
    bool start() override
    {
        ++m_record.starts;
        if (m_checks)
            m_checks(*this);
        if (!m_startResult)
            return false;
        if (m_work)
            m_thread = std::thread([this] { m_work(*this); });
        return true;
    }

    void cancel() override
    {
        ++m_record.cancels;
        cancelled = true;
    }

    std::atomic<bool> cancelled{false};

private:
    Record& m_record;
    const char* m_titleKey;
    bool m_startResult;
    Work m_work;
    Work m_checks;
    std::thread m_thread;
};
