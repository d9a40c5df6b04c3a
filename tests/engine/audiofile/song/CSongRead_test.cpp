#include <gtest/gtest.h>

#include "engine/audiofile/song/CSongRead.h"
#include "tests/engine/audiofile/SongFixtures.h"

using namespace qm::test;

namespace
{
// Appends a section of one track that reads the given segments.
void addSection(CPlaylistSong& song, const std::vector<Segment>& segments)
{
    addSegments(song.AddSection()->AddTrack(), segments);
}

// A song of two sections: 1000 stereo frames of file 1, then 500 of file 2.
struct TwoSections
{
    TempFolder folder;
    CPlaylistSong song;
    TwoSections()
    {
        addSection(song, {{writeIndexedWav(folder.file("a.wav"), 1, 1000)}});
        addSection(song, {{writeIndexedWav(folder.file("b.wav"), 2, 500)}});
    }
};

std::vector<double> marksOf(const CMarker& marker)
{
    std::vector<double> times;
    for (int i = 0; i < marker.GetCount(); ++i)
        times.push_back(marker.GetAt(i));
    return times;
}

// Everything a reader delivers from its position on, both channels.
std::vector<int32_t> readAll(CSongRead& reader)
{
    std::vector<int32_t> samples;
    Buffers<int32_t> out(2, 257);
    while (const uint32_t got = reader.ReadInt32(out.get(), 257, 0))
        for (uint32_t i = 0; i < got; ++i)
            samples.insert(samples.end(), {out.at(0, i), out.at(1, i)});
    return samples;
}
} // namespace

TEST(CSongRead, AnswersDefaultsAndSilenceWithNoSongOpen)
{
    CSongRead reader;
    EXPECT_EQ(reader.GetSampleRate(), 44100u);
    EXPECT_EQ(reader.GetBitsPerSample(), 16);
    EXPECT_EQ(reader.GetBitRate(), 705600u);
    EXPECT_EQ(reader.GetChannelCount(), 0);
    EXPECT_EQ(reader.GetLength(), 0u);
    EXPECT_EQ(reader.GetFormatName(), "");
    EXPECT_EQ(reader.SetPosition(100), 0u);

    Buffers<float> out(2, 100);
    EXPECT_EQ(reader.ReadFloat(out.get(), 100, 0), 0u);
    EXPECT_EQ(out.at(0, 0), 0.0f);
    EXPECT_EQ(out.at(1, 99), 0.0f);

    // A song without sections opens and is empty.
    CPlaylistSong empty;
    EXPECT_TRUE(reader.Open(&empty));
    EXPECT_EQ(reader.GetLength(), 0u);
    EXPECT_FALSE(reader.Open(nullptr));
}

TEST(CSongRead, ReadsSectionsAsOneStreamWithoutGap)
{
    TwoSections s;
    s.song.GetMarker()->Add(0.5);
    CSongRead reader;
    ASSERT_TRUE(reader.Open(&s.song));
    EXPECT_EQ(reader.GetLength(), 1500u);
    EXPECT_EQ(reader.GetChannelCount(), 2);
    EXPECT_EQ(reader.GetFormatName(), "WAV");
    EXPECT_EQ(marksOf(*reader.GetMarker()), (std::vector<double>{0.5}));

    Buffers<int32_t> out(2, 1200);
    EXPECT_EQ(reader.ReadInt32(out.get(), 1200, 0), 1200u);
    for (uint32_t i = 0; i < 1200; ++i)
    {
        const int tag = i < 1000 ? 1 : 2;
        const uint32_t frame = i < 1000 ? i : i - 1000;
        ASSERT_EQ(out.at(0, i), indexedSample(tag, 0, frame)) << i;
        ASSERT_EQ(out.at(1, i), indexedSample(tag, 1, frame)) << i;
    }
    EXPECT_EQ(reader.GetPosition(), 1200u);
}

