#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The one place that writes, replaces, renames and removes files. Whatever
// replaces a user's file goes through a sibling that is written in full and
// made durable before it takes the file's name, so a crash, a full disk or a
// refusal at any step leaves the old file as it was. Nothing here ever
// replaces a file by accident: renames that must not replace say so.
//
// Paths are UTF-8. Every function may be called from any thread; one
// SafeFileReplacer belongs to one thread at a time.
namespace qm::platform
{
// Writes all of `size` bytes to an open descriptor, going on after
// interruptions and short writes. False when the system refuses (a full disk,
// a size limit): some bytes may then be written.
[[nodiscard]] bool writeAll(int fd, const void* data, size_t size);

enum class [[nodiscard]] ReplaceResult{
    Ok,
    // The target is a folder, device, FIFO or socket.
    NotAFile,
    // The target may not be written by this user or by its permission bits.
    ReadOnly,
    // No sibling could be made in the target's folder.
    CreateFailed,
    // Writing or flushing the new content failed (a full disk, a size limit).
    WriteFailed,
    // The finished sibling could not take the target's name.
    RenameFailed,
};

// Replaces (or creates) one file. begin() makes a new sibling
// "<target>.<hex>.tmp" in the target's folder; write() appends to it;
// commit() flushes it, gives it the old file's permissions and renames it
// over the target. A link is followed: the file it points to is replaced and
// the link kept. Until commit() succeeds the target is untouched; a replacer
// destroyed without a successful commit removes its sibling.
class SafeFileReplacer
{
public:
    SafeFileReplacer() = default;
    ~SafeFileReplacer();
    SafeFileReplacer(const SafeFileReplacer&) = delete;
    SafeFileReplacer& operator=(const SafeFileReplacer&) = delete;

    ReplaceResult begin(const std::string& target);
    // False once any write has failed; commit() then says WriteFailed.
    bool write(const void* data, size_t size);
    ReplaceResult commit();
    // Removes the sibling; the target is left as it was.
    void abandon();

    // The path that is being written (empty before begin()).
    const std::string& siblingPath() const { return m_sibling; }

private:
    std::string m_target;
    std::string m_sibling;
    int m_fd = -1;
    bool m_targetExisted = false;
    uint32_t m_mode = 0;
    bool m_writeFailed = false;
};

// Writes `size` bytes as the new content of `target` through a SafeFileReplacer.
ReplaceResult replaceFile(const std::string& target, const void* data, size_t size);

// True for the name of a sibling that a replacement of `targetName` makes:
// "<target name>.<1 to 16 lowercase hex digits>.tmp".
bool isReplacementSiblingName(const std::string& name, const std::string& targetName);

// A replacement that was killed leaves its sibling behind. This removes such
// leftovers of `target` (after following a link), regular files of this user
// only. Called before a new replacement of the same file.
void removeLeftoverSiblings(const std::string& target);

enum class [[nodiscard]] RenameResult{
    Ok,
    // Something already has the new name; nothing was changed.
    TargetExists,
    Failed,
};

// Renames a file without ever replacing anything that has the new name.
RenameResult renameNoReplace(const std::string& from, const std::string& to);

// Renames a file over whatever regular file has the new name (the user
// agreed to replace it). Failed when the new name is a folder or the rename
// was refused; the old file is then left as it was.
RenameResult renameReplacing(const std::string& from, const std::string& to);

enum class [[nodiscard]] CreateFolderResult{
    Created,
    // Something already has the name (the name is taken, nothing changed).
    Exists,
    Failed,
};
// Creates a folder that only this user may enter (mode 0700). Never reuses
// an existing one: in a shared folder such as /tmp a name that is taken is
// taken, whoever made it.
CreateFolderResult createPrivateFolder(const std::string& path);

// True when both paths name one file (the same device and inode, through
// any link); false when either cannot be asked.
bool isSameFile(const std::string& a, const std::string& b);

// Removes one file (not a folder). True when it is gone, also when it was
// never there.
bool removeFile(const std::string& path);

// True when anything (file, folder, device, dangling link) has this name.
bool pathExists(const std::string& path);
} // namespace qm::platform
