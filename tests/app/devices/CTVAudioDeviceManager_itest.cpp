// Plays a generated song through the device manager into a JACK server that
// runs on its dummy back end, and captures what reaches the server.

#include "app/devices/CTVAudioDeviceManager.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
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

extern char** environ;

namespace
{
constexpr int kSongFrames = 22050;
constexpr int kCaptureFrames = 44100 * 20;

std::vector<int> ToVector(const juce::Array<int>& sizes)
{
    return std::vector<int>(sizes.begin(), sizes.end());
}

float SongSample(int channel, int frame)
{
    // Distinct, never-zero shapes per channel, so order and channel swaps show.
    const double t = frame + 1;
    return channel == 0 ? static_cast<float>(0.5 * std::sin(t * 0.013) + 0.01)
                        : static_cast<float>(-0.25 * std::cos(t * 0.007) - 0.3);
}

// The song as a source of the file player: 44100 Hz stereo, computed
// samples. Reads come from the player's reader thread.
class SongSource : public CAudioPlayerInput
{
public:
    uint32_t GetSampleRate() override { return 44100; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint16_t GetChannelCount() override { return 2; }
    uint64_t GetLength() override { return kSongFrames; }
    uint64_t GetPosition() override { return m_position.load(); }
    uint64_t SetPosition(uint64_t frame) override
    {
        m_position.store(std::min<uint64_t>(frame, kSongFrames));
        return m_position.load();
    }
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override
    {
        const uint64_t position = m_position.load();
        const auto got = static_cast<uint32_t>(std::min<uint64_t>(frames, kSongFrames - position));
        for (int c = 0; c < 2; ++c)
        {
            if (channels[c] == nullptr)
                continue;
            for (uint32_t i = 0; i < frames; ++i)
                channels[c][offset + i] = i < got ? SongSample(c, static_cast<int>(position + i)) : 0.0f;
        }
        m_position.store(position + got);
        return got;
    }

private:
    std::atomic<uint64_t> m_position{0};
};

// The device's processor: every block comes from the file player.
class PlayerProcessor : public CTVAudioDeviceManagerProcessor
{
public:
    explicit PlayerProcessor(CAudioFileTransport& transport)
        : m_transport(transport)
    {
    }

    void processAudio(const float* const* inputs, int, float* const* outputs, int outputCount, int sampleCount) override
    {
        ++calls;
        if (outputCount >= 2 && sampleCount > 0)
            m_transport.ProcessBlock(inputs, outputs, static_cast<uint32_t>(sampleCount));
    }

