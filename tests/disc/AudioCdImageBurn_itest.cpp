#include <gtest/gtest.h>

#include <filesystem>

#include "disc/CAudioDiscBurnProxy.h"
#include "disc/CDiscBurnImpWinAudioCD.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMultiString.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/burn/ImageDiscRecorder.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/disc/FakeDiscRecorders.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::platform::DiscRecorderRegistry;
using qm::platform::ImageRecorderOptions;

namespace
{
constexpr uint32_t kSectorFrames = 588;

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// The 16-bit samples of a test track: a fixed-seed sequence over the whole
// range, different per channel and per track.
std::vector<int16_t> TrackSamples(uint32_t frames, uint32_t seed)
{
    std::vector<int16_t> samples(size_t(frames) * 2);
    uint32_t state = seed;
    for (auto& sample : samples)
    {
        state = state * 1664525u + 1013904223u;
        sample = int16_t(state >> 16);
    }
    return samples;
}

// Writes the samples as a 44100 Hz, 16-bit stereo WAV file with our writer.
void WriteWav(const std::filesystem::path& path, const std::vector<int16_t>& samples)
{
    CWavFileWrite writer;
    ASSERT_EQ(writer.Open(Wide(path.string()).c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
    const uint32_t frames = uint32_t(samples.size() / 2);
    std::vector<int32_t> left(frames), right(frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        left[i] = int32_t(samples[2 * i]) * 65536;
        right[i] = int32_t(samples[2 * i + 1]) * 65536;
    }
    int32_t* channels[2] = {left.data(), right.data()};
    ASSERT_EQ(writer.WriteInt32(channels, frames), frames);
    ASSERT_TRUE(writer.Close());
}

// An image target registered for the life of the object.
class Target
{
public:
    Target(const qm::test::TempFolder& folder, const std::string& name, const ImageRecorderOptions& options = {})
    {
        EXPECT_TRUE(
            DiscRecorderRegistry::Instance().RegisterImageTarget((folder.path() / name).string(), options, &m_name));
    }
    ~Target()
    {
        DiscRecorderRegistry::Instance().UnregisterImageTarget(m_name);
        CdDriveRegistry::Instance().UnregisterImage(m_name);
    }
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
};

int IndexOf(const CDiscBurnImpWinAudioCD& burner, const std::string& name)
{
    const auto& devices = burner.GetDevices();
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i].drive == name)
            return int(i);
    return -1;
}

// Reads `frames` frames from the reader and compares them with the samples.
void ExpectSamples(CAudioCDRead& reader, const std::vector<int16_t>& expected)
{
    const uint32_t frames = uint32_t(expected.size() / 2);
    std::vector<int32_t> left(frames), right(frames);
    int32_t* channels[2] = {left.data(), right.data()};
    ASSERT_EQ(reader.ReadInt32(channels, frames, 0), frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        ASSERT_EQ(left[i], int32_t(expected[2 * i]) * 65536) << "frame " << i;
        ASSERT_EQ(right[i], int32_t(expected[2 * i + 1]) * 65536) << "frame " << i;
    }
}

std::u16string Field(CAudioCDRead& reader, int index)
{
    return std::u16string(reader.GetMetaData()->GetField(index)->GetWide());
}

struct Fixture
{
    qm::test::TempFolder folder;
    std::vector<int16_t> first = TrackSamples(300 * kSectorFrames, 1);  // 4 s
    std::vector<int16_t> second = TrackSamples(377 * kSectorFrames, 2); // a little over 5 s
    CAudioCDBurnJob job;

    Fixture()
    {
        WriteWav(folder.file("Track 01.wav"), first);
        WriteWav(folder.file("Track 02.wav"), second);
        job.albumTitle = u"Quiet Album";
        job.albumPerformer = u"The Band";
        job.tracks.push_back(
            {u"Opening", u"First Singer", Wide(folder.file("Track 01.wav").string()), 0, first.size() / 2});
        job.tracks.push_back(
            {u"Closing", u"Second Singer", Wide(folder.file("Track 02.wav").string()), 150, second.size() / 2});
    }
};

void Burn(CDiscBurnImpWinAudioCD& burner, const CAudioCDBurnJob& job)
{
    ASSERT_EQ(burner.StartBurn(job), DiscResult::Ok);
    ASSERT_TRUE(qm::test::WaitFor([&burner] { return !burner.IsBusy(); }, std::chrono::seconds(60)));
    EXPECT_EQ(burner.GetLastResult(), 0u);
    EXPECT_FLOAT_EQ(burner.GetProgress(), 100.0f);
}
} // namespace

