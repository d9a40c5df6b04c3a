// Feeds arbitrary bytes to the WAV reader as a file: header and chunk search,
// format checks, INFO texts, cue points, ranges and sample reads.

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "engine/audiofile/CWavFileRead.h"

namespace
{
const std::string& inputPath()
{
    static const std::string path = [] {
        // A memory file system keeps the per-input file off the disk.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillmark-fuzz-XXXXXX" : "/tmp/quillmark-fuzz-XXXXXX";
        const char* folder = mkdtemp(pattern.data());
        if (folder == nullptr)
            std::abort();
        return std::string(folder) + "/input.wav";
    }();
    return path;
}

std::u16string widePath()
{
    const std::string& narrow = inputPath();
    return std::u16string(narrow.begin(), narrow.end());
}

uint64_t takeLE(const uint8_t* data, size_t size, size_t from)
{
    uint64_t value = 0;
    for (size_t i = 0; i < 8 && from + i < size; ++i)
        value |= uint64_t(data[from + i]) << (8 * i);
    return value;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = ::open(inputPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
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

    CWavFileRead reader;
    if (reader.Open(widePath().c_str()) != 0)
        return 0;

    CAudioMetaData* metadata = reader.GetMetaData();
    for (int field = 0; field < CAudioMetaData::kFieldCount; ++field)
        metadata->GetField(field)->GetWide();

    int32_t left[700];
    int32_t right[700];
    int32_t* channels[2] = {left, right};
    for (int block = 0; block < 64 && reader.ReadInt32(channels, 700, 0) == 700; ++block)
    {
    }

    // Ranges and positions from the tail of the input, as a caller might pass.
    const uint64_t start = takeLE(data, size, size > 24 ? size - 24 : 0);
    const uint64_t end = takeLE(data, size, size > 16 ? size - 16 : 0);
    reader.SetRange(start % 100000, (end & 1) != 0 ? uint64_t(-1) : end % 100000);
    reader.SetPosition(takeLE(data, size, size > 8 ? size - 8 : 0) % 1000);
    float* floats[2] = {reinterpret_cast<float*>(left), nullptr};
    reader.ReadFloat(floats, 700, 0);
    reader.GetPosition();
    reader.GetMarker()->GetCount();
    return 0;
}
