#include "engine/audiofile/cd/CAudioCDRead.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine/audiofile/pcm/PcmBuffers.h"
#include "engine/audiofile/pcm/PcmPacking.h"
#include "platform/cd/CdDriveRegistry.h"

namespace
{
// Units of a metadata text: the field capacity plus the terminator.
constexpr int kTextUnits = int(CAudioMetaData::kFieldCapacity) + 1;
} // namespace

CAudioCDRead::CAudioCDRead(bool readCdText)
    : m_readCdText(readCdText)
{
}

CAudioCDRead::CAudioCDRead(bool readCdText, int preferredLanguage)
    : m_cdText(preferredLanguage),
      m_readCdText(readCdText)
{
}

CAudioCDRead::~CAudioCDRead()
{
    Close();
}

ReaderOpenResult CAudioCDRead::Open(const char16_t* drive)
{
    Close();
    if (drive == nullptr || drive[0] == 0)
        return ReaderOpenResult::NoSuchDrive;
    std::string name;
    if (!PathToUtf8(drive, name))
        return ReaderOpenResult::NoSuchDrive;
    auto device = qm::platform::CdDriveRegistry::Instance().OpenDrive(name);
    if (device == nullptr)
        return ReaderOpenResult::NoSuchDrive;
    qm::platform::CdToc toc;
    if (!device->IsMediaPresent() || !device->ReadToc(toc))
        return ReaderOpenResult::CannotOpen;

    AudioPart part;
    if (!FindAudioPart(toc, part))
        return ReaderOpenResult::CannotOpen;

    m_drive = std::move(device);
    m_toc = std::move(toc);
    m_driveName = drive;
    m_firstTrack = part.firstTrack;
    m_lastTrack = part.lastTrack;
    m_discStart = part.start;
    m_discEnd = part.end;
    m_rangeStart = part.start;
    m_rangeEnd = part.end;
    m_position = 0;
    if (m_readCdText && m_cdText.Open(drive) == CdTextOpenResult::Ok)
        m_hasCdText = true;
    SetTrackMarks();
    UpdateDiscMetadata();
    m_discId = int(m_toc.DiscId());
    return ReaderOpenResult::Ok;
}

bool CAudioCDRead::FindAudioPart(const qm::platform::CdToc& toc, AudioPart& part)
{
    part = {};
    const int count = int(toc.tracks.size());
    int first = 0;
    while (first < count && !toc.tracks[size_t(first)].isAudio)
        ++first;
    int last = count - 1;
    while (last >= 0 && !toc.tracks[size_t(last)].isAudio)
        --last;
    if (first >= count || last < first)
        return false;

    const uint64_t start = uint64_t(toc.tracks[size_t(first)].startLsn) * kFramesPerSector;
    uint64_t end;
    if (last + 1 < count)
    {
        const auto& lastAudio = toc.tracks[size_t(last)];
        const auto& following = toc.tracks[size_t(last) + 1];
        end = uint64_t(following.startLsn) * kFramesPerSector;
        // The gap between two sessions lies before a track of a later session,
        // not before a data track in the same session.
        const bool laterSession = !toc.sessionsKnown || following.session > lastAudio.session;
        if (laterSession)
            end = end > kSessionGapFrames ? end - kSessionGapFrames : 0;
    }
    else
    {
        end = uint64_t(toc.leadOutLsn) * kFramesPerSector;
    }
    if (end <= start)
        return false;
    part = {first, last, start, end};
    return true;
}

void CAudioCDRead::Close()
{
    std::lock_guard lock(m_lock.m_section);
    m_drive.reset();
    m_toc = {};
    m_driveName.clear();
    m_firstTrack = -1;
    m_lastTrack = -1;
    m_discStart = m_discEnd = 0;
    m_rangeStart = m_rangeEnd = 0;
    m_position = 0;
    m_discId = 0;
    m_readFailed = false;
    if (m_hasCdText)
        m_cdText.Close();
    m_hasCdText = false;
    m_marker.Clear();
    m_metaData.Clear();
    ClearSector();
}

