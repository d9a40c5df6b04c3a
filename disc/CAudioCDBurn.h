#pragma once

#include "disc/DiscResult.h"

#include <memory>
#include <vector>

#include "disc/CAudioCDTempFileCreator.h"
#include "disc/CAudioDiscBurnBase.h"

// The audio-CD burner: takes the converted songs as a 44.1 kHz 16-bit stereo
// stream, turns each song into a temporary track file of whole CD sectors,
// and when all tracks are in hands the job to its disc writer. Writes CD-R
// and CD-RW discs.
class CAudioCDBurn : public CAudioDiscBurnBase
{
public:
    explicit CAudioCDBurn(std::unique_ptr<CDiscBurnImp> burnImp);
    ~CAudioCDBurn() override;

    // Output stream.
    void Cancel() override; // deletes the job's temporary files
    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    bool IsFloat() override;
    // True when the drive writes raw P-W disc-at-once, the mode in which two
    // songs can follow each other without a pause.
    bool CanWrite() override;
    uint32_t WriteDsd(uint8_t** channels, uint32_t count) override;
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    // Converts both channels in place to 32-bit integers, then writes them.
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    // While a track file is open its writer's marks and metadata, so that the
    // song's marks and texts land in the track; else the burner's own.
    CMarker* GetMarker() override;
    CAudioMetaData* GetMetaData() override;
    void UpdateMetaData() override;

    // Burner.
    const std::vector<DiscTypeCode>& GetAcceptedDiscTypes() override;
    uint64_t GetDiscFreeSpace() override;
    uint64_t GetDiscUsedSpace() override;
    DiscResult SetTempDirectory(const std::u16string& directory) override;
    void ClearTempFiles() override;
    DiscResult BeginTracks(const std::u16string& albumTitle, const std::u16string& albumPerformer, uint32_t sampleRate,
                           uint32_t discFormat, uint32_t reserved) override;
    DiscResult AddTrack(const std::u16string& songName, bool joinPrevious, bool keepGap, float gapSeconds,
                        float tailSeconds) override;
    // 1 when the disc cannot be read, is not blank or not a CD-R or CD-RW,
    // the write speed cannot be set, a track file is missing or incomplete,
    // or the disc writer finds no usable write mode; 0 when writing started.
    DiscResult StartBurn() override;
    bool HasTrackFileFailed() override;
    bool FinishTrackFiles() override;

    const CAudioCDTempFileCreator& GetTempFileCreator() const { return m_tempFileCreator; }

    // Whole CD sectors in a time (truncated); negative or invalid times give 0.
    static uint32_t SecondsToSectors(float seconds);

private:
    std::vector<DiscTypeCode> m_acceptedDiscTypes;
    CAudioCDTempFileCreator m_tempFileCreator;
};
