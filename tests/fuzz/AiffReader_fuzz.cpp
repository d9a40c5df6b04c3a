// Feeds arbitrary bytes to the AIFF and AIFC readers as a file: the form
// header and chunk search, "COMM" checks, "SSND" bounds, the "ID3 " chunk with
// its tag and picture, ranges and sample reads.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/audiofile/aiff/CAifcSowtFileRead.h"
#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "tests/fuzz/FuzzInputFile.h"

namespace
{
void exercise(CAiffFileRead& reader, const qm::fuzz::InputFile& input, const uint8_t* data, size_t size)
{
    if (reader.Open(input.widePath()) != ReaderOpenResult::Ok)
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
    qm::fuzz::exerciseSamples(reader, data, size);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("input.aif");
    input.write(data, size);
    CAiffFileRead aiff;
    exercise(aiff, input, data, size);
    CAifcSowtFileRead sowt;
    exercise(sowt, input, data, size);
    return 0;
}
