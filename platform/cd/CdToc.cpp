#include "platform/cd/CdToc.h"

namespace qm::platform
{
bool CdToc::IsValid() const
{
    if (tracks.empty())
        return false;
    int32_t previous = -1;
    for (const auto& track : tracks)
    {
        if (track.startLsn < 0 || track.startLsn <= previous)
            return false;
        previous = track.startLsn;
    }
    return leadOutLsn > previous;
}

uint32_t CdToc::DiscId() const
{
    if (tracks.empty())
        return 0;
    uint32_t checksum = 0;
    for (const auto& track : tracks)
        for (int64_t seconds = (int64_t(track.startLsn) + 150) / 75; seconds > 0; seconds /= 10)
            checksum += uint32_t(seconds % 10);
    const int64_t lengthSeconds = (int64_t(leadOutLsn) - tracks.front().startLsn) / 75;
    return ((checksum & 0xFFu) << 24) | (uint32_t(lengthSeconds) << 8) | uint32_t(tracks.size());
}
} // namespace qm::platform
