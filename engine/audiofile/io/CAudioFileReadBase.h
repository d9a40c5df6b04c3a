#pragma once

#include <cstdint>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/audiofile/io/ReaderOpenResult.h"

// An audio-file reader: the file (opened for reading) first, the input stream
// second. Concrete readers supply Open, Close, the format name and the range.
class CAudioFileReadBase : public CBinaryFile64, public CAudioPlayerInput
{
public:
    CAudioFileReadBase();
    ~CAudioFileReadBase() override;

    // Opens the file (closing any earlier one). Every failure leaves the
    // reader closed.
    virtual ReaderOpenResult Open(const char16_t* path) = 0;
    // Closes the reader; implementations close the file itself with
    // CBinaryFile64::Close(), which this hides.
    virtual void Close() = 0;
    virtual const char* GetFormatName() = 0;
    // The identity of the medium the reader is bound to; 0 for files.
    virtual int GetDiscId();
    // Restricts reading to frames [startFrame, endFrame) of the file.
    virtual void SetRange(uint64_t startFrame, uint64_t endFrame) = 0;
    virtual uint64_t GetRangeStart() = 0;
    // GetRangeStart + GetPosition.
    virtual uint64_t GetAbsolutePosition();
    // The size of a picture carried in the file's tags; 0 without one.
    virtual uint32_t GetPictureDataSize();
    // Default: zero-fills the buffer and returns 0.
    virtual int ReadPictureData(uint8_t* buffer, uint32_t size);

protected:
    // The sample rates the file readers accept: 44100, 48000, 88200, 96000,
    // 176400 and 192000 Hz.
    static bool IsAcceptedSampleRate(uint32_t rate);
    // Replaces the metadata's date and time with the file's last-write date
    // and time; when those cannot be read both stay empty.
    void ReadFileDateTime();
};
