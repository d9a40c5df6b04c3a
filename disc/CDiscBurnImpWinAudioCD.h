#pragma once

#include "disc/DiscResult.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "disc/CDiscBurnImpWin.h"

// Writes audio CDs: chooses a write mode that the drive supports, hands the
// prepared track files (with their pregaps) and the CD-TEXT to the recorder,
// writes on the worker thread and turns the recorder's progress into a state
// and a percentage that the burn session polls.
// On Linux the writing runs on libburn, through platform/burn.
class CDiscBurnImpWinAudioCD : public CDiscBurnImpWin
{
public:
    enum CdWriteMode
    {
        kModeIdle = 0,
        kModeDiscAtOnceRawPW = 1, // with CD-TEXT
        kModeDiscAtOncePQ = 2,    // with CD-TEXT
        kModeSessionAtOnce = 3,
        kModeTrackAtOnce = 4,
    };

    enum State
    {
        kStateIdle = 0,
        kStateStarting = 1, // burn started, worker starting
        kStateWriting = 2,
        kStateFinishing = 3, // the last data goes out, or the session is being closed
        kStateVerifying = 4,
    };

    // The longest CD-TEXT text in bytes, without its terminator.
    static constexpr size_t kMaxCdTextBytes = 511;

    explicit CDiscBurnImpWinAudioCD(qm::platform::DiscRecorderSystem* system = nullptr);
    ~CDiscBurnImpWinAudioCD() override;

    // From the selected drive's write-mode probe. Without a drive: false,
    // false, false and true.
    bool CanWriteRawPW() override;
    bool CanWriteCdText() override;
    bool WillWriteTrackAtOnce() override;
    bool CannotWriteRawPW() override;

    // 0 started, 1 not started (no drive, a job running, no usable write
    // mode, the job cannot be prepared, or cancelled before the start).
    DiscResult StartBurn(const CAudioCDBurnJob& job) override;
    int GetState() const override { return m_state.load(); }
    bool IsBusy() const override;
    float GetProgress() const override { return m_progress.load(); }
    int GetWriteMode() const { return m_mode.load(); }

    // The CD-TEXT form of a text: the same characters when every one is
    // printable ASCII (0x20 to 0x7E), cut to kMaxCdTextBytes; else empty.
    static std::string CdTextFromWide(const std::u16string& text);

protected:
    void OnProgress(int reason, uint64_t value1, uint64_t value2) override;
    uint32_t WriteDisc() override;
    void OnJobEnded() override;

private:
    // The probe's answer; while a job runs, the last one taken before it.
    bool ProbeModes(qm::platform::RecorderWriteModes& modes);
    bool PrepareDiscAtOnce(const CAudioCDBurnJob& job);
    bool PrepareSessionAtOnce(const CAudioCDBurnJob& job);
    bool PrepareTrackAtOnce(const CAudioCDBurnJob& job);

    // What the worker writes: the session (disc- and session-at-once) or the
    // tracks one by one (track-at-once) with their frame counts.
    qm::platform::RecorderDisc m_disc;
    std::vector<uint64_t> m_trackFrames;

    std::atomic<int> m_state{kStateIdle};
    std::atomic<int> m_mode{kModeIdle};
    std::atomic<float> m_progress{0.0f};
    // Worker-side progress bookkeeping (set before the worker starts).
    uint64_t m_previousWritten = 0;
    double m_progressBase = 0.0;
    double m_progressScale = 1.0;

    qm::platform::RecorderWriteModes m_probedModes;
    bool m_probed = false;
};
