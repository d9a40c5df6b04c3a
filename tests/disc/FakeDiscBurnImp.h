#pragma once

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
    DiscTypeCode discType = 2; // CD-R
    bool blank = true;
    std::vector<uint32_t> speeds;
    DiscResult setSpeedResult = DiscResult::Ok;
    DiscResult startResult = DiscResult::Ok;
    uint64_t freeSpace = 0;

    std::vector<DiscBurnDeviceRecord> devices;
    std::vector<DiscBurnDeviceRecord> devicesAfterRescan;

    // What the burner did.
    std::vector<int> selectedDevices;
    int rescans = 0;
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
        return startResult;
    }
    int GetState() const override { return 0; }
    DiscResult StartErase(bool) override { return DiscResult::Failed; }
    bool IsBusy() const override { return false; }
    void Cancel() override {}
    void Eject() override {}
    float GetProgress() const override { return 0.0f; }
    float GetEraseProgress() const override { return 0.0f; }
    uint32_t GetLastResult() const override { return 0; }
};
