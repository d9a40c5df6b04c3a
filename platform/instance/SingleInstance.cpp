#include "platform/instance/SingleInstance.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm::platform
{
namespace
{
constexpr int kConnectTimeoutMs = 5000;
constexpr int kAnswerTimeoutMs = 5000;
constexpr int kReadTimeoutMs = 2000;

struct Listener
{
    int lockFd = -1;
    int socketFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string socketPath;
    std::thread thread;
    HandOverReceiver receiver;
};

Listener g_listener;

// Reads exactly `size` bytes, waiting at most until the deadline.
bool readFully(int fd, void* data, size_t size, std::chrono::steady_clock::time_point deadline)
{
    auto* bytes = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        const ssize_t got = ::read(fd, bytes + done, size - done);
        if (got <= 0)
        {
            if (got < 0 && errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

bool writeFully(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t put = ::send(fd, bytes + done, size - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// The message: the number of items, then each item's length and bytes, all
// lengths 32-bit little-endian.
std::vector<uint8_t> frame(const std::vector<std::string>& items)
{
    std::vector<uint8_t> bytes;
    const auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(static_cast<uint32_t>(items.size()));
    for (const std::string& item : items)
    {
        put32(static_cast<uint32_t>(item.size()));
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
    return bytes;
}

uint32_t get32(const uint8_t* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// One connection: the peer must be this user; a well-formed message is
// answered with one byte and handed to the receiver.
void serve(int fd)
{
    ucred peer = {};
    socklen_t length = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
    uint8_t header[4];
    if (!readFully(fd, header, 4, deadline))
        return;
    const uint32_t count = get32(header);
    if (count == 0 || count > kMaxHandOverBytes / 4)
        return;
    std::vector<std::string> items;
    size_t total = 4;
    for (uint32_t i = 0; i < count; ++i)
    {
        if (!readFully(fd, header, 4, deadline))
            return;
        const uint32_t size = get32(header);
        total += 4 + size_t(size);
        if (total > kMaxHandOverBytes)
            return;
        std::string item(size, '\0');
        if (size > 0 && !readFully(fd, item.data(), size, deadline))
            return;
        items.push_back(std::move(item));
    }
    const uint8_t answer = 1;
    (void)writeFully(fd, &answer, 1);
    if (g_listener.receiver)
        g_listener.receiver(std::move(items));
}

void listen()
{
    for (;;)
    {
        pollfd fds[2] = {{g_listener.socketFd, POLLIN, 0}, {g_listener.wakeRead, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const int fd = ::accept4(g_listener.socketFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

bool makeAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Creates the folder (0700) when missing and checks it is a real folder of
// this user that nobody else may enter.
std::string checkFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot create " + folder + ": " + std::strerror(errno);
    struct stat info = {};
    if (::lstat(folder.c_str(), &info) != 0)
        return "cannot read " + folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return folder + " is not a private folder of this user (it must be a folder with mode 0700); "
                        "the program runs without handing later starts to this one";
    return {};
}

InstanceClaim handOver(const std::string& socketPath, const std::vector<std::string>& items)
{
    sockaddr_un address;
    if (!makeAddress(socketPath, address))
        return {InstanceRole::Failed, "the runtime folder's path is too long"};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    int fd = -1;
    // The first process may still be starting: it takes the lock before it
    // listens.
    while (true)
    {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
            break;
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (std::chrono::steady_clock::now() > deadline)
            return {InstanceRole::Failed, "Quillmark is running but does not answer (" + socketPath + ")"};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::vector<uint8_t> message = frame(items);
    uint8_t answer = 0;
    const bool sent = writeFully(fd, message.data(), message.size()) &&
                      readFully(fd, &answer, 1,
                                std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs)) &&
                      answer == 1;
    ::close(fd);
    if (!sent)
        return {InstanceRole::Failed, "Quillmark is running but did not take the files"};
    return {InstanceRole::HandedOver, {}};
}
} // namespace

std::string singleInstanceFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/quillmark";
    return "/tmp/quillmark-" + std::to_string(::getuid());
}

InstanceClaim claimSingleInstance(const std::vector<std::string>& arguments, const std::string& workingFolder,
                                  HandOverReceiver receiver)
{
    const std::string folder = singleInstanceFolder();
    const std::string problem = checkFolder(folder);
    if (!problem.empty())
        return {InstanceRole::First, problem};

    const std::string lockPath = folder + "/instance.lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return {InstanceRole::First, "cannot open " + lockPath + ": " + std::strerror(errno)};
    const std::string socketPath = folder + "/instance.sock";
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0)
    {
        ::close(lockFd);
        std::vector<std::string> items{workingFolder};
        items.insert(items.end(), arguments.begin(), arguments.end());
        return handOver(socketPath, items);
    }

    // The lock is ours: a socket left by a process that died is stale.
    g_listener.lockFd = lockFd;
    ::unlink(socketPath.c_str());
    sockaddr_un address;
    int pipeFds[2] = {-1, -1};
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || !makeAddress(socketPath, address) ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 8) != 0 ||
        ::pipe2(pipeFds, O_CLOEXEC) != 0)
    {
        if (fd >= 0)
            ::close(fd);
        return {InstanceRole::First, "cannot listen on " + socketPath + ": " + std::strerror(errno)};
    }
    g_listener.socketFd = fd;
    g_listener.wakeRead = pipeFds[0];
    g_listener.wakeWrite = pipeFds[1];
    g_listener.socketPath = socketPath;
    g_listener.receiver = std::move(receiver);
    g_listener.thread = std::thread(listen);
    // The framework ends the process with exit() when its display goes away:
    // the thread is stopped and joined then too, before the statics go.
    std::atexit(releaseSingleInstance);
    return {InstanceRole::First, {}};
}

void releaseSingleInstance()
{
    if (!g_listener.thread.joinable())
        return;
    const uint8_t wake = 1;
    (void)!::write(g_listener.wakeWrite, &wake, 1);
    ::shutdown(g_listener.socketFd, SHUT_RDWR);
    g_listener.thread.join();
    ::close(g_listener.socketFd);
    ::close(g_listener.wakeRead);
    ::close(g_listener.wakeWrite);
    ::unlink(g_listener.socketPath.c_str());
    g_listener.socketFd = g_listener.wakeRead = g_listener.wakeWrite = -1;
}
} // namespace qm::platform
