#pragma once

// A JACK server of a test's own on the dummy back end, and a JACK client that
// records what reaches it: for the tests that play through the device
// manager's JACK driver. The test executable links the JACK client library.

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qm::test
{
// Frames a capture client can record (20 s at 44.1 kHz).
inline constexpr int kCaptureFrames = 44100 * 20;

// A JACK client with two inputs that records what arrives into fixed buffers.
class CaptureClient
{
public:
    CaptureClient()
        : m_data(2, std::vector<float>(kCaptureFrames, 0.0f))
    {
        jack_status_t status{};
        m_client = jack_client_open("qmcapture", JackNoStartServer, &status);
        if (m_client == nullptr)
            return;
        m_ports[0] = jack_port_register(m_client, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_ports[1] = jack_port_register(m_client, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(m_client, &CaptureClient::Process, this);
        jack_set_xrun_callback(m_client, &CaptureClient::XRun, this);
        jack_activate(m_client);
    }
    ~CaptureClient() { Stop(); }

    bool IsValid() const { return m_client != nullptr; }
    jack_client_t* Client() const { return m_client; }

    bool Connect(const char* source, int input)
    {
        return jack_connect(m_client, source, jack_port_name(m_ports[input])) == 0;
    }

    // Connects the two outputs of the framework's JACK device (the device
    // manager's open device) to the two inputs. False when either is missing
    // or does not connect.
    bool ConnectToDevice()
    {
        const char** ports = jack_get_ports(m_client, "^JUCEJack[^:]*:out_", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        if (ports == nullptr)
            return false;
        const bool connected =
            ports[0] != nullptr && ports[1] != nullptr && Connect(ports[0], 0) && Connect(ports[1], 1);
        jack_free(ports);
        return connected;
    }

    void Stop()
    {
        if (m_client != nullptr)
        {
            jack_deactivate(m_client);
            jack_client_close(m_client);
            m_client = nullptr;
        }
    }

    // Records from the start of the buffers.
    void StartRecording()
    {
        std::lock_guard<std::mutex> guard(m_gate);
        m_frames.store(0);
        m_recording = true;
    }
    // Once this returns the buffers do not change.
    void StopRecording()
    {
        std::lock_guard<std::mutex> guard(m_gate);
        m_recording = false;
    }

    int Frames() const { return m_frames.load(std::memory_order_acquire); }
    int XRuns() const { return m_xruns.load(); }
    const std::vector<float>& Channel(int c) const { return m_data[c]; }

private:
    static int Process(jack_nframes_t frames, void* arg)
    {
        auto* self = static_cast<CaptureClient*>(arg);
        std::unique_lock<std::mutex> guard(self->m_gate, std::try_to_lock);
        if (!guard.owns_lock() || !self->m_recording)
            return 0;
        const int start = self->m_frames.load(std::memory_order_relaxed);
        const int count = std::min(static_cast<int>(frames), kCaptureFrames - start);
        for (int c = 0; c < 2; ++c)
        {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(self->m_ports[c], frames));
            std::copy(in, in + count, self->m_data[c].begin() + start);
        }
        self->m_frames.store(start + count, std::memory_order_release);
        return 0;
    }

    static int XRun(void* arg)
    {
        ++static_cast<CaptureClient*>(arg)->m_xruns;
        return 0;
    }

    jack_client_t* m_client = nullptr;
    std::mutex m_gate;
    bool m_recording = false;
    std::atomic<int> m_xruns{0};
    jack_port_t* m_ports[2] = {nullptr, nullptr};
    std::vector<std::vector<float>> m_data;
    std::atomic<int> m_frames{0};
};

template <typename Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!predicate())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A JACK server of this test's own (its name is unique to the process), on
// the dummy back end: 44100 Hz, 512 frames a period. JACK servers share
// state in /dev/shm and one that exits disturbs others starting meanwhile, so
// test runs that overlap (several checkouts on one machine) take turns
// through a lock file.
class JackServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_turn = ::open("/tmp/quillmark-jack-test.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ASSERT_GE(m_turn, 0);
        ASSERT_EQ(::flock(m_turn, LOCK_EX), 0);
        const std::string name = "quillmark-test-" + std::to_string(::getpid());
        ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
        ::setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        // A long client timeout: on a loaded machine a client that misses a
        // period by more than the default 500 ms is thrown out of the graph
        // for good, and the device would never be called again.
        const char* argv[] = {"jackd", "--no-realtime", "-t", "30000", "-d",   "dummy",
                              "-r",    "44100",         "-p", "512",   nullptr};
        // The server must never outlive this process, even when a test aborts
        // before its tear-down: the kernel ends it when we die. It runs in a
        // process group of its own with its output in a file, so it can
        // never hold the test runner's output pipe open.
        const std::string log = "/tmp/quillmark-jackd-" + std::to_string(::getpid()) + ".log";
        const pid_t parent = ::getpid();
        m_server = ::fork();
        ASSERT_GE(m_server, 0);
        if (m_server == 0)
        {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(1);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (out >= 0)
            {
                ::dup2(out, STDOUT_FILENO);
                ::dup2(out, STDERR_FILENO);
            }
            if (in >= 0)
                ::dup2(in, STDIN_FILENO);
            ::execvp("jackd", const_cast<char* const*>(argv));
            ::_exit(127);
        }
        ::setpgid(m_server, m_server);
        int status = 0;
        ASSERT_EQ(::waitpid(m_server, &status, WNOHANG), 0) << "jackd (package jackd2) is needed; see " << log;
        const bool up = WaitFor(
            [] {
                jack_status_t status{};
                jack_client_t* probe = jack_client_open("qmprobe", JackNoStartServer, &status);
                if (probe == nullptr)
                    return false;
                jack_client_close(probe);
                return true;
            },
            std::chrono::seconds(10));
        ASSERT_TRUE(up) << "the JACK server did not start";
    }

    void TearDown() override
    {
        if (m_server > 0)
        {
            ::kill(-m_server, SIGTERM);
            int status = 0;
            ::waitpid(m_server, &status, 0);
        }
        ::unsetenv("JACK_DEFAULT_SERVER");
        if (m_turn >= 0)
            ::close(m_turn); // gives the turn to the next run
    }

    juce::ScopedJuceInitialiser_GUI m_juce;
    pid_t m_server = -1;
    int m_turn = -1;
};
} // namespace qm::test
