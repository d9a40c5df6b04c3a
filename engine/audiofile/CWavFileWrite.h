#pragma once

#include <cstdint>
#include <memory>

#include "engine/audiofile/CPcmFileWriteBase.h"
#include "engine/audiofile/CWavFormat.h"

// Writes RIFF/WAVE files: 16- or 24-bit PCM or 32-bit IEEE float, mono or
// stereo. The marks go into a "cue " chunk and the printable-ASCII texts of the
// metadata into a "LIST"/"INFO" chunk after the samples; both are read at
// Close. A file never grows past 4 GiB - 1 bytes, so its 32-bit sizes hold:
// frames beyond that are not accepted.
class CWavFileWrite : public CPcmFileWriteBase, public CWavFormat
{
public:
    // Marks beyond this count are not written.
    static constexpr uint32_t kMaxCuePoints = 1024;

    CWavFileWrite();
    ~CWavFileWrite() override;

    // 0 success; 2 when the file cannot be created or the format is not
    // 16, 24 or 32 bits with 1 or 2 channels at a nonzero rate. option is
    // not used.
    int Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
             uint32_t option) override;
    bool Close() override;
    const char* GetFormatName() override;
    uint64_t GetWrittenFrames() override;

    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    bool IsFloat() override;
    // Returns the frames accepted: fewer than given after a failed write or
    // at the size limit.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;

protected:
    // The most sample bytes one file takes (whole frames), set at Open.
    uint64_t m_dataByteLimit = 0;

private:
    // Bytes packed before they go to the file in one write: a multiple of
    // every frame size (2, 3, 4, 6 and 8 bytes).
    static constexpr uint32_t kStagingSize = 24 * 8192;
    // What a write call leaves staged at most; more is written before the call
    // returns, so that the frames it reports have reached the file.
    static constexpr uint32_t kStagingKeep = 4096;

    bool WriteHeader();
    // Writes the staged bytes; false when not all of them reached the file.
    bool FlushStaging();

    int64_t m_headerEnd = 0;
    int64_t m_dataStart = 0;
    int64_t m_dataEnd = 0;
    std::unique_ptr<uint8_t[]> m_staging = std::make_unique<uint8_t[]>(kStagingSize);
    uint32_t m_stagingFill = 0;
    bool m_writeFailed = false;
};
