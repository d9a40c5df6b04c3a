// A cue sheet and the CD-TEXT pack file it names, as a disc image registered
// as a CD drive: the sheet's parsing, the pack file's name and size, the
// table of contents, the CD-TEXT of every block and the audio-CD reader over
// it. The input is the cue sheet up to its first NUL byte, then the pack file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/audiofile/cd/CAudioCDRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/fuzz/FuzzInputFile.h"

using qm::platform::CdDriveRegistry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile cue("disc.cue");
    static const qm::fuzz::InputFile packs(cue, "disc.cdt");
    static const qm::fuzz::InputFile bin(cue, "disc.bin");
    static const std::string cuePath = cue.path();
    // Twenty sectors of samples, whatever the sheet says.
    static const bool binWritten = [] {
        std::vector<uint8_t> samples(20 * 2352);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<uint8_t>(i * 7);
        bin.write(samples.data(), samples.size());
        return true;
    }();
    (void)binWritten;

    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t cueSize = nul != nullptr ? static_cast<size_t>(nul - data) : size;
    cue.write(data, cueSize);
    packs.write(data + cueSize + (nul != nullptr ? 1 : 0), size - cueSize - (nul != nullptr ? 1 : 0));

    std::string name;
    if (!CdDriveRegistry::Instance().RegisterImage(cuePath, &name))
        std::abort();
    {
        CAudioCDRead reader(true);
        const std::u16string drive(name.begin(), name.end());
        if (reader.Open(drive.c_str()) == ReaderOpenResult::Ok)
        {
            for (int index = 0; index < reader.GetTrackCount() && index < 4; ++index)
            {
                if (!reader.SelectTrack(index))
                    continue;
                int32_t left[600];
                int32_t right[600];
                int32_t* channels[2] = {left, right};
                reader.ReadInt32(channels, 600, 0);
                for (int field = 0; field < CAudioMetaData::kFieldCount; ++field)
                    reader.GetMetaData()->GetField(field)->GetWide();
            }
        }
    }
    CdDriveRegistry::Instance().UnregisterImage(name);
    return 0;
}
