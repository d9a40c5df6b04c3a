#pragma once

// What the file-reading fuzz targets share: each input is written to a file,
// because the readers under test take paths, and the sample reads, ranges and
// positions every reader goes through.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "engine/audiofile/io/CAudioFileReadBase.h"

namespace qm::fuzz
{
// A file of the given name in a folder made once for the process; on a memory
// file system when there is one, which keeps the per-input writes off the disk.
class InputFile
{
public:
    explicit InputFile(const char* fileName)
    {
        std::string pattern =
            access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillmark-fuzz-XXXXXX" : "/tmp/quillmark-fuzz-XXXXXX";
        const char* folder = mkdtemp(pattern.data());
        if (folder == nullptr)
            std::abort();
        m_folder = folder;
        m_path = m_folder + "/" + fileName;
        m_widePath.assign(m_path.begin(), m_path.end());
    }

    // A file of the given name in the same folder as `besides`.
    InputFile(const InputFile& besides, const char* fileName)
        : m_folder(besides.m_folder),
          m_path(m_folder + "/" + fileName),
          m_widePath(m_path.begin(), m_path.end())
    {
    }

    // Replaces the file's content with the input.
    void write(const uint8_t* data, size_t size) const
    {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            std::abort();
        size_t done = 0;
        while (done < size)
        {
            const ssize_t put = ::write(fd, data + done, size - done);
            if (put <= 0)
                std::abort();
            done += static_cast<size_t>(put);
        }
        ::close(fd);
    }

    // The path as the readers take it (the folder's path is ASCII).
    const char16_t* widePath() const { return m_widePath.c_str(); }
    const std::string& path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
    std::u16string m_widePath;
};

// Up to eight bytes of the input from `from` on as a little-endian number;
// bytes beyond the input count as 0.
inline uint64_t takeLE(const uint8_t* data, size_t size, size_t from)
{
    uint64_t value = 0;
    for (size_t i = 0; i < 8 && from + i < size; ++i)
        value |= uint64_t(data[from + i]) << (8 * i);
    return value;
}

// Reads an open reader's samples, then sets a range and a position taken from
// the tail of the input, as a caller might pass them, and reads again.
inline void exerciseSamples(CAudioFileReadBase& reader, const uint8_t* data, size_t size)
{
    int32_t left[700];
    int32_t right[700];
    int32_t* channels[2] = {left, right};
    for (int block = 0; block < 64 && reader.ReadInt32(channels, 700, 0) == 700; ++block)
    {
    }
    const uint64_t start = takeLE(data, size, size > 24 ? size - 24 : 0);
    const uint64_t end = takeLE(data, size, size > 16 ? size - 16 : 0);
    reader.SetRange(start % 100000, (end & 1) != 0 ? uint64_t(-1) : end % 100000);
    reader.SetPosition(takeLE(data, size, size > 8 ? size - 8 : 0) % 1000);
    float* floats[2] = {reinterpret_cast<float*>(left), nullptr};
    reader.ReadFloat(floats, 700, 0);
    reader.GetPosition();
}
} // namespace qm::fuzz
