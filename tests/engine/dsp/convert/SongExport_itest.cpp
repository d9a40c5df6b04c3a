#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/song/CSongWrite.h"
#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"
#include "tests/support/TempFolder.h"

using qm::test::runCommand;
using qm::test::runCommandOutput;
using qm::test::shellQuote;
using qm::test::TempFolder;

namespace
{

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end()); // ASCII temporary paths
}

// A song of two 44.1 kHz files (1.5 s and 1.0 s of tone on a DC offset).
struct TwoFileSong
{
    TempFolder folder;
    CPlaylistSong song;
    TwoFileSong()
    {
        const std::pair<const char*, const char*> files[] = {{"a.wav", "1.5 sine 440"}, {"b.wav", "1.0 sine 660"}};
        for (const auto& [name, synth] : files)
        {
            const std::string path = folder.file(name).string();
            EXPECT_EQ(runCommand("sox -D -n -r 44100 -b 16 -c 2 " + shellQuote(path) + " synth " + synth +
                                 " vol 0.5 dcshift 0.1"),
                      0);
            song.AddSection()->AddTrack()->AddFile()->SetPath(Wide(path));
        }
    }
};

// Exports the song with gain, fades and DC cut at 48 kHz through a fresh
// converter; returns the path of the file written.
std::string Export(TwoFileSong& fixture, const char* format, const char16_t* extension, uint16_t bits, uint32_t option,
                   const std::string& baseName)
{
    CSongRead reader;
    EXPECT_TRUE(reader.Open(&fixture.song));
    reader.SetStereoOutput();
    CSongWrite writer(format, 48000, bits, 2, 2, option);
    const std::string base = fixture.folder.file(baseName).string();
    EXPECT_TRUE(writer.Open(Wide(base), extension));
    CAudioFileConverterPcmOutput converter(2);
    converter.SetDitherMode(DitherMode::Tpdf);
    CDynamicControl* dynamics = converter.GetDynamicControl();
    dynamics->SetGain(-3.0f);
    dynamics->SetFade(1, 0.2f, 2, 0.3f);
    dynamics->SetDcCut(1);
    EXPECT_TRUE(converter.Open(&reader, &writer, false));
    converter.Run();
    EXPECT_TRUE(writer.Close());
    return base + std::string(extension, extension + std::char_traits<char16_t>::length(extension));
}

std::vector<std::vector<float>> ReadAll(const std::string& path, uint32_t* rate)
{
    std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(Wide(path).c_str(), true));
    if (reader == nullptr)
        return {};
    reader->Prepare();
    while (reader->IsPreparing())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    *rate = reader->GetSampleRate();
    std::vector<std::vector<float>> samples(reader->GetChannelCount());
    std::vector<std::vector<float>> block(samples.size(), std::vector<float>(4096));
    std::vector<float*> pointers;
    for (auto& channel : block)
        pointers.push_back(channel.data());
    while (const uint32_t got = reader->ReadFloat(pointers.data(), 4096, 0))
        for (size_t c = 0; c < samples.size(); ++c)
            samples[c].insert(samples[c].end(), block[c].begin(), block[c].begin() + got);
    return samples;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SongExport, FormatsReadBackWithTheSongsDynamics)
{
    struct Case
    {
        const char* format;
        const char16_t* extension;
        uint16_t bits;
        uint32_t option;
        double lengthTolerance; // frames: encoders may pad
        double levelTolerance;
    };
    const Case cases[] = {
        {"wav", u".wav", 24, 0, 2, 0.002},
        {"aiff", u".aif", 16, 0, 2, 0.002},
        {"mp3", u".mp3", 16, 192000, 2, 0.05},
        {"wma", u".wma", 16, 128000, 4096, 0.05},
    };
    TwoFileSong fixture;
    const double expectedPeak = 0.5 * std::pow(10.0, -3.0 / 20.0);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.format);
        const std::string path =
            Export(fixture, c.format, c.extension, c.bits, c.option, std::string("out_") + c.format);
        uint32_t rate = 0;
        const std::vector<std::vector<float>> samples = ReadAll(path, &rate);
        ASSERT_EQ(samples.size(), 2u);
        EXPECT_EQ(rate, 48000u);
        const std::vector<float>& left = samples[0];
        EXPECT_NEAR(static_cast<double>(left.size()), 2.5 * 48000, c.lengthTolerance);

        // Faded in and out, DC removed, tone at -3 dB in the middle.
        EXPECT_LT(std::fabs(left[0]), 0.01 + c.levelTolerance);
        EXPECT_LT(std::fabs(left[static_cast<size_t>(2.5 * 48000) - 1]), 0.01 + c.levelTolerance);
        double sum = 0.0, peak = 0.0;
        for (size_t i = 48000; i < 96000; ++i)
        {
            sum += left[i];
            peak = std::max(peak, std::fabs(static_cast<double>(left[i])));
        }
        EXPECT_LT(std::fabs(sum / 48000.0), 0.005);
        EXPECT_NEAR(peak, expectedPeak, c.levelTolerance + 0.01);
        EXPECT_EQ(samples[1].size(), left.size());

        const std::string probe =
            runCommandOutput("ffprobe -v error -show_entries stream=sample_rate,channels -show_entries format=duration "
                             "-of default=nw=1 " +
                             shellQuote(path));
        EXPECT_NE(probe.find("sample_rate=48000"), std::string::npos) << probe;
        EXPECT_NE(probe.find("channels=2"), std::string::npos) << probe;
        const size_t at = probe.find("duration=");
        ASSERT_NE(at, std::string::npos) << probe;
        EXPECT_NEAR(std::stod(probe.substr(at + 9)), 2.5, 0.1) << probe;
    }
}

// Nothing in the chain depends on anything but the song: two fresh converters
// make the same file, dither included.
TEST(SongExport, FreshConvertersMakeIdenticalFiles)
{
    TwoFileSong fixture;
    const std::string first = Export(fixture, "wav", u".wav", 16, 0, "first");
    const std::string second = Export(fixture, "wav", u".wav", 16, 0, "second");
    const std::string a = FileBytes(first);
    EXPECT_GT(a.size(), 2.5 * 48000 * 4);
    EXPECT_TRUE(a == FileBytes(second));
}
