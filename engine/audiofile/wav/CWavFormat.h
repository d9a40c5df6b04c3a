#pragma once

#include <cstdint>

// The canonical 44-byte WAV header as fields, shared by the WAV reader and
// writer. All integers are little-endian in the file.
class CWavFormat
{
public:
    static constexpr uint16_t kFormatPcm = 1;
    static constexpr uint16_t kFormatIeeeFloat = 3;
    static constexpr uint16_t kFormatExtensible = 0xFFFE;
    static constexpr uint32_t kHeaderSize = 44;

    CWavFormat();
    virtual ~CWavFormat();

    // Back to the defaults: an empty 16-bit stereo 44100 Hz PCM header.
    void ResetWavFormat();

    char m_riffId[4];
    uint32_t m_riffSize;
    char m_formType[4];
    char m_formatChunkId[4];
    uint32_t m_formatChunkSize;
    uint16_t m_formatTag;
    uint16_t m_channelCount;
    uint32_t m_sampleRate;
    uint32_t m_byteRate;
    uint16_t m_blockAlign;
    uint16_t m_bitsPerSample;
    char m_dataChunkId[4];
    uint32_t m_dataSize;
};
