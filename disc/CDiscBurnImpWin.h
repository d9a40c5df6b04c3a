#pragma once

#include "disc/DiscResult.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disc/CDiscBurnImp.h"
#include "engine/audiofile/foundation/CThread.h"
#include "platform/burn/DiscRecorder.h"

// The disc writer over the platform's disc recorders (optical drives and
// image targets): drive list and selection, disc information, write speeds,
// erase, eject and cancel, and the worker thread that runs one erase or write
// job per start. The audio-CD writer (CDiscBurnImpWinAudioCD) adds writing.
//
// Callers serialise every call with the burner's lock. The worker thread runs
// the job; the state it reports (busy, progress, last result) is atomic, so
// other threads may poll it. While a job runs, the operations that would use
// the drive refuse (answer 1) instead of touching it under the job.
// On Linux the drives are driven through libburn, by platform/burn.
class CDiscBurnImpWin : public CDiscBurnImp, public CThread, protected qm::platform::RecorderProgressListener
{
public:
    // Worker commands.
    enum Command : uint32_t
    {
        kCommandWrite = 0,
        kCommandQuickBlank = 1,
        kCommandFullBlank = 2,
    };

    // Write speeds (KB/s) tried against a drive's maximum for CDs and DVDs.
    static constexpr uint32_t kCdSpeeds[18] = {176,  353,  387,  528,  706,  1056, 1400, 1760, 2112,
                                               2800, 3250, 4224, 5632, 6336, 7040, 7744, 8448, 9152};
    static constexpr uint32_t kDvdSpeeds[12] = {1385, 2770,  3324,  4155,  5540,  6925,
                                                8310, 11080, 16620, 22160, 24930, 27700};

    // Starts the recorder library of `system` (null: the machine's disc
    // recorders) and scans the drives.
    explicit CDiscBurnImpWin(qm::platform::DiscRecorderSystem* system = nullptr);
    ~CDiscBurnImpWin() override;

    const std::vector<DiscBurnDeviceRecord>& GetDevices() const override { return m_devices; }
    void RescanDevices() override;
    DiscResult SelectDevice(int index) override;
    void CloseDevice() override;
    // The selected drive's name (a device node or an image target); empty
    // when none is selected.
    std::u16string GetDrivePath() const override { return m_drivePath; }

    DiscResult RefreshDiscInfo() override;
    DiscTypeCode GetDiscType() const override { return m_discType; }
    bool IsDiscErasable() const override { return m_erasable; }
    bool IsDiscBlank() const override { return m_blank; }
    // Bytes: audio sectors of 2352 bytes for kind 1, data sectors of 2048
    // bytes otherwise. 0 without a drive or on failure.
    uint64_t GetDiscFreeSpace(int kind) override;
    uint64_t GetDiscUsedSpace(int kind) override;
    std::vector<uint32_t> GetSpeeds() const override { return m_speeds; }
    DiscResult SetWriteSpeed(uint32_t kilobytesPerSecond) override;

    DiscResult StartBurn(const CAudioCDBurnJob& job) override;
    DiscResult StartErase(bool quick) override;
    bool IsBusy() const override;
    // Asks the running job to stop; the worker ends it at its next check.
    void Cancel() override;
    void Eject() override;
    float GetEraseProgress() const override;
    uint32_t GetLastResult() const override { return m_lastResult.load(); }

    // The erase's estimated duration in milliseconds; 0 when unknown.
    int32_t GetEraseDurationEstimate() const { return m_eraseEstimateMs.load(); }

protected:
    // Progress reasons handed to OnProgress.
    enum ProgressReason
    {
        kProgressWrite,  // value 1 = total bytes, value 2 = bytes written
        kProgressVerify, // the recorder verifies what it wrote
    };

    // Told about a running write, on the worker thread.
    virtual void OnProgress(int reason, uint64_t value1, uint64_t value2) = 0;
    // The write job (command kCommandWrite), on the worker thread; returns
    // the job's result.
    virtual uint32_t WriteDisc() { return 0; }
    // Called on the worker after the job's result is stored and before the
    // writer reports itself idle.
    virtual void OnJobEnded() {}

    void run() override;
    // Starts the worker for the job set up; false when no thread could be
    // made.
    bool StartWorker();
    // Asks a running job to stop and joins the worker. Every derived
    // destructor calls it first.
    void StopWorker();

    qm::platform::DiscRecorder* Recorder() const { return m_recorder.get(); }
    bool IsCancelled() const { return m_cancel.load(); }
    const std::atomic<bool>& CancelFlag() const { return m_cancel; }
    std::atomic<bool> m_cancel{false};

private:
    void OnWriteProgress(uint64_t totalBytes, uint64_t writtenBytes) override;
    void ScanDevices();

    qm::platform::DiscRecorderSystem* m_system;
    bool m_libraryStarted = false;
    std::unique_ptr<qm::platform::DiscRecorder> m_recorder;
    int m_selected = -1;
    // The pending blank command; kCommandWrite (0) when none.
    std::atomic<uint32_t> m_command{kCommandWrite};
    // The erase's start on a steady clock and its estimate, both in
    // milliseconds, so that its progress runs from 0 to 100 over the
    // estimated time.
    std::atomic<int64_t> m_eraseStartMs{0};
    std::atomic<int32_t> m_eraseEstimateMs{0};
    std::atomic<uint32_t> m_lastResult{0};
    DiscTypeCode m_discType = -1;
    bool m_erasable = false;
    bool m_blank = false;
    std::vector<uint32_t> m_speeds;
    std::vector<DiscBurnDeviceRecord> m_devices;
    std::u16string m_drivePath;
};
