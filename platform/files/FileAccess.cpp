#include "platform/files/FileAccess.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform
{
int openRegularFile(const std::string& path, FileOpenMode mode)
{
    const int flags = mode == FileOpenMode::Read ? (O_RDONLY | O_CLOEXEC) : (O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
    // O_NONBLOCK keeps a FIFO or a device node from blocking the open; such
    // files are refused below, and for a regular file the flag means nothing.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return -1;
    }
    const int statusFlags = ::fcntl(fd, F_GETFL);
    if (statusFlags != -1)
        ::fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK);
    return fd;
}

bool closeFile(int fd)
{
    return fd >= 0 && ::close(fd) == 0;
}

size_t readAt(int fd, void* data, size_t size, int64_t offset)
{
    char* bytes = static_cast<char*>(data);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t got = ::pread(fd, bytes + done, size - done, offset + static_cast<int64_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

size_t writeAt(int fd, const void* data, size_t size, int64_t offset)
{
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t put = ::pwrite(fd, bytes + done, size - done, offset + static_cast<int64_t>(done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += static_cast<size_t>(put);
    }
    return done;
}

int64_t fileSize(int fd)
{
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

bool modificationTime(const std::string& path, std::time_t& written)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    written = info.st_mtime;
    return true;
}
} // namespace qm::platform