TEST(CSongRead, SetPositionFindsTheSectionAndClamps)
{
    TwoSections s;
    CSongRead reader;
    ASSERT_TRUE(reader.Open(&s.song));
    struct Case
    {
        uint64_t set;
        uint64_t position;
        int32_t next; // the first sample a read then delivers (channel 0)
    };
    const Case cases[] = {
        {1000, 1000, indexedSample(2, 0, 0)}, // section 1 stays current, at its end
        {1001, 1001, indexedSample(2, 0, 1)},
        {5000, 1500, 0},                      // 4000 within section 2, clamped to its 500
        {999, 999, indexedSample(1, 0, 999)}, // back: section 2 is rewound
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.set);
        EXPECT_EQ(reader.SetPosition(c.set), c.position);
        Buffers<int32_t> out(2, 2);
        reader.ReadInt32(out.get(), 2, 0);
        EXPECT_EQ(out.at(0, 0), c.next);
    }
    // After the read from 999, the second frame came from section 2's start.
    reader.SetPosition(999);
    Buffers<int32_t> out(2, 2);
    EXPECT_EQ(reader.ReadInt32(out.get(), 2, 0), 2u);
    EXPECT_EQ(out.at(0, 1), indexedSample(2, 0, 0));
}

TEST(CSongRead, RefusesSongsItCannotReadAsOneStream)
{
    TempFolder folder;
    const std::u16string at44k = writeIndexedWav(folder.file("a.wav"), 1, 100);
    const std::u16string at48k = writeIndexedWav(folder.file("b.wav"), 2, 100, 2, 48000);
    const std::u16string missing = folder.file("none.wav").u16string();
    struct Case
    {
        const char* what;
        void (*build)(CPlaylistSong&, const std::u16string&, const std::u16string&, const std::u16string&);
    };
    const Case cases[] = {
        {"sections at 44.1 and 48 kHz",
         [](CPlaylistSong& song, const auto& a, const auto& b, const auto&) {
             addSection(song, {{a}});
             addSection(song, {{b}});
         }},
        {"a section without tracks",
         [](CPlaylistSong& song, const auto& a, const auto&, const auto&) {
             addSection(song, {{a}});
             song.AddSection();
         }},
        {"a track without segments",
         [](CPlaylistSong& song, const auto& a, const auto&, const auto&) {
             addSection(song, {{a}});
             addSection(song, {});
         }},
        {"a missing file",
         [](CPlaylistSong& song, const auto& a, const auto&, const auto& none) {
             addSection(song, {{a}});
             addSection(song, {{none}});
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CPlaylistSong song;
        song.GetMarker()->Add(0.001);
        c.build(song, at44k, at48k, missing);
        CSongRead reader;
        EXPECT_FALSE(reader.Open(&song));
        EXPECT_EQ(reader.GetLength(), 0u);
        EXPECT_EQ(reader.GetChannelCount(), 0);
        EXPECT_EQ(reader.GetMarker()->GetCount(), 0);
    }
}

TEST(CSongRead, ReportsAndFillsNoMoreThanTwoChannels)
{
    TempFolder folder;
    CPlaylistSong song;
    CPlaylistSection* section = song.AddSection();
    addSegments(section->AddTrack(), {{writeIndexedWav(folder.file("s.wav"), 1, 300, 2)}});
    addSegments(section->AddTrack(), {{writeIndexedWav(folder.file("m.wav"), 2, 300, 1)}});
    addSection(song, {{writeIndexedWav(folder.file("t.wav"), 3, 300, 1)}});
    CSongRead reader;
    EXPECT_EQ(reader.SetStereoOutput(), 2);
    ASSERT_TRUE(reader.Open(&song));
    EXPECT_EQ(reader.GetChannelCount(), 2);

    // Exactly two channel pointers on the heap: a third would be caught.
    Buffers<int32_t> out(2, 600);
    EXPECT_EQ(reader.ReadInt32(out.get(), 600, 0), 600u);
    EXPECT_EQ(out.at(0, 5), indexedSample(1, 0, 5));
    EXPECT_EQ(out.at(1, 5), indexedSample(1, 1, 5));
    // The mono section after it is delivered on both channels.
    EXPECT_EQ(out.at(0, 305), indexedSample(3, 0, 5));
    EXPECT_EQ(out.at(1, 305), indexedSample(3, 0, 5));
}

TEST(CSongRead, SplitsAtATimeIntoHalvesThatReadAsTheWhole)
{
    TempFolder folder;
    CPlaylistSong song;
    addSection(song, {{writeIndexedWav(folder.file("a.wav"), 1, 1000)}});
    addSection(song,
               {{writeIndexedWav(folder.file("b.wav"), 2, 1000)}, {writeIndexedWav(folder.file("c.wav"), 3, 500)}});
    addSection(song, {{writeIndexedWav(folder.file("d.wav"), 4, 700)}});
    for (const double mark : {0.01, 0.06, 0.07})
        song.GetMarker()->Add(mark);

    CSongRead whole;
    ASSERT_TRUE(whole.Open(&song));
    const std::vector<int32_t> all = readAll(whole);

    // 2300 frames in: 1300 frames into section 2, 300 into its second file.
    const double seconds = 2300.5 / 44100.0;
    CPlaylistSong first;
    CPlaylistSong second;
    first.SetName(u"replaced");
    whole.SplitAt(&first, &second, seconds);
    ASSERT_EQ(first.GetSectionCount(), 2);
    ASSERT_EQ(second.GetSectionCount(), 2);
    EXPECT_EQ(first.GetName(), u"");
    EXPECT_EQ(segmentsOf(*first.GetSection(1)->GetTrack(0)),
              (std::vector<Segment>{{folder.file("b.wav").u16string(), 0, 1000},
                                    {folder.file("c.wav").u16string(), 0, 300}}));
    EXPECT_EQ(segmentsOf(*second.GetSection(0)->GetTrack(0)),
              (std::vector<Segment>{{folder.file("c.wav").u16string(), 300, 500}}));
    EXPECT_EQ(marksOf(*first.GetMarker()), (std::vector<double>{0.01}));
    ASSERT_EQ(second.GetMarker()->GetCount(), 2);
    EXPECT_NEAR(second.GetMarker()->GetAt(0), 0.06 - seconds, 1e-12);

    CSongRead front;
    CSongRead back;
    ASSERT_TRUE(front.Open(&first));
    ASSERT_TRUE(back.Open(&second));
    EXPECT_EQ(front.GetLength(), 2300u);
    EXPECT_EQ(back.GetLength(), 900u);
    std::vector<int32_t> joined = readAll(front);
    const std::vector<int32_t> rest = readAll(back);
    joined.insert(joined.end(), rest.begin(), rest.end());
    ASSERT_EQ(all.size(), 2u * 3200u);
    EXPECT_TRUE(joined == all);
}

TEST(CSongRead, DeliversOneSampleKindAcrossSections)
{
    TempFolder folder;
    CPlaylistSong song;
    addSection(song, {{writeIndexedWav(folder.file("i.wav"), 1, 100, 2, 44100, 24)}});
    addSection(song, {{writeIndexedWav(folder.file("f.wav"), 2, 100, 2, 44100, 32)}});
    CSongRead reader;
    ASSERT_TRUE(reader.Open(&song));
    ASSERT_FALSE(reader.IsFloat());
    Buffers<int32_t> out(2, 200);
    EXPECT_EQ(reader.ReadInt32(out.get(), 200, 0), 200u);
    EXPECT_EQ(out.at(0, 50), indexedSample(1, 0, 50));
    EXPECT_EQ(out.at(0, 150), indexedSample(2, 0, 50));
    EXPECT_EQ(out.at(1, 199), indexedSample(2, 1, 99));
}

TEST(CSongRead, PassesPreparationDownToEveryFile)
{
    UseFakeReaders fakes({{u"a", {}}, {u"b", {}}, {u"c", {}}});
    CPlaylistSong song;
    addSection(song, {{u"a"}});
    CPlaylistSection* section = song.AddSection();
    addSegments(section->AddTrack(), {{u"b"}});
    addSegments(section->AddTrack(), {{u"c"}});
    CSongRead reader;
    ASSERT_TRUE(reader.Open(&song));
    reader.Prepare();
    EXPECT_EQ(FakeReaders::prepared(), (std::vector<std::u16string>{u"c", u"b", u"a"}));

    EXPECT_FALSE(reader.IsPreparing());
    FakeReaders::specs()[u"c"].preparing = true;
    FakeReaders::specs()[u"c"].progress = 30.0;
    FakeReaders::specs()[u"a"].preparing = true;
    FakeReaders::specs()[u"a"].progress = 70.0;
    EXPECT_TRUE(reader.IsPreparing());
    // The mean over the sections that prepare: section 2's own mean is 30.
    EXPECT_DOUBLE_EQ(reader.GetPrepareProgress(), 50.0);
    FakeReaders::specs()[u"c"].preparing = false;
    FakeReaders::specs()[u"a"].preparing = false;
}
