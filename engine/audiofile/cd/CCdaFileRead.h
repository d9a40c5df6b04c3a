#pragma once

#include <cstdint>

#include "engine/audiofile/cd/CAudioCDRead.h"

// A CD track file standing for its track on the disc. Its path is
// <drive name>/TrackNN.cda: the parent is opened as a CD drive, and the track
// number comes from the 44-byte RIFF "CDDA" stub when such a file exists
// there (as copied from a disc that shows its tracks as files), otherwise
// from the name. Everything else is the audio-CD reader's.
class CCdaFileRead : public CAudioCDRead
{
public:
    CCdaFileRead();
    ~CCdaFileRead() override;

    // 0 success; 2 the drive cannot be opened as an audio CD, or neither a
    // stub file nor a track name gives the track; 3 the stub has no usable
    // "fmt " chunk; 4 the stub is not RIFF "CDDA", or its track is not an
    // audio track of the disc.
    ReaderOpenResult Open(const char16_t* path) override;
    void Close() override;

    // The disc's number of the track, as the stub or the name gave it.
    int GetCdaTrackNumber() const { return m_trackNumber; }

    // The track number of a file name "TrackNN.cda" (any case, 1 or 2
    // digits); -1 for any other name.
    static int TrackNumberFromName(const char16_t* name);

private:
    ReaderOpenResult ReadStub();
    void ResetHeader();

    // The stub's fields; only the track number is used.
    char m_riffId[4];
    uint32_t m_riffSize;
    char m_cddaId[4];
    char m_formatId[4];
    uint32_t m_formatSize;
    uint16_t m_version;
    int m_trackNumber;
    uint32_t m_serialNumber;
    uint32_t m_firstSector;
    uint32_t m_sectorCount;
    uint32_t m_startMsf;
    uint32_t m_lengthMsf;
    int64_t m_afterRiffHeader;
};
