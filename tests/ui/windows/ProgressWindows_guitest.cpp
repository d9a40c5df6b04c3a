// The worker progress window, the add-songs window and the read-audio-data
// window, driven on the message loop under Xvfb. With QM_RENDER_DIR set the
// windows are also saved as images, to be looked at:
//   QM_RENDER_DIR=/tmp/en LANG=C.UTF-8 xvfb-run build/asan/tests/test_ui_gui --gtest_filter='ProgressWindows*'
//   QM_RENDER_DIR=/tmp/ja LANG=ja_JP.UTF-8 LC_ALL= xvfb-run build/asan/tests/test_ui_gui --gtest_filter='ProgressWindows*'

#include <gtest/gtest.h>

#include "app/adding/AddSongThreadWithProgressWindow.h"
#include "app/adding/ThreadWithCustomProgressWindow.h"
#include "app/core/CBJXResource.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "tests/app/host/HostFixture.h"
#include "tests/ui/GuiTestHelpers.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/windows/InternalProcessProgressWindow.h"

namespace
{
using Clock = std::chrono::steady_clock;

class TestWorker : public ThreadWithCustomProgressWindow
{
public:
    explicit TestWorker(std::function<void(TestWorker&)> body)
        : ThreadWithCustomProgressWindow("Worker", "Cancel"),
          m_body(std::move(body))
    {
    }
    ~TestWorker() override { waitForWorker(); }
    void run() override
    {
        const auto scope = workerScope();
        m_body(*this);
    }

private:
    std::function<void(TestWorker&)> m_body;
};

void PressEscapeAfter(ThreadWithCustomProgressWindow& worker, int ms)
{
    juce::Timer::callAfterDelay(ms, [&worker] {
        static_cast<juce::Component&>(worker.getWindow()).keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    });
}

template <typename T>
T* FindChild(juce::Component& parent)
{
    for (auto* child : parent.getChildren())
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    return nullptr;
}

// The filled share of a progress bar, read off a snapshot: along a row near
// its top, the first pixel that looks like the empty end rather than the
// filled start.
double FilledShare(juce::ProgressBar& bar)
{
    const juce::Image image = bar.createComponentSnapshot(bar.getLocalBounds(), true, 1.0f);
    const int y = 3;
    const int w = image.getWidth();
    const juce::Colour filled = image.getPixelAt(w / 10, y);
    const juce::Colour empty = image.getPixelAt(w - 1 - w / 10, y);
    auto distance = [](juce::Colour a, juce::Colour b) {
        return std::abs(a.getRed() - b.getRed()) + std::abs(a.getGreen() - b.getGreen()) +
               std::abs(a.getBlue() - b.getBlue());
    };
    for (int x = 0; x < w; ++x)
    {
        const juce::Colour c = image.getPixelAt(x, y);
        if (x > w / 10 && distance(c, empty) < distance(c, filled))
            return static_cast<double>(x) / w;
    }
    return 1.0;
}

// The look-and-feel and the string table of the process's language.
class ProgressWindows : public qm::test::Host
{
protected:
    ProgressWindows()
        : lookAndFeel(CTVLookAndFeel::GetInstance())
    {
        juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel);
    }
    ~ProgressWindows() override
    {
        DestroyHost();
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        CTVLookAndFeel::Release();
        CBJXResource::Release();
    }

    CBJXResource* resources = CBJXResource::GetInstance();
    CTVLookAndFeel* lookAndFeel;
};

TEST_F(ProgressWindows, AWorkerThatEndsByItself)
{
    TestWorker worker([](TestWorker&) {});
    const auto start = Clock::now();
    EXPECT_TRUE(worker.runThread());
    // One tick of 100 ms ends the loop; the rest is slack for a loaded machine.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(400));
}

