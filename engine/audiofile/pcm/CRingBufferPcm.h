#pragma once

#include <atomic>
#include <cstdint>

#include "engine/audiofile/pcm/CSimpleBufferPcm.h"

// A power-of-two ring of per-channel float samples for one writer thread and
// one reader thread. The writer moves only the write index and the reader only
// the read index; both are atomics (release on store, acquire on load), so
// writer and reader may run at once under different locks.
//
// The slot at the read index has already been consumed; the next frame to read
// is at (read + 1) & mask and the next frame to write goes to the write index.
// An empty ring has write = read + 1, so the ring holds at most capacity - 2
// frames.
class CRingBufferPcm : public CSimpleBufferPcm
{
public:
    // frames must be a power of two (at least 4).
    CRingBufferPcm(uint16_t channels, uint32_t frames);
    ~CRingBufferPcm() override;

    // Zeroes all samples and empties the ring; returns the frame capacity.
    // Neither the writer nor the reader may run meanwhile.
    uint32_t Clear() override;

    // Copies as many frames as are free; the rest is dropped. source has a
    // pointer for every ring channel (a null one writes silence).
    void Write(const float* const* source, uint32_t frames);

    // Delivers up to frames frames; a null destination channel is consumed and
    // discarded. What the ring cannot deliver is zero-filled in every non-null
    // destination channel. Returns the frames that came from the ring.
    uint32_t Read(float* const* destination, uint32_t frames);

    // Filled frames / capacity x 100, in 0..100.
    double GetFillPercent() const;

    uint32_t GetFilledFrames() const;
    uint32_t GetFreeFrames() const;

protected:
    std::atomic<uint32_t> m_read{0};
    std::atomic<uint32_t> m_write{1};
    uint32_t m_mask = 0;
};
