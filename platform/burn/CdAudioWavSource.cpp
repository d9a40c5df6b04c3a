#include "platform/burn/CdAudioWavSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform
{
namespace
{
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

bool ReadAt(int fd, uint64_t offset, uint8_t* buffer, size_t size)
{
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = ::pread(fd, buffer + done, size - done, off_t(offset + done));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

struct Fd
{
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};
} // namespace

bool FindCdAudioWavData(const std::string& path, CdAudioWavData& data)
{
    data = {};
    Fd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return false;
    struct stat status
    {
    };
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const uint64_t fileSize = uint64_t(status.st_size);

    uint8_t header[12];
    if (!ReadAt(file.fd, 0, header, sizeof header) || Le32(header) != 0x46464952u /* RIFF */ ||
        Le32(header + 8) != 0x45564157u /* WAVE */)
        return false;

    bool formatOk = false;
    uint64_t position = 12;
    while (position + 8 <= fileSize)
    {
        uint8_t chunk[8];
        if (!ReadAt(file.fd, position, chunk, sizeof chunk))
            return false;
        const uint32_t id = Le32(chunk);
        const uint64_t size = Le32(chunk + 4);
        const uint64_t body = position + 8;
        if (id == 0x20746D66u /* "fmt " */)
        {
            uint8_t format[16];
            if (size < sizeof format || body + sizeof format > fileSize ||
                !ReadAt(file.fd, body, format, sizeof format))
                return false;
            const uint16_t tag = Le16(format);
            const bool pcm = tag == 1 || (tag == 0xFFFE && size >= 40);
            formatOk = pcm && Le16(format + 2) == 2 && Le32(format + 4) == 44100 && Le16(format + 14) == 16;
            if (!formatOk)
                return false;
        }
        else if (id == 0x61746164u /* "data" */)
        {
            if (!formatOk)
                return false;
            // A file whose writer stopped early declares more than it holds.
            const uint64_t held = fileSize - body;
            const uint64_t bytes = size < held ? size : held;
            data.offset = body;
            data.bytes = bytes - bytes % 4;
            return true;
        }
        // No pad byte follows an odd-sized chunk in the files this program
        // writes.
        position = body + size;
    }
    return false;
}
} // namespace qm::platform