TEST(AudioCdImageBurn, WritesADiscThatReadsBackBitIdenticalWithGapsAndCdText)
{
    Fixture fixture;
    Target target(fixture.folder, "disc");
    CDiscBurnImpWinAudioCD burner;
    const int index = IndexOf(burner, target.Name());
    ASSERT_GE(index, 0);
    EXPECT_EQ(burner.GetDevices()[size_t(index)].mediaFlags[2], 1);
    ASSERT_EQ(burner.SelectDevice(index), DiscResult::Ok);
    EXPECT_EQ(burner.GetDrivePath(), Wide(target.Name()));
    EXPECT_EQ(burner.GetDiscType(), 2);
    EXPECT_TRUE(burner.IsDiscBlank());
    EXPECT_EQ(burner.GetSpeeds(), qm::platform::ImageDiscRecorder::Speeds());
    EXPECT_TRUE(burner.CanWriteCdText());

    Burn(burner, fixture.job);
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_FALSE(burner.IsDiscBlank());
    EXPECT_EQ(burner.GetDiscUsedSpace(1), (300 + 150 + 377) * 2352ull);

    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(target.Name() + ".cue"));
    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(Wide(target.Name()).c_str()), ReaderOpenResult::Ok);
    ASSERT_EQ(reader.GetTrackCount(), 2);
    EXPECT_EQ(reader.GetTrackStart(0), 0u);
    // The second track starts after the first one and its 2-second pregap.
    EXPECT_EQ(reader.GetTrackStart(1), uint64_t(300 + 150) * kSectorFrames);
    EXPECT_EQ(reader.GetTrackStart(2), uint64_t(300 + 150 + 377) * kSectorFrames);

    ASSERT_TRUE(reader.SelectTrack(0));
    EXPECT_EQ(Field(reader, CAudioMetaData::kTitle), u"Opening");
    EXPECT_EQ(Field(reader, CAudioMetaData::kArtist), u"First Singer");
    ExpectSamples(reader, fixture.first);
    ASSERT_TRUE(reader.SelectTrack(1));
    EXPECT_EQ(Field(reader, CAudioMetaData::kTitle), u"Closing");
    EXPECT_EQ(Field(reader, CAudioMetaData::kArtist), u"Second Singer");
    ExpectSamples(reader, fixture.second);
    reader.UpdateDiscMetadata();
    EXPECT_EQ(Field(reader, CAudioMetaData::kAlbum), u"Quiet Album");

    // A written CD-R takes no second burn, and cannot be erased.
    ASSERT_EQ(burner.StartBurn(fixture.job), DiscResult::Ok);
    ASSERT_TRUE(qm::test::WaitFor([&burner] { return !burner.IsBusy(); }));
    EXPECT_NE(burner.GetLastResult(), 0u);
    EXPECT_EQ(burner.StartErase(true), DiscResult::Failed);
}

TEST(AudioCdImageBurn, TrackAtOnceWritesTheGapsAndClosesTheSession)
{
    Fixture fixture;
    ImageRecorderOptions options;
    options.modes = {true, false, false, false};
    Target target(fixture.folder, "tao", options);
    CDiscBurnImpWinAudioCD burner;
    ASSERT_EQ(burner.SelectDevice(IndexOf(burner, target.Name())), DiscResult::Ok);
    EXPECT_TRUE(burner.WillWriteTrackAtOnce());
    EXPECT_FALSE(burner.CanWriteCdText());
    Burn(burner, fixture.job);

    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(target.Name() + ".cue"));
    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(Wide(target.Name()).c_str()), ReaderOpenResult::Ok);
    ASSERT_EQ(reader.GetTrackCount(), 2);
    EXPECT_EQ(reader.GetTrackStart(1), uint64_t(300 + 150) * kSectorFrames);
    ASSERT_TRUE(reader.SelectTrack(1));
    ExpectSamples(reader, fixture.second);
}

