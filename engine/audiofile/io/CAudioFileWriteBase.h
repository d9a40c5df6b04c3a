#pragma once

#include <cstdint>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/io/CAudioRecorderOutput.h"
#include "engine/audiofile/io/WriterOpenResult.h"

// An audio-file writer: the file (created for writing) first, the output
// stream second.
class CAudioFileWriteBase : public CBinaryFile64, public CAudioRecorderOutput
{
public:
    CAudioFileWriteBase();
    ~CAudioFileWriteBase() override;

    // Creates the file. option carries a format's own setting (a bit rate
    // for compressed formats).
    virtual WriterOpenResult Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample,
                                  uint16_t channelCount, uint32_t option) = 0;
    // Finishes the headers and closes. False when any write of the file
    // failed (a full disk, for example); the file is closed either way.
    // True when nothing was open. Implementations close the file itself with
    // CBinaryFile64::Close(), which this hides.
    virtual bool Close() = 0;
    virtual const char* GetFormatName() = 0;
    // The current length of the file in bytes.
    virtual uint64_t GetFileSize();
    virtual uint64_t GetWrittenFrames() = 0;
    virtual void GetLengthHourMinSec(int* hours, int* minutes, float* seconds);
    // Written frames / sample rate; 0.0 when the rate is 0.
    virtual double GetLengthInSeconds();

    // When a file is open: Close (the headers are finished as usual), then
    // delete the file.
    void Cancel() override;

    // When a file is open: Close, then rename the file to newPath. The rename
    // never replaces an existing file. False when nothing was open, the
    // close failed or the rename failed (the file then keeps its old name).
    bool CloseAndRename(const char16_t* newPath);
};
