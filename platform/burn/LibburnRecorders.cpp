#include "platform/burn/LibburnRecorders.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <libburn/libburn.h>

#include "platform/burn/CdAudioWavSource.h"
#include "platform/burn/CdTextPackWriter.h"
#include "platform/burn/LibburnLibrary.h"

using namespace burn;

namespace qm::platform::libburn
{
namespace
{
constexpr uint64_t kAudioSectorBytes = 2352;
constexpr uint64_t kDataSectorBytes = 2048;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

std::mutex g_libraryLock;
int g_libraryUsers = 0;
// The last complete scan: libburn refuses to scan while one of its drives is
// grabbed, and the list must not lose that drive then.
std::vector<DiscRecorderInfo> g_lastScan;

// A text field of libburn's drive record (fixed size, maybe unterminated).
template <size_t N>
std::string Field(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

DiscMedia MediaFromProfile(int profile)
{
    switch (profile)
    {
    case 0x08:
        return DiscMedia::CdRom;
    case 0x09:
        return DiscMedia::CdR;
    case 0x0a:
        return DiscMedia::CdRw;
    case 0x10:
        return DiscMedia::DvdRom;
    case 0x11:
        return DiscMedia::DvdR;
    case 0x12:
        return DiscMedia::DvdRam;
    case 0x13:
    case 0x14:
        return DiscMedia::DvdRw;
    case 0x15:
    case 0x16:
        return DiscMedia::DvdRDl;
    case 0x1a:
        return DiscMedia::DvdPlusRw;
    case 0x1b:
        return DiscMedia::DvdPlusR;
    case 0x2b:
        return DiscMedia::DvdPlusRDl;
    case 0x40:
        return DiscMedia::BdRom;
    case 0x41:
    case 0x42:
        return DiscMedia::BdR;
    case 0x43:
        return DiscMedia::BdRe;
    case 0x50:
        return DiscMedia::HdDvdRom;
    case 0x51:
        return DiscMedia::HdDvdR;
    case 0x52:
        return DiscMedia::HdDvdRw;
    default:
        return DiscMedia::Unknown;
    }
}

// The media flag of a profile that the drive supports; -1 for none.
int MediaFlagFromProfile(int profile)
{
    switch (profile)
    {
    case 0x09:
        return DiscRecorderInfo::kWritesCdR;
    case 0x0a:
        return DiscRecorderInfo::kWritesCdRw;
    case 0x11:
        return DiscRecorderInfo::kWritesDvdR;
    case 0x13:
    case 0x14:
        return DiscRecorderInfo::kWritesDvdRw;
    case 0x15:
    case 0x16:
        return DiscRecorderInfo::kWritesDvdRDl;
    case 0x12:
        return DiscRecorderInfo::kWritesDvdRam;
    case 0x1b:
        return DiscRecorderInfo::kWritesDvdPlusR;
    case 0x1a:
        return DiscRecorderInfo::kWritesDvdPlusRw;
    case 0x2b:
        return DiscRecorderInfo::kWritesDvdPlusRDl;
    default:
        return -1;
    }
}

uint64_t SectorsOf(uint64_t bytes)
{
    return (bytes + kAudioSectorBytes - 1) / kAudioSectorBytes;
}

// Waits for libburn's asynchronous job on the drive (write or blank) to end,
// cancelling it when asked; `onProgress` sees the progress while it writes.
// True when the job did well.
template <typename OnProgress>
bool WaitForJob(burn_drive* drive, const std::atomic<bool>& cancel, bool& cancelled, OnProgress onProgress)
{
    burn_progress progress{};
    burn_drive_status status = burn_drive_get_status(drive, &progress);
    while (status == BURN_DRIVE_SPAWNING)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        status = burn_drive_get_status(drive, &progress);
    }
    cancelled = false;
    while (status != BURN_DRIVE_IDLE)
    {
        if (cancel.load() && !cancelled)
        {
            burn_drive_cancel(drive);
            cancelled = true;
        }
        if (status == BURN_DRIVE_WRITING || status == BURN_DRIVE_WRITING_PREGAP)
            onProgress(progress);
        std::this_thread::sleep_for(kPollInterval);
        status = burn_drive_get_status(drive, &progress);
    }
    return burn_drive_wrote_well(drive) == 1;
}

// A grabbed drive.
class LibburnRecorder final : public DiscRecorder
{
public:
    LibburnRecorder(std::string name, burn_drive_info* info)
        : m_name(std::move(name)),
          m_info(info)
    {
    }

