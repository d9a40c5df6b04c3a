#pragma once

#include "disc/DiscResult.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disc/CDiscBurnImp.h"
#include "engine/audiofile/foundation/CCriticalSection.h"
#include "engine/audiofile/io/CAudioRecorderOutput.h"

// The disc burner as the sessions and sheets see it: an output stream that the
// file converter writes songs into, with the disc writer behind it. Callers
// take the burner's lock (GetLock) around every use of the disc writer
// (GetBurnImp). Results of the burner's own operations: 0 success, 1 failure.
class CAudioDiscBurnBase : public CAudioRecorderOutput
{
public:
    // The speed that asks the drive for its maximum.
    static constexpr uint32_t kMaximumWriteSpeed = 0xFFFF;

    explicit CAudioDiscBurnBase(std::unique_ptr<CDiscBurnImp> burnImp);
    ~CAudioDiscBurnBase() override;

    // The disc writer; null when there is none.
    CDiscBurnImp* GetBurnImp() const { return m_burnImp.get(); }
    CCriticalSection& GetLock() { return m_lock; }

    // The write speed (KB/s) that StartBurn applies; 0: none requested,
    // kMaximumWriteSpeed: the drive's fastest.
    void SetRequestedWriteSpeed(uint32_t kilobytesPerSecond) { m_requestedWriteSpeed = kilobytesPerSecond; }
    uint32_t GetRequestedWriteSpeed() const { return m_requestedWriteSpeed; }

    // The inserted disc's type from the last refresh, under the burner's
    // lock; -1 without a disc writer.
    DiscTypeCode GetDiscType();

    // Sets the requested write speed, brought into the range of the drive's
    // speed list (below the slowest: the slowest; above the fastest: the
    // fastest), and returns the disc writer's answer (0 success).
    DiscResult ApplyWriteSpeed();

    // The disc types this burner writes.
    virtual const std::vector<DiscTypeCode>& GetAcceptedDiscTypes() = 0;
    virtual uint64_t GetDiscFreeSpace() = 0;
    virtual uint64_t GetDiscUsedSpace() = 0;
    // Abandons the current job (deleting its files) and sets the directory
    // of the next job's temporary files; 1 for an empty directory.
    virtual DiscResult SetTempDirectory(const std::u16string& directory) = 0;
    // Abandons the current job and deletes its temporary files.
    virtual void ClearTempFiles() = 0;
    // Starts a job with the album's CD-TEXT; 1 when no temporary directory
    // is set. The further values are the session's disc settings (its output
    // sample rate and values of the disc-burn parameters) for burners whose
    // disc format needs them; the audio-CD burner does not.
    virtual DiscResult BeginTracks(const std::u16string& albumTitle, const std::u16string& albumPerformer,
                                   uint32_t sampleRate, uint32_t discFormat, uint32_t reserved) = 0;
    // Starts the next track; the song's samples follow as writes. songName
    // is informational. joinPrevious: the song follows the previous one
    // without a gap. keepGap: the pause before the song stays a pause that
    // the disc writer makes, rather than silence in the track. gapSeconds:
    // the pause before the song; tailSeconds: silence after it.
    virtual DiscResult AddTrack(const std::u16string& songName, bool joinPrevious, bool keepGap, float gapSeconds,
                                float tailSeconds) = 0;
    // Checks the disc, finishes the last track and starts writing the disc
    // on the disc writer's worker.
    virtual DiscResult StartBurn() = 0;
    // Whether a track file of the current job could not be written (a full
    // temporary drive); the job is then not fit to burn. False for a burner
    // without track files.
    virtual bool HasTrackFileFailed() { return false; }
    // Finishes the track file being written, so that a failure of its end
    // shows before a disc is asked for. False when it or an earlier one
    // failed.
    virtual bool FinishTrackFiles() { return !HasTrackFileFailed(); }

protected:
    std::unique_ptr<CDiscBurnImp> m_burnImp;
    // Set from the message thread, read by the session's thread.
    std::atomic<uint32_t> m_requestedWriteSpeed{0};
    CCriticalSection m_lock;
};
