// Feeds arbitrary bytes to the ID3 readers as a file: the ID3v2 header,
// extended header and frame walk of every version, text decoding in every
// encoding, the genre, date and time rules, pictures, the ID3v1 trailer and
// the merge into a metadata record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CID3v2Read.h"
#include "engine/audiofile/tags/Id3MetaDataMerge.h"
#include "tests/fuzz/FuzzInputFile.h"

namespace
{
using Getter = uint32_t (CID3v2Read::*)(char16_t*, uint32_t);
constexpr Getter kGetters[] = {
    &CID3v2Read::GetAlbum,           &CID3v2Read::GetAlbumSort,  &CID3v2Read::GetAlbumArtist,
    &CID3v2Read::GetAlbumArtistSort, &CID3v2Read::GetTitle,      &CID3v2Read::GetTitleSort,
    &CID3v2Read::GetArtist,          &CID3v2Read::GetArtistSort, &CID3v2Read::GetComposer,
    &CID3v2Read::GetComposerSort,    &CID3v2Read::GetGuitarist,  &CID3v2Read::GetGuitaristSort,
    &CID3v2Read::GetEncoder,         &CID3v2Read::GetTempo,      &CID3v2Read::GetGrouping,
    &CID3v2Read::GetTrack,           &CID3v2Read::GetPartOfSet,  &CID3v2Read::GetCompilation,
    &CID3v2Read::GetGenre,           &CID3v2Read::GetYearFrame,  &CID3v2Read::GetDateFrame,
    &CID3v2Read::GetTimeFrame,       &CID3v2Read::GetDate,       &CID3v2Read::GetTime,
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const qm::fuzz::InputFile input("input.mp3");
    input.write(data, size);

    std::unique_ptr<CID3v2Read> tag(CreateId3v2Reader(input.widePath(), 0));
    if (tag != nullptr)
    {
        // Small capacities exercise the cuts, 129 the metadata's.
        for (const uint32_t capacity : {1u, 2u, 5u, 129u})
            for (const Getter getter : kGetters)
            {
                std::vector<char16_t> out(capacity);
                const uint32_t length = (tag.get()->*getter)(out.data(), capacity);
                if (length >= capacity || out[length] != 0)
                    std::abort();
            }
        const uint32_t pictureSize = tag->ReadPicture(nullptr, 0, -1);
        if (pictureSize > 0 && pictureSize <= (1u << 24))
        {
            std::vector<uint8_t> picture(pictureSize);
            if (tag->ReadPicture(picture.data(), pictureSize, -1) != pictureSize)
                std::abort();
        }
        uint8_t small[8];
        tag->ReadPicture(small, sizeof small, 3);
        tag->FindFrame("TIT2", true);
        tag->FindFrame("TT2", false);
    }

    CAudioMetaData metadata;
    MergeId3TagsIntoMetaData(input.widePath(), metadata);
    for (int field = 0; field < CAudioMetaData::kFieldCount; ++field)
        metadata.GetField(field)->GetNarrow();
    return 0;
}
