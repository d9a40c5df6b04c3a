// The ASF header attribute reader takes a header object from bytes in memory
// and from the start of a file. Both must stay inside the bytes and agree,
// and a picture found must lie within the header. The header's own size field
// is set to the input's size, so that inputs reach the objects inside.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/audiofile/media/CAsfAttributeReader.h"
#include "tests/fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("input.wma");
    std::vector<uint8_t> header(data, data + size);
    if (header.size() >= 24)
    {
        for (int i = 0; i < 8; ++i)
            header[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(uint64_t(header.size()) >> (8 * i));
    }
    CAsfAttributeReader inMemory;
    const bool parsed = inMemory.Parse(header.data(), header.size());
    CAsfAttributeReader::Picture picture;
    if (inMemory.GetPicture(picture) && (!parsed || picture.data.empty() || picture.data.size() > header.size()))
        std::abort();

    input.write(header.data(), header.size());
    CAsfAttributeReader fromFile;
    if (fromFile.ReadFrom(input.widePath()) != parsed ||
        fromFile.GetAttributes().size() != inMemory.GetAttributes().size())
        std::abort();
    return 0;
}
