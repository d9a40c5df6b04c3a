#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace qm::test
{
// Runs the message loop until the condition holds; false after a generous
// time without it.
inline bool PumpUntil(const std::function<bool()>& condition, int seconds = 30)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    }
    return true;
}

// Runs the message loop for the time (timers fire meanwhile).
inline void PumpFor(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

// Delivers every message posted so far.
inline bool PumpPosted()
{
    auto delivered = std::make_shared<std::atomic<bool>>(false);
    juce::MessageManager::callAsync([delivered] { *delivered = true; });
    return PumpUntil([&] { return delivered->load(); });
}
} // namespace qm::test
