#include "app/songlist/TVSLReader.h"

#include <algorithm>

#include "app/core/CBJXResource.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/song/CSongRead.h"

namespace Tavrel
{
TVSLReader::TVSLReader(const juce::File& file)
    : m_folder(file.getParentDirectory()),
      m_songReader(std::make_unique<CSongRead>())
{
    m_root = loadSongListDocument(file);
    if (m_root == nullptr || m_root->getTagName() != "QuillmarkProject")
    {
        m_root.reset();
        m_errorText = CBJXResource::GetString("Songlist_Invalid");
        return;
    }
    if (parseVersion(m_root->getStringAttribute("version")) > kCurrentVersion)
    {
        m_root.reset();
        m_errorText = CBJXResource::GetString("Songlist_NewerVersion");
        return;
    }
    for (const auto* child : m_root->getChildIterator())
        if (child->getTagName() == "Track")
            m_tracks.push_back(child);
}

TVSLReader::~TVSLReader() = default;

uint32_t TVSLReader::parseVersion(const juce::String& text)
{
    const juce::String kept = text.retainCharacters("0123456789.");
    juce::StringArray fields;
    fields.addTokens(kept, ".", "");
    // Fields are OR-ed at their places as they stand, so a field above 255
    // reaches into the next higher one (1.0.0.256 is above 1.0.0.0). A
    // version too large for 32 bits counts as the largest one: it is newer.
    uint64_t version = 0;
    for (int i = 0; i < 4 && i < fields.size(); ++i)
    {
        uint64_t field = 0;
        for (const auto c : fields[i])
            field = std::min<uint64_t>(field * 10u + static_cast<uint64_t>(c - '0'), 0xFFFFFFFFu);
        version |= field << (8 * (3 - i));
    }
    if (version > 0xFFFFFFFFu)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(version);
}

bool TVSLReader::hasNext()
{
    return m_index < m_tracks.size();
}

double TVSLReader::getProgress()
{
    if (!hasNext())
        return 1.0;
    return static_cast<double>(m_index) / static_cast<double>(m_tracks.size());
}

TrackInfo* TVSLReader::next()
{
    if (!hasNext())
        return nullptr;
    auto* record = new TrackInfo();
    readTrackElement(*record, *m_tracks[m_index], m_folder, m_errorText);
    if (record->getFormatName() == "WMA" && record->lossless)
        record->refreshDataSpec(*m_songReader, nullptr, false);
    ++m_index;
    return record;
}
} // namespace Tavrel