    std::atomic<int> calls{0};

private:
    CAudioFileTransport& m_transport;
};

// Counts the ends of the song the player reports.
class EndListener : public CAudioFileTransportListener
{
public:
    void transportStateChanged(CAudioFileTransport*) override { ++ends; }
    void transportStopped(CAudioFileTransport*) override { ++failures; }
    std::atomic<int> ends{0};
    std::atomic<int> failures{0};
};

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

class StartListener : public CTVAudioDeviceManagerListener
{
public:
    void deviceAboutToStart(CTVAudioDeviceManager*, double sampleRate, int bufferSize) override
    {
        rate = sampleRate;
        size = bufferSize;
    }
    double rate = 0.0;
    int size = 0;
};

// Empty when the recording holds silence, the whole song in order on the
// right channels with its exact samples, then silence; else what is wrong.
std::string CheckTake(const CaptureClient& capture)
{
    const int frames = capture.Frames();
    const auto& left = capture.Channel(0);
    const auto& right = capture.Channel(1);
    int start = 0;
    while (start < frames && left[start] == 0.0f)
        ++start;
    if (start + kSongFrames > frames)
        return "the song is not whole: it starts at frame " + std::to_string(start) + " of " + std::to_string(frames);

    int wrong = 0;
    for (int i = 0; i < start; ++i)
        wrong += right[i] != 0.0f;
    for (int i = 0; i < kSongFrames; ++i)
    {
        wrong += left[start + i] != SongSample(0, i);
        wrong += right[start + i] != SongSample(1, i);
    }
    for (int i = start + kSongFrames; i < frames; ++i)
        wrong += left[i] != 0.0f || right[i] != 0.0f;
    if (wrong != 0)
        return std::to_string(wrong) + " wrong samples; the song starts at frame " + std::to_string(start);
    return {};
}

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
} // namespace

TEST_F(JackServer, ASongReachesTheDeviceWholeInOrderAndAtItsLevel)
{
    CaptureClient capture;
    ASSERT_TRUE(capture.IsValid());

    StartListener listener;
    // The song outlives the player, the player the processor.
    SongSource song;
    EndListener ends;
    CAudioFilePlayerPcmOutput player;
    player.AddListener(&ends);
    PlayerProcessor processor(player);
    CTVAudioDeviceManager* manager = CTVAudioDeviceManager::GetInstance();
    manager->AddListener(&listener);
    manager->SetProcessor(&processor);
    // Ends the registrations and the device on every way out of the test,
    // before the processor and the listener go away.
    struct Registration
    {
        CTVAudioDeviceManager* manager;
        StartListener* listener;
        ~Registration()
        {
            manager->SetProcessor(nullptr);
            manager->RemoveListener(listener);
            CTVAudioDeviceManager::Release();
        }
    } registration{manager, &listener};

    ASSERT_EQ(manager->GetDriverTypeNames(), juce::StringArray({"ALSA", "JACK"}));
    manager->SetDriverType(1);
    ASSERT_TRUE(manager->GetDeviceNames().contains("system"));
    // Kind 1 asks for 1024 frames; the server offers its period only.
    EXPECT_EQ(manager->OpenDevice("system", 44100.0, 0, 0, false), "");
    EXPECT_TRUE(manager->IsRunning());
    EXPECT_EQ(manager->GetSampleRate(), 44100.0);
    EXPECT_EQ(ToVector(manager->GetAvailableBufferSizes()), std::vector<int>{512});
    EXPECT_EQ(manager->GetChannelPairNames(), juce::StringArray({"playback_1/playback_2"}));
    EXPECT_EQ(listener.rate, 44100.0);
    EXPECT_EQ(listener.size, 512);

    // Our device's two outputs into the capture client.
    const char** ports =
        jack_get_ports(capture.Client(), "^JUCEJack[^:]*:out_", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    ASSERT_NE(ports, nullptr);
    ASSERT_NE(ports[0], nullptr);
    ASSERT_NE(ports[1], nullptr);
    EXPECT_TRUE(capture.Connect(ports[0], 0));
    EXPECT_TRUE(capture.Connect(ports[1], 1));
    jack_free(ports);

    // A period that the loaded machine could not serve in time (an xrun)
    // drops or repeats a block of the recording for reasons of the machine,
    // not of the program; such a take is played again. A fault of the program
    // spoils every take.
    std::string problem;
    int takes = 0;
    do
    {
        ++takes;
        // From the start of the song, buffered before the recording begins;
        // the stopped player plays silence meanwhile.
        player.SetSource(&song);
        ASSERT_TRUE(WaitFor([&] { return !player.IsPrebuffering(); }, std::chrono::seconds(60)));
        const int ended = ends.ends.load();
        capture.StartRecording();
        player.Play();
        // Generous: on a loaded machine the clients' threads get little time.
        ASSERT_TRUE(WaitFor([&] { return ends.ends.load() > ended; }, std::chrono::seconds(60)))
            << "the device called the processor " << processor.calls.load() << " times; player state "
            << player.GetState() << ", prebuffering " << player.IsPrebuffering() << ", running " << player.IsRunning()
            << ", position " << player.GetPosition() << " s";
        EXPECT_EQ(ends.failures.load(), 0);
        // Some silence after the song.
        const int after = capture.Frames() + 4096;
        ASSERT_TRUE(WaitFor([&] { return capture.Frames() >= after; }, std::chrono::seconds(60)));
        capture.StopRecording();
        problem = CheckTake(capture);
    } while (!problem.empty() && takes < 5);
    EXPECT_EQ(problem, "") << takes << " takes, " << capture.XRuns() << " xruns";
}
