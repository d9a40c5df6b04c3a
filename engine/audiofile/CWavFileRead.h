#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audiofile/CPcmFileReadBase.h"
#include "engine/audiofile/CWavFormat.h"

// Reads RIFF/WAVE files: 16- or 24-bit PCM or 32-bit IEEE float, mono or
// stereo, at 44100, 48000, 88200, 96000, 176400 or 192000 Hz (also with the
// extensible header when its sub-format is PCM or float). The texts of a
// "LIST"/"INFO" chunk go into the metadata, the cue points of a "cue " chunk
// into the marks.
class CWavFileRead : public CPcmFileReadBase, public CWavFormat
{
public:
    // Cue points read from one file at most; a file cannot make the reader
    // build an unbounded list of marks.
    static constexpr uint32_t kMaxCuePoints = 4096;

    CWavFileRead();
    ~CWavFileRead() override;

    int Open(const char16_t* path) override;
    void Close() override;
    const char* GetFormatName() override;
    void SetRange(uint64_t startFrame, uint64_t endFrame) override;
    uint64_t GetRangeStart() override;

    uint32_t GetSampleRate() override;
    uint16_t GetBitsPerSample() override;
    uint16_t GetChannelCount() override;
    bool IsFloat() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    bool HasReadFailed() override;
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;

    // Clears the metadata and reads the INFO texts into it.
    virtual void ReadListInfo();
    // Reads and checks the format chunk; true when the reader accepts it.
    virtual bool ReadFormatChunk();

private:
    // Bytes read from the file at once; each read takes whole frames only.
    static constexpr uint32_t kBufferSize = 65536;

    void ReadCuePoints();
    void BuildMarks();
    void EmptyBuffer();

    int64_t m_headerEnd = 0;
    int64_t m_dataStart = 0;
    int64_t m_dataEnd = 0;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = 0;
    int64_t m_infoStart = 0;
    int64_t m_infoEnd = 0;
    int64_t m_cueStart = 0;
    int64_t m_cueEnd = 0;
    std::vector<uint32_t> m_cueOffsets;
    std::unique_ptr<uint8_t[]> m_buffer = std::make_unique<uint8_t[]>(kBufferSize);
    uint32_t m_bufferFill = 0;
    uint32_t m_bufferRead = 0;
    bool m_readFailed = false;
};
