#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace qm::test
{
// Without an application instance the first window aborts under Xvfb when no
// window manager runs, so GUI tests install a minimal one before JUCE starts.
class MinimalApplication final : public juce::JUCEApplicationBase
{
public:
    const juce::String getApplicationName() override { return "QuillmarkTests"; }
    const juce::String getApplicationVersion() override { return "1.0.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void initialise(const juce::String&) override {}
    void shutdown() override {}
    void anotherInstanceStarted(const juce::String&) override {}
    void systemRequestedQuit() override {}
    void suspended() override {}
    void resumed() override {}
    void unhandledException(const std::exception*, const juce::String&, int) override {}
};

inline juce::JUCEApplicationBase* CreateMinimalApplication()
{
    return new MinimalApplication();
}

// Makes the framework create the minimal application; call before the
// framework starts.
inline void InstallMinimalApplication()
{
    juce::JUCEApplicationBase::createInstance = &CreateMinimalApplication;
}
} // namespace qm::test
