// Saving and loading large song lists: the time per song must not grow with
// the list (linear in the number of songs), and a save must cost no more than
// twice a load. Run by hand from a Release build:
//   build/release/bench/bench_song_list_file [folder]
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/songlist/SongListFile.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"

using Tavrel::TrackInfo;

namespace
{
double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Figures
{
    double save;
    double load;
};

Figures measure(int songs, const juce::File& target)
{
    std::vector<std::unique_ptr<TrackInfo>> records;
    std::vector<TrackInfo*> list;
    for (int i = 0; i < songs; ++i)
    {
        auto record = std::make_unique<TrackInfo>();
        record->text[TrackInfo::kSongName] = juce::String("Song ") + juce::String(i);
        record->text[TrackInfo::kTitle] = juce::String::fromUTF8("タイトル ") + juce::String(i);
        const std::string path = "/music/" + std::string(120, 'p') + "/" + std::to_string(i) + ".wav";
        record->song->AddSection()->AddTrack()->AddFile()->SetPath(std::u16string(path.begin(), path.end()));
        list.push_back(record.get());
        records.push_back(std::move(record));
    }
    auto start = std::chrono::steady_clock::now();
    if (!Tavrel::writeSongListFile(list, target))
        std::fprintf(stderr, "save failed\n");
    const double save = seconds(start);

    start = std::chrono::steady_clock::now();
    Tavrel::TVSLReader reader(target);
    int count = 0;
    while (reader.hasNext())
    {
        std::unique_ptr<TrackInfo> back(reader.next());
        ++count;
    }
    const double load = seconds(start);
    if (count != songs)
        std::fprintf(stderr, "read %d of %d songs\n", count, songs);
    return {save, load};
}
} // namespace

int main(int argc, char** argv)
{
    const juce::File folder =
        argc > 1 ? juce::File(juce::String(argv[1])) : juce::File::getSpecialLocation(juce::File::tempDirectory);
    const juce::File target = folder.getChildFile("bench-song-list.qmpl");
    std::printf("%8s %10s %10s %14s %14s %10s\n", "songs", "save s", "load s", "save us/song", "load us/song",
                "save/load");
    for (const int songs : {10000, 100000, 10000, 100000})
    {
        const Figures f = measure(songs, target);
        std::printf("%8d %10.3f %10.3f %14.2f %14.2f %10.2f\n", songs, f.save, f.load, f.save * 1e6 / songs,
                    f.load * 1e6 / songs, f.save / f.load);
    }
    target.deleteFile();
    return 0;
}
