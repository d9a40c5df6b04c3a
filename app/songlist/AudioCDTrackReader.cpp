#include "app/songlist/AudioCDTrackReader.h"

#include "app/core/CBJXResource.h"
#include "app/core/WideText.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/cd/CAudioCDRead.h"

namespace Tavrel
{
AudioCDTrackReader::AudioCDTrackReader(const juce::String& drive)
    : m_reader(std::make_unique<CAudioCDRead>(true))
{
    const std::u16string wide = toEngineText(drive);
    if (m_reader->Open(wide.c_str()) != ReaderOpenResult::Ok)
        m_reader.reset();
}

AudioCDTrackReader::~AudioCDTrackReader() = default;

int AudioCDTrackReader::trackCount() const
{
    return m_reader != nullptr ? m_reader->GetTrackCount() : 0;
}

bool AudioCDTrackReader::hasNext()
{
    return m_index < trackCount();
}

double AudioCDTrackReader::getProgress()
{
    if (!hasNext())
        return 1.0;
    return static_cast<double>(m_index) / trackCount();
}

TrackInfo* AudioCDTrackReader::next()
{
    if (!hasNext())
        return nullptr;
    // Moves on even when the track cannot be selected, so a caller that
    // loops while hasNext() always ends.
    const int index = m_index++;
    if (!m_reader->SelectTrack(index))
        return nullptr;
    auto* record = new TrackInfo(*m_reader);
    juce::String name = record->getTextField(TrackInfo::kTitle).trim();
    if (name.isEmpty())
        name = CBJXResource::GetString("DiscOpen_SongNamePrefix") + " " + juce::String(index + 1).paddedLeft('0', 2);
    record->setTextField(name, TrackInfo::kSongName, true);
    return record;
}
} // namespace Tavrel