    ~LibburnRecorder() override
    {
        Release(false);
        ReleaseLibrary();
    }

    const std::string& GetName() const override { return m_name; }

    bool ReadDiscInfo(RecorderDiscInfo& info) override
    {
        info = {};
        burn_drive* drive = Drive();
        if (drive == nullptr)
            return false;
        switch (burn_disc_get_status(drive))
        {
        case BURN_DISC_EMPTY:
            return true;
        case BURN_DISC_BLANK:
            info.blank = true;
            break;
        case BURN_DISC_APPENDABLE:
        case BURN_DISC_FULL:
        case BURN_DISC_UNSUITABLE:
            break;
        default: // not ready, not grabbed, unknown
            return false;
        }
        int profile = 0;
        char profileName[80] = {};
        info.media =
            burn_disc_get_profile(drive, &profile, profileName) > 0 ? MediaFromProfile(profile) : DiscMedia::Unknown;
        info.erasable = burn_disc_erasable(drive) == 1;
        if (info.blank)
        {
            const off_t bytes = burn_disc_available_space(drive, nullptr);
            info.freeSectors = bytes > 0 ? uint64_t(bytes) / kDataSectorBytes : 0;
        }
        else if (burn_disc* disc = burn_drive_get_disc(drive))
        {
            const int sectors = burn_disc_get_sectors(disc);
            info.usedSectors = sectors > 0 ? uint64_t(sectors) : 0;
            burn_disc_free(disc);
        }
        return true;
    }

    uint32_t GetMaxWriteSpeed() override
    {
        burn_drive* drive = Drive();
        const int speed = drive != nullptr ? burn_drive_get_write_speed(drive) : 0;
        return speed > 0 ? uint32_t(speed) : 0;
    }

    uint32_t GetCurrentWriteSpeed() override { return m_writeSpeed; }

    bool SetSpeeds(uint32_t readKBps, uint32_t writeKBps) override
    {
        burn_drive* drive = Drive();
        if (drive == nullptr)
            return false;
        // The fastest speed the drive lists that is not above the request,
        // else its slowest one.
        const int goal = writeKBps >= kMaxSpeed ? 0 : int(writeKBps);
        burn_speed_descriptor* best = nullptr;
        int chosen = 0;
        if (burn_drive_get_best_speed(drive, goal, &best, 0) > 0 && best != nullptr)
            chosen = best->write_speed;
        else if (burn_drive_get_best_speed(drive, -1, &best, 0) > 0 && best != nullptr)
            chosen = best->write_speed;
        else
            chosen = goal == 0 ? int(GetMaxWriteSpeed()) : goal;
        burn_drive_set_speed(drive, readKBps >= kMaxSpeed ? 0 : int(readKBps), chosen);
        m_writeSpeed = chosen > 0 ? uint32_t(chosen) : 0;
        return true;
    }

    bool ProbeWriteModes(RecorderWriteModes& modes) override
    {
        modes = {};
        if (Drive() == nullptr)
            return false;
        // libburn writes audio sessions at once, with CD-TEXT in the lead-in.
        // Track-at-once is not offered: libburn closes the session at the
        // end of every write run, so tracks cannot be added one by one.
        const bool sessionAtOnce = (m_info[0].sao_block_types & BURN_BLOCK_SAO) != 0;
        modes.discAtOnceRawPW = sessionAtOnce;
        modes.discAtOncePQ = sessionAtOnce;
        modes.sessionAtOnce = sessionAtOnce;
        return true;
    }

