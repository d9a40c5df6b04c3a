#include <gtest/gtest.h>

#include "app/core/WideText.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMultiString.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/burn/ImageDiscRecorder.h"
#include "platform/cd/CdDriveRegistry.h"
#include "session/export/DiscBurnSession.h"
#include "tests/session/export/ExportFixture.h"

using Tavrel::CommonExportParameter;
using Tavrel::DiscBurnParameter;

namespace
{
constexpr uint64_t kSectorFrames = 588;

// Burns through the session onto image targets of the program's own disc
// writer, and reads the images back through the CD reader.
class DiscImageBurn : public qm::test::ExportFixture
{
protected:
    DiscImageBurn()
    {
        realBurner = true;
        temp = juce::File(folder.file("temp").string());
        temp.createDirectory();
        common.setItemText(temp.getFullPathName(), CommonExportParameter::kTempDirectory);
    }
    ~DiscImageBurn() override
    {
        for (const std::string& name : targets)
        {
            qm::platform::DiscRecorderRegistry::Instance().UnregisterImageTarget(name);
            qm::platform::CdDriveRegistry::Instance().UnregisterImage(name);
        }
    }

    std::string Target(const std::string& name, const qm::platform::ImageRecorderOptions& options = {})
    {
        std::string registered;
        EXPECT_TRUE(qm::platform::DiscRecorderRegistry::Instance().RegisterImageTarget(folder.file(name).string(),
                                                                                       options, &registered));
        targets.push_back(registered);
        return registered;
    }

    // The settings with the target chosen as the drive.
    DiscBurnParameter ParamsFor(const std::string& target)
    {
        exports->getDiscBurnProxy()->SetRecreate(true); // the drive list anew
        DiscBurnParameter params(exports->getDiscBurnProxy());
        const juce::StringArray drives = params.getChoiceTexts(DiscBurnParameter::kDrive);
        for (int i = 0; i < drives.size(); ++i)
        {
            if (drives[i].startsWith(juce::String(target)))
            {
                EXPECT_TRUE(params.setChoice(DiscBurnParameter::kDrive, i));
            }
        }
        return params;
    }

    bool Burn(const DiscBurnParameter& params)
    {
        events.clear();
        if (!exports->startSession(
                std::make_unique<Tavrel::DiscBurnSession>(exports->getDiscBurnProxy(), params, common)))
            return false;
        EXPECT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 120));
        qm::test::PumpPosted();
        return true;
    }

    // The left-channel samples of each track of a burned image.
    std::vector<std::vector<int32_t>> ReadBack(const std::string& target)
    {
        EXPECT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(target + ".cue"));
        std::vector<std::vector<int32_t>> tracks;
        CAudioCDRead reader(true);
        if (reader.Open(toEngineText(juce::String(target)).c_str()) != ReaderOpenResult::Ok)
            return tracks;
        for (int t = 0; t < reader.GetTrackCount(); ++t)
        {
            EXPECT_TRUE(reader.SelectTrack(t));
            const uint32_t frames = static_cast<uint32_t>(reader.GetLength());
            std::vector<int32_t> left(frames), right(frames);
            int32_t* channels[2] = {left.data(), right.data()};
            EXPECT_EQ(reader.ReadInt32(channels, frames, 0), frames);
            tracks.push_back(left);
        }
        return tracks;
    }

    juce::File temp;
    std::vector<std::string> targets;
};

// Three songs from 44.1 kHz 16-bit files, normalise off, no dither, gain 0:
// each track is its song's samples, on a disc-at-once and a track-at-once
// target.
TEST_F(DiscImageBurn, TracksReadBackBitExactly)
{
    for (const char* n : {"a", "b", "c"})
        Song(n, 4.0);
    std::vector<std::vector<float>> sources;
    for (const char* n : {"a", "b", "c"})
        sources.push_back(Read(juce::File(folder.file(std::string(n) + ".src.wav").string()))[0]);
    qm::platform::ImageRecorderOptions trackAtOnce;
    trackAtOnce.modes = {true, false, false, false};
    struct Case
    {
        const char* name;
        qm::platform::ImageRecorderOptions options;
    };
    for (const Case& c : {Case{"rawpw", {}}, Case{"tao", trackAtOnce}})
    {
        SCOPED_TRACE(c.name);
        const std::string target = Target(c.name, c.options);
        DiscBurnParameter params = ParamsFor(target);
        ASSERT_GE(params.getDriveIndex(), 0);
        events.answer = [](const std::string&) { return true; };
        ASSERT_TRUE(Burn(params));
        EXPECT_FALSE(events.aborted);
        ASSERT_NE(events.session, nullptr);
        EXPECT_TRUE(events.session->hasSucceeded());
        const auto tracks = ReadBack(target);
        ASSERT_EQ(tracks.size(), 3u);
        for (size_t t = 0; t < 3; ++t)
        {
            ASSERT_GE(tracks[t].size(), sources[t].size()) << t;
            for (size_t i = 0; i < sources[t].size(); ++i)
                ASSERT_EQ(tracks[t][i], static_cast<int32_t>(std::lround(sources[t][i] * 32768.0f)) * 65536)
                    << "track " << t << " frame " << i;
            EXPECT_LT(tracks[t].size() - sources[t].size(), 2 * kSectorFrames) << "only the sector padding";
        }
        EXPECT_TRUE(temp.findChildFiles(juce::File::findDirectories, false, "*").isEmpty());
    }
}
} // namespace

