#include "session/export/ExportFileNames.h"

#include <set>

#include "app/core/WideText.h"
#include "engine/audiofile/song/CChannelGroupWrite.h"

namespace Tavrel
{
std::vector<SongOutputFiles> ExportFileNames::name(const juce::File& folder, const std::vector<Song>& songs,
                                                   int fileType, const juce::String& extension)
{
    std::vector<SongOutputFiles> named;
    std::set<juce::String> used; // lower case
    const std::u16string ext = toEngineText(extension);
    for (const Song& song : songs)
    {
        juce::String base = song.name;
        for (int n = 1; used.count(base.toLowerCase()) != 0; ++n)
            base = song.name + "." + juce::String(n);
        used.insert(base.toLowerCase());

        SongOutputFiles out;
        out.row = song.row;
        out.baseName = base;
        const int count = fileCount(fileType, song.channels);
        const std::u16string base16 = toEngineText(base);
        for (int i = 0; i < count; ++i)
            out.files.add(folder.getChildFile(toJuceString(CChannelGroupWrite::MakeTrackFileName(base16, ext, count, i))));
        named.push_back(std::move(out));
    }
    return named;
}
} // namespace Tavrel
