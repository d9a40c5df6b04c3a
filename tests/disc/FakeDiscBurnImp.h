#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "disc/CDiscBurnImp.h"

// A disc writer whose drive, disc and answers a test sets, and which records
// what the burner asked of it.
class FakeDiscBurnImp : public CDiscBurnImp
{
public:
    // Drive and disc.
    bool rawPW = true;
    bool trackAtOnce = false;
    DiscResult refreshResult = DiscResult::Ok;
    std::atomic<DiscTypeCode> discType{2}; // CD-R
    std::atomic<bool> blank{true};
    std::vector<uint32_t> speeds;
    DiscResult setSpeedResult = DiscResult::Ok;
    DiscResult startResult = DiscResult::Ok;
    std::atomic<uint64_t> freeSpace{0};

    std::vector<DiscBurnDeviceRecord> devices;
    std::vector<DiscBurnDeviceRecord> devicesAfterRescan;

    // A started write or erase keeps the drive busy for this many polls of
    // IsBusy, moving through these states (1 open, 2 tracks, 3 close); a
    // cancel ends it at the next poll. The result of the last job.
    std::atomic<int> busyPolls{0};
    std::atomic<int> pollsPerJob{3};
    std::atomic<uint32_t> lastResult{0};
    DiscResult eraseResult = DiscResult::Ok;
    // Eject empties the drive.
    bool ejectEmpties = true;

    // What the burner did.
    std::vector<int> selectedDevices;
    int rescans = 0;
    std::atomic<int> cancels{0};
    std::atomic<int> ejects{0};
    std::vector<bool> erases; // quick or not, per erase started
    std::vector<uint32_t> speedsSet;
    std::vector<int> spaceKindsAsked;
    int startCalls = 0;
    std::optional<CAudioCDBurnJob> startedJob;
    // Called when the fake is deleted.
    std::function<void()> onDelete;

    ~FakeDiscBurnImp() override
    {
        if (onDelete)
            onDelete();
    }

    const std::vector<DiscBurnDeviceRecord>& GetDevices() const override { return devices; }
    void RescanDevices() override
    {
        ++rescans;
        devices = devicesAfterRescan;
    }
    DiscResult SelectDevice(int index) override
    {
        selectedDevices.push_back(index);
        return DiscResult::Ok;
    }
    void CloseDevice() override {}
    std::u16string GetDrivePath() const override { return u"/dev/sr0"; }

    bool CanWriteRawPW() override { return rawPW; }
    bool CanWriteCdText() override { return rawPW; }
    bool WillWriteTrackAtOnce() override { return !rawPW && trackAtOnce; }
    bool CannotWriteRawPW() override { return !rawPW; }

    DiscResult RefreshDiscInfo() override { return refreshResult; }
    DiscTypeCode GetDiscType() const override { return discType; }
    bool IsDiscErasable() const override { return discType == 3; }
    bool IsDiscBlank() const override { return blank; }
    uint64_t GetDiscFreeSpace(int kind) override
    {
        spaceKindsAsked.push_back(kind);
        return freeSpace;
    }
    uint64_t GetDiscUsedSpace(int kind) override
    {
        spaceKindsAsked.push_back(kind);
        return 0;
    }
    std::vector<uint32_t> GetSpeeds() const override { return speeds; }
    DiscResult SetWriteSpeed(uint32_t kilobytesPerSecond) override
    {
        speedsSet.push_back(kilobytesPerSecond);
        return setSpeedResult;
    }

    DiscResult StartBurn(const CAudioCDBurnJob& job) override
    {
        ++startCalls;
        startedJob = job;
        if (startResult == DiscResult::Ok)
            busyPolls.store(pollsPerJob.load());
        return startResult;
    }
    // Asked after each IsBusy: the first poll of a job is in state 1, its
    // last in state 3, the others in state 2.
    int GetState() const override
    {
        const int left = busyPolls.load();
        if (left < 0)
            return 0;
        if (left == pollsPerJob.load() - 1)
            return 1;
        return left == 0 ? 3 : 2;
    }
    DiscResult StartErase(bool quick) override
    {
        erases.push_back(quick);
        if (eraseResult == DiscResult::Ok)
            busyPolls.store(pollsPerJob.load());
        return eraseResult;
    }
    bool IsBusy() const override { return const_cast<FakeDiscBurnImp*>(this)->busyPolls.fetch_sub(1) > 0; }
    void Cancel() override
    {
        ++cancels;
        busyPolls.store(0);
    }
    void Eject() override
    {
        ++ejects;
        if (ejectEmpties)
            discType = -1;
    }
    float GetProgress() const override { return 50.0f; }
    float GetEraseProgress() const override { return 50.0f; }
    uint32_t GetLastResult() const override { return lastResult.load(); }
};
