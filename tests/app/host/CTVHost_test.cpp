#include <gtest/gtest.h>

#include "tests/app/host/HostFixture.h"

using qm::test::Call;
using qm::test::Host;
using qm::test::RecordEvents;
using Tavrel::TrackInfo;

namespace
{
TEST_F(Host, ANewControllerAndItsPlayerRate)
{
    CreateHost();
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
    EXPECT_EQ(host->GetPlayMode(), CTVHost::kPlayOneSong);
    EXPECT_FALSE(host->GetRepeat());
    EXPECT_EQ(host->GetCurrentIndex(), -1);
    EXPECT_TRUE(host->GetSelection().isEmpty());
    EXPECT_EQ(host->GetTrack(-1), nullptr);
    EXPECT_EQ(host->GetTrack(0), nullptr);
    EXPECT_EQ(host->GetPlayer()->GetDeviceSampleRate(), 44100.0f) << "no device open";
    AddSong("a.wav", 0.2);
    EXPECT_EQ(host->GetTrack(host->GetTrackCount()), nullptr);
    DestroyHost();

    OpenDevice(48000.0);
    CreateHost();
    EXPECT_EQ(host->GetPlayer()->GetDeviceSampleRate(), 48000.0f);
}

// Song-record events reach the registrations that follow the song, in
// registration order, after the current song's controls reached the player.
TEST_F(Host, RecordEventsAreRelayedToWhoFollowsTheSong)
{
    CreateHost();
    for (int i = 0; i < 4; ++i)
        AddSong("song" + std::to_string(i) + ".wav", 0.2);
    ASSERT_TRUE(host->SetCurrentTrack(1, true, false));

    std::vector<std::string> log;
    RecordEvents every("every", log), current("current", log), row3("row3", log);
    host->AddTrackInfoListenerEntry(&every, -1);
    host->AddTrackInfoListenerEntry(&current, -2);
    host->AddTrackInfoListenerEntry(&row3, 3);

    host->GetTrack(3)->setTextField("New title", TrackInfo::kTitle, true);
    EXPECT_EQ(log, (std::vector<std::string>{"every text", "row3 text"}));
    log.clear();
    host->GetTrack(1)->setTextField("Other title", TrackInfo::kTitle, true);
    EXPECT_EQ(log, (std::vector<std::string>{"every text", "current text"}));
    log.clear();

    // The gain reaches the player's dynamics before any registration hears of
    // it; a listener may remove registrations while it is called.
    float gainSeen = 0.0f;
    every.onControl = [&] {
        gainSeen = host->GetPlayer()->GetDynamicControl()->GetGain();
        host->RemoveTrackInfoListenerEntries(&current);
    };
    host->GetTrack(1)->setFloatControl(TrackInfo::kGain, -6.0f);
    EXPECT_FLOAT_EQ(gainSeen, -6.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"every control"}));
    host->RemoveTrackInfoListenerEntries(&every);
    host->RemoveTrackInfoListenerEntries(&row3);
}

// The device keeps calling from its own thread while the controller goes:
// no block may reach a deleted controller.
TEST_F(Host, DestructionWhileTheDeviceRunsBlocks)
{
    OpenDevice();
    CreateHost();
    AddSong("a.wav", 1.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPlaying);
    StartBlocks();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    DestroyHost();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    StopBlocks();
}

TEST_F(Host, APlayRequestWithoutADeviceStaysStopped)
{
    CreateHost();
    AddSong("a.wav", 0.2);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    listener.take();
    host->SetTransportState(CTVHost::kPlaying);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kStopped);
    EXPECT_EQ(listener.values("transportStateChanged"), std::vector<int>{CTVHost::kStopped});
}

