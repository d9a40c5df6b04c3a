#pragma once

#include <cstdint>
#include <vector>

#include "engine/audiofile/io/CPcmFileWriteBase.h"
#include "platform/lame/Mp3Encoder.h"

// Writes constant-bit-rate MP3 files through the MP3 encoding layer. The
// metadata goes in front as an ID3v2.3 tag when UpdateMetaData is called
// before the first audio. Samples are collected in blocks of one MPEG frame
// (1152 frames). At Close the encoder's info frame is written over the
// stream's first frame, so decoders give back the exact length.
// On Linux the encoding runs on LAME, through platform/lame.
class CMp3FileWriteAcm : public CPcmFileWriteBase
{
public:
    static constexpr uint32_t kBlockFrames = 1152;
    static constexpr uint32_t kDefaultBitRate = 128000;

    CMp3FileWriteAcm();
    ~CMp3FileWriteAcm() override;

    // True when the encoder could be initialised for this writer.
    bool IsEncoderAvailable() const { return m_encoder.isAvailable(); }

    // option is the bit rate in bits per second (0: 128000). 0 success; 2 when
    // the encoder is missing, refuses the format (it writes the given rate and
    // bit rate exactly, or not at all), the sample width is not 16, 24 or 32
    // bits, or the file cannot be created.
    WriterOpenResult Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                          uint32_t option) override;
    // Encodes what is left, ends the stream, writes the info frame and closes.
    // False when any encoding or write of the file failed.
    bool Close() override;
    const char* GetFormatName() override;
    uint64_t GetWrittenFrames() override;

    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    // Returns the frames accepted; fewer than given when encoding or writing
    // failed (later writes then accept nothing).
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    // Writes the tag of the metadata, unless audio (or a tag) was written already.
    void UpdateMetaData() override;

private:
    void ResetFormat();
    // Encodes the collected frames (a whole block, or the rest at the end).
    bool EncodeStaged();
    // Writes encoded bytes; remembers where the first audio frame starts.
    bool WriteEncoded();

    qm::platform::Mp3Encoder m_encoder;
    uint32_t m_sampleRate = 44100;
    uint16_t m_channels = 2;
    uint16_t m_bitsPerSample = 16;
    std::vector<int32_t> m_staging[2];
    uint32_t m_stagingFill = 0;
    std::vector<uint8_t> m_encoded;
    uint64_t m_framesWritten = 0;
    int64_t m_audioStart = -1; // file position of the first audio frame
    bool m_encodedDataWritten = false;
    bool m_failed = false;
};

// Whether MP3 export can be offered: true when the encoder initialises.
bool IsMp3EncoderAvailable();
// For tests: makes the encoder behave as missing (true) for every writer
// created afterwards, or restores the real answer (false).
void SimulateMp3EncoderMissing(bool missing);
