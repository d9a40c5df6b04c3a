#include <gtest/gtest.h>

#include <cstring>

#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"
#include "engine/audiofile/song/CTrackRead.h"
#include "tests/engine/audiofile/SongFixtures.h"

using namespace qm::test;

namespace
{
// Two stereo files of 1000 indexed frames (tags 1 and 2) at 44100 Hz.
struct TwoFiles
{
    TempFolder folder;
    std::u16string a = writeIndexedWav(folder.file("a.wav"), 1, 1000);
    std::u16string b = writeIndexedWav(folder.file("b.wav"), 2, 1000);
};

std::vector<double> marksOf(CAudioPlayerInput& input)
{
    std::vector<double> times;
    for (int i = 0; i < input.GetMarker()->GetCount(); ++i)
        times.push_back(input.GetMarker()->GetAt(i));
    return times;
}
} // namespace

TEST(CTrackRead, ReadsFilesOneAfterAnotherWithoutGap)
{
    // The second file is an AIFF file: each file gets the reader of its format.
    TwoFiles files;
    const std::u16string aiff = writeIndexedAiff(files.folder.file("b.aif"), 2, 1000);
    CPlaylistTrack track;
    addSegments(&track, {{files.a}, {aiff}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));
    EXPECT_EQ(reader.GetLength(), 2000u);
    EXPECT_EQ(reader.GetChannelCount(), 2);
    EXPECT_EQ(reader.GetFormatName(), "WAV");

    Buffers<int32_t> out(2, 1500);
    EXPECT_EQ(reader.ReadInt32(out.get(), 1500, 0), 1500u);
    for (uint32_t i = 0; i < 1500; ++i)
    {
        const int tag = i < 1000 ? 1 : 2;
        const int frame = i < 1000 ? i : i - 1000;
        ASSERT_EQ(out.at(0, i), indexedSample(tag, 0, frame)) << i;
        ASSERT_EQ(out.at(1, i), indexedSample(tag, 1, frame)) << i;
    }
    EXPECT_EQ(reader.GetPosition(), 1500u);

    // The rest of the track, then silence.
    Buffers<float> rest(2, 600);
    EXPECT_EQ(reader.ReadFloat(rest.get(), 600, 0), 500u);
    EXPECT_EQ(rest.at(0, 0), indexedFloat(2, 0, 500));
    EXPECT_EQ(rest.at(1, 499), indexedFloat(2, 1, 999));
    EXPECT_EQ(rest.at(0, 500), 0.0f);
    EXPECT_EQ(rest.at(1, 599), 0.0f);
}

TEST(CTrackRead, ReadsOnlyTheSegmentsRange)
{
    TwoFiles files;
    CPlaylistTrack track;
    addSegments(&track, {{files.a, 100, 600}, {files.b, 900, -1}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));
    EXPECT_EQ(reader.GetLength(), 600u);

    Buffers<int32_t> out(2, 700);
    EXPECT_EQ(reader.ReadInt32(out.get(), 700, 0), 600u);
    EXPECT_EQ(out.at(0, 0), indexedSample(1, 0, 100));
    EXPECT_EQ(out.at(0, 499), indexedSample(1, 0, 599));
    EXPECT_EQ(out.at(0, 500), indexedSample(2, 0, 900));
    EXPECT_EQ(out.at(1, 599), indexedSample(2, 1, 999));
    EXPECT_EQ(out.at(0, 600), 0);
}

TEST(CTrackRead, SetPositionFindsTheFileAndClamps)
{
    TwoFiles files;
    CPlaylistTrack track;
    addSegments(&track, {{files.a}, {files.b}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));

    struct Case
    {
        uint64_t set;
        uint64_t position;
        int32_t next; // the sample the next read starts with (channel 0)
    };
    const Case cases[] = {
        {0, 0, indexedSample(1, 0, 0)},       {999, 999, indexedSample(1, 0, 999)},
        {1000, 1000, indexedSample(2, 0, 0)},                  // at the first file's end
        {1001, 1001, indexedSample(2, 0, 1)}, {5000, 2000, 0}, // beyond the end: clamped, silence
        {10, 10, indexedSample(1, 0, 10)},                     // back into the first file
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.set);
        EXPECT_EQ(reader.SetPosition(c.set), c.position);
        EXPECT_EQ(reader.GetPosition(), c.position);
        Buffers<int32_t> out(2, 2);
        reader.ReadInt32(out.get(), 2, 0);
        EXPECT_EQ(out.at(0, 0), c.next);
    }
}

