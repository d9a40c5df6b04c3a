#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "app/songlist/TrackReader.h"

class CAudioFileReadBase;

namespace Tavrel
{
// One record for one audio file, named after the file. A file that no reader
// opens, above 96000 Hz or both compressed and lossless gives none.
class AudioFileReader : public TrackReader
{
public:
    explicit AudioFileReader(const juce::String& path);
    // A file reader still decoding in the background is handed to the
    // deferred readers, which delete it once it is idle.
    ~AudioFileReader() override;

    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    bool hasNext() override;
    TrackInfo* next() override;
    // While the file is being decoded, that progress; else 1.
    double getProgress() override;
    bool isPreparing() override;

private:
    juce::String m_path;
    std::unique_ptr<CAudioFileReadBase> m_reader;
    bool m_done = false;
};
} // namespace Tavrel
