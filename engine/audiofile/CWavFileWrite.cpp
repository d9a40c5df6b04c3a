#include "engine/audiofile/CWavFileWrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>

#include "engine/audiofile/CBinaryFileWriteBuffer.h"
#include "engine/audiofile/CListInfoChunkCreate.h"
#include "engine/audiofile/NumberHelpers.h"
#include "engine/audiofile/PcmPacking.h"

namespace
{
// Room kept below 4 GiB for what follows the samples: a pad byte, the "cue "
// chunk of at most 1024 points (24 588 bytes) and the "LIST" chunk of six
// texts of at most 128 bytes (840 bytes).
constexpr uint64_t kTrailerReserve = 32768;
constexpr uint64_t kMaxFileLength = 0xFFFFFFFFu;

uint32_t CueSampleOffset(double seconds, uint32_t rate)
{
    if (!(seconds > 0.0))
        return 0;
    const double offset = std::trunc((seconds + 0.0005) * rate);
    return offset >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(offset);
}
} // namespace

CWavFileWrite::CWavFileWrite() = default;

CWavFileWrite::~CWavFileWrite()
{
    CWavFileWrite::Close();
}

const char* CWavFileWrite::GetFormatName()
{
    return "WAV";
}

int CWavFileWrite::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channelCount,
                        uint32_t)
{
    Close();
    const uint64_t blockAlign = uint64_t(bitsPerSample / 8) * channelCount;
    const uint64_t byteRate = blockAlign * sampleRate;
    if ((bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32) ||
        (channelCount != 1 && channelCount != 2) || sampleRate == 0 || byteRate > 0xFFFFFFFFu)
        return 2;
    if (CBinaryFile64::Open(path) < 0)
        return 2;

    m_formatTag = bitsPerSample == 32 ? kFormatIeeeFloat : kFormatPcm;
    m_channelCount = channelCount;
    m_sampleRate = sampleRate;
    m_byteRate = static_cast<uint32_t>(byteRate);
    m_blockAlign = static_cast<uint16_t>(blockAlign);
    m_bitsPerSample = bitsPerSample;
    m_dataStart = m_dataEnd = kHeaderSize;
    m_stagingFill = 0;
    m_writeFailed = false;
    const uint64_t room = kMaxFileLength - kHeaderSize - kTrailerReserve;
    m_dataByteLimit = room - room % blockAlign;

    if (!WriteHeader())
    {
        // Not even the header fits (a full disk): leave no file behind.
        const std::u16string created = GetPath();
        CBinaryFile64::Close();
        std::string narrow;
        if (PathToUtf8(created, narrow))
            ::unlink(narrow.c_str());
        ResetWavFormat();
        m_dataStart = m_dataEnd = 0;
        return 2;
    }
    return 0;
}

bool CWavFileWrite::WriteHeader()
{
    const int64_t length = GetFileLength();
    uint8_t header[kHeaderSize];
    std::memcpy(header, "RIFF", 4);
    IntToLittleEndianBytes(header + 4, static_cast<uint64_t>(length - 8), 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    IntToLittleEndianBytes(header + 16, 16, 4);
    IntToLittleEndianBytes(header + 20, m_formatTag, 2);
    IntToLittleEndianBytes(header + 22, m_channelCount, 2);
    IntToLittleEndianBytes(header + 24, m_sampleRate, 4);
    IntToLittleEndianBytes(header + 28, m_byteRate, 4);
    IntToLittleEndianBytes(header + 32, m_blockAlign, 2);
    IntToLittleEndianBytes(header + 34, m_bitsPerSample, 2);
    std::memcpy(header + 36, "data", 4);
    IntToLittleEndianBytes(header + 40, static_cast<uint64_t>(m_dataEnd - m_dataStart), 4);
    Seek(0, SEEK_SET);
    m_headerEnd = 12;
    return Write(header, kHeaderSize) == kHeaderSize;
}

bool CWavFileWrite::FlushStaging()
{
    if (m_stagingFill == 0)
        return true;
    const uint32_t written = Write(m_staging.get(), m_stagingFill);
    const bool complete = written == m_stagingFill;
    // Only whole frames count as data; the file position stays on the end of
    // the data so that a partly written frame is overwritten by what follows.
    m_dataEnd += written - written % m_blockAlign;
    Seek(m_dataEnd, SEEK_SET);
    m_stagingFill = 0;
    if (!complete)
        m_writeFailed = true;
    return complete;
}

uint32_t CWavFileWrite::WriteInt32(int32_t** channels, uint32_t frames)
{
    if (!IsOpen() || m_writeFailed || channels == nullptr || m_blockAlign == 0)
        return 0;
    const uint64_t used = uint64_t(m_dataEnd - m_dataStart) + m_stagingFill;
    const uint64_t room = m_dataByteLimit > used ? (m_dataByteLimit - used) / m_blockAlign : 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(frames, room));

    uint32_t accepted = 0;
    while (accepted < wanted)
    {
        const uint32_t k = std::min((kStagingSize - m_stagingFill) / m_blockAlign, wanted - accepted);
        PackLittleEndian(m_channelCount, m_staging.get() + m_stagingFill, channels, k, m_bitsPerSample, accepted);
        m_stagingFill += k * m_blockAlign;
        accepted += k;
        if (m_stagingFill + m_blockAlign <= kStagingSize && (accepted < wanted || m_stagingFill < kStagingKeep))
            continue;
        const uint32_t staged = m_stagingFill;
        const int64_t endBefore = m_dataEnd;
        if (!FlushStaging())
        {
            // The frames that did not reach the file are the latest ones.
            const uint32_t writtenBytes = static_cast<uint32_t>(m_dataEnd - endBefore);
            const uint32_t lost = (staged - writtenBytes) / m_blockAlign;
            return accepted - std::min(accepted, lost);
        }
    }
    return accepted;
}