TEST(CTrackRead, RefusesTracksItCannotReadAsOneStream)
{
    TempFolder folder;
    const std::u16string stereo = writeIndexedWav(folder.file("s.wav"), 1, 100);
    const std::u16string mono = writeIndexedWav(folder.file("m.wav"), 2, 100, 1);
    const std::u16string at48k = writeIndexedWav(folder.file("r.wav"), 3, 100, 2, 48000);
    const std::u16string missing = folder.file("none.wav").u16string();

    struct Case
    {
        const char* what;
        std::vector<Segment> segments;
    };
    const Case cases[] = {
        {"no segment", {}},
        {"a missing file", {{stereo}, {missing}}},
        {"another sample rate", {{stereo}, {at48k}}},
        {"another channel count", {{stereo}, {mono}}},
        {"another medium", {{stereo, 0, -1, 7}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CPlaylistTrack track;
        addSegments(&track, c.segments);
        CTrackRead reader;
        EXPECT_FALSE(reader.Open(&track));
        EXPECT_EQ(reader.GetLength(), 0u);
        EXPECT_EQ(reader.GetChannelCount(), 0);
        EXPECT_EQ(reader.GetFormatName(), "");
    }
    CTrackRead reader;
    EXPECT_FALSE(reader.Open(nullptr));
}

TEST(CTrackRead, SplitsSegmentsAtATime)
{
    TwoFiles files;
    const std::u16string a = files.a;
    const std::u16string b = files.b;
    struct Case
    {
        const char* what;
        std::vector<Segment> track;
        double frames; // the split time in frames at 44100 Hz
        std::vector<Segment> first;
        std::vector<Segment> second;
    };
    const Case cases[] = {
        {"300 frames into the second file", {{a}, {b}}, 1300.5, {{a, 0, 1000}, {b, 0, 300}}, {{b, 300, 1000}}},
        {"at the start", {{a}, {b}}, 0, {}, {{a, 0, 1000}, {b, 0, 1000}}},
        {"before the start", {{a}, {b}}, -50, {}, {{a, 0, 1000}, {b, 0, 1000}}},
        {"at the end", {{a}, {b}}, 2000.5, {{a, 0, 1000}, {b, 0, 1000}}, {}},
        {"beyond the end", {{a}, {b}}, 9000, {{a, 0, 1000}, {b, 0, 1000}}, {}},
        {"inside ranged segments",
         {{a, 100, 600}, {b, 200, 700}},
         700.5,
         {{a, 100, 600}, {b, 200, 400}},
         {{b, 400, 700}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CPlaylistTrack track;
        addSegments(&track, c.track);
        CTrackRead reader;
        ASSERT_TRUE(reader.Open(&track));
        CPlaylistTrack first;
        CPlaylistTrack second;
        addSegments(&first, {{a}}); // replaced by the split
        reader.SplitAt(&first, &second, c.frames / 44100.0);
        EXPECT_EQ(segmentsOf(first), c.first);
        EXPECT_EQ(segmentsOf(second), c.second);
    }
}

TEST(CTrackRead, CutsA1BitStreamOnAByteBoundary)
{
    UseFakeReaders fakes({{u"dsd", {2822400, 1, 2, 4000}}});
    CPlaylistTrack track;
    addSegments(&track, {{u"dsd"}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));
    CPlaylistTrack first;
    CPlaylistTrack second;
    reader.SplitAt(&first, &second, 1003.5 / 2822400.0);
    EXPECT_EQ(segmentsOf(first), (std::vector<Segment>{{u"dsd", 0, 1000}}));
    EXPECT_EQ(segmentsOf(second), (std::vector<Segment>{{u"dsd", 1000, 4000}}));
}

TEST(CTrackRead, PlacesEachFilesMarksWhereTheFileBegins)
{
    TempFolder folder;
    const std::u16string ten = writeIndexedWav(folder.file("ten.wav"), 1, 441000, 1, 44100, 24, {2.0});
    const std::u16string marked = writeIndexedWav(folder.file("m.wav"), 2, 88200, 1, 44100, 24, {1.0});
    CPlaylistTrack track;
    addSegments(&track, {{ten}, {marked}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));
    EXPECT_EQ(marksOf(reader), (std::vector<double>{2.0, 11.0}));

    // Reopening starts a fresh list; a range moves the file's marks with it.
    CPlaylistTrack ranged;
    addSegments(&ranged, {{ten, 0, 220500}, {marked, 22050, -1}});
    ASSERT_TRUE(reader.Open(&ranged));
    EXPECT_EQ(marksOf(reader), (std::vector<double>{2.0, 5.5}));
}

TEST(CTrackRead, DeliversOneSampleKindAcrossIntegerAndFloatFiles)
{
    TempFolder folder;
    const std::u16string ints = writeIndexedWav(folder.file("i.wav"), 1, 100, 2, 44100, 24);
    const std::u16string floats = writeIndexedWav(folder.file("f.wav"), 2, 100, 2, 44100, 32);

    for (const bool floatFirst : {false, true})
    {
        SCOPED_TRACE(floatFirst);
        CPlaylistTrack track;
        addSegments(&track,
                    floatFirst ? std::vector<Segment>{{floats}, {ints}} : std::vector<Segment>{{ints}, {floats}});
        CTrackRead reader;
        ASSERT_TRUE(reader.Open(&track));
        EXPECT_EQ(reader.IsFloat(), floatFirst);
        const int firstTag = floatFirst ? 2 : 1;
        const int secondTag = floatFirst ? 1 : 2;

        Buffers<int32_t> words(2, 200);
        ASSERT_EQ(reader.ReadInt32(words.get(), 200, 0), 200u);
        for (const auto& [frame, tag] : {std::pair{10u, firstTag}, std::pair{150u, secondTag}})
        {
            const int32_t expected = indexedSample(tag, 1, frame % 100);
            if (floatFirst)
            {
                float value;
                std::memcpy(&value, &words.data[1][frame], 4);
                EXPECT_EQ(value, indexedFloat(tag, 1, frame % 100)) << frame;
            }
            else
            {
                EXPECT_EQ(words.at(1, frame), expected) << frame;
            }
        }

        Buffers<float> samples(2, 200);
        reader.SetPosition(0);
        ASSERT_EQ(reader.ReadFloat(samples.get(), 200, 0), 200u);
        EXPECT_EQ(samples.at(0, 10), indexedFloat(firstTag, 0, 10));
        EXPECT_EQ(samples.at(0, 150), indexedFloat(secondTag, 0, 50));
    }
}

TEST(CTrackRead, PassesPreparationDownAndAnswersOverItsFiles)
{
    UseFakeReaders fakes({{u"x", {}}, {u"y", {}}, {u"z", {}}});
    CPlaylistTrack track;
    addSegments(&track, {{u"x"}, {u"y"}, {u"z"}});
    CTrackRead reader;
    ASSERT_TRUE(reader.Open(&track));
    EXPECT_FALSE(reader.IsPreparing());
    EXPECT_EQ(reader.GetPrepareProgress(), 0.0);

    reader.Prepare();
    EXPECT_EQ(FakeReaders::prepared(), (std::vector<std::u16string>{u"z", u"y", u"x"}));

    FakeReaders::specs()[u"x"].preparing = true;
    FakeReaders::specs()[u"x"].progress = 20.0;
    FakeReaders::specs()[u"z"].preparing = true;
    FakeReaders::specs()[u"z"].progress = 60.0;
    EXPECT_TRUE(reader.IsPreparing());
    EXPECT_DOUBLE_EQ(reader.GetPrepareProgress(), 40.0);

    // Closing deletes the idle reader; the busy ones are left to the deferred
    // disposal, which deletes them at program end once they are idle.
    CAudioDecodeTempFileManager::DeleteTempFiles();
    reader.Close();
    EXPECT_EQ(FakeReaders::deleted(), (std::vector<std::u16string>{u"y"}));
    EXPECT_EQ(CAudioDecodeTempFileManager::GetInstance()->GetDeferredReaderCount(), 2u);
    FakeReaders::specs()[u"x"].preparing = false;
    FakeReaders::specs()[u"z"].preparing = false;
    CAudioDecodeTempFileManager::DeleteTempFiles();
    EXPECT_EQ(FakeReaders::deleted(), (std::vector<std::u16string>{u"y", u"x", u"z"}));
}
