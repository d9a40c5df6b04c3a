#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "session/manager/ExportSession.h"

// A session of a chosen title whose thread runs the test's script (raising
// the session's events from its own thread, as a real session does), and
// whose outcome and failure text the test sets. The destructor stops the
// script (`stop`) and waits for its thread.
class ScriptedExportSession final : public Tavrel::ExportSession
{
public:
    using Script = std::function<void(ScriptedExportSession&)>;

    ScriptedExportSession(const char* titleKey, Script script)
        : m_title(titleKey),
          m_script(std::move(script))
    {
    }
    ~ScriptedExportSession() override
    {
        stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    const char* getTitleKey() const override { return m_title; }
    bool start() override
    {
        m_thread = std::thread([this] { m_script(*this); });
        return true;
    }
    void cancel() override
    {
        ++cancels;
        stop = true;
    }
    bool hasSucceeded() override { return succeeded; }
    juce::String getFailureText() override { return failureText; }

    // Waits until the test's step reaches `value` or the session stops.
    void waitForStep(int value)
    {
        while (step < value && !stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    void waitForStop()
    {
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    std::atomic<bool> stop{false};
    std::atomic<int> cancels{0};
    std::atomic<bool> succeeded{true};
    juce::String failureText{"Burn failed."};
    std::atomic<int> step{0};
    std::atomic<int> repeats{-1};

private:
    const char* m_title;
    Script m_script;
    std::thread m_thread;
};
