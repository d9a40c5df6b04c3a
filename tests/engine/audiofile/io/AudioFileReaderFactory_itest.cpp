#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "engine/audiofile/aiff/CAifcSowtFileRead.h"
#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/cd/CCdaFileRead.h"
#include "engine/audiofile/io/AudioFileReaderFactory.h"
#include "engine/audiofile/media/CQuickTimeFileRead.h"
#include "engine/audiofile/media/CWindowsMediaFileRead.h"
#include "engine/audiofile/tags/CImageFileRead.h"
#include "engine/audiofile/wav/CWavFileRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/engine/audiofile/MediaFixtures.h"
#include "tests/support/CdImageBuilder.h"

using qm::test::MediaFixtures;

namespace
{
MediaFixtures& fx()
{
    return MediaFixtures::get();
}

// The files every factory test uses, made once.
void MakeFactoryFiles()
{
    const std::string src = fx().source();
    const std::string cover = fx().cover("cover.jpg");
    std::filesystem::create_directories(fx().path("folder.v1"));
    for (const char* name : {"Song.WAV", "song.txt", "noext", "folder.v1/song"})
        if (!std::filesystem::exists(fx().path(name)))
            std::filesystem::copy_file(fx().path(src), fx().path(name));
    fx().make("plain.aiff", "-i " + fx().q(src) + " -c:a pcm_s16be");
    fx().make("sowt.aif", "-i " + fx().q(src) + " -c:a pcm_s16le -f aiff");
    fx().make("factory.mp3", "-i " + fx().q(src) + " -i " + fx().q(cover) +
                                 " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic"
                                 " -id3v2_version 3");
    fx().make("adts.mp3", "-i " + fx().q(src) + " -c:a aac -f adts");
    fx().make("factory.m4a", "-i " + fx().q(src) + " -c:a aac");
    fx().make("factory.wma", "-i " + fx().q(src) + " -c:a wmav2");
    fx().make("rate32k.mp3", "-i " + fx().q(src) + " -ar 32000 -c:a libmp3lame");
}

// Restores the decoding-availability override when a test ends.
struct AvailabilityOverride
{
    explicit AvailabilityOverride(int state) { CQuickTimeFileRead::SetAvailabilityOverride(state); }
    ~AvailabilityOverride() { CQuickTimeFileRead::SetAvailabilityOverride(-1); }
};

std::type_index TypeOf(CAudioFileReadBase* reader)
{
    return reader != nullptr ? std::type_index(typeid(*reader)) : std::type_index(typeid(nullptr));
}

TEST(AudioFileReaderFactory, PicksTheReaderByExtensionInOrder)
{
    MakeFactoryFiles();
    const struct
    {
        const char* name;
        std::type_index type;
    } rows[] = {
        {"Song.WAV", typeid(CWavFileRead)}, // the extension compares case-blind
        {"plain.aiff", typeid(CAiffFileRead)},
        {"sowt.aif", typeid(CAifcSowtFileRead)},        // refused as AIFF, taken as "sowt" AIFC
        {"factory.mp3", typeid(CWindowsMediaFileRead)}, // MP3 goes to Windows Media first
        {"adts.mp3", typeid(CQuickTimeFileRead)},       // ... and to the other reader when refused there
        {"factory.m4a", typeid(CQuickTimeFileRead)},
        {"factory.wma", typeid(CWindowsMediaFileRead)},
        {"noext", typeid(CWavFileRead)},          // no extension: every group in turn
        {"folder.v1/song", typeid(CWavFileRead)}, // a dot in a folder name is no extension
        {"song.txt", typeid(nullptr)},            // no group applies
        {"rate32k.mp3", typeid(nullptr)},         // both MP3 readers refuse it
        {"missing.wav", typeid(nullptr)},
    };
    for (const auto& row : rows)
    {
        std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(fx().widePath(row.name).c_str(), false));
        EXPECT_EQ(TypeOf(reader.get()), row.type) << row.name;
    }
    EXPECT_EQ(CreateAudioFileReader(u"", false), nullptr);
    EXPECT_EQ(CreateAudioFileReader(nullptr, false), nullptr);
}

