#include "engine/audiofile/cd/CCdaFileRead.h"

#include <cstring>
#include <string>

#include "engine/audiofile/foundation/EngineText.h"

namespace
{
constexpr uint32_t kFormatChunkBytes = 32; // id, size and the 24-byte body
} // namespace

CCdaFileRead::CCdaFileRead()
    : CAudioCDRead(true)
{
    ResetHeader();
}

CCdaFileRead::~CCdaFileRead()
{
    CBinaryFile64::Close();
}

void CCdaFileRead::ResetHeader()
{
    std::memcpy(m_riffId, "RIFF", 4);
    m_riffSize = 36;
    std::memcpy(m_cddaId, "CDDA", 4);
    std::memcpy(m_formatId, "fmt ", 4);
    m_formatSize = 24;
    m_version = 1;
    m_trackNumber = 0;
    m_serialNumber = 0;
    m_firstSector = 0;
    m_sectorCount = 0;
    m_startMsf = 0;
    m_lengthMsf = 0;
    m_afterRiffHeader = 0;
}

int CCdaFileRead::TrackNumberFromName(const char16_t* name)
{
    if (name == nullptr)
        return -1;
    const std::u16string text(name);
    char16_t lower[16] = {};
    if (text.size() < 10 || text.size() > 11)
        return -1;
    ToLowerWide(lower, text.c_str());
    const std::u16string folded(lower);
    if (folded.compare(0, 5, u"track") != 0 || folded.compare(folded.size() - 4, 4, u".cda") != 0)
        return -1;
    int number = 0;
    for (size_t i = 5; i < folded.size() - 4; ++i)
    {
        if (folded[i] < u'0' || folded[i] > u'9')
            return -1;
        number = number * 10 + int(folded[i] - u'0');
    }
    return number;
}

ReaderOpenResult CCdaFileRead::Open(const char16_t* path)
{
    Close();
    if (path == nullptr)
        return ReaderOpenResult::CannotOpen;
    const std::u16string full(path);
    const size_t slash = full.find_last_of(u'/');
    if (slash == std::u16string::npos || slash == 0 || slash + 1 == full.size())
        return ReaderOpenResult::CannotOpen;
    const std::u16string drive = full.substr(0, slash);
    const std::u16string name = full.substr(slash + 1);

    if (CAudioCDRead::Open(drive.c_str()) != ReaderOpenResult::Ok)
        return ReaderOpenResult::CannotOpen;

    if (CBinaryFile64::Open(path) >= 0)
    {
        const ReaderOpenResult result = ReadStub();
        if (result != ReaderOpenResult::Ok)
        {
            Close();
            return result;
        }
    }
    else
    {
        m_trackNumber = TrackNumberFromName(name.c_str());
        if (m_trackNumber < 0)
        {
            Close();
            return ReaderOpenResult::CannotOpen;
        }
    }

    // The number is the disc's; a number that is no audio track of the disc
    // (0, a data track, beyond the last track) must not leave the whole disc
    // selected.
    for (int index = 0; index < GetTrackCount(); ++index)
        if (GetTrackNumber(index) == m_trackNumber && SelectTrack(index))
            return ReaderOpenResult::Ok;
    Close();
    return ReaderOpenResult::NoUsableAudio;
}

ReaderOpenResult CCdaFileRead::ReadStub()
{
    uint8_t riff[4] = {};
    uint8_t cdda[4] = {};
    Read(riff, 4);
    const uint32_t riffSize = uint32_t(ReadUInt(4));
    Read(cdda, 4);
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(cdda, "CDDA", 4) != 0)
        return ReaderOpenResult::NoUsableAudio;
    std::memcpy(m_riffId, riff, 4);
    m_riffSize = riffSize;
    std::memcpy(m_cddaId, cdda, 4);
    m_afterRiffHeader = Tell();

    const uint64_t size = FindRiffChunk("fmt ", -1);
    if (size < kFormatChunkBytes || Tell() + int64_t(kFormatChunkBytes) > GetFileLength())
        return ReaderOpenResult::FormatNotAccepted;
    Read(m_formatId, 4);
    m_formatSize = uint32_t(ReadUInt(4));
    m_version = uint16_t(ReadUInt(2));
    m_trackNumber = int(ReadUInt(2));
    m_serialNumber = uint32_t(ReadUInt(4));
    m_firstSector = uint32_t(ReadUInt(4));
    m_sectorCount = uint32_t(ReadUInt(4));
    m_startMsf = uint32_t(ReadUInt(4));
    m_lengthMsf = uint32_t(ReadUInt(4));
    return ReaderOpenResult::Ok;
}

void CCdaFileRead::Close()
{
    CAudioCDRead::Close();
    CBinaryFile64::Close();
    ResetHeader();
}
