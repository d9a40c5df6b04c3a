#pragma once

#include <cstdint>
#include <string>

namespace qm::platform
{
enum class [[nodiscard]] RegularFileReadResult{
    Ok,
    NotFound,
    // A folder, FIFO, socket or device (also through a link): such a file
    // may never end or may block, so it is never read.
    NotRegularFile,
    // Larger than the caller's limit; nothing is read.
    TooLarge,
    ReadFailed,
};

// Reads a whole regular file into `bytes` (emptied first). The file is opened
// without blocking and read up to the size it had when opened, so a file that
// grows meanwhile cannot make the read run on. Any thread.
RegularFileReadResult readRegularFile(const std::string& path, uint64_t maxSize, std::string& bytes);
} // namespace qm::platform
