#include "engine/audiofile/io/CBinaryFileWriteBuffer.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/foundation/NumberHelpers.h"

void CBinaryFileWriteBuffer::WriteUInt(uint64_t value, int byteCount)
{
    uint8_t bytes[8];
    byteCount = std::clamp(byteCount, 0, 8);
    IntToLittleEndianBytes(bytes, value, byteCount);
    Append(bytes, static_cast<uint32_t>(byteCount));
}

void CBinaryFileWriteBuffer::Reset()
{
    m_data.clear();
    m_position = 0;
}

void CBinaryFileWriteBuffer::Append(const void* bytes, uint32_t length)
{
    if (length == 0)
        return;
    const size_t end = size_t(m_position) + length;
    if (end > m_data.size())
        m_data.resize(end, 0);
    std::memcpy(m_data.data() + m_position, bytes, length);
    m_position = static_cast<uint32_t>(end);
}

void CBinaryFileWriteBuffer::Truncate(uint32_t size)
{
    if (size < m_data.size())
        m_data.resize(size);
    m_position = std::min(m_position, size);
}
