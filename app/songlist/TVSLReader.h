#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/songlist/TrackReader.h"

class CSongRead;

namespace Tavrel
{
// One record per song stored in a song-list file. A file that is not a song
// list, or one written by a newer version, gives none and leaves the
// localised reason in the error text.
class TVSLReader : public TrackReader
{
public:
    explicit TVSLReader(const juce::File& file);
    ~TVSLReader() override;

    TVSLReader(const TVSLReader&) = delete;
    TVSLReader& operator=(const TVSLReader&) = delete;

    bool hasNext() override;
    // The next stored song, even when parts of it are missing (the error text
    // then names the last missing part; it is emptied for a complete one).
    TrackInfo* next() override;
    double getProgress() override;

    // The document's error, or the message of the last song read.
    juce::String getErrorText() const { return m_errorText; }

    // The version of the format: the digits and dots of the text, split at
    // the dots, the first four parts as the bytes from the highest down
    // ("1.0.0.0" is 0x01000000); missing parts count as 0.
    static uint32_t parseVersion(const juce::String& text);

    // The newest version this program reads and writes.
    static constexpr uint32_t kCurrentVersion = 0x01000000;

private:
    juce::File m_folder;
    std::unique_ptr<juce::XmlElement> m_root;
    std::vector<const juce::XmlElement*> m_tracks;
    size_t m_index = 0;
    juce::String m_errorText;
    std::unique_ptr<CSongRead> m_songReader;
};
} // namespace Tavrel
