#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/burn/DiscRecorder.h"

namespace qm::test
{
// What a fake recorder presents and what it was asked to do. The test owns it;
// the recorder (on the burner's worker thread) writes the recordings under the
// lock.
struct FakeRecorderScript
{
    qm::platform::RecorderWriteModes modes;
    bool probeWorks = true;
    qm::platform::DiscMedia media = qm::platform::DiscMedia::CdR;
    bool erasable = false;
    bool blank = true;
    std::vector<uint32_t> speeds{706, 1400, 1760};
    uint32_t maxSpeed = 1760;
    uint32_t currentSpeed = 1760;

    // Behaviour of the jobs; default: succeed at once.
    std::function<uint32_t(const qm::platform::RecorderDisc&, qm::platform::RecorderProgressListener*,
                           const std::atomic<bool>&)>
        writeDisc;
    std::function<uint32_t(size_t index, const qm::platform::RecorderTrack&, qm::platform::RecorderProgressListener*,
                           const std::atomic<bool>&)>
        writeTrack;
    std::function<uint32_t()> closeSession;
    std::function<uint32_t(bool quick, const std::atomic<bool>&)> blank_;

    // Recordings.
    std::mutex lock;
    std::vector<uint32_t> speedRequests;
    std::vector<qm::platform::RecorderWriteMethod> methods;
    qm::platform::RecorderDisc disc;
    std::vector<qm::platform::RecorderTrack> tracks;
    int closeCalls = 0;
    int blankCalls = 0;
};

class FakeRecorder final : public qm::platform::DiscRecorder
{
public:
    FakeRecorder(std::string name, FakeRecorderScript& script)
        : m_name(std::move(name)),
          m_script(script)
    {
    }

    const std::string& GetName() const override { return m_name; }
    bool ReadDiscInfo(qm::platform::RecorderDiscInfo& info) override
    {
        info = {};
        info.media = m_script.media;
        info.erasable = m_script.erasable;
        info.blank = m_script.blank;
        info.freeSectors = m_script.blank ? 360000 : 0;
        info.usedSectors = m_script.blank ? 0 : 1000;
        return true;
    }
    uint32_t GetMaxWriteSpeed() override { return m_script.maxSpeed; }
    uint32_t GetCurrentWriteSpeed() override { return m_script.currentSpeed; }
    bool SetSpeeds(uint32_t, uint32_t write) override
    {
        std::lock_guard guard(m_script.lock);
        m_script.speedRequests.push_back(write);
        uint32_t chosen = m_script.speeds.front();
        for (uint32_t speed : m_script.speeds)
            if (speed <= write)
                chosen = speed;
        m_script.currentSpeed = chosen;
        return true;
    }
    bool ProbeWriteModes(qm::platform::RecorderWriteModes& modes) override
    {
        modes = m_script.modes;
        return m_script.probeWorks;
    }
    uint32_t WriteDisc(qm::platform::RecorderWriteMethod method, const qm::platform::RecorderDisc& disc,
                       qm::platform::RecorderProgressListener* listener, const std::atomic<bool>& cancel) override
    {
        {
            std::lock_guard guard(m_script.lock);
            m_script.methods.push_back(method);
            m_script.disc = disc;
        }
        return m_script.writeDisc ? m_script.writeDisc(disc, listener, cancel) : 0;
    }
    uint32_t WriteTrack(const qm::platform::RecorderTrack& track, qm::platform::RecorderProgressListener* listener,
                        const std::atomic<bool>& cancel) override
    {
        size_t index = 0;
        {
            std::lock_guard guard(m_script.lock);
            index = m_script.tracks.size();
            m_script.tracks.push_back(track);
        }
        return m_script.writeTrack ? m_script.writeTrack(index, track, listener, cancel) : 0;
    }
    uint32_t CloseSession() override
    {
        {
            std::lock_guard guard(m_script.lock);
            ++m_script.closeCalls;
        }
        return m_script.closeSession ? m_script.closeSession() : 0;
    }
    uint32_t Blank(bool quick, const std::atomic<bool>& cancel) override
    {
        {
            std::lock_guard guard(m_script.lock);
            ++m_script.blankCalls;
        }
        return m_script.blank_ ? m_script.blank_(quick, cancel) : 0;
    }
    bool Eject() override { return true; }

private:
    std::string m_name;
    FakeRecorderScript& m_script;
};

// A machine with the given recorders, each driven by the same script.
class FakeRecorderSystem final : public qm::platform::DiscRecorderSystem
{
public:
    explicit FakeRecorderSystem(FakeRecorderScript& script, std::vector<std::string> names = {"/dev/sr0"})
        : m_script(script),
          m_names(std::move(names))
    {
    }

    void SetNames(std::vector<std::string> names) { m_names = std::move(names); }

    bool startWorks = true;
    int starts = 0;
    int shutdowns = 0;

    bool Start() override
    {
        ++starts;
        return startWorks;
    }
    void Shutdown() override { ++shutdowns; }
    std::vector<qm::platform::DiscRecorderInfo> ScanRecorders() override
    {
        std::vector<qm::platform::DiscRecorderInfo> list;
        for (const auto& name : m_names)
        {
            qm::platform::DiscRecorderInfo info;
            info.name = name;
            info.vendor = "Vendor";
            info.product = "Writer";
            info.revision = "1.00";
            info.mediaFlags[qm::platform::DiscRecorderInfo::kWritesCdR] = 1;
            list.push_back(info);
        }
        return list;
    }
    std::unique_ptr<qm::platform::DiscRecorder> OpenRecorder(const std::string& name) override
    {
        for (const auto& known : m_names)
            if (known == name)
                return std::make_unique<FakeRecorder>(name, m_script);
        return nullptr;
    }

private:
    FakeRecorderScript& m_script;
    std::vector<std::string> m_names;
};

// Waits until the condition holds; false after the timeout.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
} // namespace qm::test