TEST(AudioCdImageBurn, ARewritableImageIsErasedAndAMissingTrackFileFailsTheBurn)
{
    Fixture fixture;
    ImageRecorderOptions options;
    options.rewritable = true;
    Target target(fixture.folder, "rw", options);
    CDiscBurnImpWinAudioCD burner;
    ASSERT_EQ(burner.SelectDevice(IndexOf(burner, target.Name())), DiscResult::Ok);
    EXPECT_EQ(burner.GetDiscType(), 3);
    EXPECT_TRUE(burner.IsDiscErasable());

    // A track file that is gone: nothing is written, the disc stays blank.
    CAudioCDBurnJob broken = fixture.job;
    broken.tracks[1].path = Wide(fixture.folder.file("missing.wav").string());
    ASSERT_EQ(burner.StartBurn(broken), DiscResult::Ok);
    ASSERT_TRUE(qm::test::WaitFor([&burner] { return !burner.IsBusy(); }));
    EXPECT_NE(burner.GetLastResult(), 0u);
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_TRUE(burner.IsDiscBlank());
    for (const auto& entry : std::filesystem::directory_iterator(fixture.folder.path()))
        EXPECT_EQ(entry.path().extension(), ".wav") << entry.path();

    Burn(burner, fixture.job);
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_FALSE(burner.IsDiscBlank());
    ASSERT_EQ(burner.StartErase(true), DiscResult::Ok);
    ASSERT_TRUE(qm::test::WaitFor([&burner] { return !burner.IsBusy(); }));
    EXPECT_EQ(burner.GetLastResult(), 0u);
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_TRUE(burner.IsDiscBlank());
    EXPECT_FALSE(std::filesystem::exists(target.Name() + ".cue"));
}

// The whole burn road as the burn session drives it: the proxy's own burner,
// the songs written into it as an output stream (the second joined to the
// first without a pause), then the disc written and read back.
TEST(AudioCdImageBurn, TheProxysBurnerWritesTheSongsItIsGiven)
{
    qm::test::TempFolder folder;
    Target target(folder, "proxy");
    std::filesystem::create_directories(folder.file("tracks"));

    CAudioDiscBurnProxy proxy;
    CAudioDiscBurnBase* burner = proxy.GetBurner();
    ASSERT_NE(burner, nullptr);
    CDiscBurnImp* disc = burner->GetBurnImp();
    int index = -1;
    for (size_t i = 0; i < disc->GetDevices().size(); ++i)
        if (disc->GetDevices()[i].drive == target.Name())
            index = int(i);
    ASSERT_GE(index, 0);
    ASSERT_EQ(disc->SelectDevice(index), DiscResult::Ok);

    // Song 1 ends 100 frames into a sector; song 2 follows it seamlessly.
    const uint32_t firstFrames = 300 * kSectorFrames + 100;
    const uint32_t secondFrames = 310 * kSectorFrames;
    const std::vector<int16_t> first = TrackSamples(firstFrames, 7);
    const std::vector<int16_t> second = TrackSamples(secondFrames, 8);
    auto write = [burner](const std::vector<int16_t>& samples) {
        const uint32_t frames = uint32_t(samples.size() / 2);
        std::vector<int32_t> left(frames), right(frames);
        for (uint32_t i = 0; i < frames; ++i)
        {
            left[i] = int32_t(samples[2 * i]) * 65536;
            right[i] = int32_t(samples[2 * i + 1]) * 65536;
        }
        int32_t* channels[2] = {left.data(), right.data()};
        EXPECT_EQ(burner->WriteInt32(channels, frames), frames);
    };
    ASSERT_EQ(burner->SetTempDirectory(Wide(folder.file("tracks").string())), DiscResult::Ok);
    ASSERT_EQ(burner->BeginTracks(u"Album", u"Artist", 44100, 0, 0), DiscResult::Ok);
    ASSERT_EQ(burner->AddTrack(u"one", false, false, 0.0f, 0.0f), DiscResult::Ok);
    write(first);
    ASSERT_EQ(burner->AddTrack(u"two", true, false, 0.0f, 0.0f), DiscResult::Ok);
    write(second);
    ASSERT_EQ(burner->StartBurn(), DiscResult::Ok);
    ASSERT_TRUE(qm::test::WaitFor([disc] { return !disc->IsBusy(); }, std::chrono::seconds(60)));
    ASSERT_EQ(disc->GetLastResult(), 0u);

    // The songs come back as one seamless stream: the first track holds the
    // first song's whole sectors, the second begins with its last 100 frames.
    ASSERT_TRUE(CdDriveRegistry::Instance().RegisterImage(target.Name() + ".cue"));
    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(Wide(target.Name()).c_str()), ReaderOpenResult::Ok);
    ASSERT_EQ(reader.GetTrackCount(), 2);
    std::vector<int16_t> joined = first;
    joined.insert(joined.end(), second.begin(), second.end());
    ASSERT_TRUE(reader.SelectTrack(0));
    ExpectSamples(reader, std::vector<int16_t>(joined.begin(), joined.begin() + 300 * kSectorFrames * 2));
    ASSERT_TRUE(reader.SelectTrack(1));
    ExpectSamples(reader, std::vector<int16_t>(joined.begin() + 300 * kSectorFrames * 2, joined.end()));

    burner->ClearTempFiles();
    EXPECT_TRUE(std::filesystem::is_empty(folder.file("tracks")));
}
