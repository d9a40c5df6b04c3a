#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/io/CComposedInput.h"
#include "engine/audiofile/song/CPlaylistSong.h"

// One track of a song as one input stream: its file segments read one after
// another without gaps, each through its own file reader limited to the
// segment's range. The marks of the files are merged into one list on the
// track's time line (each shifted by the time at which its file begins).
class CTrackRead : public CComposedInput
{
public:
    // Makes the file reader for one path; the caller owns the result. Null when
    // no reader can open the file.
    using FileReaderFactory = CAudioFileReadBase* (*)(const char16_t* path, bool skipCdText);

    CTrackRead();
    ~CTrackRead() override;

    // Opens a reader for every segment of the track. False (reader closed)
    // when the track is null or has no segment, when a file cannot be opened,
    // when a segment names another medium than the one its reader found, or
    // when a file differs from the first in sample rate or channel count.
    bool Open(const CPlaylistTrack* track);
    // Opens and appends the reader of one segment; false (nothing appended)
    // on the failures listed at Open.
    bool OpenFile(const CPlaylistFile* entry);
    // Drops every file reader; one that is still preparing is handed over to
    // be deleted once it is idle.
    void Close();

    // The first file's format name; empty when no file is open.
    std::string GetFormatName();

    // Divides the segments at a time (seconds from the start of the track):
    // what lies before it goes to `first`, the rest to `second`. Both tracks
    // lose their own segments first; every segment written carries an
    // explicit end.
    void SplitAt(CPlaylistTrack* first, CPlaylistTrack* second, double seconds);
    // The same at a frame position of the track (a 1-bit stream is cut at a
    // multiple of 8 frames).
    void SplitAtFrame(CPlaylistTrack* first, CPlaylistTrack* second, int64_t frame);

    // Replaces the factory that every track reader opens its files through
    // (by default the direct audio-file reader factory, with CD-TEXT skipped);
    // null restores the default. For tests that need readers of their own.
    static void SetFileReaderFactory(FileReaderFactory factory);

    uint16_t GetChannelCount() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    uint32_t ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset) override;
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;
    bool HasReadFailed() override;

protected:
    size_t GetPartCount() const override;
    CAudioPlayerInput* GetPart(size_t index) const override;

private:
    std::vector<std::unique_ptr<CAudioFileReadBase>> m_files;
    // The path each reader was opened on, in the same order (a reader's own
    // stored path need not be the song's path, e.g. for disc tracks).
    std::vector<std::u16string> m_paths;
    uint32_t m_currentFile = 0;
};
