#include <gtest/gtest.h>

#include <random>

#include "tests/session/export/ExportFixture.h"

using Tavrel::FileExportParameter;
using F = FileExportParameter;

namespace
{
// Calls a function when the controller makes a song current.
class OnCurrentSong : public CTVHostListener
{
public:
    void currentTrackChanged(CTVHost*, int index) override
    {
        if (call)
            call(index);
    }
    std::function<void(int)> call;
};

class CancelAndPause : public qm::test::ExportFixture
{
protected:
    CancelAndPause()
    {
        // Slow enough to be caught in the middle: 96 kHz, 24 bits.
        EXPECT_TRUE(file.selectChoiceByValue(F::kSampleRate, 96000));
        EXPECT_TRUE(file.selectChoiceByValue(F::kBitDepth, 24));
        host->AddListener(&current);
    }
    ~CancelAndPause() override { host->RemoveListener(&current); }

    // No partial or temporary file: each file is one of the expected, whole.
    void ExpectOnly(const juce::StringArray& names)
    {
        EXPECT_EQ(OutFiles(), names);
        for (const juce::String& name : names)
            EXPECT_FALSE(Read(out.getChildFile(name)).empty()) << name;
    }

    // Pauses once the song at the row is current (its conversion then holds
    // after its first block) and cancels once the export holds there.
    void CancelWhenPausedIn(int row)
    {
        current.call = [this, row](int index) {
            if (index == row)
                events.running->pause();
        };
        events.onProgress = [this](double, const char* key) {
            if (key == nullptr && events.running->isPaused())
                exports->cancelSession();
        };
    }

    OnCurrentSong current;
};

TEST_F(CancelAndPause, CancelAtEachStage)
{
    Song("a", 2.0);
    Song("b", 4.0);
    Song("c", 2.0);
    // b.wav exists, and the user agrees to replace it.
    const juce::File replaced = out.getChildFile("b.wav");
    ASSERT_TRUE(replaced.replaceWithText("the user's old file"));
    const juce::MemoryBlock old = Bytes(replaced);

    struct Case
    {
        const char* name;
        std::function<void()> arm;
        juce::StringArray left;
    };
    const Case cases[] = {
        {"before the first song", [&] { events.onProcessing = [&] { exports->cancelSession(); }; }, {"b.wav"}},
        // Song b has been opened, its conversion not run yet.
        {"between two songs",
         [&] {
             current.call = [&](int index) {
                 if (index == 1)
                     exports->cancelSession();
             };
         },
         {"a.wav", "b.wav"}},
        // Song b holds at its pause point after its first block.
        {"in the middle of a song",
         [&] { CancelWhenPausedIn(1); },
         {"a.wav", "b.wav"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (const char* name : {"a.wav", "c.wav"})
            out.getChildFile(name).deleteFile();
        c.arm();
        ASSERT_TRUE(Export());
        events.onProcessing = nullptr;
        events.onProgress = nullptr;
        current.call = nullptr;
        EXPECT_TRUE(events.aborted);
        EXPECT_EQ(OutFiles(), c.left);
        EXPECT_EQ(Bytes(replaced), old) << "the file to replace stays until a whole new one is there";
        if (c.left.contains("a.wav"))
        {
            EXPECT_EQ(Read(out.getChildFile("a.wav"))[0].size(), 192000u);
        }
    }
}

// Pauses and resumes from a timer on the message thread, at random moments.
class RandomPauses : public juce::Timer
{
public:
    RandomPauses(qm::test::ExportEvents& events, int count)
        : m_events(events),
          m_left(count)
    {
        startTimer(5);
    }
    void timerCallback() override
    {
        if (m_events.running == nullptr || m_events.finished)
            return;
        if (m_left <= 0)
        {
            m_events.running->resume();
            stopTimer();
            return;
        }
        if (--m_left % 2 == 0)
            m_events.running->resume();
        else
            m_events.running->pause();
        ++toggles;
        startTimer(5 + static_cast<int>(m_random() % 40));
    }
    int toggles = 0;

private:
    qm::test::ExportEvents& m_events;
    int m_left;
    std::mt19937 m_random{20261211};
};

TEST_F(CancelAndPause, PausedOutputsDoNotGrowAndPausesChangeNothing)
{
    Song("a", 10.0);
    Song("b", 10.0);
    ASSERT_TRUE(Export());
    const juce::MemoryBlock a = Bytes(out.getChildFile("a.wav"));
    const juce::MemoryBlock b = Bytes(out.getChildFile("b.wav"));
    ASSERT_GT(a.getSize(), 1000000u);

    // Pause and resume at 20 random moments each; while it holds, no output
    // grows.
    for (const char* name : {"a.wav", "b.wav"})
        out.getChildFile(name).deleteFile();
    auto sizes = [&] {
        juce::int64 total = 0;
        for (const juce::File& f : out.findChildFiles(juce::File::findFiles, false, "*"))
            total += f.getSize();
        return total;
    };
    int holds = 0;
    events.onProgress = [&](double, const char* key) {
        if (key != nullptr || events.running == nullptr || !events.running->isPaused())
            return;
        ++holds;
        const juce::int64 before = sizes();
        juce::Thread::sleep(50);
        EXPECT_EQ(sizes(), before);
    };
    ASSERT_TRUE(Start());
    RandomPauses pauses(events, 40);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 120));
    events.onProgress = nullptr;
    EXPECT_FALSE(events.aborted);
    EXPECT_GT(pauses.toggles, 1);
    EXPECT_EQ(Bytes(out.getChildFile("a.wav")), a);
    EXPECT_EQ(Bytes(out.getChildFile("b.wav")), b);

    // Cancelled while paused in song b: nothing of it stays.
    for (const char* name : {"a.wav", "b.wav"})
        out.getChildFile(name).deleteFile();
    CancelWhenPausedIn(1);
    ASSERT_TRUE(Export());
    events.onProgress = nullptr;
    current.call = nullptr;
    EXPECT_TRUE(events.aborted);
    EXPECT_EQ(OutFiles(), juce::StringArray{"a.wav"});
}
} // namespace

