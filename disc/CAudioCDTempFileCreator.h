#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disc/CAudioCDBurnJob.h"

class CWavFileWrite;

// Turns the stereo stream that the audio-CD burner receives into one
// temporary WAV file per CD track (44100 Hz, 16-bit, stereo) made of whole CD
// sectors of 588 frames, and keeps the burn job: the album's CD-TEXT and the
// track entries that the disc writer burns. Files are named "Track 01.wav",
// "Track 02.wav", ... in the temporary directory; they stay on disk until
// Reset deletes them.
class CAudioCDTempFileCreator
{
public:
    static constexpr uint32_t kSectorFrames = 588;
    // No CD track is shorter than 4 seconds.
    static constexpr uint64_t kMinTrackFrames = 176400;

    CAudioCDTempFileCreator();
    ~CAudioCDTempFileCreator();

    CAudioCDTempFileCreator(const CAudioCDTempFileCreator&) = delete;
    CAudioCDTempFileCreator& operator=(const CAudioCDTempFileCreator&) = delete;

    // Resets the job and stores the directory, with a '/' added when it does
    // not end in one. False (and no directory) for an empty text.
    bool SetDirectory(const std::u16string& directory);
    const std::u16string& GetDirectory() const { return m_directory; }

    // Starts a new job with the album's CD-TEXT; the files of the previous
    // job are deleted. False when no directory is set.
    bool BeginTracks(const std::u16string& albumTitle, const std::u16string& albumPerformer);

    // Finishes the open track (joined to the new one when joinPrevious is
    // true, see FinishTrack) and creates the next track file. gapSectors is
    // the pause the disc writer makes before the new track; tailSectors of
    // silence end its file. False without a job, after a failed track file,
    // when the open track could not be finished, or when the file cannot be
    // created (the entry is then removed again). An existing file of the same
    // name is never overwritten.
    bool AddTrack(uint32_t gapSectors, uint32_t tailSectors, bool joinPrevious = false);

    // Takes frames of two channels of left-aligned 32-bit samples into the
    // open track and returns the frames taken: all of them, 0 without an open
    // track, fewer when the track file could not be written.
    uint32_t Write(int32_t* const* channels, uint32_t frames);

    // Ends the open track file: the frames still buffered, silence up to the
    // next whole sector, one sector of silence, the tail sectors, and silence
    // up to 4 seconds; then the entry gets the writer's title, artist and
    // frame count and the file is closed. With joinNext, a track of at least
    // 4 seconds without tail ends on its last whole sector instead and the
    // buffered part of a sector opens the next track's file, so that the two
    // join without silence. Nothing to do without an open track (true).
    // False when the file could not be written or closed.
    bool FinishTrack(bool joinNext);

    // Abandons the job: closes the open track, deletes every track file of
    // the job, empties the album texts and the entries and the buffers.
    void Reset();

    const CAudioCDBurnJob& GetJob() const { return m_job; }
    bool IsJobStarted() const { return m_jobStarted; }
    // True once a track file of this job could not be written completely;
    // the job is then not fit to burn until it is begun again.
    bool HasFailed() const { return m_failed; }

    // The writer of the open track (its marks and metadata land in the
    // file), or null.
    CWavFileWrite* GetOpenWriter() const { return m_writer.get(); }

private:
    // Writes the buffered frames as they are and clears the buffers.
    bool FlushBuffered();
    // Zeroes both buffers; nothing is buffered afterwards.
    void ClearBuffers();
    // Writes frames of digital silence.
    bool WriteSilence(uint64_t frames);
    // Writes one full sector from the buffers; false when it did not reach the file.
    bool WriteSector();

    int32_t m_left[kSectorFrames];
    int32_t m_right[kSectorFrames];
    int32_t* m_channels[2];
    uint32_t m_bufferedFrames = 0;
    std::unique_ptr<CWavFileWrite> m_writer;
    std::u16string m_directory;
    CAudioCDBurnJob m_job;
    bool m_jobStarted = false;
    uint32_t m_tailSectors = 0;
    bool m_failed = false;
};
