// Feeds arbitrary bytes to the AIFF and AIFC readers as a file: the form
// header and chunk search, "COMM" checks, "SSND" bounds, the "ID3 " chunk with
// its tag and picture, ranges and sample reads.

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/audiofile/CAifcSowtFileRead.h"
#include "engine/audiofile/CAiffFileRead.h"

namespace
{
const std::string& inputPath()
{
    static const std::string path = [] {
        std::string pattern =
            access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillmark-fuzz-XXXXXX" : "/tmp/quillmark-fuzz-XXXXXX";
        const char* folder = mkdtemp(pattern.data());
        if (folder == nullptr)
            std::abort();
        return std::string(folder) + "/input.aif";
    }();
    return path;
}

void writeInput(const uint8_t* data, size_t size)
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
}

uint64_t takeLE(const uint8_t* data, size_t size, size_t from)
{
    uint64_t value = 0;
    for (size_t i = 0; i < 8 && from + i < size; ++i)
        value |= uint64_t(data[from + i]) << (8 * i);
    return value;
}

void exercise(CAiffFileRead& reader, const uint8_t* data, size_t size)
{
    const std::string& narrow = inputPath();
    const std::u16string path(narrow.begin(), narrow.end());
    if (reader.Open(path.c_str()) != 0)
        return;
    CAudioMetaData* metadata = reader.GetMetaData();
    for (int field = 0; field < CAudioMetaData::kFieldCount; ++field)
        metadata->GetField(field)->GetNarrow();
    const uint32_t pictureSize = reader.GetPictureDataSize();
    if (pictureSize > 0 && pictureSize <= (1u << 24))
    {
        std::vector<uint8_t> picture(pictureSize);
        reader.ReadPictureData(picture.data(), pictureSize);
    }

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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(data, size);
    CAiffFileRead aiff;
    exercise(aiff, data, size);
    CAifcSowtFileRead sowt;
    exercise(sowt, data, size);
    return 0;
}
