#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <clocale>

namespace
{
// Without an application instance the first window aborts under Xvfb when no
// window manager runs, so GUI tests install a minimal one before JUCE starts.
class TestApplication final : public juce::JUCEApplicationBase
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

juce::JUCEApplicationBase* createTestApplication()
{
    return new TestApplication();
}
} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    juce::JUCEApplicationBase::createInstance = &createTestApplication;
    juce::ScopedJuceInitialiser_GUI juceInit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