TEST_F(Host, SteppingFollowsThePlayOrder)
{
    CreateHost();
    for (int i = 0; i < 5; ++i)
        AddSong("song" + std::to_string(i) + ".wav", 0.2);
    struct Case
    {
        const char* name;
        int from;
        bool forward;
        bool repeat;
        int playMode;
        bool stepped;
        int current;
    };
    const Case cases[] = {
        {"forward at the last, repeat off", 4, true, false, CTVHost::kPlayList, false, 4},
        {"forward at the last, repeat on, list", 4, true, true, CTVHost::kPlayList, true, 0},
        {"forward at the last, repeat on, one song", 4, true, true, CTVHost::kPlayOneSong, false, 4},
        {"forward in the middle", 2, true, false, CTVHost::kPlayOneSong, true, 3},
        {"backward at the first, repeat off", 0, false, false, CTVHost::kPlayList, false, 0},
        {"backward at the first, repeat on, list", 0, false, true, CTVHost::kPlayList, true, 4},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        host->SetPlayMode(c.playMode);
        host->SetRepeat(c.repeat);
        ASSERT_TRUE(host->SetCurrentTrack(c.from, true, true));
        EXPECT_EQ(host->StepTrack(c.forward, true), c.stepped);
        EXPECT_EQ(host->GetCurrentIndex(), c.current);
    }

    // Backward with wrap from song 2 tries 1, 0, 4, 3 and 2; when none opens
    // (their files are gone), the last tried is current and the step answers
    // true. The songs stay in the list.
    host->SetPlayMode(CTVHost::kPlayList);
    host->SetRepeat(true);
    ASSERT_TRUE(host->SetCurrentTrack(2, true, true));
    for (int i = 0; i < 5; ++i)
        std::filesystem::remove(folder.file("song" + std::to_string(i) + ".wav"));
    listener.take();
    EXPECT_TRUE(host->StepTrack(false, true));
    EXPECT_EQ(listener.values("currentTrackChanged"), (std::vector<int>{1, 0, 4, 3, 2}));
    EXPECT_EQ(host->GetCurrentIndex(), 2);
    EXPECT_EQ(host->GetTrackCount(), 5);
    // Without skipping only the nearest is tried.
    listener.take();
    EXPECT_TRUE(host->StepTrack(true, false));
    EXPECT_EQ(listener.values("currentTrackChanged"), std::vector<int>{3});
}

TEST_F(Host, ShuffleKeepsTheCurrentSongFirst)
{
    CreateHost();
    AddSong("only.wav", 0.2);
    host->BuildShuffleOrder();
    EXPECT_EQ(host->GetShuffleOrder(), juce::Array<int>{0});
    for (int i = 1; i < 8; ++i)
        AddSong("song" + std::to_string(i) + ".wav", 0.2);
    ASSERT_TRUE(host->SetCurrentTrack(5, true, true));
    const juce::Array<int> order = host->GetShuffleOrder();
    ASSERT_EQ(order.size(), 8);
    EXPECT_EQ(order[0], 5);
    juce::Array<int> sorted = order;
    sorted.sort();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(sorted[i], i);
    host->BuildShuffleOrder();
    EXPECT_EQ(host->GetShuffleOrder(), order) << "the same seed gives the same order";
    host->SetShuffleSeed(7u);
    host->BuildShuffleOrder();
    EXPECT_EQ(host->GetShuffleOrder()[0], 5);
}

TEST_F(Host, RelativeSeeksCrossSongsInListMode)
{
    OpenDevice();
    CreateHost();
    AddSong("a.wav", 6.0);
    AddSong("b.wav", 6.0);
    struct Case
    {
        const char* name;
        int playMode;
        int current;
        double position;
        int state; // from stopped: a song moved into (past 0) becomes paused
    };
    const Case cases[] = {
        {"list: on to the next song", CTVHost::kPlayList, 1, 0.0, CTVHost::kStopped},
        {"one song: stops at its end", CTVHost::kPlayOneSong, 0, 6.0, CTVHost::kPaused},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        host->SetPlayMode(c.playMode);
        ASSERT_TRUE(host->SetCurrentTrack(0, true, true));
        host->GetPlayer()->SetPosition(3.0);
        host->SeekBy(50.0);
        EXPECT_EQ(host->GetCurrentIndex(), c.current);
        EXPECT_NEAR(host->GetPlayer()->GetPosition(), c.position, 0.001);
        EXPECT_EQ(host->GetTransportState(), c.state);
    }
}

// Every tick: both levels, the clip state and the position, in that order;
// whether the position lies inside the song every second tick, on a change.
TEST_F(Host, TimerTicksReportInOrder)
{
    CreateHost();
    host->stopTimer();
    AddSong("a.wav", 2.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    listener.take();
    host->timerCallback();
    std::vector<std::string> names;
    for (const Call& c : listener.take())
        names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"levelChanged", "levelChanged", "clipStateChanged", "positionChanged",
                                               "canAdvanceToNextTrack"}));

    host->GetPlayer()->SetPosition(1.0);
    std::vector<int> inside;
    for (int tick = 0; tick < 6; ++tick)
    {
        host->timerCallback();
        const auto v = listener.values("positionInsideSongChanged");
        inside.push_back(static_cast<int>(v.size()));
        listener.take();
    }
    // The first tick here is the counter's second: it reports the change;
    // later ticks see no change.
    EXPECT_EQ(inside, (std::vector<int>{1, 0, 0, 0, 0, 0}));
}

