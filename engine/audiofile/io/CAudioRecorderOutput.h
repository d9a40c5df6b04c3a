#pragma once

#include <cstdint>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMarker.h"

// The push-sink interface of the audio engine. A sink receives its marks and
// metadata (GetMarker, GetMetaData) before the first sample; UpdateMetaData is
// called when the metadata changed after that. A write returns the frames it
// accepted; fewer than given means it failed. Cancel abandons the sink and
// removes what was written.
class CAudioRecorderOutput
{
public:
    CAudioRecorderOutput() = default;
    virtual ~CAudioRecorderOutput() = default;

    CAudioRecorderOutput(const CAudioRecorderOutput&) = delete;
    CAudioRecorderOutput& operator=(const CAudioRecorderOutput&) = delete;

    virtual void Cancel() = 0;
    virtual uint32_t GetSampleRate() = 0;
    virtual uint16_t GetChannelCount() = 0;
    virtual uint16_t GetBitsPerSample() = 0;
    // True when the sink stores IEEE 32-bit floats. Default false.
    virtual bool IsFloat();
    virtual bool CanWrite(); // default true

    // Defaults: nothing accepted.
    virtual uint32_t WriteDsd(uint8_t** channels, uint32_t count);
    // Integer samples left-aligned in 32 bits.
    virtual uint32_t WriteInt32(int32_t** channels, uint32_t frames);
    // An integer sink converts the caller's buffers in place to 32-bit
    // integers (see WriteFloatAsInt32), so they hold integers afterwards.
    virtual uint32_t WriteFloat(float** channels, uint32_t frames);

    virtual CMarker* GetMarker();
    virtual CAudioMetaData* GetMetaData();
    virtual void UpdateMetaData(); // default: nothing to do

protected:
    // For integer sinks: converts GetChannelCount() channels of floats in place
    // to left-aligned 32-bit integers with clipping, then writes them through
    // WriteInt32 and returns its result. Null channels are skipped.
    uint32_t WriteFloatAsInt32(float** channels, uint32_t frames);

    CMarker m_marker;
    CAudioMetaData m_metaData;
};
