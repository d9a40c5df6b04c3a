#include "engine/audiofile/CWavFileRead.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "engine/audiofile/EngineText.h"
#include "engine/audiofile/LegacyText.h"
#include "engine/audiofile/NumberHelpers.h"
#include "engine/audiofile/PcmBuffers.h"
#include "engine/audiofile/PcmPacking.h"
#include "engine/audiofile/Utf8ToWide.h"

namespace
{
// The last 12 bytes of the sub-format GUID shared by the standard formats;
// the first four bytes are the format tag.
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool IsAcceptedRate(uint32_t rate)
{
    switch (rate)
    {
    case 44100:
    case 48000:
    case 88200:
    case 96000:
    case 176400:
    case 192000:
        return true;
    default:
        return false;
    }
}

struct InfoText
{
    const char* id;
    int field;
};

constexpr InfoText kInfoTexts[] = {
    {"INAM", CAudioMetaData::kTitle},    {"IART", CAudioMetaData::kArtist},   {"IGNR", CAudioMetaData::kGenre},
    {"IARL", CAudioMetaData::kLocation}, {"ISFT", CAudioMetaData::kSoftware}, {"ICRD", CAudioMetaData::kDate},
};

void ZeroIntChannels(uint16_t channels, int32_t** buffers, uint32_t from, uint32_t count)
{
    if (buffers == nullptr || count == 0)
        return;
    for (uint16_t c = 0; c < channels; ++c)
        if (buffers[c] != nullptr)
            std::memset(buffers[c] + from, 0, sizeof(int32_t) * count);
}
} // namespace

CWavFileRead::CWavFileRead() = default;

CWavFileRead::~CWavFileRead()
{
    CWavFileRead::Close();
}

const char* CWavFileRead::GetFormatName()
{
    return "WAV";
}

void CWavFileRead::Close()
{
    std::lock_guard lock(m_lock.m_section);
    CBinaryFile64::Close();
    ResetWavFormat();
    m_metaData.Clear();
    m_marker.Clear();
    m_headerEnd = m_dataStart = m_dataEnd = m_rangeStart = m_rangeEnd = 0;
    m_infoStart = m_infoEnd = m_cueStart = m_cueEnd = 0;
    m_cueOffsets.clear();
    std::memset(m_buffer.get(), 0, kBufferSize);
    EmptyBuffer();
    m_readFailed = false;
}

void CWavFileRead::EmptyBuffer()
{
    m_bufferFill = 0;
    m_bufferRead = 0;
}

