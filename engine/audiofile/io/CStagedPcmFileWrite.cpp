#include "engine/audiofile/io/CStagedPcmFileWrite.h"

#include <algorithm>
#include <string>

#include "engine/audiofile/pcm/PcmPacking.h"
#include "platform/files/FileSafety.h"

CStagedPcmFileWrite::CStagedPcmFileWrite(ByteOrder byteOrder)
    : m_byteOrder(byteOrder)
{
}

void CStagedPcmFileWrite::BeginData(int64_t dataStart, uint16_t channels, uint16_t bitsPerSample,
                                    uint64_t trailerReserve)
{
    m_packChannels = channels;
    m_packBits = bitsPerSample;
    m_frameBytes = uint32_t(bitsPerSample / 8) * channels;
    m_dataStart = m_dataEnd = dataStart;
    m_stagingFill = 0;
    m_writeFailed = false;
    const uint64_t room = kMaxFileLength - static_cast<uint64_t>(dataStart) - trailerReserve;
    m_dataByteLimit = m_frameBytes != 0 ? room - room % m_frameBytes : 0;
}

void CStagedPcmFileWrite::DeleteCreatedFile()
{
    const std::u16string created = GetPath();
    CBinaryFile64::Close();
    std::string narrow;
    if (PathToUtf8(created, narrow))
        (void)qm::platform::removeFile(narrow);
    ResetData();
}

void CStagedPcmFileWrite::ResetData()
{
    m_packChannels = 0;
    m_packBits = 0;
    m_frameBytes = 0;
    m_dataStart = m_dataEnd = 0;
    m_stagingFill = 0;
    m_dataByteLimit = 0;
    m_writeFailed = false;
}

bool CStagedPcmFileWrite::FlushStaging()
{
    if (m_stagingFill == 0)
        return true;
    const uint32_t written = Write(m_staging.get(), m_stagingFill);
    const bool complete = written == m_stagingFill;
    // Only whole frames count as data; the file position stays on the end of
    // the data so that a partly written frame is overwritten by what follows.
    m_dataEnd += written - written % m_frameBytes;
    Seek(m_dataEnd, SEEK_SET);
    m_stagingFill = 0;
    if (!complete)
        m_writeFailed = true;
    return complete;
}

bool CStagedPcmFileWrite::FinishData()
{
    bool ok = !m_writeFailed;
    ok = FlushStaging() && ok;
    Seek(m_dataEnd, SEEK_SET);
    // Both RIFF and IFF pad a chunk of odd size to an even length; other
    // programs expect the next chunk there.
    if (((m_dataEnd - m_dataStart) & 1) != 0)
        ok = WriteUInt(0, 1) == 1 && ok;
    return ok;
}

uint32_t CStagedPcmFileWrite::WriteInt32(int32_t** channels, uint32_t frames)
{
    const uint32_t frameBytes = m_frameBytes;
    if (!IsOpen() || m_writeFailed || channels == nullptr || frameBytes == 0)
        return 0;
    const uint64_t used = uint64_t(m_dataEnd - m_dataStart) + m_stagingFill;
    const uint64_t room = m_dataByteLimit > used ? (m_dataByteLimit - used) / frameBytes : 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(frames, room));
    const auto pack = m_byteOrder == ByteOrder::BigEndian ? &PackBigEndian : &PackLittleEndian;

    uint32_t accepted = 0;
    while (accepted < wanted)
    {
        const uint32_t k = std::min((kStagingSize - m_stagingFill) / frameBytes, wanted - accepted);
        pack(m_packChannels, m_staging.get() + m_stagingFill, channels, k, m_packBits, accepted);
        m_stagingFill += k * frameBytes;
        accepted += k;
        if (m_stagingFill + frameBytes <= kStagingSize && (accepted < wanted || m_stagingFill < kStagingKeep))
            continue;
        const uint32_t staged = m_stagingFill;
        const int64_t endBefore = m_dataEnd;
        if (!FlushStaging())
        {
            // The frames that did not reach the file are the latest ones.
            const uint32_t writtenBytes = static_cast<uint32_t>(m_dataEnd - endBefore);
            const uint32_t lost = (staged - writtenBytes) / frameBytes;
            return accepted - std::min(accepted, lost);
        }
    }
    return accepted;
}

uint32_t CStagedPcmFileWrite::WriteFloat(float** channels, uint32_t frames)
{
    if (IsFloat())
        return WriteInt32(reinterpret_cast<int32_t**>(channels), frames);
    return WriteFloatAsInt32(channels, frames);
}

uint64_t CStagedPcmFileWrite::GetWrittenFrames()
{
    if (m_frameBytes == 0 || !IsOpen())
        return 0;
    const int64_t bytes = Tell() + int64_t(m_stagingFill) - m_dataStart;
    return bytes > 0 ? uint64_t(bytes) / m_frameBytes : 0;
}