    uint32_t WriteDisc(RecorderWriteMethod method, const RecorderDisc& disc, RecorderProgressListener* listener,
                       const std::atomic<bool>& cancel) override
    {
        burn_drive* drive = Drive();
        if (drive == nullptr || disc.tracks.empty() || disc.tracks.size() > 99)
            return kRecorderFailed;

        Job job;
        job.disc = burn_disc_create();
        job.session = burn_session_create();
        if (job.disc == nullptr || job.session == nullptr ||
            burn_disc_add_session(job.disc, job.session, BURN_POS_END) <= 0)
            return kRecorderFailed;

        std::vector<uint64_t> trackSectors;
        uint64_t totalSectors = 0;
        for (size_t i = 0; i < disc.tracks.size(); ++i)
        {
            uint64_t sectors = 0;
            if (const uint32_t added = AddTrack(job, disc.tracks[i], i == 0, sectors); added != kRecorderOk)
                return added;
            trackSectors.push_back(sectors);
            totalSectors += sectors + disc.tracks[i].pregapSectors;
        }

        std::vector<uint8_t> packs;
        if (method != RecorderWriteMethod::SessionAtOnce && disc.withCdText && !BuildCdTextPacks(disc, packs))
            return kRecorderFailed;

        if (const uint32_t set = SetWriteOptions(job, drive, packs); set != kRecorderOk)
            return set;
        char reasons[BURN_REASONS_LEN] = {};
        if (burn_precheck_write(job.options, job.disc, reasons, 1) <= 0)
            return kRecorderUnsupported;
        if (cancel.load())
            return kRecorderCancelled;

        burn_disc_write(job.options, job.disc);
        bool cancelled = false;
        uint64_t reported = 0;
        const bool well = WaitForJob(drive, cancel, cancelled, [&](const burn_progress& progress) {
            if (listener == nullptr || progress.track < 0)
                return;
            // libburn counts sectors per track; the listener gets the disc.
            uint64_t written = 0;
            for (size_t i = 0; i < trackSectors.size() && i < size_t(progress.track); ++i)
                written += trackSectors[i] + disc.tracks[i].pregapSectors;
            written += progress.sector > 0 ? uint64_t(progress.sector) : 0;
            written = std::min(written, totalSectors);
            if (written != reported)
            {
                reported = written;
                listener->OnWriteProgress(totalSectors * kAudioSectorBytes, written * kAudioSectorBytes);
            }
        });
        if (cancelled)
            return kRecorderCancelled;
        if (!well)
            return kRecorderFailed;
        if (listener != nullptr && reported != totalSectors)
            listener->OnWriteProgress(totalSectors * kAudioSectorBytes, totalSectors * kAudioSectorBytes);
        return kRecorderOk;
    }

    uint32_t WriteTrack(const RecorderTrack&, RecorderProgressListener*, const std::atomic<bool>&) override
    {
        return kRecorderUnsupported;
    }

    uint32_t CloseSession() override { return kRecorderUnsupported; }

    uint32_t Blank(bool quick, const std::atomic<bool>& cancel) override
    {
        burn_drive* drive = Drive();
        if (drive == nullptr || burn_disc_erasable(drive) != 1)
            return kRecorderFailed;
        const burn_disc_status status = burn_disc_get_status(drive);
        if (status != BURN_DISC_FULL && status != BURN_DISC_APPENDABLE && status != BURN_DISC_BLANK)
            return kRecorderFailed;
        burn_disc_erase(drive, quick ? 1 : 0);
        bool cancelled = false;
        const bool well = WaitForJob(drive, cancel, cancelled, [](const burn_progress&) {});
        return cancelled ? kRecorderCancelled : well ? kRecorderOk : kRecorderFailed;
    }

