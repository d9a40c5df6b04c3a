#include "platform/files/RegularFileRead.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform
{
RegularFileReadResult readRegularFile(const std::string& path, uint64_t maxSize, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. O_NOCTTY: a terminal named by mistake must not become ours.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? RegularFileReadResult::NotFound
                                                   : RegularFileReadResult::ReadFailed;
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return RegularFileReadResult::ReadFailed;
    if (!S_ISREG(info.st_mode))
        return RegularFileReadResult::NotRegularFile;
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > maxSize)
        return RegularFileReadResult::TooLarge;

    try
    {
        bytes.resize(static_cast<size_t>(size));
    }
    catch (const std::bad_alloc&)
    {
        return RegularFileReadResult::TooLarge;
    }
    size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return RegularFileReadResult::ReadFailed;
        }
        if (got == 0)
            break; // shrunk meanwhile: keep what is there
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return RegularFileReadResult::Ok;
}
} // namespace qm::platform
