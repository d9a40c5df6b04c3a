#include <gtest/gtest.h>

#include "disc/CDiscBurnImpWinAudioCD.h"
#include "tests/disc/FakeDiscRecorders.h"

using namespace qm::test;
using qm::platform::RecorderWriteMethod;
using qm::platform::RecorderWriteModes;

namespace
{
CAudioCDBurnJob MakeJob(const std::vector<uint64_t>& frames)
{
    CAudioCDBurnJob job;
    job.albumTitle = u"Album";
    job.albumPerformer = u"Band";
    for (size_t i = 0; i < frames.size(); ++i)
    {
        CAudioCDTrackEntry entry;
        entry.title = u"Song " + std::u16string(1, char16_t(u'1' + i));
        entry.performer = u"Singer";
        entry.path = u"/tmp/Track 0" + std::u16string(1, char16_t(u'1' + i)) + u".wav";
        entry.gapSectors = i == 0 ? 0 : 150;
        entry.frames = frames[i];
        job.tracks.push_back(entry);
    }
    return job;
}

bool WaitIdle(const CDiscBurnImpWinAudioCD& burner)
{
    return WaitFor([&burner] { return !burner.IsBusy(); });
}
} // namespace

TEST(CDiscBurnImpWinAudioCD, WithoutDrivesNothingCanBeSelectedOrStarted)
{
    FakeRecorderScript script;
    script.modes = {true, true, true, true};
    FakeRecorderSystem none(script, {});
    CDiscBurnImpWinAudioCD burner(&none);
    EXPECT_TRUE(burner.GetDevices().empty());
    EXPECT_EQ(burner.SelectDevice(0), DiscResult::Failed);
    EXPECT_EQ(burner.SelectDevice(-1), DiscResult::Failed);
    EXPECT_EQ(burner.RefreshDiscInfo(), DiscResult::Failed);
    EXPECT_EQ(burner.GetDiscType(), -1);
    EXPECT_FALSE(burner.CanWriteRawPW());
    EXPECT_FALSE(burner.CanWriteCdText());
    EXPECT_FALSE(burner.WillWriteTrackAtOnce());
    EXPECT_TRUE(burner.CannotWriteRawPW());
    EXPECT_EQ(burner.StartBurn(MakeJob({176400})), DiscResult::Failed);
    EXPECT_EQ(burner.StartErase(true), DiscResult::Failed);
    EXPECT_FALSE(burner.IsBusy());

    // A library that does not start gives no drives and is not shut down.
    FakeRecorderSystem broken(script);
    broken.startWorks = false;
    {
        CDiscBurnImpWinAudioCD other(&broken);
        EXPECT_TRUE(other.GetDevices().empty());
    }
    EXPECT_EQ(broken.shutdowns, 0);
}

TEST(CDiscBurnImpWinAudioCD, SelectsADriveAndReadsItsDisc)
{
    FakeRecorderScript script;
    FakeRecorderSystem system(script, {"/dev/sr0", "/dev/sr1"});
    {
        CDiscBurnImpWinAudioCD burner(&system);
        ASSERT_EQ(burner.GetDevices().size(), 2u);
        EXPECT_EQ(burner.GetDevices()[1].drive, "/dev/sr1");
        EXPECT_EQ(burner.GetDevices()[1].vendor, "Vendor");
        EXPECT_EQ(burner.GetDevices()[1].mediaFlags[2], 1);
        EXPECT_EQ(burner.SelectDevice(2), DiscResult::Failed);
        ASSERT_EQ(burner.SelectDevice(1), DiscResult::Ok);
        EXPECT_EQ(burner.GetDrivePath(), u"/dev/sr1");
        EXPECT_EQ(burner.GetDiscType(), 2);
        EXPECT_TRUE(burner.IsDiscBlank());
        EXPECT_FALSE(burner.IsDiscErasable());
        EXPECT_EQ(burner.GetDiscFreeSpace(1), 360000ull * 2352);
        EXPECT_EQ(burner.GetDiscFreeSpace(0), 360000ull * 2048);

        // After a rescan the same index may name another drive.
        system.SetNames({"/dev/sr2", "/dev/sr3"});
        burner.RescanDevices();
        ASSERT_EQ(burner.SelectDevice(1), DiscResult::Ok);
        EXPECT_EQ(burner.GetDrivePath(), u"/dev/sr3");

        burner.Eject();
        EXPECT_EQ(burner.GetDiscType(), -1);
        EXPECT_TRUE(burner.GetSpeeds().empty());
        burner.CloseDevice();
        EXPECT_TRUE(burner.GetDrivePath().empty());
        EXPECT_EQ(burner.RefreshDiscInfo(), DiscResult::Failed);
    }
    EXPECT_EQ(system.starts, 1);
    EXPECT_EQ(system.shutdowns, 1);
}

