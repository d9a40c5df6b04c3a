#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <mutex>

// A worker thread that runs behind its own modal progress window: a title, a
// status text, a progress bar, a Cancel button (Escape too) and extra
// components a subclass supplies. Made for one run: constructor, runThread,
// destructor.
//
// Threads: the worker (run) calls setProgress and setStatusMessage; every
// other operation belongs to the message thread. The worker must test
// threadShouldExit() often: a cancel signals it and then waits for it to end,
// however long that takes; a thread is never killed.
class ThreadWithCustomProgressWindow : public juce::Thread, private juce::Timer
{
public:
    static constexpr int kTimerIntervalMs = 100;
    static constexpr int kCancelResult = 1;

    // The title also names the thread.
    ThreadWithCustomProgressWindow(const juce::String& title, const juce::String& cancelButtonText);
    // Signals the worker to stop and waits for it to end.
    ~ThreadWithCustomProgressWindow() override;

    // Worker thread: the progress shown, 0..1.
    void setProgress(double value) { m_pendingProgress.store(value, std::memory_order_relaxed); }
    // Worker thread: the status text shown (under the status lock).
    void setStatusMessage(const juce::String& text);

    // The status text now (any thread).
    juce::String getStatusMessage() const;

    // Message thread: shows the window modally while the worker runs. True
    // when the worker ended by itself, false when the user cancelled (the
    // worker has ended either way when this returns).
    bool runThread();

    // The window (for tests that look at it).
    juce::AlertWindow& getWindow() { return m_window; }

protected:
    // A subclass's run() holds this for its whole body, and its destructor
    // calls waitForWorker(): the framework waits for a thread's end by
    // polling, which tools that check threads cannot follow; the lock makes
    // the end of the worker visible to them (and to the memory model).
    [[nodiscard]] std::unique_lock<std::mutex> workerScope() { return std::unique_lock<std::mutex>(m_runMutex); }
    // Signals the worker to stop and waits for it to end, without a time-out.
    void waitForWorker();

    // Extra components for the window, owned by the subclass.
    virtual void getCustomComponents(juce::Array<juce::Component*>& components) { juce::ignoreUnused(components); }
    // Called on the message thread with the status lock held, after the
    // status text was shown.
    virtual void updateCustomComponents() {}

    // Guards the status text and what subclasses hand to the window.
    mutable juce::CriticalSection m_statusLock;

private:
    void timerCallback() override;
    void showStatus();

    juce::AlertWindow m_window;
    juce::String m_cancelButtonText;
    juce::String m_statusText;
    // Written by the worker; the timer copies it into the value the bar reads.
    std::atomic<double> m_pendingProgress{0.0};
    double m_progress = 0.0;
    std::mutex m_runMutex;
};
