// A ".cda" track file names a track of the disc in a drive: its RIFF "CDDA"
// stub is read for the track number, which must select an audio track of the
// disc or be refused. The drive is a disc image of three audio tracks; the input is
// the stub.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "engine/audiofile/cd/CCdaFileRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/fuzz/FuzzInputFile.h"

namespace
{
// Writes the image once, registers it and makes the folder that stands for
// the drive's root, where the track files are; returns the stub's path.
std::string prepareDisc()
{
    const qm::fuzz::InputFile cue("disc.cue");
    const qm::fuzz::InputFile bin(cue, "disc.bin");
    const std::string sheet = "FILE \"disc.bin\" BINARY\n"
                              "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                              "  TRACK 02 AUDIO\n    INDEX 01 00:00:10\n"
                              "  TRACK 03 AUDIO\n    INDEX 01 00:00:20\n";
    cue.write(reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size());
    const std::vector<uint8_t> sectors(30 * 2352, 0x11);
    bin.write(sectors.data(), sectors.size());
    std::string drive;
    if (!qm::platform::CdDriveRegistry::Instance().RegisterImage(cue.path(), &drive))
        std::abort();
    ::mkdir(drive.c_str(), 0700);
    return drive + "/Track01.cda";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string stubPath = prepareDisc();
    std::FILE* stub = std::fopen(stubPath.c_str(), "wb");
    if (stub == nullptr || (size > 0 && std::fwrite(data, 1, size, stub) != size) || std::fclose(stub) != 0)
        std::abort();

    CCdaFileRead reader;
    const std::u16string path(stubPath.begin(), stubPath.end());
    if (reader.Open(path.c_str()) != ReaderOpenResult::Ok)
        return 0;
    // An opened track is one of the disc's audio tracks, never the whole disc.
    if (reader.GetLength() == 0 || reader.GetLength() > 20 * CAudioCDRead::kFramesPerSector)
        std::abort();
    int32_t left[600];
    int32_t right[600];
    int32_t* channels[2] = {left, right};
    reader.ReadInt32(channels, 600, 0);
    return 0;
}
