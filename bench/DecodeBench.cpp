// Decoding benchmark: compressed files (MP3 constant and variable rate, AAC
// and ALAC in MP4, WMA) read straight through by our readers into 32-bit
// integer samples, against the ffmpeg program decoding the same file on one
// thread into 32-bit integer samples in the same run
// (ffmpeg -benchmark -threads 1 -i in -map 0:a -c:a pcm_s32le -f null -, the
// real time it reports for its decoding loop). The files are made from a
// stereo 44.1 kHz sweep by ffmpeg. Wall clock, best of five runs taken in
// turns. Opening (which measures the exact length) is timed apart and not in
// the ratio.
// Ratio = our decode time / ffmpeg's (target <= 1.15).
//
// Usage: bench_decode [seconds]   (default 300)

#include "engine/audiofile/media/CQuickTimeFileRead.h"
#include "engine/audiofile/media/CWindowsMediaFileRead.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end()); // the paths here are ASCII
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Run(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
    {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

struct Format
{
    const char* file;
    const char* options;
    bool quickTime;
};

// Opens the file; returns the open time and, through `decode`, the time of a
// straight read of all of it in blocks of 4096 frames.
double RunOurs(const std::string& path, bool quickTime, double& decode, uint64_t& frames)
{
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<CAudioFileReadBase> reader;
    if (quickTime)
        reader = std::make_unique<CQuickTimeFileRead>();
    else
        reader = std::make_unique<CWindowsMediaFileRead>();
    if (reader->Open(Wide(path).c_str()) != ReaderOpenResult::Ok)
    {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    const double open = Seconds(start);
    const auto decodeStart = std::chrono::steady_clock::now();
    constexpr uint32_t kBlock = 4096;
    std::vector<int32_t> left(kBlock), right(kBlock);
    int32_t* channels[2] = {left.data(), right.data()};
    frames = 0;
    for (;;)
    {
        const uint32_t n = reader->ReadInt32(channels, kBlock, 0);
        frames += n;
        if (n < kBlock)
            break;
    }
    decode = Seconds(decodeStart);
    return open;
}

// The decode time ffmpeg reports for itself (-benchmark: the real time of its
// decoding loop, without start-up and probing).
double RunFfmpeg(const std::string& path)
{
    const std::string command = "ffmpeg -hide_banner -nostats -v info -nostdin -benchmark -threads 1 -i '" + path +
                                "' -map 0:a -c:a pcm_s32le -f null - 2>&1";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr)
    {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    char line[512];
    double rtime = -1;
    while (std::fgets(line, sizeof line, out) != nullptr)
    {
        if (const char* at = std::strstr(line, "rtime="))
            rtime = std::atof(at + 6);
    }
    if (pclose(out) != 0 || rtime < 0)
    {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return rtime;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quillmark-bench-decode";
    std::filesystem::create_directories(folder);
    const std::string wav = (folder / "source.wav").string();
    Run("sox -D -r 44100 -n -c 2 -b 16 '" + wav + "' synth " + std::to_string(seconds) +
        " sine 100-8000 sine 8000-100 gain -3");

    const Format formats[] = {
        {"cbr.mp3", "-c:a libmp3lame -b:a 192k", false}, {"vbr.mp3", "-c:a libmp3lame -q:a 2", false},
        {"aac.m4a", "-c:a aac -b:a 192k", true},         {"alac.m4a", "-c:a alac", true},
        {"wma.wma", "-c:a wmav2 -b:a 192k", false},
    };
    std::printf("%d s of stereo 44.1 kHz audio; best of 5\n", seconds);
    std::printf("| file | open (ms) | ours (ms) | ffmpeg (ms) | ratio |\n|---|---|---|---|---|\n");
    for (const Format& f : formats)
    {
        const std::string path = (folder / f.file).string();
        Run("ffmpeg -v error -nostdin -y -i '" + wav + "' " + f.options + " '" + path + "'");
        double bestOpen = 1e9, bestOurs = 1e9, bestPeer = 1e9;
        uint64_t frames = 0;
        for (int i = 0; i < 5; ++i)
        {
            double decode = 0;
            bestOpen = std::min(bestOpen, RunOurs(path, f.quickTime, decode, frames));
            bestOurs = std::min(bestOurs, decode);
            bestPeer = std::min(bestPeer, RunFfmpeg(path));
        }
        std::printf("| %s (%llu frames) | %.1f | %.1f | %.1f | %.2f |\n", f.file,
                    static_cast<unsigned long long>(frames), bestOpen * 1e3, bestOurs * 1e3, bestPeer * 1e3,
                    bestOurs / bestPeer);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
