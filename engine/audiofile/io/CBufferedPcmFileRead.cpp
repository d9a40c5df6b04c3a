#include "engine/audiofile/io/CBufferedPcmFileRead.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine/audiofile/pcm/PcmBuffers.h"

namespace
{
void ZeroIntChannels(uint16_t channels, int32_t** buffers, uint32_t from, uint32_t count)
{
    if (buffers == nullptr || count == 0)
        return;
    for (uint16_t c = 0; c < channels; ++c)
        if (buffers[c] != nullptr)
            std::memset(buffers[c] + from, 0, sizeof(int32_t) * count);
}
} // namespace

void CBufferedPcmFileRead::SetData(int64_t dataStart, int64_t dataEnd)
{
    m_dataStart = m_rangeStart = dataStart;
    m_dataEnd = m_rangeEnd = dataEnd;
}

void CBufferedPcmFileRead::StartAtData()
{
    Seek(m_dataStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
}

void CBufferedPcmFileRead::ResetData()
{
    m_dataStart = m_dataEnd = m_rangeStart = m_rangeEnd = 0;
    std::memset(m_buffer.get(), 0, kBufferSize);
    EmptyBuffer();
    m_readFailed = false;
}

void CBufferedPcmFileRead::EmptyBuffer()
{
    m_bufferFill = 0;
    m_bufferRead = 0;
}

uint64_t CBufferedPcmFileRead::GetLength()
{
    const uint32_t frameBytes = FrameBytes();
    if (frameBytes == 0 || m_rangeEnd <= m_rangeStart)
        return 0;
    return uint64_t(m_rangeEnd - m_rangeStart) / frameBytes;
}

uint64_t CBufferedPcmFileRead::GetPosition()
{
    std::lock_guard lock(m_lock.m_section);
    const uint32_t frameBytes = FrameBytes();
    const int64_t bytes = Tell() - int64_t(m_bufferFill) + int64_t(m_bufferRead) - m_rangeStart;
    if (bytes <= 0 || frameBytes == 0)
        return 0;
    return uint64_t(bytes) / frameBytes;
}

uint64_t CBufferedPcmFileRead::GetRangeStart()
{
    const uint32_t frameBytes = FrameBytes();
    if (frameBytes == 0 || m_rangeStart <= m_dataStart)
        return 0;
    return uint64_t(m_rangeStart - m_dataStart) / frameBytes;
}

void CBufferedPcmFileRead::SetRange(uint64_t startFrame, uint64_t endFrame)
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t frameBytes = FrameBytes();
    if (frameBytes == 0 || !IsOpen())
        return;
    const int64_t frames = (m_dataEnd - m_dataStart) / frameBytes;
    const int64_t start = std::clamp<int64_t>(static_cast<int64_t>(startFrame), 0, frames);
    int64_t end = static_cast<int64_t>(endFrame);
    if (end >= frames)
        end = frames;
    m_rangeStart = m_dataStart + start * frameBytes;
    m_rangeEnd = start < end ? m_dataStart + end * frameBytes : m_dataEnd;
    RangeChanged();
    Seek(m_rangeStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
}

uint64_t CBufferedPcmFileRead::SetPosition(uint64_t frame)
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t length = static_cast<int64_t>(GetLength());
    const int64_t target = std::clamp<int64_t>(static_cast<int64_t>(frame), 0, length);
    Seek(m_rangeStart + target * FrameBytes(), SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
    return GetPosition();
}

bool CBufferedPcmFileRead::HasReadFailed()
{
    return m_readFailed;
}

uint32_t CBufferedPcmFileRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    std::lock_guard lock(m_lock.m_section);
    int32_t* none[2] = {nullptr, nullptr};
    int32_t** target = channels != nullptr ? channels : none;
    const uint32_t frameBytes = FrameBytes();
    uint32_t delivered = 0;
    if (IsOpen() && frameBytes != 0)
    {
        for (;;)
        {
            const uint32_t unreadFrames = (m_bufferFill - m_bufferRead) / frameBytes;
            const uint32_t k = std::min(unreadFrames, frames - delivered);
            if (k > 0)
            {
                UnpackSamples(m_buffer.get() + m_bufferRead, target, k, offset + delivered);
                delivered += k;
                m_bufferRead += k * frameBytes;
            }
            if (delivered == frames)
                return frames;
            const int64_t position = Tell();
            if (position >= m_rangeEnd)
                break;
            const uint32_t want =
                static_cast<uint32_t>(std::min<int64_t>(m_rangeEnd - position, kBufferSize - kBufferSize % frameBytes));
            const uint32_t got = Read(m_buffer.get(), want);
            m_bufferFill = got;
            m_bufferRead = 0;
            if (got < want)
            {
                // Keep whole frames only, and the file position on a frame,
                // so that a later read goes on at the right sample; the
                // frames that did arrive are delivered now.
                const uint32_t partial = got % frameBytes;
                m_bufferFill = got - partial;
                Seek(-int64_t(partial), SEEK_CUR);
                m_readFailed = true;
                const uint32_t rest = std::min(m_bufferFill / frameBytes, frames - delivered);
                if (rest > 0)
                {
                    UnpackSamples(m_buffer.get(), target, rest, offset + delivered);
                    delivered += rest;
                    m_bufferRead += rest * frameBytes;
                }
                break;
            }
        }
    }
    ZeroIntChannels(GetChannelCount(), channels, offset + delivered, frames - delivered);
    return delivered;
}

uint32_t CBufferedPcmFileRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    int32_t** integers = reinterpret_cast<int32_t**>(channels);
    const uint32_t delivered = ReadInt32(integers, frames, offset);
    if (channels != nullptr && !IsFloat())
        Int32ToFloat(GetChannelCount(), integers, channels, delivered, offset);
    return delivered;
}
