#pragma once

#include <cstdint>

#include "engine/audiofile/io/CPcmFileWriteBase.h"
#include "platform/media/WmaEncoder.h"

// The base of the Windows Media Audio writers: PCM goes to the WMA encoding
// layer, which writes the ASF file through this object's own file; the
// derived class chooses the encoding (CreateProfile). At Close the
// metadata's texts and picture are written into the finished file's header.
// On Linux the encoding runs on FFmpeg, through platform/media.
class CWindowsMediaFileWriteBase : public CPcmFileWriteBase, private qm::platform::WmaEncoderOutput
{
public:
    CWindowsMediaFileWriteBase();
    ~CWindowsMediaFileWriteBase() override;

    // option is the bit rate in bits per second. 0 success; 2 when the
    // profile or the encoder refuses the format or the file cannot be
    // created (no file is left behind then).
    WriterOpenResult Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                          uint32_t option) override;
    // Finishes the stream and closes, then writes the metadata into the
    // file. False when encoding or any write of the audio failed; a failure
    // of the metadata alone leaves the audio file as it is and is not
    // reported.
    bool Close() override;
    uint64_t GetWrittenFrames() override;

    uint32_t GetSampleRate() override;
    uint16_t GetChannelCount() override;
    uint16_t GetBitsPerSample() override;
    // Returns the frames accepted; fewer than given when encoding or writing
    // failed (later writes then accept nothing).
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;

    // Chooses the encoding for the format; false when it cannot be written.
    virtual bool CreateProfile(uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channels, uint32_t bitRate) = 0;

protected:
    // What CreateProfile chose: the encoder's rate, channels and bit rate.
    struct Profile
    {
        uint32_t sampleRate = 0;
        uint16_t channels = 0;
        uint32_t bitRate = 0;
    };
    Profile m_profile;

private:
    uint32_t write(const uint8_t* data, uint32_t size) override;
    int64_t seek(int64_t offset, int origin) override;
    int64_t size() override;

    void ResetFormat();
    // Writes the metadata's attributes into the closed file at the path.
    void WriteAttributes(const char16_t* path);

    qm::platform::WmaEncoder m_encoder;
    uint32_t m_sampleRate = 44100;
    uint16_t m_channels = 2;
    uint16_t m_bitsPerSample = 16;
    uint64_t m_framesWritten = 0;
};
