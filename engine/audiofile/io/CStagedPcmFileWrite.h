#pragma once

#include <cstdint>
#include <memory>

#include "engine/audiofile/io/CPcmFileWriteBase.h"

// The common part of the writers of uncompressed sample files (WAV, AIFF):
// frames are packed in the file's byte order into a staging buffer and go to
// the file in large writes. The sample data is bounded so that a file never
// grows past 4 GiB - 1 bytes and its 32-bit sizes hold. A failed write is
// remembered until Close; later writes accept nothing.
class CStagedPcmFileWrite : public CPcmFileWriteBase
{
public:
    uint64_t GetWrittenFrames() override;
    // Returns the frames accepted: fewer than given after a failed write or
    // at the size limit.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    // Float samples are written as they are into a float file, otherwise
    // converted to integers.
    uint32_t WriteFloat(float** channels, uint32_t frames) override;

protected:
    enum class ByteOrder
    {
        LittleEndian,
        BigEndian,
    };

    // The largest file length the 32-bit sizes describe.
    static constexpr uint64_t kMaxFileLength = 0xFFFFFFFFu;

    explicit CStagedPcmFileWrite(ByteOrder byteOrder);

    // Starts the sample data at dataStart (the end of the header) for frames
    // of channels x bitsPerSample bits. trailerReserve is the room kept below
    // the size limit for what is written after the samples at Close.
    void BeginData(int64_t dataStart, uint16_t channels, uint16_t bitsPerSample, uint64_t trailerReserve);
    // Closes and deletes the file just created (when not even its header could
    // be written) and forgets the sample data.
    void DeleteCreatedFile();
    // Writes what is staged, leaves the position at the end of the data and
    // adds the pad byte that gives a chunk of odd size an even length. False
    // when any write of the samples failed.
    bool FinishData();
    // Forgets the sample data and the failure (at Close).
    void ResetData();
    // The sample bytes that reached the file (whole frames).
    uint64_t GetDataBytes() const { return static_cast<uint64_t>(m_dataEnd - m_dataStart); }

    // The most sample bytes one file takes (whole frames), set by BeginData.
    uint64_t m_dataByteLimit = 0;
    int64_t m_dataStart = 0;
    int64_t m_dataEnd = 0;

private:
    // Bytes packed before they go to the file in one write: a multiple of
    // every frame size (2, 3, 4, 6 and 8 bytes).
    static constexpr uint32_t kStagingSize = 24 * 8192;
    // What a write call leaves staged at most; more is written before the call
    // returns, so that the frames it reports have reached the file.
    static constexpr uint32_t kStagingKeep = 4096;

    // Writes the staged bytes; false when not all of them reached the file.
    bool FlushStaging();

    const ByteOrder m_byteOrder;
    uint16_t m_packChannels = 0;
    uint16_t m_packBits = 0;
    uint32_t m_frameBytes = 0;
    std::unique_ptr<uint8_t[]> m_staging = std::make_unique<uint8_t[]>(kStagingSize);
    uint32_t m_stagingFill = 0;
    bool m_writeFailed = false;
};