int CAudioCDRead::GetDiscId()
{
    return m_discId;
}

int CAudioCDRead::GetTrackCount() const
{
    return m_drive ? m_lastTrack - m_firstTrack + 1 : 0;
}

uint64_t CAudioCDRead::GetTrackStart(int index) const
{
    const int count = GetTrackCount();
    if (index < 0 || index > count)
        return 0;
    if (index == count)
        return m_discEnd - m_discStart;
    return uint64_t(m_toc.tracks[size_t(m_firstTrack + index)].startLsn) * kFramesPerSector - m_discStart;
}

int CAudioCDRead::GetTrackNumber(int index) const
{
    if (index < 0 || index >= GetTrackCount())
        return 0;
    return m_toc.tracks[size_t(m_firstTrack + index)].number;
}

void CAudioCDRead::SetRange(uint64_t startFrame, uint64_t endFrame)
{
    std::lock_guard lock(m_lock.m_section);
    const uint64_t length = m_discEnd - m_discStart;
    // Frames arrive unsigned; one that is negative as a signed number means 0.
    auto clamp = [length](uint64_t frame) { return int64_t(frame) < 0 ? 0 : std::min(frame, length); };
    const uint64_t start = clamp(startFrame);
    const uint64_t end = clamp(endFrame);
    m_rangeStart = m_discStart + start;
    m_rangeEnd = end > start ? m_discStart + end : m_discEnd;
    m_position = 0;
    m_readFailed = false;
    SetTrackMarks();
    ClearSector();
}

uint64_t CAudioCDRead::GetRangeStart()
{
    std::lock_guard lock(m_lock.m_section);
    return m_rangeStart - m_discStart;
}

void CAudioCDRead::SetTrackMarks()
{
    m_marker.Clear();
    for (int index = 0; index < GetTrackCount(); ++index)
    {
        const auto& track = m_toc.tracks[size_t(m_firstTrack + index)];
        if (!track.isAudio)
            continue;
        const uint64_t start = uint64_t(track.startLsn) * kFramesPerSector;
        if (start >= m_rangeStart && start < m_rangeEnd)
            m_marker.Add(double(start - m_rangeStart) / kSampleRate);
    }
}

std::u16string CAudioCDRead::CdText(bool performer, int track)
{
    char16_t text[kTextUnits];
    auto get = [&](int block) {
        return performer ? m_cdText.GetPerformer(text, kTextUnits, block, track)
                         : m_cdText.GetTitle(text, kTextUnits, block, track);
    };
    const int preferred = m_cdText.GetPreferredBlock();
    const int english = m_cdText.GetEnglishBlock();
    int length = get(preferred);
    if (length == 0 && english != preferred)
        length = get(english);
    return std::u16string(text, size_t(std::max(length, 0)));
}

void CAudioCDRead::StoreField(int field, const std::u16string& text)
{
    CMultiString* target = m_metaData.GetField(field);
    target->Clear();
    target->SetWide(int(text.size()), text.c_str());
}

void CAudioCDRead::UpdateDiscMetadata()
{
    if (!m_hasCdText)
        return;
    const std::u16string album = CdText(false, 0);
    StoreField(CAudioMetaData::kAlbum, album);
    StoreField(CAudioMetaData::kArtist, CdText(true, 0));
    StoreField(CAudioMetaData::kTitle, album);
}

bool CAudioCDRead::SelectTrack(int index)
{
    if (index < 0 || index >= GetTrackCount())
        return false;
    SetRange(GetTrackStart(index), GetTrackStart(index + 1));
    m_marker.Clear();
    StoreField(CAudioMetaData::kAlbum, {});
    StoreField(CAudioMetaData::kTitle, {});
    StoreField(CAudioMetaData::kArtist, {});
    if (m_hasCdText)
    {
        // CD-TEXT counts the disc's own track numbers, so a data track before
        // the first audio track keeps its string.
        const int number = GetTrackNumber(index);
        StoreField(CAudioMetaData::kAlbum, CdText(false, 0));
        StoreField(CAudioMetaData::kTitle, CdText(false, number));
        StoreField(CAudioMetaData::kArtist, CdText(true, number));
    }
    return true;
}

