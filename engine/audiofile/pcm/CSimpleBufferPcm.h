#pragma once

#include <cstdint>

// Per-channel float sample buffers (at most two channels), each 16-byte
// aligned and owned by the object. The capacity never changes.
class CSimpleBufferPcm
{
public:
    // channels is clamped to 2; every channel buffer holds frames floats,
    // zero-filled. A failed allocation leaves that channel's pointer null.
    CSimpleBufferPcm(uint16_t channels, uint32_t frames);
    virtual ~CSimpleBufferPcm();

    CSimpleBufferPcm(const CSimpleBufferPcm&) = delete;
    CSimpleBufferPcm& operator=(const CSimpleBufferPcm&) = delete;

    // Zeroes every sample of every channel; returns the frame capacity.
    virtual uint32_t Clear();

    uint16_t GetChannels() const { return m_channels; }
    uint32_t GetFrames() const { return m_frames; }
    // The channel pointers (two entries; null for an unused channel).
    float** GetBuffers() { return m_buffer; }
    float* GetChannel(uint16_t channel) { return channel < 2 ? m_buffer[channel] : nullptr; }

protected:
    float* m_buffer[2] = {nullptr, nullptr};
    uint16_t m_channels = 0;
    uint32_t m_frames = 0;
};