uint32_t CWavFileWrite::WriteFloat(float** channels, uint32_t frames)
{
    if (m_formatTag == kFormatIeeeFloat)
        return WriteInt32(reinterpret_cast<int32_t**>(channels), frames);
    return WriteFloatAsInt32(channels, frames);
}

uint64_t CWavFileWrite::GetWrittenFrames()
{
    if (m_blockAlign == 0)
        return 0;
    const int64_t bytes = Tell() + int64_t(m_stagingFill) - m_dataStart;
    return bytes > 0 ? uint64_t(bytes) / m_blockAlign : 0;
}

bool CWavFileWrite::Close()
{
    bool ok = true;
    if (IsOpen())
    {
        ok = !m_writeFailed;
        ok = FlushStaging() && ok;
        Seek(m_dataEnd, SEEK_SET);
        // RIFF pads a chunk of odd size to an even length; other programs
        // expect the next chunk there.
        if (((m_dataEnd - m_dataStart) & 1) != 0)
            ok = WriteUInt(0, 1) == 1 && ok;

        const int markCount = std::min<int>(m_marker.GetCount(), kMaxCuePoints);
        if (markCount > 0)
        {
            CBinaryFileWriteBuffer cue;
            cue.Append("cue ", 4);
            cue.WriteUInt(24u * markCount + 4, 4);
            cue.WriteUInt(static_cast<uint32_t>(markCount), 4);
            for (int i = 0; i < markCount; ++i)
            {
                cue.WriteUInt(static_cast<uint32_t>(i + 1), 4);
                cue.WriteUInt(0, 4);
                cue.WriteUInt(0, 4);
                cue.WriteUInt(0, 4);
                cue.WriteUInt(0, 4);
                cue.WriteUInt(CueSampleOffset(m_marker.GetAt(i), m_sampleRate), 4);
            }
            ok = Write(cue.GetData(), cue.GetSize()) == cue.GetSize() && ok;
        }

        CListInfoChunkCreate info;
        info.CreateListInfo(m_metaData);
        if (info.HasTexts())
            ok = Write(info.GetData(), info.GetSize()) == info.GetSize() && ok;

        ok = WriteHeader() && ok;
        ok = CBinaryFile64::Close() == 0 && ok;
    }
    ResetWavFormat();
    m_headerEnd = m_dataStart = m_dataEnd = 0;
    m_stagingFill = 0;
    m_dataByteLimit = 0;
    m_writeFailed = false;
    return ok;
}

uint32_t CWavFileWrite::GetSampleRate()
{
    return m_sampleRate;
}

uint16_t CWavFileWrite::GetChannelCount()
{
    return m_channelCount;
}

uint16_t CWavFileWrite::GetBitsPerSample()
{
    return m_bitsPerSample;
}

bool CWavFileWrite::IsFloat()
{
    return m_formatTag == kFormatIeeeFloat;
}
