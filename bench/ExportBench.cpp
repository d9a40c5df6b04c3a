// Export benchmark: a 10-minute stereo 44.1 kHz 16-bit WAV file exported with the
// file converter (WAV reader -> converter -> WAV writer), against sox doing the same
// in the same run:
//   96 kHz 24-bit with TPDF dither   vs  sox in.wav -b 24 out.wav rate -v 96k dither
//   44.1 kHz 16-bit, noise-shaped    vs  sox in.wav -b 16 out.wav dither -s
//   44.1 kHz 16-bit, noise-shaped after a -1 dB gain (so that the shaper works)
//                                    vs  sox in.wav -b 16 out.wav gain -1 dither -s
// Wall-clock time, file reading and writing included, best of three runs taken in
// turns. A ratio above 1 means ours is faster.
//
// Usage: bench_export [seconds]   (default 600)

#include "engine/audiofile/wav/CWavFileRead.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

struct Job
{
    const char* name;
    uint32_t rate;
    uint16_t bits;
    int dither;
    float gainDb;
    const char* soxArguments;
};

double RunOurs(const std::string& in, const std::string& out, const Job& job)
{
    const auto start = std::chrono::steady_clock::now();
    CWavFileRead reader;
    CWavFileWrite writer;
    if (reader.Open(Wide(in).c_str()) != ReaderOpenResult::Ok ||
        writer.Open(Wide(out).c_str(), job.rate, job.bits, 2, 0) != WriterOpenResult::Ok)
    {
        std::fprintf(stderr, "cannot open %s or %s\n", in.c_str(), out.c_str());
        std::exit(1);
    }
    CAudioFileConverterPcmOutput converter(2);
    converter.SetDitherMode(ditherModeFromSetting(job.dither));
    converter.GetDynamicControl()->SetGain(job.gainDb);
    if (!converter.Open(&reader, &writer, false))
    {
        std::fprintf(stderr, "the converter refused the job\n");
        std::exit(1);
    }
    converter.Run();
    writer.Close();
    return Seconds(start);
}

double RunSox(const std::string& in, const std::string& out, const Job& job)
{
    // sox takes the output options before the output name, the effects after it.
    const std::string full =
        "sox '" + in + "' " + std::string(job.soxArguments).substr(0, std::string(job.soxArguments).find(" | ")) +
        " '" + out + "' " + std::string(job.soxArguments).substr(std::string(job.soxArguments).find(" | ") + 3);
    const auto start = std::chrono::steady_clock::now();
    if (std::system(full.c_str()) != 0)
    {
        std::fprintf(stderr, "failed: %s\n", full.c_str());
        std::exit(1);
    }
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quillmark_export_bench";
    std::filesystem::create_directories(folder);
    const std::string in = (folder / "in.wav").string();
    const std::string synth =
        "sox -n -r 44100 -b 16 -c 2 '" + in + "' synth " + std::to_string(seconds) + " pinknoise sine 997 vol 0.4";
    if (std::system(synth.c_str()) != 0)
    {
        std::fprintf(stderr, "sox is needed to make the source file\n");
        return 1;
    }

    // Format of soxArguments: output options | effects.
    const Job jobs[] = {
        {"96 kHz 24-bit, TPDF", 96000, 24, 1, 0.0f, "-b 24 | rate -v 96k dither"},
        {"44.1 kHz 16-bit, noise-shaped", 44100, 16, 2, 0.0f, "-b 16 | dither -s"},
        {"44.1 kHz 16-bit, -1 dB, noise-shaped", 44100, 16, 2, -1.0f, "-b 16 | gain -1 dither -s"},
    };
    std::printf("%d s of stereo 44.1 kHz 16-bit audio; best of 3, wall clock\n", seconds);
    std::printf("%-40s %10s %10s %8s\n", "export", "ours (s)", "sox (s)", "ratio");
    for (const Job& job : jobs)
    {
        double ours = 1e30, sox = 1e30;
        for (int run = 0; run < 3; ++run)
        {
            ours = std::min(ours, RunOurs(in, (folder / "ours.wav").string(), job));
            sox = std::min(sox, RunSox(in, (folder / "sox.wav").string(), job));
        }
        std::printf("%-40s %10.3f %10.3f %8.2f\n", job.name, ours, sox, sox / ours);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
