#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "app/songlist/TrackReader.h"

class CAudioCDRead;

namespace Tavrel
{
// One record per audio track of the disc in a CD drive (a drive name of the
// platform's drive registry: a device node or a disc image), named by the
// track's CD-TEXT title or else "Track 01", "Track 02", ... in the user's
// language. A drive without a readable audio disc gives none.
class AudioCDTrackReader : public TrackReader
{
public:
    explicit AudioCDTrackReader(const juce::String& drive);
    ~AudioCDTrackReader() override;

    AudioCDTrackReader(const AudioCDTrackReader&) = delete;
    AudioCDTrackReader& operator=(const AudioCDTrackReader&) = delete;

    bool hasNext() override;
    TrackInfo* next() override;
    // The share of tracks read so far; 1 when none is left.
    double getProgress() override;

private:
    int trackCount() const;

    std::unique_ptr<CAudioCDRead> m_reader;
    int m_index = 0;
};
} // namespace Tavrel
