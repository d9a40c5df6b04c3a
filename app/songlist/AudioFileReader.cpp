#include "app/songlist/AudioFileReader.h"

#include "app/core/WideText.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"

namespace Tavrel
{
namespace
{
// The file's name without folder and extension ("a.b.wav" gives "a.b").
juce::String songNameOf(const juce::String& path)
{
    const juce::String name = path.fromLastOccurrenceOf("/", false, false);
    const int dot = name.lastIndexOfChar('.');
    return dot > 0 ? name.substring(0, dot) : name;
}
} // namespace

AudioFileReader::AudioFileReader(const juce::String& path)
    : m_path(path)
{
    const std::u16string wide = toEngineText(path);
    m_reader.reset(CreateDirectAudioFileReader(wide.c_str(), false));
}

AudioFileReader::~AudioFileReader()
{
    if (m_done && m_reader != nullptr && m_reader->IsPreparing())
        CAudioDecodeTempFileManager::GetInstance()->AppendDeferredReader(m_reader.release());
}

bool AudioFileReader::hasNext()
{
    return m_reader != nullptr && !m_done;
}

TrackInfo* AudioFileReader::next()
{
    if (!hasNext())
        return nullptr;
    auto* record = new TrackInfo(*m_reader);
    record->setTextField(songNameOf(m_path), TrackInfo::kSongName, true);
    m_done = true;
    return record;
}

bool AudioFileReader::isPreparing()
{
    return m_done && m_reader != nullptr && m_reader->IsPreparing();
}

double AudioFileReader::getProgress()
{
    if (isPreparing())
        return m_reader->GetPrepareProgress() / 100.0;
    return 1.0;
}
} // namespace Tavrel
