// Feeds arbitrary bytes to the WAV reader as a file: header and chunk search,
// format checks, INFO texts, cue points, ranges and sample reads.

#include <cstddef>
#include <cstdint>

#include "engine/audiofile/wav/CWavFileRead.h"
#include "tests/fuzz/FuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("input.wav");
    input.write(data, size);

    CWavFileRead reader;
    if (reader.Open(input.widePath()) != ReaderOpenResult::Ok)
        return 0;

    CAudioMetaData* metadata = reader.GetMetaData();
    for (int field = 0; field < CAudioMetaData::kFieldCount; ++field)
        metadata->GetField(field)->GetWide();

    qm::fuzz::exerciseSamples(reader, data, size);
    reader.GetMarker()->GetCount();
    return 0;
}
