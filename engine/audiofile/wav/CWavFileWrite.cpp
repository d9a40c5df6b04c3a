#include "engine/audiofile/wav/CWavFileWrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/io/CBinaryFileWriteBuffer.h"
#include "engine/audiofile/wav/CListInfoChunkCreate.h"

namespace
{
// Room kept below 4 GiB for what follows the samples: a pad byte, the "cue "
// chunk of at most 1024 points (24 588 bytes) and the "LIST" chunk of six
// texts of at most 128 bytes (840 bytes).
constexpr uint64_t kTrailerReserve = 32768;

uint32_t CueSampleOffset(double seconds, uint32_t rate)
{
    if (!(seconds > 0.0))
        return 0;
    const double offset = std::trunc((seconds + 0.0005) * rate);
    return offset >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(offset);
}
} // namespace

CWavFileWrite::CWavFileWrite()
    : CStagedPcmFileWrite(ByteOrder::LittleEndian)
{
}

CWavFileWrite::~CWavFileWrite()
{
    CWavFileWrite::Close();
}

const char* CWavFileWrite::GetFormatName()
{
    return "WAV";
}

WriterOpenResult CWavFileWrite::Open(const char16_t* path, uint32_t sampleRate, uint16_t bitsPerSample,
                                     uint16_t channelCount, uint32_t)
{
    Close();
    const uint64_t blockAlign = uint64_t(bitsPerSample / 8) * channelCount;
    const uint64_t byteRate = blockAlign * sampleRate;
    if ((bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32) ||
        (channelCount != 1 && channelCount != 2) || sampleRate == 0 || byteRate > 0xFFFFFFFFu)
        return WriterOpenResult::CannotCreate;
    if (CBinaryFile64::Open(path) < 0)
        return WriterOpenResult::CannotCreate;

    m_formatTag = bitsPerSample == 32 ? kFormatIeeeFloat : kFormatPcm;
    m_channelCount = channelCount;
    m_sampleRate = sampleRate;
    m_byteRate = static_cast<uint32_t>(byteRate);
    m_blockAlign = static_cast<uint16_t>(blockAlign);
    m_bitsPerSample = bitsPerSample;
    BeginData(kHeaderSize, channelCount, bitsPerSample, kTrailerReserve);

    if (!WriteHeader())
    {
        // Not even the header fits (a full disk): leave no file behind.
        DeleteCreatedFile();
        ResetWavFormat();
        return WriterOpenResult::CannotCreate;
    }
    return WriterOpenResult::Ok;
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
    IntToLittleEndianBytes(header + 40, GetDataBytes(), 4);
    Seek(0, SEEK_SET);
    return Write(header, kHeaderSize) == kHeaderSize;
}

bool CWavFileWrite::Close()
{
    bool ok = true;
    if (IsOpen())
    {
        ok = FinishData();

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
    ResetData();
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
