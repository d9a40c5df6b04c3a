#include "platform/cd/CdDeviceDrive.h"

#include <climits>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cdio/cdio.h>

#include "platform/cd/CdLibcdioToc.h"
#include "platform/cd/CdTextPackData.h"

namespace qm::platform
{
CdDeviceDrive::CdDeviceDrive(std::string devicePath)
    : m_path(std::move(devicePath))
{
}

CdDeviceDrive::~CdDeviceDrive()
{
    if (m_cdio != nullptr)
        cdio_destroy(m_cdio);
}

bool CdDeviceDrive::IsMediaPresent()
{
    // O_NONBLOCK lets the open succeed on an empty drive or an open tray
    // instead of failing or waiting; the status request then tells.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    return status == CDS_DISC_OK;
}

bool CdDeviceDrive::EnsureOpen()
{
    if (m_cdio == nullptr)
    {
        QuietLibcdioLog();
        m_cdio = cdio_open(m_path.c_str(), DRIVER_LINUX);
    }
    return m_cdio != nullptr;
}

bool CdDeviceDrive::ReadToc(CdToc& toc)
{
    toc = CdToc{};
    if (!IsMediaPresent() || !EnsureOpen())
        return false;
    if (!ReadLibcdioToc(m_cdio, toc))
        return false;
    // The drive reports where the last session starts; on a multi-session
    // disc every track from there on belongs to a later session than the ones
    // before it (an enhanced CD's data track).
    lsn_t lastSession = 0;
    if (cdio_get_last_session(m_cdio, &lastSession) == DRIVER_OP_SUCCESS)
    {
        toc.sessionsKnown = true;
        for (auto& track : toc.tracks)
            track.session = (lastSession > 0 && track.startLsn >= lastSession) ? 2 : 1;
    }
    return true;
}

bool CdDeviceDrive::ReadAudioSectors(int32_t lsn, uint32_t count, uint8_t* buffer)
{
    if (buffer == nullptr || lsn < 0 || count == 0 || !EnsureOpen())
        return false;
    return cdio_read_audio_sectors(m_cdio, buffer, lsn, count) == DRIVER_OP_SUCCESS;
}

std::vector<uint8_t> CdDeviceDrive::ReadCdTextPacks()
{
    if (!EnsureOpen())
        return {};
    uint8_t* raw = cdio_get_cdtext_raw(m_cdio);
    if (raw == nullptr)
        return {};
    // The response begins with its data length (big-endian, counting the
    // two reserved bytes after it); libcdio allocated exactly length + 2.
    const size_t dataLength = (size_t(raw[0]) << 8) | raw[1];
    std::vector<uint8_t> packs;
    if (dataLength > 2)
        packs = PacksFromBytes(raw + 4, dataLength - 2);
    cdio_free(raw);
    return packs;
}
} // namespace qm::platform
