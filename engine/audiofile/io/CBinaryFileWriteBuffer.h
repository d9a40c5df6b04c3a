#pragma once

#include <cstdint>
#include <vector>

// A growable byte buffer that a file header or tag is built in before it is
// written in one go. The write position may be set anywhere inside the
// buffer; writing past the end grows it (new bytes are zero).
class CBinaryFileWriteBuffer
{
public:
    CBinaryFileWriteBuffer() = default;
    virtual ~CBinaryFileWriteBuffer() = default;

    // Writes the low byteCount (1..8) bytes of value at the position, least
    // significant first, and advances the position.
    virtual void WriteUInt(uint64_t value, int byteCount);
    // Empties the buffer and sets the position to 0.
    virtual void Reset();

    // Copies length bytes to the position and advances it.
    void Append(const void* bytes, uint32_t length);

    uint32_t GetPosition() const { return m_position; }
    void SetPosition(uint32_t position) { m_position = position; }
    const uint8_t* GetData() const { return m_data.data(); }
    uint32_t GetSize() const { return static_cast<uint32_t>(m_data.size()); }

protected:
    // Drops everything from size on; the position is kept within the buffer.
    void Truncate(uint32_t size);

private:
    std::vector<uint8_t> m_data;
    uint32_t m_position = 0;
};