TEST(CDiscBurnImpWinAudioCD, TriesTheCdSpeedsUpToTheDrivesMaximum)
{
    FakeRecorderScript script;
    script.maxSpeed = 1760;
    script.speeds = {353, 706, 1400, 1760};
    FakeRecorderSystem system(script);
    CDiscBurnImpWinAudioCD burner(&system);
    ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);

    // The drive's maximum first (selection), then the table up to 1760.
    const std::vector<uint32_t> expected{0xFFFF, 176, 353, 387, 528, 706, 1056, 1400, 1760};
    EXPECT_EQ(script.speedRequests, expected);
    // What the drive set, read back: no duplicates, ascending.
    EXPECT_EQ(burner.GetSpeeds(), (std::vector<uint32_t>{353, 706, 1400, 1760}));

    // A DVD gets the DVD table; a disc of another kind no speeds.
    script.media = qm::platform::DiscMedia::DvdR;
    script.maxSpeed = 5540;
    script.speeds = {2770, 5540};
    script.speedRequests.clear();
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_EQ(script.speedRequests, (std::vector<uint32_t>{1385, 2770, 3324, 4155, 5540}));
    EXPECT_EQ(burner.GetSpeeds(), (std::vector<uint32_t>{2770, 5540}));
    script.media = qm::platform::DiscMedia::BdR;
    ASSERT_EQ(burner.RefreshDiscInfo(), DiscResult::Ok);
    EXPECT_TRUE(burner.GetSpeeds().empty());
}

TEST(CDiscBurnImpWinAudioCD, ChoosesTheFirstSupportedWriteMode)
{
    struct Case
    {
        RecorderWriteModes modes; // TAO, SAO, DAO PQ, DAO raw P-W
        int expectedMode;
        DiscResult started;
    };
    const Case cases[] = {
        {{true, false, false, false}, CDiscBurnImpWinAudioCD::kModeTrackAtOnce, DiscResult::Ok},
        {{true, false, false, true}, CDiscBurnImpWinAudioCD::kModeDiscAtOnceRawPW, DiscResult::Ok},
        {{false, true, true, false}, CDiscBurnImpWinAudioCD::kModeDiscAtOncePQ, DiscResult::Ok},
        {{false, true, false, false}, CDiscBurnImpWinAudioCD::kModeSessionAtOnce, DiscResult::Ok},
        {{false, false, false, false}, CDiscBurnImpWinAudioCD::kModeIdle, DiscResult::Failed},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.expectedMode);
        FakeRecorderScript script;
        script.modes = c.modes;
        int seenMode = -1;
        CDiscBurnImpWinAudioCD* current = nullptr;
        script.writeDisc = [&](const auto&, auto*, const auto&) {
            seenMode = current->GetWriteMode();
            return 0u;
        };
        script.writeTrack = [&](size_t, const auto&, auto*, const auto&) {
            seenMode = current->GetWriteMode();
            return 0u;
        };
        FakeRecorderSystem system(script);
        CDiscBurnImpWinAudioCD burner(&system);
        current = &burner;
        ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
        EXPECT_EQ(burner.CanWriteRawPW(), c.modes.discAtOnceRawPW);
        EXPECT_EQ(burner.CanWriteCdText(), c.modes.discAtOnceRawPW);
        EXPECT_EQ(burner.CannotWriteRawPW(), !c.modes.discAtOnceRawPW);
        EXPECT_EQ(burner.WillWriteTrackAtOnce(), c.modes.trackAtOnce && !c.modes.discAtOnceRawPW);

        ASSERT_EQ(burner.StartBurn(MakeJob({176400, 176400})), c.started);
        ASSERT_TRUE(WaitIdle(burner));
        EXPECT_EQ(burner.GetWriteMode(), CDiscBurnImpWinAudioCD::kModeIdle);
        EXPECT_EQ(burner.GetState(), CDiscBurnImpWinAudioCD::kStateIdle);
        if (c.started != DiscResult::Ok)
        {
            EXPECT_EQ(seenMode, -1);
            continue;
        }
        EXPECT_EQ(seenMode, c.expectedMode);
        EXPECT_EQ(burner.GetLastResult(), 0u);
        if (c.expectedMode == CDiscBurnImpWinAudioCD::kModeTrackAtOnce)
        {
            ASSERT_EQ(script.tracks.size(), 2u);
            EXPECT_EQ(script.tracks[0].wavPath, "/tmp/Track 01.wav");
            EXPECT_EQ(script.tracks[1].pregapSectors, 150u);
            EXPECT_EQ(script.closeCalls, 1);
        }
        else
        {
            ASSERT_EQ(script.disc.tracks.size(), 2u);
            EXPECT_EQ(script.disc.tracks[1].wavPath, "/tmp/Track 02.wav");
            // The gaps reach the recorder in every mode.
            EXPECT_EQ(script.disc.tracks[1].pregapSectors, 150u);
            const bool discAtOnce = c.expectedMode != CDiscBurnImpWinAudioCD::kModeSessionAtOnce;
            EXPECT_EQ(script.disc.withCdText, discAtOnce);
            EXPECT_EQ(script.disc.tracks[0].title, discAtOnce ? "Song 1" : "");
            EXPECT_EQ(script.disc.albumPerformer, discAtOnce ? "Band" : "");
        }
    }
}