TEST_F(ProgressWindows, EscapeCancelsAndTheWorkerIsWaitedFor)
{
    {
        TestWorker worker([](TestWorker& w) {
            while (!w.threadShouldExit())
                juce::Thread::sleep(5);
        });
        PressEscapeAfter(worker, 150);
        EXPECT_FALSE(worker.runThread());
    }
    // A worker that notices the stop request only 1.5 s later is waited for,
    // not killed: its last statement has run when runThread returns.
    std::atomic<bool> finished{false};
    TestWorker slow([&](TestWorker& w) {
        while (!w.threadShouldExit())
            juce::Thread::sleep(5);
        juce::Thread::sleep(1500);
        finished = true;
    });
    PressEscapeAfter(slow, 100);
    const auto start = Clock::now();
    EXPECT_FALSE(slow.runThread());
    EXPECT_TRUE(finished.load());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(ProgressWindows, TheBarShowsTheWorkersProgress)
{
    TestWorker worker([](TestWorker& w) {
        w.setProgress(0.4);
        w.setStatusMessage("Working");
        while (!w.threadShouldExit())
            juce::Thread::sleep(5);
    });
    double share = -1.0;
    // The bar moves towards a new value at its own pace (0.4 takes half a
    // second), so it is read a while later.
    juce::Timer::callAfterDelay(1200, [&] {
        if (auto* bar = FindChild<juce::ProgressBar>(worker.getWindow()))
            share = FilledShare(*bar);
        qm::test::KeepRender(worker.getWindow().createComponentSnapshot(worker.getWindow().getLocalBounds()),
                             "worker-progress");
    });
    PressEscapeAfter(worker, 1400);
    EXPECT_FALSE(worker.runThread());
    EXPECT_NEAR(share, 0.4, 0.02);
}

// The add-songs window while it runs: its title, a status text, the item
// label inside the window and the Cancel button.
TEST_F(ProgressWindows, TheAddSongsWindow)
{
    CreateHost();
    std::filesystem::create_directories(folder.file("many"));
    for (int i = 0; i < 3000; ++i)
        qm::test::WriteWav(folder.file("many/song" + std::to_string(i) + ".wav"), 44100, 2, 441, false,
                           [](int, int) { return 0.0f; });
    Tavrel::AddSongThreadWithProgressWindow adder({juce::String(folder.file("many").string())}, 0);
    juce::String status;
    juce::Rectangle<int> labelBounds, windowBounds;
    juce::StringArray buttons;
    juce::Timer::callAfterDelay(700, [&] {
        juce::AlertWindow& window = adder.getWindow();
        status = adder.getStatusMessage();
        windowBounds = window.getLocalBounds();
        labelBounds = window.getLocalArea(&adder.getItemLabel(), adder.getItemLabel().getLocalBounds());
        for (auto* child : window.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*>(child))
                buttons.add(button->getButtonText());
        qm::test::KeepRender(window.createComponentSnapshot(window.getLocalBounds()), "add-songs");
    });
    PressEscapeAfter(adder, 900);
    EXPECT_FALSE(adder.runThread());
    EXPECT_EQ(adder.getWindow().getName(), CBJXResource::GetString("Songlist_AddAudioFiles"));
    const juce::StringArray statuses{CBJXResource::GetString("Songlist_CheckFile"),
                                     CBJXResource::GetString("Songlist_CheckAudioCDTrack"),
                                     CBJXResource::GetString("Songlist_SearchDirectory")};
    EXPECT_TRUE(statuses.contains(status)) << status;
    EXPECT_EQ(adder.getItemLabel().getName(), "File Name Label");
    EXPECT_EQ(labelBounds.getWidth(), 284);
    EXPECT_EQ(labelBounds.getHeight(), 15);
    EXPECT_TRUE(windowBounds.contains(labelBounds));
    EXPECT_TRUE(adder.getItemLabel().getText().startsWith("song"));
    EXPECT_EQ(buttons, juce::StringArray(CBJXResource::GetString("Button_Cancel")));
    EXPECT_GT(adder.getNextRow(), 0);
    EXPECT_LT(adder.getNextRow(), 3000) << "cancelled before the end";
}

// An input that says it is still preparing, with a progress the test sets.
class PreparingInput : public CAudioPlayerInput
{
public:
    uint32_t GetSampleRate() override { return 44100; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint16_t GetChannelCount() override { return 2; }
    uint64_t GetLength() override { return 44100; }
    uint64_t GetPosition() override { return 0; }
    uint64_t SetPosition(uint64_t) override { return 0; }
    bool IsPreparing() override { return preparing; }
    double GetPrepareProgress() override { return progress; }
    bool preparing = true;
    double progress = 25.0;
};

TEST_F(ProgressWindows, TheReadAudioDataWindow)
{
    OpenDevice(44100.0);
    CreateHost();
    AddSong("a.wav", 2.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    PreparingInput input;
    Tavrel::InternalProcessProgressWindow window;
    window.setInput(&input);
    juce::AlertWindow& box = window.getWindow();

    // Stopped, or in session mode: hidden although the input prepares.
    window.currentTrackChanged(host, 0);
    EXPECT_FALSE(box.isVisible());
    host->SetMode(CTVHost::kSessionMode);
    window.transportStateChanged(host, CTVHost::kPaused);
    EXPECT_FALSE(box.isVisible());
    host->SetMode(CTVHost::kPlayerMode);

    // A transport change while the input prepares shows it, in front.
    host->SetTransportState(CTVHost::kPaused);
    ASSERT_EQ(host->GetTransportState(), CTVHost::kPaused);
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.isOnDesktop());
    EXPECT_DOUBLE_EQ(window.getProgress(), 0.25);
    input.progress = 55.0;
    window.positionChanged(host);
    EXPECT_DOUBLE_EQ(window.getProgress(), 0.55);
    auto* close = FindChild<juce::TextButton>(box);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->getButtonText(), CBJXResource::GetString("Button_Close"));
    EXPECT_EQ(close->getWidth(), 88);
    EXPECT_EQ(close->getHeight(), 24);
    qm::test::PumpPosted();
    qm::test::KeepRender(box.createComponentSnapshot(box.getLocalBounds()), "read-audio-data");

    // Return, a real key event sent to this window (other tests' windows may
    // hold the display's focus meanwhile), hides it; the next change shows it
    // again.
    box.grabKeyboardFocus();
    qm::test::PumpUntil([&] { return box.hasKeyboardFocus(true); }, 5);
    const auto windowId = reinterpret_cast<uintptr_t>(box.getWindowHandle());
    ASSERT_NE(windowId, 0u);
    ASSERT_EQ(qm::test::runCommand("xdotool key --window " + std::to_string(windowId) + " Return"), 0);
    EXPECT_TRUE(qm::test::PumpUntil([&] { return !box.isVisible(); }, 10));
    host->SetTransportState(CTVHost::kPaused);
    EXPECT_TRUE(box.isVisible());

    // The end of the preparation hides it.
    input.preparing = false;
    window.positionChanged(host);
    EXPECT_FALSE(box.isVisible());
    host->StopPlayback();
}
} // namespace
