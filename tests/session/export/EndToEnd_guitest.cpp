#include <gtest/gtest.h>

#include <juce_graphics/juce_graphics.h>

#include "app/adding/AddSongThreadWithProgressWindow.h"
#include "app/core/WideText.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "tests/session/export/ExportFixture.h"
#include "tests/support/RegisteredCdImage.h"

using Tavrel::FileExportParameter;
using Tavrel::TrackInfo;
using F = FileExportParameter;

namespace
{
std::string Probe(const juce::File& f, const std::string& entries)
{
    std::string value = qm::test::runCommandOutput("ffprobe -v error -select_streams a:0 -show_entries " + entries +
                                                   " -of default=nw=1:nk=1 " +
                                                   qm::test::shellQuote(f.getFullPathName().toStdString()));
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
        value.pop_back();
    return value;
}

// Five songs of every kind the list holds, exported to every format at
// several rates and depths, and read back by ffprobe and our readers.
class EndToEnd : public qm::test::ExportFixture
{
protected:
    void MakeSongs()
    {
        auto sh = [&](const std::string& command) { ASSERT_EQ(qm::test::runCommand(command), 0) << command; };
        const std::string dir = qm::test::shellQuote(folder.path().string());
        // 1: stereo 44.1 kHz WAV with texts and a picture.
        Song("tagged", 2.0);
        TrackInfo* tagged = host->GetTrack(0);
        tagged->setTextField("A Title", TrackInfo::kTitle, false);
        tagged->setTextField("An Artist", TrackInfo::kArtist, false);
        tagged->setTextField("An Album", TrackInfo::kAlbum, false);
        tagged->setTextField("Jazz", TrackInfo::kGenre, false);
        tagged->setTextField("2026", TrackInfo::kYear, false);
        tagged->setTextField("12", TrackInfo::kMonth, false);
        tagged->setTextField("11", TrackInfo::kDay, false);
        juce::Image image(juce::Image::RGB, 32, 32, true);
        image.clear(image.getBounds(), juce::Colours::orange);
        picture = juce::File(folder.file("cover.jpg").string());
        {
            juce::FileOutputStream stream(picture);
            ASSERT_TRUE(juce::JPEGImageFormat().writeImageToStream(image, stream));
        }
        picture.loadFileAsData(pictureBytes);
        tagged->setPicturePath(picture.getFullPathName());

        // 2: mono 48 kHz 24-bit AIFF; 3: a 44.1 kHz MP3; 4: two WAV files
        // combined; 5: an audio-CD track.
        sh("sox -D -n -r 48000 -b 24 -c 1 " + dir + "/mono.aif synth 3 sine 330 vol 0.5");
        sh("sox -D -n -r 44100 -b 16 -c 2 " + dir + "/mp3src.wav synth 2 sine 550 vol 0.5");
        sh("lame --quiet -b 192 " + dir + "/mp3src.wav " + dir + "/song.mp3");
        sh("sox -D -n -r 44100 -b 16 -c 2 " + dir + "/part1.wav synth 1 sine 660 vol 0.5");
        sh("sox -D -n -r 44100 -b 16 -c 2 " + dir + "/part2.wav synth 1 sine 770 vol 0.5");
        disc = std::make_unique<qm::test::RegisteredCdImage>(folder, "disc", std::vector<qm::test::CdImageTrack>{{true, 150}});
        juce::StringArray paths;
        for (const char* f : {"mono.aif", "song.mp3", "part1.wav", "part2.wav"})
            paths.add(folder.file(f).string());
        paths.add(disc->Name());
        Tavrel::AddSongThreadWithProgressWindow adder(paths, host->GetTrackCount());
        adder.run();
        ASSERT_EQ(host->GetTrackCount(), 6);
        // The add sorts what it is given: find the two parts.
        std::vector<int> parts;
        for (int i = 1; i < host->GetTrackCount(); ++i)
        {
            std::vector<CPlaylistFile*> sources;
            host->GetTrack(i)->getSourceFiles(sources);
            if (toJuceString(sources[0]->GetPath()).contains("part"))
                parts.push_back(i);
        }
        ASSERT_EQ(parts.size(), 2u);
        ASSERT_EQ(parts[1], parts[0] + 1);
        ASSERT_TRUE(host->CombineTracks(qm::test::RowSet({parts[0], parts[1]})));
        ASSERT_EQ(host->GetTrackCount(), 5);
        host->RebuildNameIndex();
        // Named by their sources, wherever the add put them.
        for (int i = 1; i < 5; ++i)
        {
            std::vector<CPlaylistFile*> sources;
            TrackInfo* track = host->GetTrack(i);
            track->getSourceFiles(sources);
            ASSERT_FALSE(sources.empty());
            const char* name = sources.size() == 2       ? "combined"
                               : track->channels == 1     ? "mono"
                               : track->formatName == "CD" ? "cd"
                                                           : "mp3";
            track->setTextField(name, TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(host->GetTrack(i)->isReadable()) << i;
    }

    juce::File picture;
    juce::MemoryBlock pictureBytes;
    std::unique_ptr<qm::test::RegisteredCdImage> disc;
};

TEST_F(EndToEnd, EveryFormatReadsBack)
{
    MakeSongs();
    const double seconds[] = {2.0, 3.0, 2.0, 2.0, 2.0};
    const char* names[] = {"tagged", "mono", "mp3", "combined", "cd"};
    struct Case
    {
        int format;
        int rate;
        int bits;
        int bitRate;
        const char* codec;
        const char* extension;
    };
    const Case cases[] = {
        {F::kFormatWav, 44100, 16, 0, "pcm_s16le", ".wav"},
        {F::kFormatWav, 96000, 24, 0, "pcm_s24le", ".wav"},
        {F::kFormatAiff, 48000, 24, 0, "pcm_s24be", ".aif"},
        {F::kFormatAiff, 44100, 16, 0, "pcm_s16be", ".aif"},
        {F::kFormatMp3, 44100, 0, 128000, "mp3", ".mp3"},
        {F::kFormatMp3, 48000, 0, 320000, "mp3", ".mp3"},
        {F::kFormatWma, 44100, 0, 128016, "wmav2", ".wma"},
        {F::kFormatWma, 48000, 0, 128016, "wmav2", ".wma"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.extension << " " << c.rate << " " << c.bits << " " << c.bitRate);
        out.deleteRecursively();
        out.createDirectory();
        ASSERT_TRUE(file.selectChoiceByValue(F::kFormat, c.format));
        ASSERT_TRUE(file.selectChoiceByValue(F::kFileType, 1));
        ASSERT_TRUE(file.selectChoiceByValue(F::kSampleRate, c.rate));
        if (c.bits != 0)
        {
            ASSERT_TRUE(file.selectChoiceByValue(F::kBitDepth, c.bits));
        }
        if (c.bitRate != 0)
        {
            ASSERT_TRUE(file.selectChoiceByValue(F::kBitRate, c.bitRate));
        }
        int kindWhileRunning = -1;
        bool filesBeforeProcessing = false;
        events.onProcessing = [&] {
            kindWhileRunning = exports->getCurrentSessionKind();
            filesBeforeProcessing = !OutFiles().isEmpty();
        };
        ASSERT_TRUE(Export());
        events.onProcessing = nullptr;
        EXPECT_EQ(events.names(), (std::vector<std::string>{"started", "processing", "finished"}));
        EXPECT_EQ(kindWhileRunning, Tavrel::kExportSessionFileExport);
        EXPECT_FALSE(filesBeforeProcessing);
        EXPECT_EQ(exports->getCurrentSessionKind(), Tavrel::kExportSessionNone);
        EXPECT_TRUE(std::is_sorted(events.progressValues.begin(), events.progressValues.end()));
        for (int i = 0; i < 5; ++i)
        {
            const juce::File f = out.getChildFile(juce::String(names[i]) + c.extension);
            SCOPED_TRACE(f.getFileName());
            ASSERT_TRUE(f.existsAsFile());
            EXPECT_EQ(Probe(f, "stream=codec_name"), c.codec);
            EXPECT_EQ(Probe(f, "stream=sample_rate"), std::to_string(c.rate));
            EXPECT_EQ(Probe(f, "stream=channels"), "2");
            std::unique_ptr<CAudioFileReadBase> reader(
                CreateAudioFileReader(toEngineText(f.getFullPathName()).c_str(), false));
            ASSERT_NE(reader, nullptr);
            const uint64_t frames = static_cast<uint64_t>(seconds[i] * c.rate);
            const uint64_t expected = c.format == F::kFormatWma ? (frames + 2047) / 2048 * 2048 : frames;
            EXPECT_EQ(reader->GetLength(), expected);
            if (i == 0)
            {
                EXPECT_EQ(Probe(f, "format_tags=title"), "A Title");
                EXPECT_EQ(Probe(f, "format_tags=artist"), "An Artist");
                EXPECT_EQ(Probe(f, "format_tags=genre"), "Jazz");
                // The RIFF INFO list has no album; the tags of the others do.
                if (c.format != F::kFormatWav)
                {
                    EXPECT_EQ(Probe(f, "format_tags=album"), "An Album");
                }
                if (c.format != F::kFormatWav)
                {
                    const juce::File extracted(folder.file("extracted.jpg").string());
                    extracted.deleteFile();
                    ASSERT_EQ(qm::test::runCommand("ffmpeg -v error -i " +
                                                   qm::test::shellQuote(f.getFullPathName().toStdString()) +
                                                   " -map 0:v -c copy -f mjpeg " +
                                                   qm::test::shellQuote(extracted.getFullPathName().toStdString())),
                              0);
                    juce::MemoryBlock bytes;
                    extracted.loadFileAsData(bytes);
                    EXPECT_EQ(bytes, pictureBytes);
                }
            }
        }
    }
}
} // namespace
