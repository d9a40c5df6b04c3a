// CD-TEXT packs from a disc or a pack file are untrusted: assembling every
// text of every block must stay inside the packs and always end.
#include <cstddef>
#include <cstdint>

#include "engine/audiofile/cd/CCdTextPacks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    CCdTextPacks packs;
    // The first byte is the disc's last track number; the rest are packs.
    packs.Assign(data + 1, size - 1, int(data[0]) - 8);
    for (int block = -1; block <= CCdTextPacks::kBlocks; ++block)
    {
        packs.GetLanguage(block);
        packs.GetCharacterCode(block);
        for (int track = -1; track <= packs.GetLastTrackNumber() + 1; ++track)
        {
            packs.GetText(CCdTextPacks::kTitle, block, track);
            packs.GetText(CCdTextPacks::kPerformer, block, track);
        }
    }
    return 0;
}
