#pragma once

#include "disc/DiscResult.h"

#include <cstdint>
#include <string>
#include <vector>

#include "disc/CAudioCDBurnJob.h"

// The kind of disc in a writer. -1: none read or no disc; 0: a type without a
// name; 1 to 20 the named types (2 CD-R, 3 CD-RW, 5 DVD-R, 6 DVD-RAM,
// 7 DVD-RW, 8 DVD+RW, 12 DVD+R, 13 DVD+R DL, 14 DVD-R DL, ...).
using DiscTypeCode = int32_t;

// One disc writer found by the drive scan.
struct DiscBurnDeviceRecord
{
    static constexpr int kMediaFlagCount = 13;

    std::string drive; // the drive's name
    std::string vendor;
    std::string product;
    std::string revision;
    // One flag (0 or 1) per medium the drive can write: 2 CD-R, 3 CD-RW,
    // 4 DVD-R, 5 DVD-RW, 6 DVD-R DL, 8 DVD-RAM, 9 DVD+R, 10 DVD+RW, 11 DVD+R DL.
    uint8_t mediaFlags[kMediaFlagCount] = {};
};

// A disc writer as the burner, the sessions and the sheets use it: the drive
// list, drive selection, disc information, write speeds, erase, eject, cancel,
// and a worker that blanks or writes. Callers serialise every call with the
// burner's lock. Results: 0 success, 1 failure, unless stated.
class CDiscBurnImp
{
public:
    virtual ~CDiscBurnImp() = default;

    virtual const std::vector<DiscBurnDeviceRecord>& GetDevices() const = 0;
    virtual void RescanDevices() = 0;
    virtual DiscResult SelectDevice(int index) = 0;
    virtual void CloseDevice() = 0;
    virtual std::u16string GetDrivePath() const = 0;

    // Write-capability queries of the selected drive.
    virtual bool CanWriteRawPW() = 0;
    virtual bool CanWriteCdText() = 0;
    virtual bool WillWriteTrackAtOnce() = 0;
    virtual bool CannotWriteRawPW() = 0;

    virtual DiscResult RefreshDiscInfo() = 0;
    virtual DiscTypeCode GetDiscType() const = 0;
    virtual bool IsDiscErasable() const = 0;
    virtual bool IsDiscBlank() const = 0;
    virtual uint64_t GetDiscFreeSpace(int kind) = 0;
    virtual uint64_t GetDiscUsedSpace(int kind) = 0;
    // Write speeds of the inserted disc in KB/s, ascending, no duplicates.
    virtual std::vector<uint32_t> GetSpeeds() const = 0;
    // 0xFFFF asks for the drive's maximum.
    virtual DiscResult SetWriteSpeed(uint32_t kilobytesPerSecond) = 0;

    // Starts writing the job's track files on the worker: 0 started, 1 not.
    virtual DiscResult StartBurn(const CAudioCDBurnJob& job) = 0;
    virtual int GetState() const = 0;
    virtual DiscResult StartErase(bool quick) = 0;
    virtual bool IsBusy() const = 0;
    virtual void Cancel() = 0;
    virtual void Eject() = 0;
    virtual float GetProgress() const = 0;
    virtual float GetEraseProgress() const = 0;
    virtual uint32_t GetLastResult() const = 0;
};
