#pragma once

#include <cstdint>

#include "engine/audiofile/io/CStagedPcmFileWrite.h"
#include "engine/audiofile/wav/CWavFormat.h"

// Writes RIFF/WAVE files: 16- or 24-bit PCM or 32-bit IEEE float, mono or
// stereo. The marks go into a "cue " chunk and the printable-ASCII texts of the
// metadata into a "LIST"/"INFO" chunk after the samples; both are read at
// Close. A file never grows past 4 GiB - 1 bytes, so its 32-bit sizes hold:
// frames beyond that are not accepted.
class CWavFileWrite : public CStagedPcmFileWrite, public CWavFormat
{
public:
    // Marks beyond this count are not written.
    static constexpr uint32_t kMaxCuePoints = 1024;

    CWavFileWrite();
    ~CWavFileWrite() override;

    // 0 success; 2 when the file cannot be created or the format is not
    // 16, 24 or 32 bits with 1 or 2 channels at a nonzero rate. option is
    // not used.
    WriterOpenResult Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                          uint32_t option) override;
    bool Close() override;
    const char* GetFormatName() override;

    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    bool IsFloat() override;

private:
    bool WriteHeader();
};
