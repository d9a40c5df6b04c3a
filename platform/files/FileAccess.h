#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// Plain file access by descriptor for the engine's own file class: open a
// regular file, read and write at a position, ask its size. Paths are UTF-8.
// Any thread; a descriptor's reads and writes at their own positions may run
// from several threads at once.
namespace qm::platform
{
enum class FileOpenMode
{
    Read,
    // Creates the file or empties the one that is there. Callers that must
    // not lose a file write to a new name and rename with renameNoReplace()
    // or go through SafeFileReplacer.
    CreateOrTruncate,
};

// Opens a regular file; -1 when it cannot be opened or is a folder, FIFO,
// socket or device (checked without ever blocking on one).
int openRegularFile(const std::string& path, FileOpenMode mode);
// False when closing reported an error (written data may then be lost).
bool closeFile(int fd);
// Reads up to `size` bytes at `offset`; fewer only at the end or on an error.
size_t readAt(int fd, void* data, size_t size, int64_t offset);
// Writes up to `size` bytes at `offset`; fewer only on an error (a full disk).
size_t writeAt(int fd, const void* data, size_t size, int64_t offset);
// The open file's size in bytes; -1 when it cannot be asked.
int64_t fileSize(int fd);
// When the file was last written; false when it cannot be asked.
bool modificationTime(const std::string& path, std::time_t& written);
} // namespace qm::platform
