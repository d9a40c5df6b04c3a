#pragma once

#include <cstdint>
#include <vector>

#include "engine/audiofile/io/CBufferedPcmFileRead.h"
#include "engine/audiofile/wav/CWavFormat.h"

// Reads RIFF/WAVE files: 16- or 24-bit PCM or 32-bit IEEE float, mono or
// stereo, at 44100, 48000, 88200, 96000, 176400 or 192000 Hz (also with the
// extensible header when its sub-format is PCM or float). The texts of a
// "LIST"/"INFO" chunk go into the metadata, the cue points of a "cue " chunk
// into the marks.
class CWavFileRead : public CBufferedPcmFileRead, public CWavFormat
{
public:
    // Cue points read from one file at most; a file cannot make the reader
    // build an unbounded list of marks.
    static constexpr uint32_t kMaxCuePoints = 4096;

    CWavFileRead();
    ~CWavFileRead() override;

    ReaderOpenResult Open(const char16_t* path) override;
    void Close() override;
    const char* GetFormatName() override;

    uint32_t GetSampleRate() override;
    uint16_t GetBitsPerSample() override;
    uint16_t GetChannelCount() override;
    bool IsFloat() override;

    // Clears the metadata and reads the INFO texts into it.
    virtual void ReadListInfo();
    // Reads and checks the format chunk; true when the reader accepts it.
    virtual bool ReadFormatChunk();

protected:
    uint32_t FrameBytes() const override;
    uint32_t UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset) override;
    // The marks are those of the range.
    void RangeChanged() override;

private:
    void ReadCuePoints();
    void BuildMarks();

    int64_t m_headerEnd = 0;
    int64_t m_infoStart = 0;
    int64_t m_infoEnd = 0;
    int64_t m_cueStart = 0;
    int64_t m_cueEnd = 0;
    std::vector<uint32_t> m_cueOffsets;
};
