// Song-list benchmark: the song-list panel over 10,000 songs (records made in
// memory from one generated file), scrolled by 500 pages spread over the list,
// each followed by painting the list box into an image; against a plain
// framework list box of the same size and row height whose model draws the
// same four texts per row, in the same run. Best of five runs taken in turns.
// Targets: ours / peer <= 4 per page and under 8 ms per page. Also: select
// all with the panel showing the values, target under 50 ms.
// Needs an X display for the framework (run under xvfb-run).
//
// Usage: bench_song_list [songs]   (default 10000)

#include "app/commands/CommandManager.h"
#include "app/core/CBJXResource.h"
#include "app/core/CTVResourceManager.h"
#include "app/core/TextFormatting.h"
#include "app/host/CTVHost.h"
#include "app/songlist/TrackInfo.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/songlist/CTVLayerList.h"

#include "tests/support/MinimalApplication.h"
#include "tests/support/WavWriter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace
{
constexpr int kPages = 500;
constexpr int kRuns = 5;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The peer: a plain list box whose rows draw the same four texts.
class PlainModel final : public juce::ListBoxModel
{
public:
    explicit PlainModel(CTVHost& host)
        : m_host(host)
    {
    }
    int getNumRows() override { return m_host.GetTrackCount(); }
    void paintListBoxItem(int row, juce::Graphics& g, int, int height, bool) override
    {
        const Tavrel::TrackInfo* song = m_host.GetTrack(row);
        if (song == nullptr)
            return;
        g.setColour(juce::Colours::black);
        g.setFont(15.0f);
        g.drawText(juce::String(row + 1), 0, 0, 40, height, juce::Justification::centredRight);
        g.drawText(song->getTextField(Tavrel::TrackInfo::kSongName), 41, 0, 176, height,
                   juce::Justification::centredLeft);
        const double seconds = song->lengthHours * 3600.0 + song->lengthMinutes * 60.0 + song->lengthSeconds;
        g.drawText(formatTime(seconds, TimeStyle::Compact), 218, 0, 58, height, juce::Justification::centredRight);
        g.drawText(song->formatName + " (" + formatSampleRate(song->sampleRate, true) + ")", 277, 0, 88, height,
                   juce::Justification::centredLeft);
    }

private:
    CTVHost& m_host;
};

// Scrolls to each page and paints the list into an image; seconds per page.
double Pages(juce::ListBox& list)
{
    const int rows = list.getModel()->getNumRows();
    const int visible = list.getHeight() / list.getRowHeight();
    juce::Image image(juce::Image::ARGB, list.getWidth(), list.getHeight(), true);
    const auto start = std::chrono::steady_clock::now();
    for (int page = 0; page < kPages; ++page)
    {
        const int row = static_cast<int>(static_cast<int64_t>(page) * std::max(0, rows - visible) / (kPages - 1));
        list.getViewport()->setViewPosition(0, row * list.getRowHeight());
        juce::Graphics g(image);
        list.paintEntireComponent(g, true);
    }
    return Seconds(start) / kPages;
}
} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    const std::filesystem::path base = std::filesystem::temp_directory_path() / "quillmark-bench-song-list";
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base);
    ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    const std::filesystem::path file = base / "song.wav";
    qm::test::WriteWav(file, 44100, 2, 4410, false, [](int frame, int) { return float(frame % 64) / 32768.0f; });

    qm::test::InstallMinimalApplication();
    juce::ScopedJuceInitialiser_GUI framework;
    CBJXResource::GetInstance();
    CTVLookAndFeel* look = CTVLookAndFeel::GetInstance();
    juce::LookAndFeel::setDefaultLookAndFeel(look);
    CTVResourceManager::GetInstance();
    Tavrel::CommandManager::GetInstance();
    CTVHost* host = CTVHost::GetInstance();
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(file.u16string().c_str(), false));
        if (reader == nullptr)
        {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        const Tavrel::TrackInfo model(*reader);
        for (int i = 0; i < count; ++i)
        {
            auto* song = new Tavrel::TrackInfo(model);
            song->setTextField("Song " + juce::String(i + 1), Tavrel::TrackInfo::kSongName, false);
            song->lengthMinutes = i % 60;
            host->tracks.push_back(song);
            song->addListener(host);
        }
        host->RebuildNameIndex();
        host->BuildShuffleOrder();
    }

    auto panel = std::make_unique<CTVLayerList>(*host);
    panel->setSize(panel->getWidth(), 700);
    CTVListBox& ours = panel->getListBox();
    PlainModel model(*host);
    juce::ListBox peer("Peer", &model);
    peer.setRowHeight(CTVListBox::kRowHeight);
    peer.setBounds(ours.getBounds());

    double bestOurs = 1e9, bestPeer = 1e9;
    for (int run = 0; run < kRuns; ++run)
    {
        bestOurs = std::min(bestOurs, Pages(ours));
        bestPeer = std::min(bestPeer, Pages(peer));
    }

    double bestSelect = 1e9;
    for (int run = 0; run < kRuns; ++run)
    {
        host->SetSelection({}, 0);
        const auto start = std::chrono::steady_clock::now();
        panel->selectAll();
        bestSelect = std::min(bestSelect, Seconds(start));
    }
    const bool selected = host->GetSelection().size() == count;

    double load[3] = {0, 0, 0};
    if (FILE* f = std::fopen("/proc/loadavg", "r"))
    {
        if (std::fscanf(f, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3)
            load[0] = load[1] = load[2] = -1;
        std::fclose(f);
    }
    std::printf("songs %d, list box %d x %d, %d pages, best of %d (load average %.2f %.2f %.2f)\n", count,
                ours.getWidth(), ours.getHeight(), kPages, kRuns, load[0], load[1], load[2]);
    std::printf("page: ours %.3f ms, plain list box %.3f ms, ratio %.2f (target <= 4, ours < 8 ms)\n",
                bestOurs * 1000.0, bestPeer * 1000.0, bestOurs / bestPeer);
    std::printf("select all: %.2f ms%s (target < 50 ms)\n", bestSelect * 1000.0, selected ? "" : " NOT ALL SELECTED");

    panel.reset();
    CTVHost::Release();
    Tavrel::CommandManager::Release();
    CTVResourceManager::Release();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    CTVLookAndFeel::Release();
    CBJXResource::Release();
    std::filesystem::remove_all(base);
    return 0;
}