TEST(CDiscBurnImpWinAudioCD, CdTextKeepsOnlyPrintableAscii)
{
    const std::u16string longText(600, u'x');
    const struct
    {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"Plain Title ~!", "Plain Title ~!"}, {u"Caf\u00e9", ""}, {u"\u65e5\u672c", ""}, {u"Tab\there", ""}, {u"", ""},
        {longText, std::string(511, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDiscBurnImpWinAudioCD::CdTextFromWide(c.in), c.out);

    // Through a burn: the title with a non-ASCII character arrives empty.
    FakeRecorderScript script;
    script.modes = {false, false, false, true};
    FakeRecorderSystem system(script);
    CDiscBurnImpWinAudioCD burner(&system);
    ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
    CAudioCDBurnJob job = MakeJob({176400});
    job.tracks[0].title = u"Na\u00efve";
    ASSERT_EQ(burner.StartBurn(job), DiscResult::Ok);
    ASSERT_TRUE(WaitIdle(burner));
    ASSERT_EQ(script.disc.tracks.size(), 1u);
    EXPECT_EQ(script.disc.tracks[0].title, "");
    EXPECT_EQ(script.disc.tracks[0].performer, "Singer");
    EXPECT_EQ(script.disc.albumTitle, "Album");
}

TEST(CDiscBurnImpWinAudioCD, DiscAtOnceProgressAndState)
{
    FakeRecorderScript script;
    script.modes = {true, true, true, true};
    std::vector<std::pair<float, int>> seen;
    CDiscBurnImpWinAudioCD* current = nullptr;
    script.writeDisc = [&](const auto&, qm::platform::RecorderProgressListener* listener, const auto&) {
        for (uint64_t written = 100; written <= 900; written += 100)
        {
            listener->OnWriteProgress(1000, written);
            seen.emplace_back(current->GetProgress(), current->GetState());
        }
        return 0u;
    };
    FakeRecorderSystem system(script);
    CDiscBurnImpWinAudioCD burner(&system);
    current = &burner;
    ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
    ASSERT_EQ(burner.StartBurn(MakeJob({176400})), DiscResult::Ok);
    ASSERT_TRUE(WaitIdle(burner));

    ASSERT_EQ(seen.size(), 9u);
    for (size_t i = 0; i < 8; ++i)
    {
        EXPECT_FLOAT_EQ(seen[i].first, float(10 * (i + 1)));
        EXPECT_EQ(seen[i].second, CDiscBurnImpWinAudioCD::kStateWriting);
    }
    // 900 after 800: one more step of 100 reaches the total.
    EXPECT_FLOAT_EQ(seen[8].first, 100.0f);
    EXPECT_EQ(seen[8].second, CDiscBurnImpWinAudioCD::kStateFinishing);
    EXPECT_EQ(burner.GetState(), CDiscBurnImpWinAudioCD::kStateIdle);
    EXPECT_FLOAT_EQ(burner.GetProgress(), 100.0f);
    EXPECT_EQ(burner.GetLastResult(), 0u);
}

TEST(CDiscBurnImpWinAudioCD, TrackAtOnceProgressRunsOverTheWholeDisc)
{
    FakeRecorderScript script;
    script.modes = {true, false, false, false};
    std::vector<std::pair<float, int>> seen;
    std::pair<float, int> atClose{-1.0f, -1};
    CDiscBurnImpWinAudioCD* current = nullptr;
    script.writeTrack = [&](size_t, const auto&, qm::platform::RecorderProgressListener* listener, const auto&) {
        // Each track counts its own bytes; the last report of one track
        // must not make the next one look finished.
        listener->OnWriteProgress(1000, 250);
        listener->OnWriteProgress(1000, 500);
        seen.emplace_back(current->GetProgress(), current->GetState());
        listener->OnWriteProgress(1000, 1000);
        return 0u;
    };
    script.closeSession = [&] {
        atClose = {current->GetProgress(), current->GetState()};
        return 0u;
    };
    FakeRecorderSystem system(script);
    CDiscBurnImpWinAudioCD burner(&system);
    current = &burner;
    ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
    ASSERT_TRUE(burner.WillWriteTrackAtOnce());
    ASSERT_EQ(burner.StartBurn(MakeJob({441000, 441000, 882000})), DiscResult::Ok);
    ASSERT_TRUE(WaitIdle(burner));

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FLOAT_EQ(seen[0].first, 12.5f);
    EXPECT_FLOAT_EQ(seen[1].first, 37.5f);
    EXPECT_FLOAT_EQ(seen[2].first, 75.0f);
    for (const auto& s : seen)
        EXPECT_EQ(s.second, CDiscBurnImpWinAudioCD::kStateWriting);
    EXPECT_FLOAT_EQ(atClose.first, 100.0f);
    EXPECT_EQ(atClose.second, CDiscBurnImpWinAudioCD::kStateFinishing);
    EXPECT_EQ(burner.GetLastResult(), 0u);
}

TEST(CDiscBurnImpWinAudioCD, FailedOrCancelledTrackAtOnceLeavesTheSessionOpenAndReportsIt)
{
    // A failing second track: the third is not written, the session not closed.
    {
        FakeRecorderScript script;
        script.modes = {true, false, false, false};
        script.writeTrack = [](size_t index, const auto&, auto*, const auto&) { return index == 1 ? 1u : 0u; };
        FakeRecorderSystem system(script);
        CDiscBurnImpWinAudioCD burner(&system);
        ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
        ASSERT_EQ(burner.StartBurn(MakeJob({176400, 176400, 176400})), DiscResult::Ok);
        ASSERT_TRUE(WaitIdle(burner));
        EXPECT_EQ(script.tracks.size(), 2u);
        EXPECT_EQ(script.closeCalls, 0);
        EXPECT_EQ(burner.GetLastResult(), 1u);
    }
    // A cancel while the last track is written: every track reports
    // success, but the session stays open and the job is not a success.
    {
        FakeRecorderScript script;
        script.modes = {true, false, false, false};
        CDiscBurnImpWinAudioCD* current = nullptr;
        script.writeTrack = [&](size_t index, const auto&, auto*, const auto&) {
            if (index == 1)
                current->Cancel();
            return 0u;
        };
        FakeRecorderSystem system(script);
        CDiscBurnImpWinAudioCD burner(&system);
        current = &burner;
        ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
        ASSERT_EQ(burner.StartBurn(MakeJob({176400, 176400})), DiscResult::Ok);
        ASSERT_TRUE(WaitIdle(burner));
        EXPECT_EQ(script.closeCalls, 0);
        EXPECT_NE(burner.GetLastResult(), 0u);
    }
}

TEST(CDiscBurnImpWinAudioCD, ARunningBurnHoldsTheDriveAndEndsOnCancelOrDestruction)
{
    FakeRecorderScript script;
    script.modes = {false, false, false, true};
    std::atomic<bool> writing{false};
    script.writeDisc = [&](const auto&, qm::platform::RecorderProgressListener* listener,
                           const std::atomic<bool>& cancel) {
        // Reported before the test is told the write runs, so the cancel
        // that follows always comes after this progress.
        listener->OnWriteProgress(1000, 100);
        writing = true;
        while (!cancel.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        listener->OnWriteProgress(1000, 200); // after the cancel: no longer shown
        return uint32_t(qm::platform::kRecorderCancelled);
    };
    FakeRecorderSystem system(script);
    {
        CDiscBurnImpWinAudioCD burner(&system);
        ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
        ASSERT_EQ(burner.StartBurn(MakeJob({176400})), DiscResult::Ok);
        ASSERT_TRUE(WaitFor([&] { return writing.load(); }));
        EXPECT_TRUE(burner.IsBusy());
        // The drive is not touched while it writes.
        EXPECT_EQ(burner.StartBurn(MakeJob({176400})), DiscResult::Failed);
        EXPECT_EQ(burner.StartErase(true), DiscResult::Failed);
        EXPECT_EQ(burner.RefreshDiscInfo(), DiscResult::Failed);
        EXPECT_EQ(burner.GetDiscType(), 2);
        EXPECT_EQ(burner.SelectDevice(0), DiscResult::Failed);
        burner.CloseDevice();
        EXPECT_EQ(burner.GetDrivePath(), u"/dev/sr0");

        burner.Cancel();
        ASSERT_TRUE(WaitIdle(burner));
        EXPECT_EQ(burner.GetLastResult(), uint32_t(qm::platform::kRecorderCancelled));
        EXPECT_FLOAT_EQ(burner.GetProgress(), 10.0f);

        // A new burn after the cancel runs again; destroying the burner
        // while it writes cancels the job and waits for the worker.
        writing = false;
        ASSERT_EQ(burner.StartBurn(MakeJob({176400})), DiscResult::Ok);
        ASSERT_TRUE(WaitFor([&] { return writing.load(); }));
    }
    EXPECT_EQ(system.shutdowns, 1);
}

TEST(CDiscBurnImpWinAudioCD, EraseNeedsAnErasableDiscAndEstimatesItsDuration)
{
    FakeRecorderScript script;
    FakeRecorderSystem system(script);
    CDiscBurnImpWinAudioCD burner(&system);
    ASSERT_EQ(burner.SelectDevice(0), DiscResult::Ok);
    EXPECT_EQ(burner.StartErase(true), DiscResult::Failed); // a CD-R
    EXPECT_EQ(script.blankCalls, 0);

    script.media = qm::platform::DiscMedia::CdRw;
    script.erasable = true;
    script.blank = false;
    script.speeds = {706, 1760};
    std::atomic<bool> release{false};
    std::atomic<int> blankKind{-1};
    script.blank_ = [&](bool quick, const std::atomic<bool>&) {
        blankKind = quick ? 1 : 2;
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0u;
    };
    ASSERT_EQ(burner.StartErase(true), DiscResult::Ok);
    // 40960 KB at 1760 KB/s, in milliseconds.
    EXPECT_EQ(burner.GetEraseDurationEstimate(), 23272);
    EXPECT_TRUE(burner.IsBusy());
    const float progress = burner.GetEraseProgress();
    EXPECT_GE(progress, 0.0f);
    EXPECT_LE(progress, 100.0f);
    EXPECT_EQ(burner.StartErase(true), DiscResult::Failed); // one job at a time
    release = true;
    ASSERT_TRUE(WaitIdle(burner));
    EXPECT_EQ(blankKind.load(), 1);
    EXPECT_EQ(burner.GetLastResult(), 0u);

    // A full erase covers the whole disc as well: (free + used) / 1024 KB more.
    script.blank_ = [](bool, const std::atomic<bool>&) { return 1u; };
    ASSERT_EQ(burner.StartErase(false), DiscResult::Ok);
    ASSERT_TRUE(WaitIdle(burner));
    EXPECT_EQ(burner.GetEraseDurationEstimate(), int32_t((1000ull * 2048 / 1024 + 40960) * 1000 / 1760));
    EXPECT_EQ(burner.GetLastResult(), 1u);
}
