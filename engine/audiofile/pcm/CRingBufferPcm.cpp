#include "engine/audiofile/pcm/CRingBufferPcm.h"

#include <algorithm>

#include "engine/audiofile/pcm/PcmBuffers.h"

CRingBufferPcm::CRingBufferPcm(uint16_t channels, uint32_t frames)
    : CSimpleBufferPcm(channels, frames),
      m_mask(frames != 0 ? frames - 1 : 0)
{
    CRingBufferPcm::Clear();
}

CRingBufferPcm::~CRingBufferPcm() = default;

uint32_t CRingBufferPcm::Clear()
{
    CSimpleBufferPcm::Clear();
    m_read.store(0, std::memory_order_release);
    m_write.store(1, std::memory_order_release);
    return m_frames;
}

uint32_t CRingBufferPcm::GetFilledFrames() const
{
    const uint32_t read = m_read.load(std::memory_order_acquire);
    const uint32_t write = m_write.load(std::memory_order_acquire);
    return (write - read - 1) & m_mask;
}

uint32_t CRingBufferPcm::GetFreeFrames() const
{
    const uint32_t read = m_read.load(std::memory_order_acquire);
    const uint32_t write = m_write.load(std::memory_order_acquire);
    return (read - write - 1) & m_mask;
}

double CRingBufferPcm::GetFillPercent() const
{
    if (m_frames == 0)
        return 0.0;
    const double percent = static_cast<double>(GetFilledFrames()) / m_frames * 100.0;
    return std::clamp(percent, 0.0, 100.0);
}

void CRingBufferPcm::Write(const float* const* source, uint32_t frames)
{
    // Only the writer moves the write index; the reader's index is read with
    // acquire so that the slots it has released may be overwritten.
    uint32_t write = m_write.load(std::memory_order_relaxed);
    uint32_t copied = 0;
    while (copied < frames)
    {
        const uint32_t free = (m_read.load(std::memory_order_acquire) - write - 1) & m_mask;
        if (free == 0)
            break;
        // One contiguous run up to the end of the buffer at a time.
        const uint32_t k = std::min({frames - copied, free, m_frames - write});
        for (uint16_t ch = 0; ch < m_channels; ++ch)
        {
            if (m_buffer[ch] == nullptr)
                continue;
            if (source[ch] == nullptr)
                std::fill_n(m_buffer[ch] + write, k, 0.0f);
            else
                std::copy_n(source[ch] + copied, k, m_buffer[ch] + write);
        }
        copied += k;
        write = (write + k) & m_mask;
        m_write.store(write, std::memory_order_release);
    }
}

uint32_t CRingBufferPcm::Read(float* const* destination, uint32_t frames)
{
    // Only the reader moves the read index; the write index is read with
    // acquire so that the samples written before it are visible.
    uint32_t read = m_read.load(std::memory_order_relaxed);
    uint32_t delivered = 0;
    while (delivered < frames)
    {
        const uint32_t avail = (m_write.load(std::memory_order_acquire) - read - 1) & m_mask;
        if (avail == 0)
        {
            ClearChannelBuffers(m_channels, destination, frames - delivered, delivered);
            return delivered;
        }
        const uint32_t start = (read + 1) & m_mask;
        const uint32_t k = std::min({frames - delivered, avail, m_frames - start});
        for (uint16_t ch = 0; ch < m_channels; ++ch)
        {
            if (destination[ch] == nullptr)
                continue;
            if (m_buffer[ch] == nullptr)
                std::fill_n(destination[ch] + delivered, k, 0.0f);
            else
                std::copy_n(m_buffer[ch] + start, k, destination[ch] + delivered);
        }
        delivered += k;
        read = (read + k) & m_mask;
        m_read.store(read, std::memory_order_release);
    }
    return delivered;
}
