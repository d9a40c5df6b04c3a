#include "app/adding/ThreadWithCustomProgressWindow.h"

ThreadWithCustomProgressWindow::ThreadWithCustomProgressWindow(const juce::String& title,
                                                               const juce::String& cancelButtonText)
    : juce::Thread(title),
      m_window(title, {}, juce::MessageBoxIconType::NoIcon, nullptr),
      m_cancelButtonText(cancelButtonText)
{
}

ThreadWithCustomProgressWindow::~ThreadWithCustomProgressWindow()
{
    stopTimer();
    waitForWorker();
}

void ThreadWithCustomProgressWindow::waitForWorker()
{
    // The framework's stopThread kills a thread that outlives its time-out,
    // possibly in the middle of an insertion or a file read: signal, then
    // wait for the worker, which tests its stop request often.
    signalThreadShouldExit();
    waitForThreadToExit(-1);
    const std::lock_guard<std::mutex> ended(m_runMutex);
}

void ThreadWithCustomProgressWindow::setStatusMessage(const juce::String& text)
{
    const juce::ScopedLock guard(m_statusLock);
    m_statusText = text;
}

juce::String ThreadWithCustomProgressWindow::getStatusMessage() const
{
    const juce::ScopedLock guard(m_statusLock);
    return m_statusText;
}

void ThreadWithCustomProgressWindow::showStatus()
{
    m_progress = m_pendingProgress.load(std::memory_order_relaxed);
    const juce::ScopedLock guard(m_statusLock);
    m_window.setMessage(m_statusText);
    updateCustomComponents();
}

bool ThreadWithCustomProgressWindow::runThread()
{
    juce::Array<juce::Component*> components;
    getCustomComponents(components);
    for (juce::Component* component : components)
    {
        component->setVisible(true);
        m_window.addCustomComponent(component);
    }
    m_window.addProgressBarComponent(m_progress);
    // Escape is the Cancel button's key: the window would otherwise end its
    // loop with 0 on Escape, which reads as a completed run.
    m_window.addButton(m_cancelButtonText, kCancelResult, juce::KeyPress(juce::KeyPress::escapeKey));

    startThread();
    startTimer(kTimerIntervalMs);
    showStatus();
    const int result = m_window.runModalLoop();
    stopTimer();

    waitForWorker();
    m_window.setVisible(false);
    // The custom components stay the subclass's; the window lets go of them.
    while (m_window.getNumCustomComponents() > 0)
        m_window.removeCustomComponent(0);
    return result == 0;
}

void ThreadWithCustomProgressWindow::timerCallback()
{
    if (!isThreadRunning())
    {
        m_window.exitModalState(0);
        return;
    }
    showStatus();
}
