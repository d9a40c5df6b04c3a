#include <gtest/gtest.h>

#include "engine/audiofile/song/CChannelGroupRead.h"
#include "tests/engine/audiofile/SongFixtures.h"

using namespace qm::test;

namespace
{
struct TrackSpec
{
    int tag;
    uint16_t channels;
    uint32_t frames;
};

// Where an output channel's samples come from: a file's channel, or silence
// (tag -1).
struct Source
{
    int tag;
    int channel;
};
constexpr Source kSilence{-1, 0};
} // namespace

TEST(CChannelGroupRead, LaysTracksOnConsecutiveOutputChannels)
{
    struct Case
    {
        const char* what;
        std::vector<TrackSpec> tracks;
        uint32_t offset;
        bool skipFirstChannel;
        Source left;
        Source right;
    };
    const Case cases[] = {
        {"one mono track is copied to channel 2", {{1, 1, 100}}, 0, false, {1, 0}, {1, 0}},
        {"the copy is taken at the offset", {{1, 1, 100}}, 10, false, {1, 0}, {1, 0}},
        {"a skipped channel 1 still gives channel 2", {{1, 1, 100}}, 0, true, kSilence, {1, 0}},
        {"two mono tracks", {{1, 1, 100}, {2, 1, 100}}, 0, false, {1, 0}, {2, 0}},
        {"stereo beside mono: the mono track is read nowhere", {{1, 2, 100}, {2, 1, 100}}, 0, false, {1, 0}, {1, 1}},
        {"mono beside stereo: the stereo track's right is read nowhere",
         {{1, 1, 100}, {2, 2, 100}},
         0,
         false,
         {1, 0},
         {2, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        CPlaylistSection section;
        for (const TrackSpec& t : c.tracks)
            addSegments(section.AddTrack(),
                        {{writeIndexedWav(folder.file(std::to_string(t.tag) + ".wav"), t.tag, t.frames, t.channels)}});
        CChannelGroupRead group;
        ASSERT_TRUE(group.Open(&section));

        const uint32_t frames = 100;
        Buffers<int32_t> out(2, c.offset + frames);
        if (c.skipFirstChannel)
            out.pointers[0] = nullptr;
        EXPECT_EQ(group.ReadInt32(out.get(), frames, c.offset), frames);
        for (int ch = 0; ch < 2; ++ch)
        {
            const Source source = ch == 0 ? c.left : c.right;
            for (uint32_t i = 0; i < c.offset; ++i)
                ASSERT_EQ(out.at(ch, i), out.poison()) << "channel " << ch << " before the offset";
            for (uint32_t i = 0; i < frames; ++i)
            {
                const int32_t expected = source.tag < 0 ? (ch == 0 && c.skipFirstChannel ? out.poison() : 0)
                                                        : indexedSample(source.tag, source.channel, i);
                ASSERT_EQ(out.at(ch, c.offset + i), expected) << "channel " << ch << " frame " << i;
            }
        }
    }
}

TEST(CChannelGroupRead, EndsWithItsLongestTrack)
{
    TempFolder folder;
    CPlaylistSection section;
    addSegments(section.AddTrack(), {{writeIndexedWav(folder.file("a.wav"), 1, 1000, 1)}});
    addSegments(section.AddTrack(), {{writeIndexedWav(folder.file("b.wav"), 2, 1500, 1)}});
    CChannelGroupRead group;
    ASSERT_TRUE(group.Open(&section));
    EXPECT_EQ(group.GetLength(), 1500u);
    EXPECT_EQ(group.GetChannelCount(), 2);

    Buffers<float> out(2, 1500);
    EXPECT_EQ(group.ReadFloat(out.get(), 1500, 0), 1500u);
    EXPECT_EQ(out.at(0, 999), indexedFloat(1, 0, 999));
    EXPECT_EQ(out.at(0, 1000), 0.0f);
    EXPECT_EQ(out.at(1, 1499), indexedFloat(2, 0, 1499));
    EXPECT_EQ(group.GetPosition(), 1500u);

    // Every track goes to the same position; the shorter one clamps.
    EXPECT_EQ(group.SetPosition(1200), 1200u);
    EXPECT_EQ(group.ReadFloat(out.get(), 10, 0), 10u);
    EXPECT_EQ(out.at(0, 0), 0.0f);
    EXPECT_EQ(out.at(1, 0), indexedFloat(2, 0, 1200));

    // A split inside the longer track only leaves no track of the shorter one
    // behind the cut.
    CPlaylistSection first;
    CPlaylistSection second;
    group.SplitAt(&first, &second, 1200.5 / 44100.0);
    ASSERT_EQ(first.GetTrackCount(), 2);
    ASSERT_EQ(second.GetTrackCount(), 1);
    EXPECT_EQ(segmentsOf(*first.GetTrack(1)), (std::vector<Segment>{{folder.file("b.wav").u16string(), 0, 1200}}));
    EXPECT_EQ(segmentsOf(*second.GetTrack(0)), (std::vector<Segment>{{folder.file("b.wav").u16string(), 1200, 1500}}));
}

TEST(CChannelGroupRead, RefusesSectionsItCannotRead)
{
    TempFolder folder;
    const std::u16string at44k = writeIndexedWav(folder.file("a.wav"), 1, 100);
    const std::u16string at48k = writeIndexedWav(folder.file("b.wav"), 2, 100, 2, 48000);
    struct Case
    {
        const char* what;
        std::vector<std::vector<Segment>> tracks;
    };
    const Case cases[] = {
        {"no track", {}},
        {"a track without segments", {{{at44k}}, {}}},
        {"tracks at different rates", {{{at44k}}, {{at48k}}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CPlaylistSection section;
        for (const auto& segments : c.tracks)
            addSegments(section.AddTrack(), segments);
        CChannelGroupRead group;
        EXPECT_FALSE(group.Open(&section));

        // A closed group answers its defaults and reads silence.
        EXPECT_EQ(group.GetChannelCount(), 0);
        EXPECT_EQ(group.GetBitRate(), 16u * 44100u);
        EXPECT_EQ(group.GetLength(), 0u);
        Buffers<float> out(2, 100);
        EXPECT_EQ(group.ReadFloat(out.get(), 100, 0), 0u);
        EXPECT_EQ(out.at(0, 50), 0.0f);
        EXPECT_EQ(out.at(1, 99), 0.0f);
    }
}
