#pragma once

#include <cstdint>
#include <memory>

#include "engine/audiofile/io/CPcmFileReadBase.h"

// The common part of the readers of uncompressed sample files (WAV, AIFF):
// the samples lie in whole frames between m_dataStart and m_dataEnd of the
// file and are read within a range, 64 KiB of whole frames at a time, then
// unpacked from the file's byte order by the concrete reader.
class CBufferedPcmFileRead : public CPcmFileReadBase
{
public:
    void SetRange(uint64_t startFrame, uint64_t endFrame) override;
    uint64_t GetRangeStart() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    bool HasReadFailed() override;
    // Delivers min(frames, frames up to the range end); the rest of every
    // channel is silence. A read that comes short of the file sets the
    // read-failed flag and keeps the position on a whole frame.
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    // Integer samples are converted to float; a float file's samples are
    // delivered as they are.
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;

protected:
    // The bytes of one frame in the file (0 when the reader has no format).
    virtual uint32_t FrameBytes() const = 0;
    // Unpacks frames from the file's byte order into the channels at offset.
    virtual uint32_t UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset) = 0;
    // Called when SetRange has moved the range.
    virtual void RangeChanged() {}

    // The sample data found by Open: the range covers all of it.
    void SetData(int64_t dataStart, int64_t dataEnd);
    // Places the file on the first frame of the data, with nothing buffered
    // and no failure (the end of Open).
    void StartAtData();
    // Forgets the data, the range, the buffer and the failure (at Close).
    void ResetData();

    int64_t m_dataStart = 0;
    int64_t m_dataEnd = 0;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = 0;

private:
    // Bytes read from the file at once; each read takes whole frames only.
    static constexpr uint32_t kBufferSize = 65536;

    void EmptyBuffer();

    std::unique_ptr<uint8_t[]> m_buffer = std::make_unique<uint8_t[]>(kBufferSize);
    uint32_t m_bufferFill = 0;
    uint32_t m_bufferRead = 0;
    bool m_readFailed = false;
};
