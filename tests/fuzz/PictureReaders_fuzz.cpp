// The picture readers take a path the user chose or a song list named: a
// JPEG or PNG file, or an audio file carrying a picture in its tags. Sizes
// and loads must agree and stay inside the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/audiofile/tags/CImageFileRead.h"
#include "tests/fuzz/FuzzInputFile.h"

namespace
{
void exercise(const qm::fuzz::InputFile& input, const uint8_t* data, size_t size)
{
    input.write(data, size);
    const std::unique_ptr<CImageFileReadBase> reader(CreateImageFileRead(input.widePath()));
    if (reader == nullptr)
        return;
    const uint32_t stated = reader->GetDataSize();
    const uint32_t loaded = reader->Load();
    if (loaded != reader->GetLoadedSize() || (loaded != 0 && loaded != stated))
        std::abort();
    reader->Close();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The extension chooses the reader; an audio file's picture is tried
    // first whatever the name.
    static const qm::fuzz::InputFile jpeg("input.jpg");
    static const qm::fuzz::InputFile png("input.png");
    static const qm::fuzz::InputFile other("input");
    exercise(jpeg, data, size);
    exercise(png, data, size);
    exercise(other, data, size);
    return 0;
}