namespace
{
std::u16string Field(CAudioCDRead& reader, int index)
{
    return std::u16string(reader.GetMetaData()->GetField(index)->GetWide());
}

// With a 2 s gap the pause between the audio of any two songs is the gap
// (plus the sector padding), the last pair included; with no gap a song of
// 1 s (accepted) becomes a track of exactly 4 s.
TEST_F(DiscImageBurn, GapsAndShortSongs)
{
    Song("a", 4.0);
    Song("b", 4.0);
    Song("c", 4.0);
    const std::string target = Target("gaps");
    DiscBurnParameter params = ParamsFor(target);
    ASSERT_TRUE(params.selectChoiceByValue(DiscBurnParameter::kGap, 2));
    ASSERT_TRUE(Burn(params));
    ASSERT_TRUE(events.session->hasSucceeded());
    ASSERT_TRUE(qm::platform::CdDriveRegistry::Instance().RegisterImage(target + ".cue"));
    {
        CAudioCDRead reader(true);
        ASSERT_EQ(reader.Open(toEngineText(juce::String(target)).c_str()), ReaderOpenResult::Ok);
        ASSERT_EQ(reader.GetTrackCount(), 3);
        for (int t = 0; t + 1 < 3; ++t)
        {
            const uint64_t pause = reader.GetTrackStart(t + 1) - reader.GetTrackStart(t) - 176400;
            EXPECT_GE(pause, 88200u) << t;
            EXPECT_LT(pause, 88200u + 2 * kSectorFrames) << t;
        }
        EXPECT_LT(reader.GetTrackStart(3) - reader.GetTrackStart(2) - 176400, 2 * kSectorFrames)
            << "nothing after the last song but its padding";
    }

    // A 1 s song, accepted with silence appended.
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, true, true, true);
    Song("short", 1.0);
    const std::string second = Target("short");
    DiscBurnParameter noGap = ParamsFor(second);
    events.answer = [](const std::string&) { return true; };
    ASSERT_TRUE(Burn(noGap));
    EXPECT_NE(events.find("warning DiscBurn_SilenceAppended"), nullptr);
    const auto tracks = ReadBack(second);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].size(), 176400u);
}

// On a disc-at-once target: two songs divided from one file flow across the
// track boundary, and the CD-TEXT carries the album and the songs' texts.
TEST_F(DiscImageBurn, DividedSongsAndCdText)
{
    Song("x", 9.0);
    const auto source = Read(juce::File(folder.file("x.src.wav").string()))[0];
    ASSERT_TRUE(host->SetCurrentTrack(0, false, false));
    ASSERT_TRUE(host->DivideTrack(5.0 + 100.0 / 44100.0)); // not a multiple of 588 frames
    host->GetTrack(0)->setTextField("First", Tavrel::TrackInfo::kTitle, false);
    host->GetTrack(0)->setTextField("Singer", Tavrel::TrackInfo::kArtist, false);
    host->GetTrack(1)->setTextField("Second", Tavrel::TrackInfo::kTitle, false);
    const std::string target = Target("divided");
    DiscBurnParameter params = ParamsFor(target);
    params.setItemText("Album", DiscBurnParameter::kAlbumTitle);
    params.setItemText("Band", DiscBurnParameter::kAlbumPerformer);
    ASSERT_TRUE(Burn(params));
    ASSERT_TRUE(events.session->hasSucceeded());
    const auto tracks = ReadBack(target);
    ASSERT_EQ(tracks.size(), 2u);
    std::vector<int32_t> joined = tracks[0];
    joined.insert(joined.end(), tracks[1].begin(), tracks[1].end());
    ASSERT_GE(joined.size(), source.size());
    for (size_t i = 0; i < source.size(); ++i)
        ASSERT_EQ(joined[i], static_cast<int32_t>(std::lround(source[i] * 32768.0f)) * 65536) << "frame " << i;

    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(toEngineText(juce::String(target)).c_str()), ReaderOpenResult::Ok);
    ASSERT_TRUE(reader.SelectTrack(0));
    EXPECT_EQ(Field(reader, CAudioMetaData::kTitle), u"First");
    EXPECT_EQ(Field(reader, CAudioMetaData::kArtist), u"Singer");
    ASSERT_TRUE(reader.SelectTrack(1));
    EXPECT_EQ(Field(reader, CAudioMetaData::kTitle), u"Second");
    reader.UpdateDiscMetadata();
    EXPECT_EQ(Field(reader, CAudioMetaData::kAlbum), u"Album");
    const std::string info = qm::test::runCommandOutput("cd-info --no-device-info --cue-file " +
                                                        qm::test::shellQuote(target + ".cue") + " 2>/dev/null");
    EXPECT_NE(info.find("Album"), std::string::npos);
    EXPECT_NE(info.find("Band"), std::string::npos);
    EXPECT_NE(info.find("First"), std::string::npos);
}
} // namespace
