#pragma once

#include <cstdint>

#include "engine/audiofile/aiff/CAiffFormat.h"
#include "engine/audiofile/io/CBufferedPcmFileRead.h"

// Reads big-endian AIFF files ("FORM"/"AIFF"): 16- or 24-bit PCM, mono or
// stereo, at 44100, 48000, 88200, 96000, 176400 or 192000 Hz. Texts and a
// picture come from an "ID3 " chunk holding an ID3v2 tag. Chunk sizes from the
// file are checked: the samples end at the end of the "SSND" chunk and of the
// file at the latest.
class CAiffFileRead : public CBufferedPcmFileRead, public CAiffFormat
{
public:
    CAiffFileRead();
    ~CAiffFileRead() override;

    // The chunk parser is big-endian.
    uint64_t ReadUInt(int bytes) override;

    // 0 success, 2 the file cannot be opened, 3 no acceptable "COMM" chunk,
    // 4 a wrong header or no usable "SSND" chunk.
    ReaderOpenResult Open(const char16_t* path) override;
    void Close() override;
    const char* GetFormatName() override;
    uint32_t GetPictureDataSize() override;
    int ReadPictureData(uint8_t* buffer, uint32_t size) override;

    uint32_t GetSampleRate() override;
    uint16_t GetBitsPerSample() override;
    uint16_t GetChannelCount() override;
    bool IsFloat() override;

protected:
    // Reads and checks the "COMM" chunk; true when the reader accepts it.
    virtual bool ReadCommChunk();
    // Clears the metadata and fills it from the "ID3 " chunk; false when there
    // is no such chunk or no tag in it.
    virtual bool ReadTags();
    // Reads "FORM", its size and the form type; true for this reader's type.
    virtual bool ReadFormHeader();
    // Unpacks frames from the file's byte order into the channels at offset.
    uint32_t UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t FrameBytes() const override;

    // The "COMM" fields every reader reads; false when the chunk is missing or
    // shorter than minimumChunkSize (header included) or the format is not one
    // the reader accepts. The position is left after the 18 common bytes.
    bool ReadCommonCommFields(uint64_t minimumChunkSize);

    int64_t m_headerEnd = 0;

private:
    // The file offset of the "ID3 " chunk's data; -1 without one.
    int64_t FindId3ChunkData();

    uint32_t m_pictureSize = 0;
};
