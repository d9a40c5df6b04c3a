// The decoding layer's container paths (MP3, MP4/QuickTime, ASF, raw AAC) on
// bytes in memory: stream listing, tags, the attached picture, choosing a
// stream, the length measurement, reads and seeks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/media/MediaDecoder.h"

using qm::platform::MediaChooseResult;
using qm::platform::MediaDecoder;
using qm::platform::MediaOpenResult;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MediaDecoder decoder;
    if (decoder.openMemory(data, size) != MediaOpenResult::Ok)
        return 0;
    decoder.tag("title");
    decoder.tag("artist");
    decoder.attachedPicture();
    for (size_t stream = 0; stream < decoder.audioStreams().size() && stream < 2; ++stream)
    {
        if (decoder.chooseAudioStream(stream) != MediaChooseResult::Ok)
            continue;
        const uint16_t channels = decoder.chosenStream().channels;
        if (channels == 0 || channels > 8)
            continue;
        int32_t samples[8][1024];
        int32_t* pointers[8] = {};
        for (uint16_t c = 0; c < channels; ++c)
            pointers[c] = samples[c];
        uint64_t total = 0;
        for (int block = 0; block < 64; ++block)
        {
            const uint32_t got = decoder.read(pointers, 1024, 0);
            if (got > 1024)
                std::abort();
            total += got;
            if (got < 1024)
                break;
        }
        const uint64_t length = decoder.length();
        if (length > 0 && decoder.seek(length / 2))
        {
            if (decoder.position() != length / 2)
                std::abort();
            decoder.read(pointers, 1024, 0);
        }
        (void)total;
    }
    return 0;
}
