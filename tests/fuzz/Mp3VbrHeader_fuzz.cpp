// The bit-rate header probe reads the first frame of an MP3 file, after any
// ID3v2 tag: from bytes in memory and through the engine's file. Both must
// stay inside the bytes and agree.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/audiofile/foundation/CBinaryFile64.h"
#include "engine/audiofile/media/Mp3VbrHeader.h"
#include "tests/fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("input.mp3");
    const Mp3VbrHeader inMemory = FindMp3VbrHeader(data, size);
    input.write(data, size);
    CBinaryFile64 file(false);
    if (file.Open(input.widePath()) < 0)
        std::abort();
    if (ReadMp3VbrHeader(file) != inMemory)
        std::abort();
    return 0;
}