int CWavFileRead::Open(const char16_t* path)
{
    std::lock_guard lock(m_lock.m_section);
    Close();
    if (CBinaryFile64::Open(path) < 0)
        return 2;

    char riff[4] = {};
    char wave[4] = {};
    Read(riff, 4);
    ReadUInt(4);
    Read(wave, 4);
    if (!FourCharCodeEquals(riff, "RIFF") || !FourCharCodeEquals(wave, "WAVE"))
    {
        Close();
        return 4;
    }
    m_headerEnd = Tell();
    const int64_t fileLength = GetFileLength();

    if (!ReadFormatChunk())
    {
        Close();
        return 3;
    }

    Seek(m_headerEnd, SEEK_SET);
    if (FindRiffChunk("data", -1) < 8)
    {
        Close();
        return 4;
    }
    Read(m_dataChunkId, 4);
    m_dataSize = static_cast<uint32_t>(ReadUInt(4));
    m_dataStart = Tell();
    // The stated size is untrusted: the data ends at the end of the file at
    // the latest, on a whole frame.
    int64_t dataBytes = std::min<int64_t>(m_dataSize, std::max<int64_t>(fileLength - m_dataStart, 0));
    dataBytes -= dataBytes % m_blockAlign;
    m_dataEnd = m_dataStart + dataBytes;
    m_rangeStart = m_dataStart;
    m_rangeEnd = m_dataEnd;

    Seek(m_headerEnd, SEEK_SET);
    const uint64_t infoSize = FindRiffListInfo();
    if (infoSize >= 12)
    {
        const int64_t chunk = Tell();
        m_infoStart = chunk + 12;
        m_infoEnd = std::min<int64_t>(chunk + static_cast<int64_t>(infoSize), fileLength);
        if (m_infoEnd < m_infoStart)
            m_infoStart = m_infoEnd = 0;
    }

    Seek(m_headerEnd, SEEK_SET);
    const uint64_t cueSize = FindRiffChunk("cue ", -1);
    if (cueSize >= 12)
    {
        const int64_t chunk = Tell();
        m_cueStart = chunk + 12;
        m_cueEnd = std::min<int64_t>(chunk + static_cast<int64_t>(cueSize), fileLength);
        if (m_cueEnd < m_cueStart)
            m_cueStart = m_cueEnd = 0;
    }
    ReadCuePoints();

    ReadListInfo();
    if (m_metaData.GetYear() == -1)
        ReadFileDateTime();
    BuildMarks();

    Seek(m_dataStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
    return 0;
}

bool CWavFileRead::ReadFormatChunk()
{
    Seek(m_headerEnd, SEEK_SET);
    const uint64_t size = FindRiffChunk("fmt ", -1);
    if (size < 24)
        return false;
    Read(m_formatChunkId, 4);
    m_formatChunkSize = static_cast<uint32_t>(ReadUInt(4));
    m_formatTag = static_cast<uint16_t>(ReadUInt(2));
    m_channelCount = static_cast<uint16_t>(ReadUInt(2));
    m_sampleRate = static_cast<uint32_t>(ReadUInt(4));
    m_byteRate = static_cast<uint32_t>(ReadUInt(4));
    m_blockAlign = static_cast<uint16_t>(ReadUInt(2));
    m_bitsPerSample = static_cast<uint16_t>(ReadUInt(2));

    if (m_formatTag == kFormatExtensible)
    {
        // The extensible header names the real format by a sub-format GUID.
        // PCM and IEEE float in it are ordinary files; anything else is refused.
        if (size < 8 + 40)
            return false;
        const uint64_t extensionSize = ReadUInt(2);
        const uint64_t validBits = ReadUInt(2);
        ReadUInt(4); // speaker positions: 1 or 2 channels need no mapping
        uint8_t subFormat[16] = {};
        if (extensionSize < 22 || Read(subFormat, 16) != 16)
            return false;
        if (std::memcmp(subFormat + 4, kSubFormatTail, sizeof kSubFormatTail) != 0)
            return false;
        const uint64_t subTag = LittleEndianBytesToInt(subFormat, 4);
        if ((subTag != kFormatPcm && subTag != kFormatIeeeFloat) || validBits > m_bitsPerSample)
            return false;
        m_formatTag = static_cast<uint16_t>(subTag);
    }

    const bool sampleFormatAccepted = (m_formatTag == kFormatPcm && m_bitsPerSample == 16) ||
                                      (m_formatTag == kFormatPcm && m_bitsPerSample == 24) ||
                                      (m_formatTag == kFormatIeeeFloat && m_bitsPerSample == 32);
    const uint64_t frameBytes = uint64_t(m_bitsPerSample / 8) * m_channelCount;
    return sampleFormatAccepted && (m_channelCount == 1 || m_channelCount == 2) && IsAcceptedRate(m_sampleRate) &&
           frameBytes == m_blockAlign && frameBytes * m_sampleRate == m_byteRate;
}

void CWavFileRead::ReadListInfo()
{
    m_metaData.Clear();
    if (m_infoStart == 0)
        return;
    const int64_t saved = Tell();
    for (const InfoText& info : kInfoTexts)
    {
        CMultiString* field = m_metaData.GetField(info.field);
        Seek(m_infoStart, SEEK_SET);
        const uint64_t size = FindRiffChunk(info.id, m_infoEnd - m_infoStart);
        if (size < 8)
            continue;
        const int64_t body = Tell() + 8;
        const int64_t present = std::max<int64_t>(m_infoEnd - body, 0);
        const uint32_t count =
            static_cast<uint32_t>(std::min<int64_t>({int64_t(field->GetCapacity()), int64_t(size - 8), present}));
        char text[CAudioMetaData::kFieldCapacity + 1] = {};
        Seek(body, SEEK_SET);
        const uint32_t got = Read(text, std::min<uint32_t>(count, CAudioMetaData::kFieldCapacity));
        const uint32_t length = static_cast<uint32_t>(strnlen(text, got));
        // INFO texts are UTF-8 in files of current programs. Bytes that are
        // not (older files) are in their writer's code page, taken as the
        // user interface language's, rather than cut at the first such byte.
        char16_t wide[CAudioMetaData::kFieldCapacity + 1] = {};
        Utf8Result result = Utf8Result::Ok;
        Utf8ToWide(wide, CAudioMetaData::kFieldCapacity + 1, text, length, &result);
        // A sequence left open is only the cut at the field's capacity.
        const bool cutAtCapacity = length == CAudioMetaData::kFieldCapacity;
        if (result == Utf8Result::SourceIllegal || (result == Utf8Result::SourceExhausted && !cutAtCapacity))
        {
            LegacyBytesToWide(wide, CAudioMetaData::kFieldCapacity + 1, text, length);
            field->SetWide(-1, wide);
        }
        else
        {
            field->SetNarrow(static_cast<int>(length), text);
        }
    }
    Seek(saved, SEEK_SET);
}

void CWavFileRead::ReadCuePoints()
{
    m_cueOffsets.clear();
    if (m_cueStart == 0)
        return;
    // The record count comes from the bytes really present (the count field
    // in the chunk is not used), bounded so that a file cannot make the
    // reader build an unbounded list.
    const uint64_t records = std::min<uint64_t>(uint64_t(m_cueEnd - m_cueStart) / 24, kMaxCuePoints);
    if (records == 0)
        return;
    std::vector<uint8_t> bytes(records * 24);
    const int64_t saved = Tell();
    Seek(m_cueStart, SEEK_SET);
    const uint32_t got = Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Seek(saved, SEEK_SET);
    for (uint64_t i = 0; i < got / 24; ++i)
        m_cueOffsets.push_back(static_cast<uint32_t>(LittleEndianBytesToInt(&bytes[i * 24 + 20], 4)));
}

void CWavFileRead::BuildMarks()
{
    m_marker.Clear();
    if (m_sampleRate == 0 || m_blockAlign == 0)
        return;
    const uint64_t rangeStartFrame = GetRangeStart();
    const uint64_t rangeEndFrame = rangeStartFrame + GetLength();
    const double rate = m_sampleRate;
    for (const uint32_t offset : m_cueOffsets)
    {
        if (offset < rangeStartFrame || offset >= rangeEndFrame)
            continue;
        const double seconds = double(offset) / rate - double(rangeStartFrame) / rate;
        m_marker.Add(std::trunc(seconds * 1000.0) * 0.001);
    }
}

uint32_t CWavFileRead::GetSampleRate()
{
    return m_sampleRate;
}

uint16_t CWavFileRead::GetBitsPerSample()
{
    return m_bitsPerSample;
}

uint16_t CWavFileRead::GetChannelCount()
{
    return m_channelCount;
}

bool CWavFileRead::IsFloat()
{
    return m_formatTag == kFormatIeeeFloat;
}

uint64_t CWavFileRead::GetLength()
{
    if (m_blockAlign == 0 || m_rangeEnd <= m_rangeStart)
        return 0;
    return uint64_t(m_rangeEnd - m_rangeStart) / m_blockAlign;
}

uint64_t CWavFileRead::GetPosition()
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t bytes = Tell() - int64_t(m_bufferFill) + int64_t(m_bufferRead) - m_rangeStart;
    if (bytes <= 0 || m_blockAlign == 0)
        return 0;
    return uint64_t(bytes) / m_blockAlign;
}

