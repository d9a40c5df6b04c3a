#pragma once

#include <cstdint>

#include "engine/audiofile/aiff/CAiffFormat.h"
#include "engine/audiofile/io/CStagedPcmFileWrite.h"

// Writes big-endian AIFF files of 16- or 24-bit PCM, mono or stereo, at any
// rate, with the metadata (and the picture it names) as an ID3v2.3 tag in an
// "ID3 " chunk after the samples; the metadata is read at Close. A file never
// grows past 4 GiB - 1 bytes, so its 32-bit sizes hold: frames beyond that are
// not accepted, and a picture that would not fit is left out of the tag.
class CAiffFileWrite : public CStagedPcmFileWrite, public CAiffFormat
{
public:
    CAiffFileWrite();
    ~CAiffFileWrite() override;

    // Integers in AIFF are big-endian.
    int WriteUInt(uint64_t value, int bytes) override;

    // 0 success; 2 when the file cannot be created or the format is not 16 or
    // 24 bits with 1 or 2 channels at a nonzero rate. option is not used.
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
    // Writes the "ID3 " chunk of the metadata at the position; false when a
    // write failed.
    bool WriteId3Chunk();
};
