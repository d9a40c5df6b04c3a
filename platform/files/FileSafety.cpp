#include "platform/files/FileSafety.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform
{
namespace
{
// Follows a link to the file it names, so that the file is replaced and the
// link kept. A dangling link names the file to create.
std::string resolveTarget(const std::string& target)
{
    struct stat info = {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return target;
    std::error_code error;
    const auto resolved = std::filesystem::canonical(target, error);
    if (!error)
        return resolved.string();
    // A dangling link: the file to create is the one it names.
    const std::filesystem::path link(target);
    const auto named = std::filesystem::read_symlink(link, error);
    if (error)
        return target;
    return (named.is_absolute() ? named : link.parent_path() / named).string();
}

std::string folderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// A file counts as read-only when no one may write it by its permission bits
// (so that this holds for every user, root included) or when this process
// may not.
bool isReadOnly(const struct stat& info, const std::string& path)
{
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Makes the folder's new entry durable too; a failure here loses nothing.
void syncFolder(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

bool writeAll(int fd, const void* data, size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

SafeFileReplacer::~SafeFileReplacer()
{
    abandon();
}

ReplaceResult SafeFileReplacer::begin(const std::string& target)
{
    abandon();
    m_target = resolveTarget(target);
    m_writeFailed = false;
    struct stat info = {};
    m_targetExisted = ::stat(m_target.c_str(), &info) == 0;
    if (m_targetExisted)
    {
        if (!S_ISREG(info.st_mode))
            return ReplaceResult::NotAFile;
        if (isReadOnly(info, m_target))
            return ReplaceResult::ReadOnly;
        m_mode = info.st_mode & 07777;
    }

    static thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%" PRIx64 ".tmp", static_cast<uint64_t>(random()));
        const std::string sibling = m_target + suffix;
        const int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
        {
            m_fd = fd;
            m_sibling = sibling;
            return ReplaceResult::Ok;
        }
        if (errno != EEXIST)
            break;
    }
    return ReplaceResult::CreateFailed;
}

bool SafeFileReplacer::write(const void* data, size_t size)
{
    if (m_fd < 0 || m_writeFailed)
        return false;
    if (!writeAll(m_fd, data, size))
        m_writeFailed = true;
    return !m_writeFailed;
}

ReplaceResult SafeFileReplacer::commit()
{
    if (m_fd < 0)
        return ReplaceResult::CreateFailed;
    bool written = !m_writeFailed;
    // The old file's permissions carry over; a new file gets the umask's.
    if (written && m_targetExisted && ::fchmod(m_fd, m_mode) != 0)
        written = false;
    written = written && ::fsync(m_fd) == 0;
    written = ::close(m_fd) == 0 && written;
    m_fd = -1;
    if (!written)
    {
        abandon();
        return ReplaceResult::WriteFailed;
    }
    if (::rename(m_sibling.c_str(), m_target.c_str()) != 0)
    {
        abandon();
        return ReplaceResult::RenameFailed;
    }
    m_sibling.clear();
    syncFolder(m_target);
    return ReplaceResult::Ok;
}

void SafeFileReplacer::abandon()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_sibling.empty())
    {
        ::unlink(m_sibling.c_str());
        m_sibling.clear();
    }
}

ReplaceResult replaceFile(const std::string& target, const void* data, size_t size)
{
    SafeFileReplacer replacer;
    const ReplaceResult begun = replacer.begin(target);
    if (begun != ReplaceResult::Ok)
        return begun;
    if (!replacer.write(data, size))
        return ReplaceResult::WriteFailed;
    return replacer.commit();
}

bool isReplacementSiblingName(const std::string& name, const std::string& targetName)
{
    const std::string tail = ".tmp";
    if (name.size() <= targetName.size() + 1 + tail.size() || name.compare(0, targetName.size(), targetName) != 0 ||
        name[targetName.size()] != '.' || name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const size_t first = targetName.size() + 1;
    const size_t digits = name.size() - tail.size() - first;
    if (digits < 1 || digits > 16)
        return false;
    for (size_t i = first; i < first + digits; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f')))
            return false;
    return true;
}

void removeLeftoverSiblings(const std::string& requestedTarget)
{
    const std::filesystem::path target(resolveTarget(requestedTarget));
    const std::string targetName = target.filename().string();
    std::error_code error;
    for (std::filesystem::directory_iterator it(folderOf(target.string()), error), end; !error && it != end;
         it.increment(error))
    {
        const std::string name = it->path().filename().string();
        if (!isReplacementSiblingName(name, targetName))
            continue;
        struct stat info = {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            ::unlink(it->path().c_str());
    }
}

RenameResult renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return RenameResult::Ok;
    if (errno == EEXIST)
        return RenameResult::TargetExists;
    if (errno != EINVAL && errno != ENOSYS)
        return RenameResult::Failed;
    // A file system without the no-replace rename: a hard link fails when the
    // target exists, so link and unlink give the same guarantee.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? RenameResult::TargetExists : RenameResult::Failed;
    ::unlink(from.c_str());
    return RenameResult::Ok;
}

RenameResult renameReplacing(const std::string& from, const std::string& to)
{
    struct stat info = {};
    if (::stat(to.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return RenameResult::Failed;
    return ::rename(from.c_str(), to.c_str()) == 0 ? RenameResult::Ok : RenameResult::Failed;
}

CreateFolderResult createPrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) == 0)
        return CreateFolderResult::Created;
    return errno == EEXIST ? CreateFolderResult::Exists : CreateFolderResult::Failed;
}

bool isSameFile(const std::string& a, const std::string& b)
{
    struct stat first = {};
    struct stat second = {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool pathExists(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}
} // namespace qm::platform
