#include "platform/burn/ImageDiscRecorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

#include "platform/burn/CdAudioWavSource.h"
#include "platform/burn/CdTextPackWriter.h"
#include "platform/files/FileSafety.h"

namespace qm::platform
{
namespace
{
constexpr uint64_t kSectorBytes = 2352;
// Sectors copied between two progress reports and cancel checks.
constexpr uint64_t kChunkSectors = 64;

std::string Msf(uint64_t sectors)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(sectors / 75 / 60), unsigned(sectors / 75 % 60),
                  unsigned(sectors % 75));
    return text;
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void RemoveQuietly(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
}

bool ReadAll(int fd, uint64_t offset, uint8_t* bytes, size_t size)
{
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = ::pread(fd, bytes + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

uint64_t SectorsOf(uint64_t bytes)
{
    return (bytes + kSectorBytes - 1) / kSectorBytes;
}
} // namespace

const std::vector<uint32_t>& ImageDiscRecorder::Speeds()
{
    static const std::vector<uint32_t> speeds{706, 1400, 2800, 4224, 7040};
    return speeds;
}

ImageDiscRecorder::ImageDiscRecorder(std::string name, const ImageRecorderOptions& options)
    : m_name(std::move(name)),
      m_options(options),
      m_writeSpeed(Speeds().back())
{
}

ImageDiscRecorder::~ImageDiscRecorder()
{
    Abandon();
}

bool ImageDiscRecorder::IsUsableName(const std::string& name)
{
    const std::string file = std::filesystem::path(name).filename().string();
    if (file.empty() || file == "." || file == "..")
        return false;
    return std::none_of(file.begin(), file.end(),
                        [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::filesystem::path ImageDiscRecorder::File(const char* extension) const
{
    return std::filesystem::path(m_name + extension);
}

std::filesystem::path ImageDiscRecorder::PartFile(const char* extension) const
{
    return std::filesystem::path(m_name + extension + ".part");
}

bool ImageDiscRecorder::IsBlank() const
{
    return !Exists(File(".cue")) && !Exists(File(".bin"));
}

bool ImageDiscRecorder::ReadDiscInfo(RecorderDiscInfo& info)
{
    info = {};
    std::error_code error;
    if (!std::filesystem::is_directory(File(".bin").parent_path(), error))
        return true; // no folder: no disc in the "drive"
    info.media = m_options.rewritable ? DiscMedia::CdRw : DiscMedia::CdR;
    info.erasable = m_options.rewritable;
    info.blank = IsBlank() && m_binFd < 0;
    if (info.blank)
    {
        info.freeSectors = kCapacitySectors;
    }
    else
    {
        const uintmax_t size = std::filesystem::file_size(File(".bin"), error);
        info.usedSectors = error ? 0 : SectorsOf(size);
    }
    return true;
}

uint32_t ImageDiscRecorder::GetMaxWriteSpeed()
{
    return Speeds().back();
}

bool ImageDiscRecorder::SetSpeeds(uint32_t, uint32_t writeKBps)
{
    // The fastest listed speed not above the request; the slowest for a
    // request below them all.
    uint32_t chosen = Speeds().front();
    for (uint32_t speed : Speeds())
        if (speed <= writeKBps)
            chosen = speed;
    m_writeSpeed = chosen;
    return true;
}

bool ImageDiscRecorder::ProbeWriteModes(RecorderWriteModes& modes)
{
    modes = m_options.modes;
    return true;
}

uint32_t ImageDiscRecorder::AppendTrack(const RecorderTrack& track, uint64_t totalBytes, uint64_t& writtenBytes,
                                        RecorderProgressListener* listener, const std::atomic<bool>& cancel)
{
    CdAudioWavData data;
    if (!FindCdAudioWavData(track.wavPath, data) || data.bytes == 0)
        return kRecorderBadSource;
    const int source = ::open(track.wavPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return kRecorderBadSource;

    uint32_t result = kRecorderOk;
    std::vector<uint8_t> buffer(kChunkSectors * kSectorBytes);
    m_tracks.push_back({m_sectorsWritten, track.pregapSectors});

    // The pregap: silent sectors before the track's start.
    std::fill(buffer.begin(), buffer.end(), uint8_t(0));
    for (uint64_t left = track.pregapSectors; left > 0 && result == kRecorderOk;)
    {
        const uint64_t sectors = std::min(left, kChunkSectors);
        if (cancel.load())
            result = kRecorderCancelled;
        else if (!qm::platform::writeAll(m_binFd, buffer.data(), size_t(sectors * kSectorBytes)))
            result = kRecorderFailed;
        else
        {
            left -= sectors;
            m_sectorsWritten += sectors;
            writtenBytes += sectors * kSectorBytes;
            if (listener != nullptr)
                listener->OnWriteProgress(totalBytes, writtenBytes);
        }
    }

    // The samples, the last sector filled up with silence.
    for (uint64_t done = 0; done < data.bytes && result == kRecorderOk;)
    {
        const uint64_t bytes = std::min<uint64_t>(data.bytes - done, buffer.size());
        const uint64_t padded = SectorsOf(bytes) * kSectorBytes;
        std::fill(buffer.begin() + std::ptrdiff_t(bytes), buffer.begin() + std::ptrdiff_t(padded), uint8_t(0));
        if (cancel.load())
            result = kRecorderCancelled;
        else if (!ReadAll(source, data.offset + done, buffer.data(), size_t(bytes)))
            result = kRecorderBadSource;
        else if (!qm::platform::writeAll(m_binFd, buffer.data(), size_t(padded)))
            result = kRecorderFailed;
        else
        {
            done += bytes;
            m_sectorsWritten += padded / kSectorBytes;
            writtenBytes += padded;
            if (listener != nullptr)
                listener->OnWriteProgress(totalBytes, writtenBytes);
        }
    }
    ::close(source);
    return result;
}

uint32_t ImageDiscRecorder::WriteDisc(RecorderWriteMethod method, const RecorderDisc& disc,
                                      RecorderProgressListener* listener, const std::atomic<bool>& cancel)
{
    const bool supported = method == RecorderWriteMethod::DiscAtOnceRawPW ? m_options.modes.discAtOnceRawPW
                           : method == RecorderWriteMethod::DiscAtOncePQ  ? m_options.modes.discAtOncePQ
                                                                          : m_options.modes.sessionAtOnce;
    if (!supported)
        return kRecorderUnsupported;
    if (m_binFd >= 0 || !IsBlank() || disc.tracks.empty() || disc.tracks.size() > 99)
        return kRecorderFailed;

    // Every source is checked and the whole session sized before writing.
    uint64_t totalBytes = 0;
    for (const auto& track : disc.tracks)
    {
        CdAudioWavData data;
        if (!FindCdAudioWavData(track.wavPath, data) || data.bytes == 0)
            return kRecorderBadSource;
        totalBytes += (uint64_t(track.pregapSectors) + SectorsOf(data.bytes)) * kSectorBytes;
    }
    if (totalBytes / kSectorBytes > kCapacitySectors)
        return kRecorderFailed;
    std::vector<uint8_t> packs;
    if (disc.withCdText && !BuildCdTextPacks(disc, packs))
        return kRecorderFailed;

    m_binFd = ::open(PartFile(".bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_binFd < 0)
        return kRecorderFailed;
    m_sectorsWritten = 0;
    m_tracks.clear();
    uint64_t writtenBytes = 0;
    for (const auto& track : disc.tracks)
    {
        const uint32_t result = AppendTrack(track, totalBytes, writtenBytes, listener, cancel);
        if (result != kRecorderOk)
        {
            Abandon();
            return result;
        }
    }
    if (cancel.load())
    {
        Abandon();
        return kRecorderCancelled;
    }
    return Finish(packs);
}

uint32_t ImageDiscRecorder::WriteTrack(const RecorderTrack& track, RecorderProgressListener* listener,
                                       const std::atomic<bool>& cancel)
{
    if (!m_options.modes.trackAtOnce)
        return kRecorderUnsupported;
    CdAudioWavData data;
    if (!FindCdAudioWavData(track.wavPath, data) || data.bytes == 0)
        return kRecorderBadSource;
    if (m_binFd < 0)
    {
        if (!IsBlank())
            return kRecorderFailed;
        m_binFd = ::open(PartFile(".bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_binFd < 0)
            return kRecorderFailed;
        m_sectorsWritten = 0;
        m_tracks.clear();
    }
    const uint64_t totalBytes = (uint64_t(track.pregapSectors) + SectorsOf(data.bytes)) * kSectorBytes;
    if (m_tracks.size() >= 99 || m_sectorsWritten + totalBytes / kSectorBytes > kCapacitySectors)
    {
        Abandon();
        return kRecorderFailed;
    }
    uint64_t writtenBytes = 0;
    const uint32_t result = AppendTrack(track, totalBytes, writtenBytes, listener, cancel);
    if (result != kRecorderOk)
        Abandon();
    return result;
}

uint32_t ImageDiscRecorder::CloseSession()
{
    if (m_binFd < 0 || m_tracks.empty())
        return kRecorderFailed;
    return Finish({});
}

uint32_t ImageDiscRecorder::Finish(const std::vector<uint8_t>& cdTextPacks)
{
    const bool flushed = ::fsync(m_binFd) == 0;
    const bool closed = ::close(m_binFd) == 0;
    m_binFd = -1;
    if (!flushed || !closed)
    {
        Abandon();
        return kRecorderFailed;
    }

    const std::string base = std::filesystem::path(m_name).filename().string();
    std::string cue;
    if (!cdTextPacks.empty())
    {
        std::ofstream packs(PartFile(".cdt"), std::ios::binary | std::ios::trunc);
        packs.write(reinterpret_cast<const char*>(cdTextPacks.data()), std::streamsize(cdTextPacks.size()));
        packs.close();
        if (!packs)
        {
            Abandon();
            return kRecorderFailed;
        }
        cue += "CDTEXTFILE \"" + base + ".cdt\"\n";
    }
    cue += "FILE \"" + base + ".bin\" BINARY\n";
    for (size_t i = 0; i < m_tracks.size(); ++i)
    {
        char line[32];
        std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\n", unsigned(i + 1));
        cue += line;
        const WrittenTrack& track = m_tracks[i];
        if (track.pregapSectors > 0)
            cue += "    INDEX 00 " + Msf(track.startSector) + "\n";
        cue += "    INDEX 01 " + Msf(track.startSector + track.pregapSectors) + "\n";
    }
    {
        std::ofstream sheet(PartFile(".cue"), std::ios::trunc);
        sheet << cue;
        sheet.close();
        if (!sheet)
        {
            Abandon();
            return kRecorderFailed;
        }
    }

    // The cue sheet comes last: its presence makes the disc a written one.
    std::error_code error;
    RemoveQuietly(File(".cdt"));
    if (!cdTextPacks.empty())
        std::filesystem::rename(PartFile(".cdt"), File(".cdt"), error);
    if (!error)
        std::filesystem::rename(PartFile(".bin"), File(".bin"), error);
    if (!error)
        std::filesystem::rename(PartFile(".cue"), File(".cue"), error);
    m_tracks.clear();
    if (error)
    {
        Abandon();
        RemoveQuietly(File(".bin"));
        RemoveQuietly(File(".cdt"));
        return kRecorderFailed;
    }
    return kRecorderOk;
}

void ImageDiscRecorder::Abandon()
{
    if (m_binFd >= 0)
    {
        ::close(m_binFd);
        m_binFd = -1;
    }
    m_tracks.clear();
    m_sectorsWritten = 0;
    RemoveQuietly(PartFile(".bin"));
    RemoveQuietly(PartFile(".cue"));
    RemoveQuietly(PartFile(".cdt"));
}

uint32_t ImageDiscRecorder::Blank(bool, const std::atomic<bool>&)
{
    if (!m_options.rewritable)
        return kRecorderUnsupported;
    if (m_binFd >= 0)
        return kRecorderFailed;
    std::error_code error;
    for (const char* extension : {".cue", ".bin", ".cdt"})
    {
        std::filesystem::remove(File(extension), error);
        if (error)
            return kRecorderFailed;
    }
    return kRecorderOk;
}
} // namespace qm::platform
