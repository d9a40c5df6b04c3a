#include "platform/cd/CdLibcdioToc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cstdio>
#include <mutex>

namespace qm::platform
{
namespace
{
void ErrorsOnly(cdio_log_level_t level, const char message[])
{
    if (level >= CDIO_LOG_ERROR)
        std::fprintf(stderr, "libcdio: %s\n", message);
}
} // namespace

void QuietLibcdioLog()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(ErrorsOnly); });
}

bool ReadLibcdioToc(CdIo_t* cdio, CdToc& toc)
{
    toc = CdToc{};
    if (cdio == nullptr)
        return false;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || first == 0)
        return false;
    for (int number = first; number < int(first) + int(count); ++number)
    {
        const lsn_t lsn = cdio_get_track_lsn(cdio, track_t(number));
        if (lsn == CDIO_INVALID_LSN)
            return false;
        CdTocTrack track;
        track.number = number;
        track.startLsn = lsn;
        track.isAudio = cdio_get_track_format(cdio, track_t(number)) == TRACK_FORMAT_AUDIO;
        toc.tracks.push_back(track);
    }
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN)
        return false;
    toc.leadOutLsn = leadOut;
    return toc.IsValid();
}
} // namespace qm::platform
