#pragma once

#include <cstdint>

#include "engine/audiofile/io/CAudioRecorderOutput.h"

// A sink that stores nothing: it keeps, per channel (at most 2), the largest
// and the smallest float sample written and the stream frame of each.
class CPeakValueDetectVirtualFile : public CAudioRecorderOutput
{
public:
    struct ChannelPeak
    {
        float maximum = 0.0f;
        uint64_t maximumFrame = 0;
        float minimum = 0.0f;
        uint64_t minimumFrame = 0;
    };

    // The channel count is clamped to at most 2.
    CPeakValueDetectVirtualFile(uint32_t sampleRate, uint16_t channelCount);

    void Cancel() override {}
    uint32_t GetSampleRate() override { return m_sampleRate; }
    uint16_t GetChannelCount() override { return m_channelCount; }
    uint16_t GetBitsPerSample() override { return m_bitsPerSample; }
    bool IsFloat() override { return false; }
    bool CanWrite() override { return true; }

    // Measures the samples; a sample equal to the current peak keeps the
    // earlier frame. Null channels are skipped; the frame count always advances.
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    // Converts the caller's buffers in place to floats (x 1 / 2^31) and
    // measures them as WriteFloat does.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    void UpdateMetaData() override {}

    // Copies the channel's record; zeros for a channel beyond the channel count.
    virtual void GetChannelPeak(ChannelPeak* out, uint16_t channel);
    // Starts a new measurement: frame count and both records back to zero.
    virtual void Reset();

    // The frame of the largest absolute peak over all channels (each channel's
    // maximum before its minimum; of equal peaks the later candidate wins).
    // 0 when there are no channels.
    uint64_t GetPeakFrame() const;

private:
    uint32_t m_sampleRate;
    uint16_t m_bitsPerSample = 32;
    uint16_t m_channelCount;
    ChannelPeak m_peaks[2];
    uint64_t m_framesWritten = 0;
};
