// Session-export benchmark: songs of 180 s (stereo 44.1 kHz 16-bit WAV,
// pink noise and tones made by `sox -D`) exported through the export
// manager and the file-export session, against peers doing the same job on
// the same files one after another, in the same run. Wall clock, best of
// three runs taken in turns. Ratio = peer / ours (higher is better for us):
//
//   wav48     WAV 48 kHz 24 bit, TPDF dither, against
//             `sox in -b 24 out rate -v 48k dither` (target >= 1.2)
//   normalise normalise per song, WAV 44.1 kHz 16 bit, TPDF, against
//             `sox --norm=-0.25 in -b 16 out dither` (target >= 1.0)
//   mp3       MP3 320 kbit/s joint stereo against `lame -q 2 -b 320 --cbr -m j`
//             and ffmpeg's libmp3lame at compression level 2, the faster one
//             (target >= 0.9)
//   wma       WMA 128 kbit/s against `ffmpeg -c:a wmav2 -b:a 128k` (>= 0.9)
//   image     a disc image of the songs at 48 kHz (rate conversion to
//             44.1 kHz, TPDF dither) made by the burn session up to the
//             first write, against `sox in -b 16 out rate -v 44100 dither`
//             (target >= 1.0)
//   bare      the session against the bare file converter over the same
//             songs in a loop, first case's settings: session / bare
//             (target <= 1.05), and the longest gap of a 10 ms timer on the
//             message thread during the export (target < 100 ms)
//
// Needs an X display for the framework (run under xvfb-run), sox, lame and
// ffmpeg. Usage: bench_session_export [songs] [seconds]   (default 10 180)

#include "app/core/CBJXResource.h"
#include "app/core/WideText.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/song/CSongWrite.h"
#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"
#include "session/export/DiscBurnSession.h"
#include "session/export/FileExportSession.h"
#include "tests/disc/FakeDiscBurnImp.h"
#include "session/manager/ExportManager.h"
#include "tests/support/MinimalApplication.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool Run(const std::string& command)
{
    if (std::system(command.c_str()) == 0)
        return true;
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return false;
}

std::string Quote(const fs::path& p)
{
    std::string quoted(1, '\'');
    quoted += p.string();
    quoted += '\'';
    return quoted;
}

// Notes the longest time between two ticks of a 10 ms timer.
class GapTimer : public juce::Timer
{
public:
    GapTimer() { startTimer(10); }
    void timerCallback() override
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_started)
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
        m_started = true;
    }
    double longest = 0.0;

private:
    std::chrono::steady_clock::time_point m_last;
    bool m_started = false;
};

class FinishedListener : public Tavrel::ExportSessionListener
{
public:
    void exportSessionFinished(Tavrel::ExportSession*, bool wasAborted) override
    {
        finished = true;
        aborted = wasAborted;
    }
    bool exportSessionWarning(Tavrel::ExportSession*, const char*, const juce::SparseSet<int>&,
                              const juce::StringArray&) override
    {
        return true; // replace the outputs of the last run
    }
    void exportSessionError(Tavrel::ExportSession*, const char* key, const juce::SparseSet<int>&,
                            const juce::StringArray&) override
    {
        std::fprintf(stderr, "export error: %s\n", key);
        failed = true;
    }
    bool finished = false;
    bool aborted = false;
    bool failed = false;
};

struct Case
{
    const char* name;
    int format;
    int rate;
    int bits;
    int bitRate;
    int dither;
    int normalise;
};

// One export through the manager; seconds, and the longest timer gap.
double ExportThroughSession(Tavrel::ExportManager& manager, const Case& c, const fs::path& outFolder,
                            double* longestGap)
{
    fs::remove_all(outFolder);
    fs::create_directories(outFolder);
    using F = Tavrel::FileExportParameter;
    using C = Tavrel::CommonExportParameter;
    F file;
    C common;
    file.setItemText(juce::String(outFolder.string()), F::kDestination);
    file.selectChoiceByValue(F::kFormat, c.format);
    file.selectChoiceByValue(F::kFileType, 1);
    file.selectChoiceByValue(F::kSampleRate, c.rate);
    if (c.bits != 0)
        file.selectChoiceByValue(F::kBitDepth, c.bits);
    if (c.bitRate != 0)
        file.selectChoiceByValue(F::kBitRate, c.bitRate);
    common.selectChoiceByValue(C::kDitherType, c.dither);
    common.selectChoiceByValue(C::kNormalizeMode, c.normalise);

    FinishedListener listener;
    manager.AddListener(&listener);
    GapTimer gaps;
    const auto start = std::chrono::steady_clock::now();
    if (!manager.startSession(std::make_unique<Tavrel::FileExportSession>(file, common)))
    {
        manager.RemoveListener(&listener);
        return -1.0;
    }
    while (!listener.finished)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    const double seconds = Seconds(start);
    manager.RemoveListener(&listener);
    if (longestGap != nullptr)
        *longestGap = gaps.longest;
    return listener.aborted || listener.failed ? -1.0 : seconds;
}

