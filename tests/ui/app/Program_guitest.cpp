#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/CTVPreferences.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavWriter.h"
#include "tests/support/XInput.h"

// The built program, started as a user starts it, in this test's own X
// server and with settings in a temporary folder.
namespace
{
namespace fs = std::filesystem;

class Program : public ::testing::Test
{
protected:
    ~Program() override
    {
        if (m_pid > 0)
            qm::test::runCommand("kill -KILL " + std::to_string(m_pid) + " 2>/dev/null");
    }

    // Starts the program; its process id is kept for signals.
    void Start(const std::string& arguments = {})
    {
        const std::string pidFile = (home.path() / "pid").string();
        fs::remove(pidFile);
        const std::string line = "echo $$ > " + qm::test::shellQuote(pidFile) + "; exec " +
                                 qm::test::shellQuote(QM_PROGRAM) + " " + arguments + " >" +
                                 qm::test::shellQuote((home.path() / "out.log").string()) + " 2>&1";
        ASSERT_TRUE(m_process.start(juce::StringArray{"/bin/sh", "-c", juce::String(line)}, 0));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return fs::exists(pidFile) && fs::file_size(pidFile) > 0; }, 10));
        std::ifstream(pidFile) >> m_pid;
    }
    std::string Window(const std::string& name = "untitled.qmpl - QUILLMARK")
    {
        return qm::test::xinput::findWindow(name, 60);
    }
    int Finish()
    {
        EXPECT_TRUE(m_process.waitForProcessToFinish(60000));
        m_pid = 0;
        return static_cast<int>(m_process.getExitCode());
    }
    void Keys(const std::string& window, const std::string& keys)
    {
        qm::test::runCommand("xdotool windowfocus --sync " + window + " key --clearmodifiers " + keys);
    }
    int NormalQuit()
    {
        CHfcPreferences preferences;
        if (!preferences.Open())
            return -2;
        return preferences.GetInt("AppHasNormallyQuit", -1);
    }
    void Capture(const std::string& name)
    {
        qm::test::screenshots::captureScreen("Program", name);
    }

    qm::test::TempFolder home;
    qm::test::ScopedEnv homeVariable{"HOME", home.path().string()};
    qm::test::ScopedEnv configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    // The single-instance guard's folder (a fresh temporary folder is 0700).
    qm::test::TempFolder runtime;
    qm::test::ScopedEnv runtimeVariable{"XDG_RUNTIME_DIR", runtime.path().string()};
    // A clean run of a sanitizer build leaves nothing to report; the child's
    // own report would be its exit status.
    juce::ChildProcess m_process;
    int m_pid = 0;
};

// A first start quits with Ctrl+Q and notes a normal end; a killed run makes
// the next start clear up and ask; SIGTERM is a normal end too.
TEST_F(Program, StartQuitCrashAndSignals)
{
    Start();
    const std::string first = Window();
    ASSERT_FALSE(first.empty());
    Capture("first-start");
    Keys(first, "ctrl+q");
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(NormalQuit(), 1);

    // Leftovers of a run that did not end normally.
    const fs::path temp = home.path() / "scratch";
    fs::create_directories(temp / "TavrelDiscImage_20240101120000");
    std::ofstream(temp / "TavrelTempFile.abc.tmp") << "x";
    std::ofstream(temp / "TavrelTempFile.abcd.tmp") << "x";
    {
        CHfcPreferences preferences;
        ASSERT_TRUE(preferences.Open());
        preferences.SetString("Export_Disc_TempDirectory", juce::String(temp.string()));
    }
    Start();
    ASSERT_FALSE(Window().empty());
    // The mark is set at the end of the start, after the window shows.
    EXPECT_TRUE(qm::test::PumpUntil([&] { return NormalQuit() == 0; }, 20)) << "a run is going on";
    qm::test::runCommand("kill -KILL " + std::to_string(m_pid));
    m_process.waitForProcessToFinish(10000);
    m_pid = 0;

    Start();
    const std::string question = Window("QUILLMARK");
    ASSERT_FALSE(question.empty());
    Capture("crash-question");
    EXPECT_FALSE(fs::exists(temp / "TavrelDiscImage_20240101120000"));
    EXPECT_FALSE(fs::exists(temp / "TavrelTempFile.abc.tmp"));
    EXPECT_TRUE(fs::exists(temp / "TavrelTempFile.abcd.tmp"));
    Keys(question, "Escape");
    const std::string window = Window();
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(NormalQuit(), 0) << "the mark of the crashed run stays";
    qm::test::runCommand("kill -TERM " + std::to_string(m_pid));
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(NormalQuit(), 1) << "SIGTERM ends the run normally";
}

// A later start, from another folder and with a relative name, hands its
// file to the running program and ends at once; a stale socket does not stop
// a first start.
TEST_F(Program, LaterStartsHandTheirFilesOver)
{
    fs::create_directories(runtime.path() / "quillmark");
    fs::permissions(runtime.path() / "quillmark", fs::perms::owner_all, fs::perm_options::replace);
    std::ofstream(runtime.path() / "quillmark" / "instance.sock") << "stale";
    const fs::path songs = home.path() / "songs";
    fs::create_directories(songs / "sub");
    qm::test::WriteWav(songs / "x.wav", 44100, 2, 4410, false, [](int, int) { return 0.1f; });
    Start();
    const std::string window = Window();
    ASSERT_FALSE(window.empty());

    const auto started = std::chrono::steady_clock::now();
    const int status = qm::test::runCommand("cd " + qm::test::shellQuote((songs / "sub").string()) + " && " +
                                            qm::test::shellQuote(QM_PROGRAM) + " ../x.wav >/dev/null 2>&1");
    EXPECT_EQ(status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    // The recovery copy of the list is written shortly after each change.
    const fs::path backup = home.path() / "config" / "Tavrel" / "TavrelBackup.qmpl";
    const std::string added = (songs / "x.wav").string();
    EXPECT_TRUE(qm::test::PumpUntil(
        [&] {
            std::ifstream in(backup);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return text.find(added) != std::string::npos;
        },
        20))
        << "the first program added " << added;
    Capture("handed-over");
    Keys(window, "ctrl+q");
    EXPECT_EQ(Finish(), 0);
}

// A runtime folder that others may enter is refused with a message; the
// program runs without the guard.
TEST_F(Program, AnOpenRuntimeFolderIsRefused)
{
    fs::create_directories(runtime.path() / "quillmark");
    fs::permissions(runtime.path() / "quillmark", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::replace);
    Start();
    const std::string window = Window();
    ASSERT_FALSE(window.empty());
    std::ifstream in(home.path() / "out.log");
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("is not a private folder"), std::string::npos) << log;
    Keys(window, "ctrl+q");
    EXPECT_EQ(Finish(), 0);
}
} // namespace
