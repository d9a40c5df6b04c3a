#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/audiofile/cd/CCdTextInfoRead.h"
#include "engine/audiofile/io/CPcmFileReadBase.h"
#include "platform/cd/CdToc.h"

namespace qm::platform
{
class CdDrive;
}

// Reads the audio tracks of the disc in a CD drive (a device node or a disc
// image, as the platform's drive registry names them) as a 44100 Hz, 16-bit,
// 2-channel stream. The reading range is the whole audio part of the disc or
// one track; a mark stands at every track start inside the range, and the
// metadata comes from the disc's CD-TEXT.
//
// Frames are counted from the start of the first audio track. One reader is
// used by one thread at a time.
class CAudioCDRead : public CPcmFileReadBase
{
public:
    static constexpr uint32_t kFramesPerSector = 588;
    static constexpr uint32_t kSampleRate = 44100;
    // Taken off the end of the audio part when a data session follows it:
    // 11400 sectors, the lead-out and lead-in between the two sessions.
    static constexpr uint64_t kSessionGapFrames = 11400ull * kFramesPerSector;

    // CD-TEXT is read when readCdText is set, in the language of the
    // process's character-type locale, or else in the given language code.
    explicit CAudioCDRead(bool readCdText);
    CAudioCDRead(bool readCdText, int preferredLanguage);
    ~CAudioCDRead() override;

    // Opens the drive of that name: NoSuchDrive when no CD drive has it,
    // CannotOpen when it holds no disc or no audio track.
    ReaderOpenResult Open(const char16_t* drive) override;
    void Close() override;
    const char* GetFormatName() override { return "CD"; }
    // The CDDB-style identifier of the open disc; 0 when closed.
    int GetDiscId() override;
    // Frames relative to the start of the audio part, clamped to it; an end
    // not beyond the start means the end of the audio part.
    void SetRange(uint64_t startFrame, uint64_t endFrame) override;
    uint64_t GetRangeStart() override;
    // Fills the metadata with the disc's CD-TEXT: album and title = the
    // disc's title, artist = the disc's performer.
    virtual void UpdateDiscMetadata();
    // A mark at every audio track start inside the reading range.
    virtual void SetTrackMarks();

    // The audio part of a disc: the indexes of its first and last audio
    // tracks in the table of contents and the absolute frames where the part
    // starts and ends. When a track follows the last audio track and starts a
    // later session (on a disc image, whose sessions are not known, any
    // following track counts as one), the session gap is taken off the end.
    // False when the disc has no audio track or nothing is left.
    struct AudioPart
    {
        int firstTrack = -1;
        int lastTrack = -1;
        uint64_t start = 0;
        uint64_t end = 0;
    };
    static bool FindAudioPart(const qm::platform::CdToc& toc, AudioPart& part);

    // The drive name given to the last successful Open; empty when closed.
    const std::u16string& GetDriveName() const { return m_driveName; }
    // Audio tracks from the first to the last audio track; 0 when closed.
    int GetTrackCount() const;
    // Where the track (0 = the first audio track) starts, in frames from the
    // start of the audio part; for the track count, the end of the audio part.
    uint64_t GetTrackStart(int index) const;
    // The disc's number of the track (0 = the first audio track); 0 when
    // there is no such track.
    int GetTrackNumber(int index) const;
    // Sets the range to that track, clears the marks and fills the metadata
    // with the track's CD-TEXT. False for an index outside the tracks.
    bool SelectTrack(int index);

    uint32_t GetSampleRate() override { return kSampleRate; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint16_t GetChannelCount() override { return 2; }
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;
    bool HasReadFailed() override { return m_readFailed; }

private:
    // Makes the sector holding the absolute frame available and returns its
    // bytes; null when the drive fails. Sectors are read ahead in runs of up
    // to kReadAheadSectors inside the range (one request per run instead of
    // one per sector); a failing run is retried as the single sector, so a
    // failure is found at the sector where it happens.
    const uint8_t* LoadSector(uint64_t absoluteFrame);
    void ClearSector();
    // Text of CD-TEXT `track` in the preferred block, else in the English one.
    std::u16string CdText(bool performer, int track);
    void StoreField(int field, const std::u16string& text);

    CCdTextInfoRead m_cdText;
    bool m_readCdText;
    bool m_hasCdText = false;

    std::unique_ptr<qm::platform::CdDrive> m_drive;
    qm::platform::CdToc m_toc;
    std::u16string m_driveName;
    int m_firstTrack = -1; // index into the table of contents
    int m_lastTrack = -1;
    uint64_t m_discStart = 0; // absolute frames
    uint64_t m_discEnd = 0;
    uint64_t m_rangeStart = 0; // absolute frames
    uint64_t m_rangeEnd = 0;
    uint64_t m_position = 0; // frames from the range start
    int m_discId = 0;
    bool m_readFailed = false;

    static constexpr uint32_t kReadAheadSectors = 16;
    uint8_t m_sectors[kReadAheadSectors * 2352] = {};
    int64_t m_sectorsLsn = -1;   // the first sector that m_sectors holds; -1 none
    uint32_t m_sectorsCount = 0; // sectors held
};