// A float song of constant samples: at full scale no clip, above it clip 1,
// at 6 dB over clip 2. The meters follow the player.
TEST_F(Host, ClipStatesFromTheLevels)
{
    OpenDevice(44100.0);
    CreateHost();
    host->stopTimer();
    const struct
    {
        float value;
        int clip;
    } cases[] = {{1.0f, 0}, {1.2f, 1}, {2.0f, 2}};
    int n = 0;
    StartBlocks();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.value);
        const int index = AddSong("float" + std::to_string(n++) + ".wav", 3.0, 44100, 2, true, c.value);
        ASSERT_TRUE(host->SetCurrentTrack(index, true, false));
        host->SetTransportState(CTVHost::kPlaying);
        ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
        ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetPlayer()->GetPosition() > 0.5; }));
        host->UpdateMeters(); // resets the peaks of the blocks before
        ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetPlayer()->GetPosition() > 0.8; }));
        listener.take();
        host->UpdateMeters();
        EXPECT_EQ(listener.values("clipStateChanged"), std::vector<int>{c.clip});
        host->StopPlayback();
    }
    StopBlocks();

    // In session mode without a session: no level, no clip.
    host->SetMode(CTVHost::kSessionMode);
    listener.take();
    host->UpdateMeters();
    for (const Call& call : listener.take())
    {
        if (call.name == "levelChanged")
        {
            EXPECT_EQ(call.level, -100.0);
        }
        if (call.name == "clipStateChanged")
        {
            EXPECT_EQ(call.value, 0);
        }
    }
    host->SetMode(CTVHost::kPlayerMode);
}

// The end of the list in list mode brings back the first song, stopped;
// rewinding into the first second of a song goes on 2 s before the end of
// the song before. Listeners hear everything on the message thread.
TEST_F(Host, EndsAndStartsOfSongsWhilePlaying)
{
    OpenDevice(44100.0);
    CreateHost();
    AddSong("a.wav", 3.0);
    AddSong("b.wav", 0.5);
    host->SetPlayMode(CTVHost::kPlayList);
    StartBlocks();

    ASSERT_TRUE(host->SetCurrentTrack(1, true, true));
    host->SetTransportState(CTVHost::kPlaying);
    ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    EXPECT_TRUE(qm::test::PumpUntil(
        [&] { return host->GetCurrentIndex() == 0 && host->GetTransportState() == CTVHost::kStopped; }));

    ASSERT_TRUE(host->SetCurrentTrack(1, true, true));
    host->GetPlayer()->SetPosition(0.4);
    host->SetTransportState(CTVHost::kPlaying);
    host->SetWindState(CTVHost::kWindRewind);
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetCurrentIndex() == 0; }));
    const double position = host->GetPlayer()->GetPosition();
    EXPECT_GT(position, 0.3);
    // The device may have taken one more block (512 frames) between the step
    // and this reading.
    EXPECT_LE(position, 1.0 + 512.0 / 44100.0 + 0.01) << "from 2 s before the end of the 3 s song";
    host->SetWindState(CTVHost::kWindNone);
    host->StopPlayback();

    // One song without repeat: the player stops by itself at the end.
    host->SetPlayMode(CTVHost::kPlayOneSong);
    ASSERT_TRUE(host->SetCurrentTrack(1, true, true));
    host->SetTransportState(CTVHost::kPlaying);
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetTransportState() == CTVHost::kStopped; }));

    // A file truncated while it plays: the source fails and playback stops.
    ASSERT_TRUE(host->SetCurrentTrack(0, true, true));
    host->SetTransportState(CTVHost::kPlaying);
    ASSERT_TRUE(qm::test::PumpUntil([&] { return host->GetPlayer()->GetPosition() > 0.1; }));
    std::filesystem::resize_file(folder.file("a.wav"), 100);
    EXPECT_TRUE(qm::test::PumpUntil([&] { return host->GetTransportState() == CTVHost::kStopped; }));
    StopBlocks();
    qm::test::PumpPosted();
    EXPECT_TRUE(listener.allOnMessageThread());
}

