#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::platform
{
// The kind of medium in a recorder. The values are the program's disc type
// codes: -1 no disc (or not read), 0 a medium without a name here.
enum class DiscMedia : int32_t
{
    None = -1,
    Unknown = 0,
    CdRom = 1,
    CdR = 2,
    CdRw = 3,
    DvdRom = 4,
    DvdR = 5,
    DvdRam = 6,
    DvdRw = 7,
    DvdPlusRw = 8,
    DdCdRom = 9,
    DdCdR = 10,
    DdCdRw = 11,
    DvdPlusR = 12,
    DvdPlusRDl = 13,
    DvdRDl = 14,
    BdRom = 15,
    BdR = 16,
    BdRe = 17,
    HdDvdRom = 18,
    HdDvdR = 19,
    HdDvdRw = 20,
};

// One disc recorder found by a scan.
struct DiscRecorderInfo
{
    // Indexes into mediaFlags: one flag per medium the recorder can write.
    enum MediaFlag
    {
        kWritesCdR = 2,
        kWritesCdRw = 3,
        kWritesDvdR = 4,
        kWritesDvdRw = 5,
        kWritesDvdRDl = 6,
        kWritesDvdRam = 8,
        kWritesDvdPlusR = 9,
        kWritesDvdPlusRw = 10,
        kWritesDvdPlusRDl = 11,
        kMediaFlagCount = 13,
    };

    std::string name; // a device node (/dev/sr0) or an image target's name
    std::string vendor;
    std::string product;
    std::string revision;
    uint8_t mediaFlags[kMediaFlagCount] = {};
};

// What a recorder knows of the inserted disc.
struct RecorderDiscInfo
{
    DiscMedia media = DiscMedia::None;
    bool erasable = false;
    bool blank = false;
    // In sectors of the medium (2352 bytes of audio or 2048 of data on a CD).
    uint64_t freeSectors = 0;
    uint64_t usedSectors = 0;
};

// The ways a recorder can write an audio CD.
struct RecorderWriteModes
{
    bool trackAtOnce = false;
    bool sessionAtOnce = false;
    bool discAtOncePQ = false;
    bool discAtOnceRawPW = false; // disc-at-once with CD-TEXT in the lead-in
};

enum class RecorderWriteMethod
{
    DiscAtOnceRawPW,
    DiscAtOncePQ,
    SessionAtOnce,
};

// One audio track: a WAV file of 44100 Hz, 16-bit stereo PCM whose samples
// fill whole 588-frame sectors.
struct RecorderTrack
{
    std::string wavPath;        // UTF-8
    uint32_t pregapSectors = 0; // silence before the track's start (INDEX 01)
    std::string title;          // CD-TEXT; empty: none
    std::string performer;
};

// A whole audio session, in track order.
struct RecorderDisc
{
    std::string albumTitle; // CD-TEXT of the disc; empty: none
    std::string albumPerformer;
    std::vector<RecorderTrack> tracks;
    bool withCdText = false; // write the texts as CD-TEXT
};

// Job results (the value a job returns).
enum RecorderResult : uint32_t
{
    kRecorderOk = 0,
    kRecorderFailed = 1,      // the recorder refused or the write failed
    kRecorderCancelled = 2,   // the cancel flag stopped the job
    kRecorderBadSource = 3,   // a track file is missing or not CD audio
    kRecorderUnsupported = 4, // the recorder cannot do this
};

// Told about a running write job, on the job's thread.
class RecorderProgressListener
{
public:
    virtual ~RecorderProgressListener() = default;
    // Bytes of the current write: the whole disc, or the one track.
    virtual void OnWriteProgress(uint64_t totalBytes, uint64_t writtenBytes) = 0;
};

// One opened disc recorder. Jobs (writing, blanking) block until they end and
// poll `cancel`, which another thread may set. One object is used by one
// thread at a time.
class DiscRecorder
{
public:
    // Passed as a speed: the recorder's maximum.
    static constexpr uint32_t kMaxSpeed = 0xFFFF;

    virtual ~DiscRecorder() = default;

    virtual const std::string& GetName() const = 0;

    // False when the disc cannot be inquired; info.media is None without a disc.
    virtual bool ReadDiscInfo(RecorderDiscInfo& info) = 0;
    // Write speeds in KB/s for the inserted disc; 0 when unknown.
    virtual uint32_t GetMaxWriteSpeed() = 0;
    virtual uint32_t GetCurrentWriteSpeed() = 0;
    // The recorder takes the nearest speed it has (kMaxSpeed: its fastest).
    virtual bool SetSpeeds(uint32_t readKBps, uint32_t writeKBps) = 0;
    virtual bool ProbeWriteModes(RecorderWriteModes& modes) = 0;

    // Writes the whole session in one pass and closes it.
    virtual uint32_t WriteDisc(RecorderWriteMethod method, const RecorderDisc& disc, RecorderProgressListener* listener,
                               const std::atomic<bool>& cancel) = 0;
    // Track-at-once: appends one track to the open session...
    virtual uint32_t WriteTrack(const RecorderTrack& track, RecorderProgressListener* listener,
                                const std::atomic<bool>& cancel) = 0;
    // ...and closes the session after the last one.
    virtual uint32_t CloseSession() = 0;

    virtual uint32_t Blank(bool quick, const std::atomic<bool>& cancel) = 0;
    virtual bool Eject() = 0;
};

// The recorders of the machine: a scan and an opener. Tests substitute a
// fake one.
class DiscRecorderSystem
{
public:
    virtual ~DiscRecorderSystem() = default;
    // Starts the recorder library for one user; false when it cannot start.
    virtual bool Start() = 0;
    // Ends one user's Start.
    virtual void Shutdown() = 0;
    virtual std::vector<DiscRecorderInfo> ScanRecorders() = 0;
    // Null when no recorder of that name can be opened.
    virtual std::unique_ptr<DiscRecorder> OpenRecorder(const std::string& name) = 0;
};
} // namespace qm::platform