namespace
{
// The names of this process's threads.
std::vector<std::string> ThreadNames()
{
    std::vector<std::string> names;
    for (const juce::File& task : juce::File("/proc/self/task").findChildFiles(juce::File::findDirectories, false))
        names.push_back(task.getChildFile("comm").loadFileAsString().trim().toStdString());
    return names;
}

// Shut-down in the middle of an export: the manager goes 0.5 s in.
TEST_F(CancelAndPause, ReleasingTheManagerMidExport)
{
    for (const char* n : {"a", "b", "c"})
        Song(n, 30.0);
    ASSERT_TRUE(Start());
    const auto start = juce::Time::getMillisecondCounter();
    qm::test::PumpUntil([&] { return juce::Time::getMillisecondCounter() - start > 500; }, 5);
    ASSERT_FALSE(events.finished);
    const auto released = juce::Time::getMillisecondCounter();
    exports.reset();
    EXPECT_LT(juce::Time::getMillisecondCounter() - released, 10000u);
    // The threads have been joined; the system lets go of a joined thread a
    // moment after it ended.
    auto workersLeft = [] {
        for (const std::string& name : ThreadNames())
            if (name == "Converter" || name == "File Export Ses")
                return true;
        return false;
    };
    const auto joined = juce::Time::getMillisecondCounter();
    while (workersLeft() && juce::Time::getMillisecondCounter() - joined < 5000)
        juce::Thread::sleep(10);
    EXPECT_FALSE(workersLeft());
    // Whole files only, and no temporary one.
    for (const juce::String& name : OutFiles())
    {
        EXPECT_FALSE(name.startsWith(".qm-")) << name;
        EXPECT_EQ(Read(out.getChildFile(name))[0].size(), 2880000u) << name;
    }
}
} // namespace