    bool Eject() override
    {
        if (Drive() == nullptr)
            return false;
        Release(true);
        // Grab it again, without pulling the tray back in, for later calls.
        burn_drive_info* info = nullptr;
        std::vector<char> address(m_name.begin(), m_name.end());
        address.push_back(0);
        if (burn_drive_scan_and_grab(&info, address.data(), 0) == 1)
            m_info = info;
        else if (info != nullptr)
            burn_drive_info_free(info);
        return true;
    }

private:
    // What one write run owns.
    struct Job
    {
        burn_disc* disc = nullptr;
        burn_session* session = nullptr;
        std::vector<burn_track*> tracks;
        burn_write_opts* options = nullptr;

        ~Job()
        {
            if (options != nullptr)
                burn_write_opts_free(options);
            if (disc != nullptr)
                burn_disc_free(disc);
            if (session != nullptr)
                burn_session_free(session);
            for (burn_track* track : tracks)
                burn_track_free(track);
        }
    };

    // Adds one track to the job's session: the audio data of its WAV file,
    // the last sector filled up with silence, after its pause. `sectors`
    // receives the track's length without the pause.
    static uint32_t AddTrack(Job& job, const RecorderTrack& track, bool first, uint64_t& sectors)
    {
        CdAudioWavData data;
        if (!FindCdAudioWavData(track.wavPath, data) || data.bytes == 0)
            return kRecorderBadSource;
        const int fd = ::open(track.wavPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return kRecorderBadSource;
        if (::lseek(fd, off_t(data.offset), SEEK_SET) != off_t(data.offset))
        {
            ::close(fd);
            return kRecorderBadSource;
        }
        // The source owns the descriptor from here on.
        burn_source* source = burn_fd_source_new(fd, -1, off_t(data.bytes));
        if (source == nullptr)
        {
            ::close(fd);
            return kRecorderFailed;
        }
        burn_track* burnTrack = burn_track_create();
        if (burnTrack == nullptr)
        {
            burn_source_free(source);
            return kRecorderFailed;
        }
        job.tracks.push_back(burnTrack);
        burn_track_define_data(burnTrack, 0, 0, 1, BURN_AUDIO);
        const bool sourceSet = burn_track_set_source(burnTrack, source) == BURN_SOURCE_OK;
        burn_source_free(source);
        if (!sourceSet)
            return kRecorderFailed;
        // The first track always has its 150 sectors; a gap adds to them.
        const int pregap = first ? (track.pregapSectors > 0 ? int(150 + track.pregapSectors) : 150)
                                 : (track.pregapSectors > 0 ? int(track.pregapSectors) : -1);
        if (burn_track_set_pregap_size(burnTrack, pregap, 0) <= 0)
            return kRecorderFailed;
        if (burn_session_add_track(job.session, burnTrack, BURN_POS_END) <= 0)
            return kRecorderFailed;
        sectors = SectorsOf(data.bytes);
        return kRecorderOk;
    }

    // Session at once, no test write, one session; the CD-TEXT packs (when
    // there are any) go into the lead-in.
    static uint32_t SetWriteOptions(Job& job, burn_drive* drive, std::vector<uint8_t>& packs)
    {
        job.options = burn_write_opts_new(drive);
        if (job.options == nullptr)
            return kRecorderFailed;
        if (burn_write_opts_set_write_type(job.options, BURN_WRITE_SAO, BURN_BLOCK_SAO) <= 0)
            return kRecorderUnsupported;
        burn_write_opts_set_underrun_proof(job.options, 1);
        burn_write_opts_set_perform_opc(job.options, 1);
        burn_write_opts_set_multi(job.options, 0);
        burn_write_opts_set_simulate(job.options, 0);
        if (!packs.empty() &&
            burn_write_opts_set_leadin_text(job.options, packs.data(), int(packs.size() / 18), 0) <= 0)
            return kRecorderFailed;
        return kRecorderOk;
    }

    burn_drive* Drive() const { return m_info != nullptr ? m_info[0].drive : nullptr; }

    void Release(bool eject)
    {
        if (m_info == nullptr)
            return;
        burn_drive_release(m_info[0].drive, eject ? 1 : 0);
        burn_drive_info_free(m_info);
        m_info = nullptr;
    }

    std::string m_name;
    burn_drive_info* m_info; // one grabbed drive
    uint32_t m_writeSpeed = 0;
};
} // namespace

bool AcquireLibrary()
{
    std::lock_guard lock(g_libraryLock);
    if (g_libraryUsers == 0)
    {
        if (burn_initialize() != 1)
            return false;
        // Nothing is queued; only what ends the program reaches stderr.
        char never[] = "NEVER";
        char fatal[] = "FATAL";
        char prefix[] = "libburn: ";
        burn_msgs_set_severities(never, fatal, prefix);
    }
    ++g_libraryUsers;
    return true;
}

void ReleaseLibrary()
{
    std::lock_guard lock(g_libraryLock);
    if (g_libraryUsers > 0 && --g_libraryUsers == 0)
    {
        burn_finish();
        g_lastScan.clear();
    }
}

bool Start()
{
    return AcquireLibrary();
}

void Stop()
{
    ReleaseLibrary();
}

std::vector<DiscRecorderInfo> Scan()
{
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    int done = 0;
    while ((done = burn_drive_scan(&infos, &count)) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done < 0)
    {
        // Refused while a drive is grabbed: the drives are those of before.
        if (infos != nullptr)
            burn_drive_info_free(infos);
        std::lock_guard lock(g_libraryLock);
        return g_lastScan;
    }

    std::vector<DiscRecorderInfo> recorders;
    for (unsigned int i = 0; i < count && infos != nullptr; ++i)
    {
        char address[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_get_adr(&infos[i], address) <= 0 || address[0] == 0)
            continue;
        DiscRecorderInfo info;
        info.name = address;
        info.vendor = Field(infos[i].vendor);
        info.product = Field(infos[i].product);
        info.revision = Field(infos[i].revision);
        info.mediaFlags[DiscRecorderInfo::kWritesCdR] = infos[i].write_cdr ? 1 : 0;
        info.mediaFlags[DiscRecorderInfo::kWritesCdRw] = infos[i].write_cdrw ? 1 : 0;
        info.mediaFlags[DiscRecorderInfo::kWritesDvdR] = infos[i].write_dvdr ? 1 : 0;
        info.mediaFlags[DiscRecorderInfo::kWritesDvdRam] = infos[i].write_dvdram ? 1 : 0;
        int profiles[64] = {};
        char current[64] = {};
        int profileCount = 0;
        burn_drive_get_all_profiles(infos[i].drive, &profileCount, profiles, current);
        for (int p = 0; p < profileCount && p < 64; ++p)
        {
            const int flag = MediaFlagFromProfile(profiles[p]);
            if (flag >= 0)
                info.mediaFlags[flag] = 1;
        }
        recorders.push_back(std::move(info));
    }
    if (infos != nullptr)
        burn_drive_info_free(infos);
    std::lock_guard lock(g_libraryLock);
    g_lastScan = recorders;
    return recorders;
}

std::unique_ptr<DiscRecorder> Open(const std::string& name)
{
    if (name.empty() || !AcquireLibrary())
        return nullptr;
    std::vector<char> address(name.begin(), name.end());
    address.push_back(0);
    burn_drive_info* info = nullptr;
    if (burn_drive_scan_and_grab(&info, address.data(), 1) != 1 || info == nullptr)
    {
        if (info != nullptr)
            burn_drive_info_free(info);
        ReleaseLibrary();
        return nullptr;
    }
    return std::make_unique<LibburnRecorder>(name, info);
}
} // namespace qm::platform::libburn
