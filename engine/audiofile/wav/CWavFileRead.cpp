#include "engine/audiofile/wav/CWavFileRead.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/foundation/Utf8ToWide.h"
#include "engine/audiofile/pcm/PcmPacking.h"
#include "engine/audiofile/tags/LegacyText.h"

namespace
{
// The last 12 bytes of the sub-format GUID shared by the standard formats;
// the first four bytes are the format tag.
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct InfoText
{
    const char* id;
    int field;
};

constexpr InfoText kInfoTexts[] = {
    {"INAM", CAudioMetaData::kTitle},    {"IART", CAudioMetaData::kArtist},   {"IGNR", CAudioMetaData::kGenre},
    {"IARL", CAudioMetaData::kLocation}, {"ISFT", CAudioMetaData::kSoftware}, {"ICRD", CAudioMetaData::kDate},
};
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
    m_headerEnd = 0;
    m_infoStart = m_infoEnd = m_cueStart = m_cueEnd = 0;
    m_cueOffsets.clear();
    ResetData();
}

ReaderOpenResult CWavFileRead::Open(const char16_t* path)
{
    std::lock_guard lock(m_lock.m_section);
    Close();
    if (CBinaryFile64::Open(path) < 0)
        return ReaderOpenResult::CannotOpen;

    char riff[4] = {};
    char wave[4] = {};
    Read(riff, 4);
    ReadUInt(4);
    Read(wave, 4);
    if (!FourCharCodeEquals(riff, "RIFF") || !FourCharCodeEquals(wave, "WAVE"))
    {
        Close();
        return ReaderOpenResult::NoUsableAudio;
    }
    m_headerEnd = Tell();
    const int64_t fileLength = GetFileLength();

    if (!ReadFormatChunk())
    {
        Close();
        return ReaderOpenResult::FormatNotAccepted;
    }

    Seek(m_headerEnd, SEEK_SET);
    if (FindRiffChunk("data", -1) < 8)
    {
        Close();
        return ReaderOpenResult::NoUsableAudio;
    }
    Read(m_dataChunkId, 4);
    m_dataSize = static_cast<uint32_t>(ReadUInt(4));
    const int64_t dataStart = Tell();
    // The stated size is untrusted: the data ends at the end of the file at
    // the latest, on a whole frame.
    int64_t dataBytes = std::min<int64_t>(m_dataSize, std::max<int64_t>(fileLength - dataStart, 0));
    dataBytes -= dataBytes % m_blockAlign;
    SetData(dataStart, dataStart + dataBytes);

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

    StartAtData();
    return ReaderOpenResult::Ok;
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
    return sampleFormatAccepted && (m_channelCount == 1 || m_channelCount == 2) && IsAcceptedSampleRate(m_sampleRate) &&
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
        // The field holds 128 UTF-16 units; in UTF-8 that is up to 3 bytes a
        // unit (4 bytes for a pair of two), so up to 384 bytes are read and
        // the text is cut at 128 units, never inside a character.
        constexpr uint32_t kMaxBytes = CAudioMetaData::kFieldCapacity * 3;
        const uint32_t count =
            static_cast<uint32_t>(std::min<int64_t>({int64_t(kMaxBytes), int64_t(size - 8), present}));
        char text[kMaxBytes + 1] = {};
        Seek(body, SEEK_SET);
        const uint32_t got = Read(text, count);
        const uint32_t length = static_cast<uint32_t>(strnlen(text, got));
        // INFO texts are UTF-8 in files of current programs. Bytes that are
        // not (older files) are in their writer's code page, taken as the
        // user interface language's, rather than cut at the first such byte.
        char16_t wide[CAudioMetaData::kFieldCapacity + 1] = {};
        Utf8Result result = Utf8Result::Ok;
        Utf8ToWide(wide, CAudioMetaData::kFieldCapacity + 1, text, length, &result);
        // A sequence left open at the end of what was read is only the cut.
        const bool cutByReading = length == kMaxBytes;
        if (result == Utf8Result::SourceIllegal || (result == Utf8Result::SourceExhausted && !cutByReading))
            LegacyBytesToWide(wide, CAudioMetaData::kFieldCapacity + 1, text, length);
        field->SetWide(-1, wide);
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

uint32_t CWavFileRead::FrameBytes() const
{
    return m_blockAlign;
}

uint32_t CWavFileRead::UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset)
{
    return UnpackLittleEndian(m_channelCount, channels, source, frames, m_bitsPerSample, offset);
}

void CWavFileRead::RangeChanged()
{
    BuildMarks();
}