uint64_t CWavFileRead::GetRangeStart()
{
    if (m_blockAlign == 0 || m_rangeStart <= m_dataStart)
        return 0;
    return uint64_t(m_rangeStart - m_dataStart) / m_blockAlign;
}

void CWavFileRead::SetRange(uint64_t startFrame, uint64_t endFrame)
{
    std::lock_guard lock(m_lock.m_section);
    if (m_blockAlign == 0)
        return;
    const int64_t frames = (m_dataEnd - m_dataStart) / m_blockAlign;
    int64_t start = static_cast<int64_t>(startFrame);
    int64_t end = static_cast<int64_t>(endFrame);
    start = std::clamp<int64_t>(start, 0, frames);
    if (end >= frames)
        end = frames;
    m_rangeStart = m_dataStart + start * m_blockAlign;
    m_rangeEnd = start < end ? m_dataStart + end * m_blockAlign : m_dataEnd;
    BuildMarks();
    Seek(m_rangeStart, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
}

uint64_t CWavFileRead::SetPosition(uint64_t frame)
{
    std::lock_guard lock(m_lock.m_section);
    const int64_t length = static_cast<int64_t>(GetLength());
    const int64_t target = std::clamp<int64_t>(static_cast<int64_t>(frame), 0, length);
    Seek(m_rangeStart + target * m_blockAlign, SEEK_SET);
    EmptyBuffer();
    m_readFailed = false;
    return GetPosition();
}

bool CWavFileRead::HasReadFailed()
{
    return m_readFailed;
}

uint32_t CWavFileRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    std::lock_guard lock(m_lock.m_section);
    int32_t* none[2] = {nullptr, nullptr};
    int32_t** target = channels != nullptr ? channels : none;
    uint32_t delivered = 0;
    if (IsOpen() && m_blockAlign != 0)
    {
        for (;;)
        {
            const uint32_t unreadFrames = (m_bufferFill - m_bufferRead) / m_blockAlign;
            const uint32_t k = std::min(unreadFrames, frames - delivered);
            if (k > 0)
            {
                UnpackLittleEndian(m_channelCount, target, m_buffer.get() + m_bufferRead, k, m_bitsPerSample,
                                   offset + delivered);
                delivered += k;
                m_bufferRead += k * m_blockAlign;
            }
            if (delivered == frames)
                return frames;
            const int64_t position = Tell();
            if (position >= m_rangeEnd)
                break;
            const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(m_rangeEnd - position, kBufferSize - kBufferSize % m_blockAlign));
            const uint32_t got = Read(m_buffer.get(), want);
            m_bufferFill = got;
            m_bufferRead = 0;
            if (got < want)
            {
                // Keep whole frames only, and the file position on a frame,
                // so that a later read goes on at the right sample.
                const uint32_t partial = got % m_blockAlign;
                m_bufferFill = got - partial;
                Seek(-int64_t(partial), SEEK_CUR);
                m_readFailed = true;
                break;
            }
        }
    }
    ZeroIntChannels(m_channelCount, channels, offset + delivered, frames - delivered);
    return delivered;
}

uint32_t CWavFileRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    int32_t** integers = reinterpret_cast<int32_t**>(channels);
    const uint32_t delivered = ReadInt32(integers, frames, offset);
    if (channels != nullptr && m_formatTag == kFormatPcm)
        Int32ToFloat(m_channelCount, integers, channels, delivered, offset);
    return delivered;
}