TEST_F(Host, CommandStatesAtTheEndsOfThePlayOrder)
{
    CreateHost();
    AddSong("a.wav", 0.2);
    AddSong("b.wav", 0.2);
    ASSERT_TRUE(host->SetCurrentTrack(1, true, true));
    EXPECT_TRUE(host->GetTransportCommandStates().atLastSong);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, true));
    EXPECT_TRUE(host->GetTransportCommandStates().atFirstSongStart);
    EXPECT_FALSE(host->GetTransportCommandStates().listEmpty);
    host->SetRepeat(true);
    host->SetPlayMode(CTVHost::kPlayList);
    const auto states = host->GetTransportCommandStates();
    EXPECT_FALSE(states.atLastSong);
    EXPECT_FALSE(states.atFirstSongStart);
}

class HostPreferences : public Host
{
protected:
    void Store(const juce::String& name, const juce::String& value)
    {
        CTVPreferences* prefs = CTVPreferences::GetInstance();
        prefs->SetString(name, value);
        CTVPreferences::Release();
    }
    juce::String Stored(const juce::String& name)
    {
        CTVPreferences* prefs = CTVPreferences::GetInstance();
        const juce::String value = prefs->GetString(name, "<missing>");
        CTVPreferences::Release();
        return value;
    }
};

TEST_F(HostPreferences, FirstRunAndStoredValues)
{
    CreateHost();
    host->loadPlayerPreferences();
    EXPECT_EQ(host->GetPlayMode(), CTVHost::kPlayOneSong);
    EXPECT_FALSE(host->GetRepeat());
    EXPECT_EQ(host->GetPeakHoldTime(), 2000);
    EXPECT_EQ(host->GetClipHoldTime(), 2000);
    EXPECT_TRUE(host->GetRecentSongLists().isEmpty());
    EXPECT_FALSE(host->GetPlayer()->GetHoldAtEnd());
    DestroyHost();

    struct Case
    {
        const char* name;
        const char* mode;
        const char* repeat;
        const char* peakHold;
        int expectedMode;
        bool expectedHold;
        int expectedPeakHold;
    };
    const Case cases[] = {
        {"one song with repeat holds", "0", "1", "500", 0, true, 500},
        {"list mode holds", "1", "0", "-1", 1, true, -1},
        {"a mode outside 0..2 reads as one song", "7", "0", "2000", 0, false, 2000},
        {"a hold time as text reads as 2000", "0", "0", "long", 0, false, 2000},
        {"a hold time outside the table is kept", "2", "0", "1234", 2, true, 1234},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Store("PlayerMode", c.mode);
        Store("PlayerRepeat", c.repeat);
        Store("PlayerPeakHoldPeakLevel", c.peakHold);
        CreateHost();
        host->loadPlayerPreferences();
        EXPECT_EQ(host->GetPlayMode(), c.expectedMode);
        EXPECT_EQ(host->GetPlayer()->GetHoldAtEnd(), c.expectedHold);
        EXPECT_EQ(host->GetPeakHoldTime(), c.expectedPeakHold);
        host->savePlayerPreferences();
        DestroyHost();
        EXPECT_EQ(Stored("PlayerMode"), juce::String(c.expectedMode));
    }
}

// Song lists that have gone, and folders, are neither loaded nor saved.
TEST_F(HostPreferences, RecentSongLists)
{
    const auto first = folder.file("first.qmpl"), middle = folder.file("middle.qmpl"),
               third = folder.file("third.qmpl");
    for (const auto& f : {first, middle, third})
        std::ofstream(f) << "<list/>";
    std::filesystem::create_directory(folder.file("folder.qmpl"));
    Store("RecentSonglist_0", folder.file("folder.qmpl").string());
    Store("RecentSonglist_1", first.string());
    CreateHost();
    EXPECT_EQ(host->GetRecentSongLists(), juce::StringArray(first.string()));
    host->GetRecentSongListsForEdit() =
        juce::StringArray{first.string(), middle.string(), folder.file("folder.qmpl").string(), third.string()};
    std::filesystem::remove(middle);
    DestroyHost();
    EXPECT_EQ(Stored("RecentSonglist_0"), juce::String(first.string()));
    EXPECT_EQ(Stored("RecentSonglist_1"), juce::String(third.string()));
    for (int n = 2; n < 10; ++n)
        EXPECT_EQ(Stored("RecentSonglist_" + juce::String(n)), "") << n;
}

} // namespace
