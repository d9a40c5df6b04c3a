#include <gtest/gtest.h>

#include "app/core/WideText.h"
#include "engine/audiofile/cd/CAudioCDRead.h"
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
