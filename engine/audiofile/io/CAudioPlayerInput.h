#pragma once

#include <cstdint>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMarker.h"

// The pull-source interface of the audio engine. Positions and lengths are
// frames (one sample per channel). A read delivers at most `frames` frames from
// the current position into each non-null channel buffer from `offset`, fills
// whatever it cannot deliver with silence, advances the position by what it
// delivered and returns that count. Integer samples are left-aligned in 32
// bits; float samples have full scale -1.0 to 1.0.
//
// Preparation: a source that needs time before its first read starts when
// Prepare is called; the caller polls IsPreparing until it answers false.
class CAudioPlayerInput
{
public:
    CAudioPlayerInput() = default;
    virtual ~CAudioPlayerInput() = default;

    CAudioPlayerInput(const CAudioPlayerInput&) = delete;
    CAudioPlayerInput& operator=(const CAudioPlayerInput&) = delete;

    virtual uint32_t GetSampleRate() = 0;
    virtual uint16_t GetBitsPerSample() = 0;
    virtual uint16_t GetChannelCount() = 0;
    // Default: sample rate x bits per sample x channel count.
    virtual uint32_t GetBitRate();
    virtual bool IsLossless();        // default true
    virtual bool IsCompressed();      // default false
    virtual bool IsVariableBitRate(); // default false
    // True when the samples are IEEE 32-bit floats. Default false.
    virtual bool IsFloat();

    virtual uint64_t GetLength() = 0;
    // Length - position; 0 at or past the end.
    virtual uint64_t GetRemaining();
    // The frame of the next read.
    virtual uint64_t GetPosition() = 0;
    // Moves to the frame (clamped to the length) and returns the new position.
    virtual uint64_t SetPosition(uint64_t frame) = 0;

    virtual double GetLengthInSeconds();
    virtual void GetLengthHourMinSec(int* hours, int* minutes, float* seconds);
    // Position as percent of the length; 0.0 when the length is 0.
    virtual double GetPositionPercent();
    virtual double GetPositionInSeconds();
    virtual void GetPositionHourMinSec(int* hours, int* minutes, float* seconds);
    // Moves to length x percent / 100 (truncated; negative gives 0) and
    // returns the new position as percent.
    virtual double SetPositionPercent(double percent);
    // Moves to rate x seconds (truncated; negative gives 0) and returns the
    // new position in seconds.
    virtual double SetPositionInSeconds(double seconds);

    // Default: fills bits / 8 bytes of each non-null channel from byte
    // bitOffset / 8 with the 1-bit idle pattern and returns 0.
    virtual uint32_t ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset);
    // Defaults: silence in every non-null channel, 0 frames delivered.
    virtual uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset);
    virtual uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset);

    virtual CMarker* GetMarker();
    virtual CAudioMetaData* GetMetaData();

    // True when the last read stopped short because the medium gave fewer
    // bytes than expected. Default false.
    virtual bool HasReadFailed();
    virtual bool IsPreparing();          // default false
    virtual void Prepare();              // default: nothing to do
    virtual double GetPrepareProgress(); // percent; default 0.0

protected:
    CMarker m_marker;
    CAudioMetaData m_metaData;
};