TEST(AudioFileReaderFactory, Mp4NeedsItsDecoding)
{
    MakeFactoryFiles();
    AvailabilityOverride unavailable(0);
    EXPECT_EQ(CreateAudioFileReader(fx().widePath("factory.m4a").c_str(), false), nullptr);
    std::unique_ptr<CAudioFileReadBase> mp3(CreateAudioFileReader(fx().widePath("factory.mp3").c_str(), false));
    EXPECT_NE(mp3, nullptr) << "MP3 still opens through Windows Media";
}

TEST(AudioFileReaderFactory, CdDrivesAndTheirTrackFiles)
{
    qm::test::TempFolder folder;
    const std::string drive = qm::test::WriteCdImage(folder.path(), "disc", {{true, 300}, {true, 200}});
    ASSERT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(drive + ".cue"));
    // A name without extension is tried as a CD drive first: a WAV file at
    // the drive's name would open as WAV otherwise.
    std::filesystem::copy_file(fx().path(fx().source()), drive);
    const std::u16string name(drive.begin(), drive.end());
    std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(name.c_str(), true));
    EXPECT_EQ(TypeOf(reader.get()), std::type_index(typeid(CAudioCDRead)));
    // A track file of that drive opens as one.
    const std::u16string track = name + u"/Track02.CDA";
    std::unique_ptr<CAudioFileReadBase> cda(CreateAudioFileReader(track.c_str(), true));
    EXPECT_EQ(TypeOf(cda.get()), std::type_index(typeid(CCdaFileRead)));
    qm::platform::CdDriveRegistry::Instance().UnregisterImage(drive);
}

TEST(AudioFileReaderFactory, DirectReadersRefuseRatesAbove96k)
{
    const struct
    {
        int rate;
        bool direct;
    } rows[] = {{96000, true}, {192000, false}, {176400, false}};
    for (const auto& row : rows)
    {
        const std::u16string path = fx().widePath(fx().source(row.rate));
        std::unique_ptr<CAudioFileReadBase> any(CreateAudioFileReader(path.c_str(), false));
        ASSERT_NE(any, nullptr) << row.rate;
        std::unique_ptr<CAudioFileReadBase> direct(CreateDirectAudioFileReader(path.c_str(), false));
        EXPECT_EQ(direct != nullptr, row.direct) << row.rate;
    }
    EXPECT_EQ(CreateDirectAudioFileReader(fx().widePath("missing.wav").c_str(), false), nullptr);
}

TEST(AudioFileReaderFactory, PicturesComeOnlyFromFormatsThatCarryThem)
{
    MakeFactoryFiles();
    const auto cover = fx().bytes("cover.jpg");
    for (const char* name : {"factory.mp3", "factory-cover.m4a"})
    {
        if (std::string(name) == "factory-cover.m4a")
            fx().make(name, "-i " + fx().q(fx().source()) + " -i " + fx().q("cover.jpg") +
                                " -map 0 -map 1 -c:a aac -c:v copy -disposition:v attached_pic");
        std::unique_ptr<CImageFileReadBase> image(CreateImageFileRead(fx().widePath(name).c_str()));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->GetDataSize(), cover.size()) << name;
        ASSERT_EQ(image->Load(), cover.size()) << name;
        EXPECT_EQ(std::vector<uint8_t>(image->GetData(), image->GetData() + image->GetLoadedSize()), cover) << name;
    }
    // WAV files and names without a picture-carrying extension give no audio reader.
    for (const char* name : {"Song.WAV", "song.txt"})
        EXPECT_EQ(CreateAudioFileReaderForPicture(fx().widePath(name).c_str()), nullptr) << name;
    std::unique_ptr<CAudioFileReadBase> aiff(CreateAudioFileReaderForPicture(fx().widePath("sowt.aif").c_str()));
    EXPECT_EQ(TypeOf(aiff.get()), std::type_index(typeid(CAifcSowtFileRead)));
}

} // namespace
