// Add-songs benchmark: the add-songs thread's work over a folder of 5000
// generated one-second stereo 44.1 kHz 16-bit WAV files into an empty song
// list (reading each file, naming it uniquely, inserting it), against
// `soxi -D` over the same files in one process, in the same run. Wall clock,
// best of three runs taken in turns. Ratio = ours / soxi (target <= 4).
// Needs an X display for the framework (run under xvfb-run).
//
// Open case: opening a song list of the same songs (the open flow: reading,
// naming each song uniquely, replacing the list, opening song 0) against
// draining the same file through the song-list reader alone. Ratio = open /
// drain (target <= 1.5).
//
// Usage: bench_add_songs [files]   (default 5000)

#include "app/adding/AddSongThreadWithProgressWindow.h"
#include "app/core/CBJXResource.h"
#include "app/host/CTVHost.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/SongListFlows.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"

#include "tests/support/MinimalApplication.h"
#include "tests/support/WavWriter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
    const std::filesystem::path base = std::filesystem::temp_directory_path() / "quillmark-bench-add";
    std::filesystem::remove_all(base);
    const std::filesystem::path folder = base / "songs";
    std::filesystem::create_directories(folder);
    ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    for (int i = 0; i < count; ++i)
        qm::test::WriteWav(folder / ("song" + std::to_string(i) + ".wav"), 44100, 2, 44100, false,
                           [i](int frame, int) { return static_cast<float>((frame + i) % 128) / 32768.0f; });

    qm::test::InstallMinimalApplication();
    juce::ScopedJuceInitialiser_GUI framework;
    CBJXResource::GetInstance();
    CTVHost* host = CTVHost::GetInstance();

    double ours = 1e9, soxi = 1e9;
    int added = 0;
    for (int run = 0; run < 3; ++run)
    {
        while (host->GetTrackCount() > 0)
            host->RemoveTracks(host->GetTrackCount() - 1, true, true, true);
        {
            Tavrel::AddSongThreadWithProgressWindow adder({juce::String(folder.string())}, 0);
            const auto start = std::chrono::steady_clock::now();
            adder.run(); // the worker's body, on this (the message) thread
            ours = std::min(ours, Seconds(start));
            added = adder.getNextRow();
        }
        const std::string command = "cd '" + folder.string() + "' && soxi -D *.wav > /dev/null";
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
        {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            return 1;
        }
        soxi = std::min(soxi, Seconds(start));
    }
    std::printf("%d files, %d songs added; best of 3\n", count, added);
    std::printf("| add-songs thread (s) | soxi -D (s) | ratio |\n|---|---|---|\n| %.3f | %.3f | %.2f |\n", ours, soxi,
                ours / soxi);

    // The open case, over a list of the songs just added.
    const juce::File list((base / "list.qmpl").string());
    if (!Tavrel::writeSongListFile(host->tracks, list))
    {
        std::fprintf(stderr, "failed: writing %s\n", list.getFullPathName().toRawUTF8());
        return 1;
    }
    double open = 1e9, drain = 1e9;
    int read = 0;
    for (int run = 0; run < 3; ++run)
    {
        auto start = std::chrono::steady_clock::now();
        Tavrel::TVSLReader reader(list);
        read = 0;
        while (reader.hasNext())
        {
            delete reader.next();
            ++read;
        }
        drain = std::min(drain, Seconds(start));

        start = std::chrono::steady_clock::now();
        if (!Tavrel::openSonglist(*host, list))
        {
            std::fprintf(stderr, "failed: opening %s\n", list.getFullPathName().toRawUTF8());
            return 1;
        }
        open = std::min(open, Seconds(start));
    }
    std::printf("%d songs in the list, %d opened; best of 3\n", read, host->GetTrackCount());
    std::printf("| open flow (s) | reader alone (s) | ratio |\n|---|---|---|\n| %.3f | %.3f | %.2f |\n", open, drain,
                open / drain);

    host->CloseCurrentSong();
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, false, false, true);
    CTVHost::Release();
    CBJXResource::Release();
    std::filesystem::remove_all(base);
    return 0;
}