uint64_t CAudioCDRead::GetLength()
{
    std::lock_guard lock(m_lock.m_section);
    return m_rangeEnd - m_rangeStart;
}

uint64_t CAudioCDRead::GetPosition()
{
    std::lock_guard lock(m_lock.m_section);
    return m_position;
}

uint64_t CAudioCDRead::SetPosition(uint64_t frame)
{
    std::lock_guard lock(m_lock.m_section);
    const uint64_t length = m_rangeEnd - m_rangeStart;
    m_position = int64_t(frame) < 0 ? 0 : std::min(frame, length);
    m_readFailed = false;
    ClearSector();
    return m_position;
}

void CAudioCDRead::ClearSector()
{
    std::memset(m_sectors, 0, sizeof m_sectors);
    m_sectorsLsn = -1;
    m_sectorsCount = 0;
}

const uint8_t* CAudioCDRead::LoadSector(uint64_t absoluteFrame)
{
    constexpr size_t kSectorBytes = size_t(kFramesPerSector) * 4;
    const int64_t lsn = int64_t(absoluteFrame / kFramesPerSector);
    if (m_sectorsLsn >= 0 && lsn >= m_sectorsLsn && lsn < m_sectorsLsn + int64_t(m_sectorsCount))
        return m_sectors + size_t(lsn - m_sectorsLsn) * kSectorBytes;
    m_sectorsLsn = -1;
    m_sectorsCount = 0;
    if (!m_drive || lsn > INT32_MAX - int64_t(kReadAheadSectors))
        return nullptr;
    // Up to the sector that holds the range's last frame.
    const int64_t lastLsn = int64_t((m_rangeEnd - 1) / kFramesPerSector);
    uint32_t count = uint32_t(std::clamp<int64_t>(lastLsn - lsn + 1, 1, kReadAheadSectors));
    if (!m_drive->ReadAudioSectors(int32_t(lsn), count, m_sectors))
    {
        if (count == 1 || !m_drive->ReadAudioSectors(int32_t(lsn), 1, m_sectors))
            return nullptr;
        count = 1;
    }
    m_sectorsLsn = lsn;
    m_sectorsCount = count;
    return m_sectors;
}

uint32_t CAudioCDRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    std::lock_guard lock(m_lock.m_section);
    uint32_t delivered = 0;
    while (delivered < frames && channels != nullptr)
    {
        const uint64_t absolute = m_rangeStart + m_position;
        if (absolute >= m_rangeEnd)
            break;
        const uint8_t* sector = LoadSector(absolute);
        if (sector == nullptr)
        {
            m_readFailed = true;
            break;
        }
        // What is left of this sector, within the range and the request.
        const uint32_t inSector = uint32_t(absolute % kFramesPerSector);
        const uint32_t count = uint32_t(std::min<uint64_t>(
            {uint64_t(kFramesPerSector - inSector), m_rangeEnd - absolute, uint64_t(frames - delivered)}));
        UnpackLittleEndian(2, channels, sector + size_t(inSector) * 4, count, 16, offset + delivered);
        delivered += count;
        m_position += count;
    }
    // What the disc could not deliver is silence.
    if (channels != nullptr)
        for (int channel = 0; channel < 2; ++channel)
            if (channels[channel] != nullptr)
                std::fill_n(channels[channel] + offset + delivered, frames - delivered, 0);
    return delivered;
}

uint32_t CAudioCDRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    int32_t** integers = reinterpret_cast<int32_t**>(channels);
    const uint32_t delivered = ReadInt32(integers, frames, offset);
    if (channels != nullptr)
        Int32ToFloat(2, integers, channels, frames, offset);
    return delivered;
}
