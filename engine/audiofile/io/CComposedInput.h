#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/audiofile/io/CAudioPlayerInput.h"

// The base of the input streams made of other input streams (the files of a
// track, the tracks of a section, the sections of a song): the format and the
// metadata are those of the first part, and the preparation is answered over
// all parts.
class CComposedInput : public CAudioPlayerInput
{
public:
    uint32_t GetSampleRate() override;    // 44100 without parts
    uint16_t GetBitsPerSample() override; // 16 without parts
    // The first part's; bits per sample x sample rate without parts.
    uint32_t GetBitRate() override;
    bool IsLossless() override;        // true without parts
    bool IsCompressed() override;      // false without parts
    bool IsVariableBitRate() override; // false without parts
    bool IsFloat() override;           // false without parts
    // The first part's; the stream's own (empty) metadata without parts.
    CAudioMetaData* GetMetaData() override;
    // True when any part is still preparing.
    bool IsPreparing() override;
    // Starts the preparation of every part, from the last to the first.
    void Prepare() override;
    // The mean progress (percent) of the parts that are preparing; 0.0 when
    // none is.
    double GetPrepareProgress() override;

protected:
    virtual size_t GetPartCount() const = 0;
    // Part index (below GetPartCount()).
    virtual CAudioPlayerInput* GetPart(size_t index) const = 0;

private:
    CAudioPlayerInput* FirstPart() const { return GetPartCount() > 0 ? GetPart(0) : nullptr; }
};
