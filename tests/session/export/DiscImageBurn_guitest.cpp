#include <gtest/gtest.h>

#include <functional>

#include "app/core/WideText.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
#include "engine/audiofile/tags/CAudioMetaData.h"
#include "engine/audiofile/tags/CMultiString.h"
#include "platform/burn/DiscRecorderRegistry.h"
#include "platform/burn/ImageDiscRecorder.h"
#include "platform/cd/CdDriveRegistry.h"
#include "session/export/DiscBurnSession.h"
#include "session/export/DiscEraseSession.h"
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

// A listener that answers the repeat question as the test says.
struct RepeatAnswers final : public Tavrel::ExportSessionListener
{
    bool exportSessionAskRepeat(Tavrel::ExportSession*) override { return answer ? answer(asked++) : false; }
    std::function<bool(int)> answer;
    int asked = 0;
};

// The files of an image target's disc, moved to `to` (a path without
// extension) or deleted: the drive then holds a blank disc.
void SwapAway(const std::string& target, const std::string& to = {})
{
    for (const char* ext : {".bin", ".cue", ".cdt"})
    {
        const juce::File f(target + ext);
        if (!f.existsAsFile())
            continue;
        if (to.empty())
            EXPECT_TRUE(f.deleteFile());
        else
            EXPECT_TRUE(f.moveFileTo(juce::File(to + ext)));
    }
}

bool Blank(const std::string& target)
{
    for (const char* ext : {".bin", ".cue", ".cdt", ".bin.part", ".cue.part", ".cdt.part"})
        if (juce::File(target + ext).exists())
            return false;
    return true;
}

// Songs read from the disc in the drive: the image is made without waiting,
// then the session waits for a blank disc, and a repeat answered Yes burns a
// byte-identical image on the next one. A cancel while waiting for that
// second disc leaves nothing behind.
TEST_F(DiscImageBurn, SongsFromTheDiscInTheDrive)
{
    Song("a", 4.0);
    Song("b", 4.0);
    const std::string target = Target("source");
    ASSERT_TRUE(Burn(ParamsFor(target)));
    ASSERT_TRUE(events.session->hasSucceeded());
    const auto original = ReadBack(target); // registers the image as a CD drive
    ASSERT_EQ(original.size(), 2u);

    while (host->GetTrackCount() > 0)
        host->RemoveTracks(host->GetTrackCount() - 1, true, true, true);
    ASSERT_EQ(AddRecord(target + "/Track01.cda", "one"), 0);
    ASSERT_EQ(AddRecord(target + "/Track02.cda", "two"), 1);

    RepeatAnswers repeat;
    exports->AddListener(&repeat);
    const std::string copy = folder.file("copy").string();
    std::vector<std::string> keys;
    bool swapped = false;
    events.answer = [](const std::string&) { return true; };
    events.onProgress = [&](double, const char* key) {
        if (key == nullptr)
            return;
        if (keys.empty() || keys.back() != key)
            keys.push_back(key);
        // The source disc is still in the drive after the image is made:
        // take it out.
        if (!swapped && std::string(key) == "DiscBurn_UsedDisc")
        {
            swapped = true;
            SwapAway(target, folder.file("original").string());
        }
    };
    repeat.answer = [&](int asked) {
        EXPECT_TRUE(events.running->hasSucceeded());
        if (asked == 0)
            SwapAway(target, copy); // the written disc out, a blank one in
        return asked == 0;
    };
    ASSERT_TRUE(Burn(ParamsFor(target)));
    EXPECT_FALSE(events.aborted);
    EXPECT_EQ(repeat.asked, 2);
    ASSERT_NE(events.find("warning DiscBurn_NeedToReplaceDisc"), nullptr);
    EXPECT_EQ(events.find("warning DiscBurn_NeedToReplaceDisc")->songs, qm::test::RowSet({0, 1}));
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[0], "DiscBurn_CreateTemp") << "no wait before the image is made";
    EXPECT_EQ(keys[1], "DiscBurn_UsedDisc");
    EXPECT_EQ(Bytes(juce::File(copy + ".bin")), Bytes(juce::File(target + ".bin")));
    EXPECT_EQ(Bytes(juce::File(copy + ".cue")), Bytes(juce::File(target + ".cue")));
    SwapAway(copy);
    ASSERT_TRUE(qm::platform::CdDriveRegistry::Instance().UnregisterImage(target));
    // Each track is the source disc's track, and then only the silence that
    // ends every track file.
    const auto burned = ReadBack(target);
    ASSERT_EQ(burned.size(), original.size());
    for (size_t t = 0; t < burned.size(); ++t)
    {
        ASSERT_GE(burned[t].size(), original[t].size()) << t;
        EXPECT_LT(burned[t].size() - original[t].size(), 2 * kSectorFrames) << t;
        for (size_t i = 0; i < burned[t].size(); ++i)
            ASSERT_EQ(burned[t][i], i < original[t].size() ? original[t][i] : 0) << "track " << t << " frame " << i;
    }

    // Cancelled while waiting for the blank disc: aborted, no image folder,
    // and the blank disc put in at that moment stays blank.
    SwapAway(target, folder.file("original").string() + "2");
    SwapAway(folder.file("original").string(), target);
    ASSERT_TRUE(juce::File(target + ".cue").existsAsFile());
    swapped = false;
    repeat.answer = nullptr;
    events.onProgress = [&](double, const char* key) {
        if (!swapped && key != nullptr && std::string(key) == "DiscBurn_UsedDisc")
        {
            swapped = true;
            SwapAway(target);
            exports->cancelSession();
        }
    };
    ASSERT_TRUE(Burn(ParamsFor(target)));
    events.onProgress = nullptr;
    EXPECT_TRUE(events.aborted);
    EXPECT_TRUE(Blank(target));
    EXPECT_TRUE(temp.findChildFiles(juce::File::findDirectories | juce::File::findFiles, false, "*").isEmpty());
    exports->RemoveListener(&repeat);
}

// A rewritable image: refused while a song of the list is one of its tracks,
// erased to blank once it is not.
TEST_F(DiscImageBurn, ErasingARewritableImage)
{
    Song("a", 4.0);
    qm::platform::ImageRecorderOptions rewritable;
    rewritable.rewritable = true;
    const std::string target = Target("rw", rewritable);
    ASSERT_TRUE(Burn(ParamsFor(target)));
    ASSERT_TRUE(events.session->hasSucceeded());
    ASSERT_EQ(ReadBack(target).size(), 1u);
    ASSERT_EQ(AddRecord(target + "/Track01.cda", "fromdisc"), 1);

    auto erase = [&] {
        events.clear();
        DiscBurnParameter params = ParamsFor(target);
        return exports->startSession(
            std::make_unique<Tavrel::DiscEraseSession>(exports->getDiscBurnProxy()->GetBurner(), params));
    };
    EXPECT_FALSE(erase());
    ASSERT_EQ(events.names(), std::vector<std::string>{"error DiscErase_DiscRefferedBySongs"});
    EXPECT_EQ(events.events[0].songs, qm::test::RowSet({1}));
    EXPECT_FALSE(Blank(target));

    ASSERT_TRUE(host->RemoveTracks(1, true, true, true));
    ASSERT_TRUE(erase());
    ASSERT_TRUE(qm::test::PumpUntil([&] { return events.finished; }, 30));
    EXPECT_FALSE(events.aborted);
    EXPECT_TRUE(events.session->hasSucceeded());
    EXPECT_TRUE(Blank(target));
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