// The bare file converter over the songs, first case's settings.
double BareConverter(const std::vector<fs::path>& songs, const fs::path& outFolder)
{
    fs::remove_all(outFolder);
    fs::create_directories(outFolder);
    const auto start = std::chrono::steady_clock::now();
    CAudioFileConverterPcmOutput converter(2);
    converter.SetDitherMode(DitherMode::Tpdf);
    for (const fs::path& song : songs)
    {
        std::unique_ptr<CAudioFileReadBase> file(CreateAudioFileReader(song.u16string().c_str(), false));
        if (file == nullptr)
            return -1.0;
        Tavrel::TrackInfo record(*file);
        file.reset();
        CSongRead reader;
        CSongWrite writer("WAV", 48000, 24, 2, 2, 0);
        if (!reader.Open(record.song.get()) ||
            !writer.Open((outFolder / song.stem()).u16string(), u".wav") ||
            !converter.Open(&reader, &writer, false))
            return -1.0;
        converter.Run();
        if (!writer.Close())
            return -1.0;
    }
    return Seconds(start);
}
} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int length = argc > 2 ? std::max(1, std::atoi(argv[2])) : 180;
    const fs::path base = fs::temp_directory_path() / "quillmark-bench-session";
    fs::remove_all(base);
    const fs::path in = base / "in";
    fs::create_directories(in);
    ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);

    std::vector<fs::path> songs;
    for (int i = 0; i < count; ++i)
    {
        const fs::path song = in / ("song" + std::to_string(i) + ".wav");
        const std::string noise = i % 2 == 0 ? "pinknoise" : "sine " + std::to_string(220 + 110 * i);
        if (!Run("sox -D -n -r 44100 -b 16 -c 2 " + Quote(song) + " synth " + std::to_string(length) + " " +
                 noise + " vol 0.5"))
            return 1;
        songs.push_back(song);
    }

    qm::test::InstallMinimalApplication();
    juce::ScopedJuceInitialiser_GUI framework;
    CBJXResource::GetInstance();
    FakeDiscBurnImp* fakeDisc = nullptr;
    auto manager = std::make_unique<Tavrel::ExportManager>(std::make_unique<CAudioDiscBurnProxy>([&fakeDisc] {
        auto fake = std::make_unique<FakeDiscBurnImp>();
        DiscBurnDeviceRecord drive;
        drive.drive = "bench";
        drive.mediaFlags[2] = 1;
        fake->devices = {drive};
        fake->freeSpace = uint64_t(1) << 40;
        fakeDisc = fake.get();
        return fake;
    }));
    CTVHost* host = CTVHost::GetInstance();
    for (const fs::path& song : songs)
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(song.u16string().c_str(), false));
        auto* track = new Tavrel::TrackInfo(*reader);
        host->tracks.push_back(track);
        track->addListener(host);
    }
    host->RebuildNameIndex();

    const fs::path ours = base / "ours";
    const fs::path peer = base / "peer";
    auto peerLoop = [&](const std::function<std::string(const fs::path&, const fs::path&)>& command,
                        const std::string& extension) {
        fs::remove_all(peer);
        fs::create_directories(peer);
        const auto start = std::chrono::steady_clock::now();
        for (const fs::path& song : songs)
            if (!Run(command(song, peer / (song.stem().string() + extension))))
                return -1.0;
        return Seconds(start);
    };
    using F = Tavrel::FileExportParameter;
    const Case cases[] = {
        {"wav48", F::kFormatWav, 48000, 24, 0, 1, 0},
        {"normalise", F::kFormatWav, 44100, 16, 0, 1, 1},
        {"mp3", F::kFormatMp3, 44100, 0, 320000, 0, 0},
        {"wma", F::kFormatWma, 44100, 0, 128016, 0, 0},
    };
    const std::function<std::string(const fs::path&, const fs::path&)> peers[][2] = {
        {[](const fs::path& a, const fs::path& b) { return "sox " + Quote(a) + " -b 24 " + Quote(b) + " rate -v 48k dither"; },
         nullptr},
        {[](const fs::path& a, const fs::path& b) { return "sox --norm=-0.25 " + Quote(a) + " -b 16 " + Quote(b) + " dither"; },
         nullptr},
        {[](const fs::path& a, const fs::path& b) { return "lame --quiet -q 2 -b 320 --cbr -m j " + Quote(a) + " " + Quote(b); },
         [](const fs::path& a, const fs::path& b) {
             return "ffmpeg -v error -y -i " + Quote(a) + " -c:a libmp3lame -b:a 320k -compression_level 2 " + Quote(b);
         }},
        {[](const fs::path& a, const fs::path& b) { return "ffmpeg -v error -y -i " + Quote(a) + " -c:a wmav2 -b:a 128k " + Quote(b); },
         nullptr},
    };
    const char* extensions[] = {".wav", ".wav", ".mp3", ".wma"};

    std::printf("%d songs of %d s; best of 3, taken in turns\n", count, length);
    std::printf("| case | ours (s) | peer (s) | peer / ours |\n|---|---|---|---|\n");
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        double best = 1e9, bestPeer = 1e9;
        for (int run = 0; run < 3; ++run)
        {
            const double t = ExportThroughSession(*manager, cases[i], ours, nullptr);
            if (t < 0)
                return 1;
            best = std::min(best, t);
            for (const auto& p : peers[i])
            {
                if (!p)
                    continue;
                const double pt = peerLoop(p, extensions[i]);
                if (pt < 0)
                    return 1;
                bestPeer = std::min(bestPeer, pt);
            }
        }
        std::printf("| %s | %.2f | %.2f | %.2f |\n", cases[i].name, best, bestPeer, bestPeer / best);
        std::fflush(stdout);
    }

    // The disc image from 48 kHz songs.
    std::vector<fs::path> songs48;
    for (int i = 0; i < count; ++i)
    {
        const fs::path song = in / ("image" + std::to_string(i) + ".wav");
        const std::string noise = i % 2 == 0 ? "pinknoise" : "sine " + std::to_string(220 + 110 * i);
        if (!Run("sox -D -n -r 48000 -b 16 -c 2 " + Quote(song) + " synth " + std::to_string(length) + " " +
                 noise + " vol 0.5"))
            return 1;
        songs48.push_back(song);
    }
    const int firstImageRow = host->GetTrackCount();
    for (const fs::path& song : songs48)
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(song.u16string().c_str(), false));
        auto* track = new Tavrel::TrackInfo(*reader);
        host->tracks.push_back(track);
        track->addListener(host);
    }
    host->RebuildNameIndex();
    juce::SparseSet<int> imageRows;
    imageRows.addRange({firstImageRow, host->GetTrackCount()});
    host->SetSelection(imageRows, 0);
    const fs::path temp = base / "temp";
    fs::create_directories(temp);
    double image = 1e9, imagePeer = 1e9;
    for (int run = 0; run < 3; ++run)
    {
        Tavrel::CommonExportParameter common;
        common.selectChoiceByValue(Tavrel::CommonExportParameter::kSource, 1);
        common.selectChoiceByValue(Tavrel::CommonExportParameter::kDitherType, 1);
        common.setItemText(juce::String(temp.string()), Tavrel::CommonExportParameter::kTempDirectory);
        Tavrel::DiscBurnParameter disc(manager->getDiscBurnProxy());
        // A blank disc in the drive (the last run's went out).
        fakeDisc->discType = 2;
        fakeDisc->blank = true;
        FinishedListener listener;
        manager->AddListener(&listener);
        const int startsBefore = fakeDisc != nullptr ? fakeDisc->startCalls : 0;
        const auto start = std::chrono::steady_clock::now();
        if (!manager->startSession(
                std::make_unique<Tavrel::DiscBurnSession>(manager->getDiscBurnProxy(), disc, common)))
            return 1;
        // Up to the first write: the burner is asked to start.
        while (fakeDisc->startCalls == startsBefore && !listener.finished)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(2);
        image = std::min(image, Seconds(start));
        while (!listener.finished)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        manager->RemoveListener(&listener);
        if (listener.failed)
            return 1;
        fs::remove_all(peer);
        fs::create_directories(peer);
        const auto peerStart = std::chrono::steady_clock::now();
        for (const fs::path& song : songs48)
            if (!Run("sox " + Quote(song) + " -b 16 " + Quote(peer / song.filename()) + " rate -v 44100 dither"))
                return 1;
        imagePeer = std::min(imagePeer, Seconds(peerStart));
    }
    std::printf("| image | %.2f | %.2f | %.2f |\n", image, imagePeer, imagePeer / image);
    std::fflush(stdout);
    host->CloseCurrentSong();
    while (host->GetTrackCount() > firstImageRow)
        host->RemoveTracks(host->GetTrackCount() - 1, false, false, true);
    host->SetSelection({}, 0);

    double session = 1e9, bare = 1e9, longestGap = 0.0;
    for (int run = 0; run < 3; ++run)
    {
        double gap = 0.0;
        const double t = ExportThroughSession(*manager, cases[0], ours, &gap);
        const double b = BareConverter(songs, peer);
        if (t < 0 || b < 0)
            return 1;
        session = std::min(session, t);
        bare = std::min(bare, b);
        longestGap = std::max(longestGap, gap);
    }
    std::printf("\n| session (s) | bare converter (s) | session / bare | longest 10 ms timer gap (ms) |\n"
                "|---|---|---|---|\n| %.2f | %.2f | %.3f | %.1f |\n",
                session, bare, session / bare, longestGap);

    manager.reset();
    host->CloseCurrentSong();
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, false, false, true);
    CTVHost::Release();
    CBJXResource::Release();
    fs::remove_all(base);
    return 0;
}
