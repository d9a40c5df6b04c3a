#include <gtest/gtest.h>

#include <filesystem>

#include "engine/audiofile/cd/CAudioCDRead.h"
#include "platform/cd/CdDriveRegistry.h"
#include "tests/support/CdImageBuilder.h"
#include "tests/support/RegisteredCdImage.h"
#include "tests/support/TempFolder.h"

using qm::platform::CdDriveRegistry;
using qm::platform::CdToc;
using qm::test::CdImageTrack;
using Block = qm::test::CdTextPackBuilder::Block;

namespace
{
// A registered disc image named as the engine names drives.
class Disc : public qm::test::RegisteredCdImage
{
public:
    using RegisteredCdImage::RegisteredCdImage;
    std::u16string Drive() const { return std::u16string(Name().begin(), Name().end()); }
};

std::vector<double> Marks(CAudioCDRead& reader)
{
    std::vector<double> marks;
    for (int i = 0; i < reader.GetMarker()->GetCount(); ++i)
        marks.push_back(reader.GetMarker()->GetAt(i));
    return marks;
}

// Reads `frames` frames and checks them against the image's ramp of `track`
// from frame `trackFrame`.
void ExpectRamp(CAudioCDRead& reader, uint32_t frames, int track, uint64_t trackFrame)
{
    std::vector<int32_t> left(frames), right(frames);
    int32_t* channels[2] = {left.data(), right.data()};
    ASSERT_EQ(reader.ReadInt32(channels, frames, 0), frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        ASSERT_EQ(left[i], int32_t(qm::test::CdRampSample(track, trackFrame + i, 0)) * 65536) << i;
        ASSERT_EQ(right[i], int32_t(qm::test::CdRampSample(track, trackFrame + i, 1)) * 65536) << i;
    }
}

std::vector<uint8_t> TwoLanguagePacks()
{
    qm::test::CdTextPackBuilder builder;
    Block english;
    english.number = 0;
    english.language = 0x09;
    english.firstTrack = 1;
    english.lastTrack = 3;
    english.texts[0x80] = {"Album   ", "Data", "A title spread over exactly four packs", "Second  "};
    english.texts[0x81] = {"The Band", "", "Singer One", "Singer Two"};
    builder.AddBlock(english);
    Block japanese = english;
    japanese.number = 1;
    japanese.language = 0x69;
    japanese.characterCode = 0x80;
    japanese.doubleByte = true;
    japanese.texts[0x80] = {"\x83\x41\x83\x8b\x83\x6f\x83\x80", "", "\x88\xea", ""}; // アルバム, 一
    japanese.texts[0x81] = {"", "", "", ""};
    builder.AddBlock(japanese);
    return builder.Build();
}
} // namespace

TEST(CAudioCDRead, TwoTrackDisc)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "two", {{true, 225}, {true, 150}});
    CAudioCDRead reader(true);
    ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
    EXPECT_STREQ(reader.GetFormatName(), "CD");
    EXPECT_EQ(reader.GetDriveName(), disc.Drive());
    EXPECT_EQ(reader.GetTrackCount(), 2);
    EXPECT_EQ(reader.GetTrackStart(1), 132300u);
    EXPECT_EQ(reader.GetLength(), 220500u);
    EXPECT_EQ(reader.GetSampleRate(), 44100u);
    EXPECT_EQ(reader.GetBitsPerSample(), 16);
    EXPECT_EQ(reader.GetChannelCount(), 2);
    EXPECT_EQ(Marks(reader), (std::vector<double>{0.0, 3.0}));
    EXPECT_EQ(uint32_t(reader.GetDiscId()), 0x07000502u);
    EXPECT_TRUE(reader.GetMetaData()->GetField(CAudioMetaData::kAlbum)->IsEmpty()); // no CD-TEXT

    // Samples across the track boundary, frame-exact, from an odd position.
    EXPECT_EQ(reader.SetPosition(132300 - 700), 132300u - 700);
    ExpectRamp(reader, 700, 1, 132300 - 700);
    ExpectRamp(reader, 1000, 2, 0);
    EXPECT_EQ(reader.GetPosition(), 133300u);

    // The whole disc in blocks of an odd size: every frame where it belongs.
    reader.SetPosition(0);
    for (uint64_t frame = 0; frame < 220500;)
    {
        const uint32_t block = uint32_t(std::min<uint64_t>(9973, 220500 - frame));
        const int track = frame < 132300 ? 1 : 2;
        const uint32_t inTrack = uint32_t(std::min<uint64_t>(block, track == 1 ? 132300 - frame : block));
        ExpectRamp(reader, inTrack, track, track == 1 ? frame : frame - 132300);
        frame += inTrack;
    }
    EXPECT_EQ(reader.GetRemaining(), 0u);

    // One track: its range, no marks; the last track ends with the disc.
    ASSERT_TRUE(reader.SelectTrack(1));
    EXPECT_EQ(reader.GetRangeStart(), 132300u);
    EXPECT_EQ(reader.GetLength(), 88200u);
    EXPECT_EQ(reader.GetMarker()->GetCount(), 0);
    ExpectRamp(reader, 600, 2, 0);
    EXPECT_EQ(reader.GetAbsolutePosition(), 132900u);
    EXPECT_FALSE(reader.SelectTrack(2));
    EXPECT_FALSE(reader.SelectTrack(-1));

    reader.Close();
    EXPECT_EQ(reader.GetTrackCount(), 0);
    EXPECT_EQ(reader.GetLength(), 0u);
    EXPECT_EQ(reader.GetDiscId(), 0);
}

TEST(CAudioCDRead, TracksAgreeWithCdInfo)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "layout", {{false, 300}, {true, 225, 150}, {true, 150, 2}, {true, 75}});
    CAudioCDRead reader(false);
    ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
    const auto info = qm::test::CdInfoTracks(disc.Name() + ".cue");
    ASSERT_EQ(info.size(), 5u);
    const uint64_t discStart = uint64_t(info[1].lsn) * 588; // the first audio track
    ASSERT_EQ(reader.GetTrackCount(), 3);
    for (int i = 0; i < reader.GetTrackCount(); ++i)
    {
        EXPECT_EQ(info[size_t(i) + 1].type, "audio");
        EXPECT_EQ(reader.GetTrackNumber(i), info[size_t(i) + 1].number);
        EXPECT_EQ(reader.GetTrackStart(i) + discStart, uint64_t(info[size_t(i) + 1].lsn) * 588);
    }
    EXPECT_EQ(reader.GetLength() + discStart, uint64_t(info.back().lsn) * 588);
}

TEST(CAudioCDRead, PositionsAndRangesClampAndReadsEndInSilence)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "clamp", {{true, 10}, {true, 10}});
    CAudioCDRead reader(false);
    ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
    const uint64_t length = 20 * 588;
    struct PositionCase
    {
        uint64_t asked, got;
    };
    for (const auto& c : {PositionCase{0, 0}, PositionCase{length + 1, length}, PositionCase{uint64_t(-5), 0},
                          PositionCase{5000, 5000}})
        EXPECT_EQ(reader.SetPosition(c.asked), c.got);

    struct RangeCase
    {
        uint64_t start, end, rangeStart, rangeLength;
    };
    const RangeCase ranges[] = {
        {100, 200, 100, 100},
        {uint64_t(-1), 300, 0, 300},
        {300, 100, 300, length - 300},         // an end not beyond the start: to the end
        {length + 50, length + 99, length, 0}, // both beyond: nothing left
        {5880, length * 2, 5880, length - 5880},
    };
    for (const auto& c : ranges)
    {
        reader.SetRange(c.start, c.end);
        EXPECT_EQ(reader.GetRangeStart(), c.rangeStart);
        EXPECT_EQ(reader.GetLength(), c.rangeLength);
        EXPECT_EQ(reader.GetPosition(), 0u);
    }
    // The last range holds track 2 only: its mark is at 0.
    EXPECT_EQ(Marks(reader), std::vector<double>{0.0});

    // A read past the range end delivers what is left, then silence.
    reader.SetPosition(length - 5880 - 10);
    std::vector<float> left(50, 9.0f), right(50, 9.0f);
    float* channels[2] = {left.data(), nullptr};
    EXPECT_EQ(reader.ReadFloat(channels, 40, 5), 10u);
    EXPECT_FLOAT_EQ(left[5], float(qm::test::CdRampSample(2, 5880 - 10, 0)) / 32768.0f);
    for (int i = 15; i < 45; ++i)
        EXPECT_EQ(left[size_t(i)], 0.0f) << i;
    EXPECT_EQ(left[4], 9.0f);
    EXPECT_EQ(left[45], 9.0f);
    EXPECT_EQ(reader.GetRemaining(), 0u);
    EXPECT_FALSE(reader.HasReadFailed());
}

TEST(CAudioCDRead, OpenResults)
{
    qm::test::TempFolder folder;
    Disc dataOnly(folder, "dataonly", {{false, 300}});
    Disc gone(folder, "gone", {{true, 100}});
    std::filesystem::remove(gone.Name() + ".bin");
    const std::u16string unknown = dataOnly.Drive() + u"0";
    struct Case
    {
        std::u16string drive;
        int result;
    };
    const Case cases[] = {{unknown, 1}, {u"", 1}, {u"/dev/null", 1}, {dataOnly.Drive(), 2}, {gone.Drive(), 2}};
    for (const auto& c : cases)
    {
        CAudioCDRead reader(true);
        EXPECT_EQ(static_cast<int>(reader.Open(c.drive.c_str())), c.result);
        EXPECT_EQ(reader.GetTrackCount(), 0);
        EXPECT_EQ(reader.GetLength(), 0u);
    }
}

TEST(CAudioCDRead, EnhancedDiscEndsBeforeTheSessionGap)
{
    qm::test::TempFolder folder;
    // Audio 12000 + 11500 sectors (mostly holes), then a data track.
    Disc disc(folder, "enhanced", {{true, 12000, 0, 4}, {true, 11500, 0, 4}, {false, 300}});
    CAudioCDRead reader(false);
    ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
    EXPECT_EQ(reader.GetTrackCount(), 2);
    EXPECT_EQ(reader.GetLength(), uint64_t(23500 - 11400) * 588);
    EXPECT_EQ(Marks(reader), (std::vector<double>{0.0, 12000.0 * 588 / 44100}));
    ASSERT_TRUE(reader.SelectTrack(1));
    EXPECT_EQ(reader.GetRangeStart(), 12000u * 588);
    EXPECT_EQ(reader.GetLength(), 100u * 588);
}

TEST(CAudioCDRead, AudioPartBySessions)
{
    auto toc = [](bool sessionsKnown, int dataSession) {
        CdToc result;
        result.tracks = {{1, 0, true, 1}, {2, 20000, true, 1}, {3, 40000, false, dataSession}};
        result.leadOutLsn = 50000;
        result.sessionsKnown = sessionsKnown;
        return result;
    };
    struct Case
    {
        CdToc toc;
        bool ok;
        uint64_t end;
    };
    const Case cases[] = {
        {toc(true, 2), true, (40000 - 11400) * 588ull},  // enhanced CD: data in session 2
        {toc(true, 1), true, 40000 * 588ull},            // mixed disc of one session: no gap
        {toc(false, 1), true, (40000 - 11400) * 588ull}, // an image: the rule for enhanced CDs
    };
    for (const auto& c : cases)
    {
        CAudioCDRead::AudioPart part;
        ASSERT_EQ(CAudioCDRead::FindAudioPart(c.toc, part), c.ok);
        EXPECT_EQ(part.firstTrack, 0);
        EXPECT_EQ(part.lastTrack, 1);
        EXPECT_EQ(part.end, c.end);
    }
    // A single-session mixed disc shorter than the gap still opens.
    CdToc shortMixed;
    shortMixed.tracks = {{1, 0, true, 1}, {2, 5000, false, 1}};
    shortMixed.leadOutLsn = 6000;
    shortMixed.sessionsKnown = true;
    CAudioCDRead::AudioPart part;
    EXPECT_TRUE(CAudioCDRead::FindAudioPart(shortMixed, part));
    EXPECT_EQ(part.end, 5000u * 588);
    shortMixed.sessionsKnown = false;
    EXPECT_FALSE(CAudioCDRead::FindAudioPart(shortMixed, part));
}

TEST(CAudioCDRead, CdTextWithDataTrackFirstAndLanguageChoice)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "text", {{false, 300}, {true, 225, 150}, {true, 150}}, TwoLanguagePacks());
    struct Case
    {
        int language;
        std::u16string discAlbum, discArtist, track0Title, track0Artist, track1Title;
    };
    const Case cases[] = {
        {CCdTextInfoRead::kEnglish, u"Album", u"The Band", u"A title spread over exactly four packs", u"Singer One",
         u"Second"},
        // Japanese where the Japanese block has text, English where it is empty.
        {CCdTextInfoRead::kJapanese, u"アルバム", u"The Band", u"一", u"Singer One", u"Second"},
    };
    auto field = [](CAudioCDRead& reader, int index) {
        return std::u16string(reader.GetMetaData()->GetField(index)->GetWide());
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.language);
        CAudioCDRead reader(true, c.language);
        ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
        EXPECT_EQ(reader.GetTrackCount(), 2);
        EXPECT_EQ(reader.GetTrackStart(0), 0u);
        EXPECT_EQ(reader.GetTrackStart(1), 225u * 588);
        EXPECT_EQ(field(reader, CAudioMetaData::kAlbum), c.discAlbum);
        EXPECT_EQ(field(reader, CAudioMetaData::kTitle), c.discAlbum);
        EXPECT_EQ(field(reader, CAudioMetaData::kArtist), c.discArtist);

        // The first audio track is the disc's track 2: its CD-TEXT is string 2.
        ASSERT_TRUE(reader.SelectTrack(0));
        EXPECT_EQ(field(reader, CAudioMetaData::kAlbum), c.discAlbum);
        EXPECT_EQ(field(reader, CAudioMetaData::kTitle), c.track0Title);
        EXPECT_EQ(field(reader, CAudioMetaData::kArtist), c.track0Artist);
        ASSERT_TRUE(reader.SelectTrack(1));
        EXPECT_EQ(field(reader, CAudioMetaData::kTitle), c.track1Title); // trailing blanks removed
        EXPECT_EQ(field(reader, CAudioMetaData::kArtist), u"Singer Two");

        // Without CD-TEXT reading nothing is filled.
        CAudioCDRead plain(false, c.language);
        ASSERT_EQ(plain.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
        ASSERT_TRUE(plain.SelectTrack(0));
        EXPECT_TRUE(plain.GetMetaData()->GetField(CAudioMetaData::kTitle)->IsEmpty());
    }
}

TEST(CAudioCDRead, ReadFailureDeliversTheRealCountThenSilence)
{
    qm::test::TempFolder folder;
    Disc disc(folder, "short", {{true, 100}});
    CAudioCDRead reader(false);
    ASSERT_EQ(reader.Open(disc.Drive().c_str()), ReaderOpenResult::Ok);
    // The image loses its second half after the table of contents was read.
    std::filesystem::resize_file(disc.Name() + ".bin", 50 * 2352);
    reader.SetPosition(50 * 588 - 8);
    std::vector<int32_t> left(100, 7), right(100, 7);
    int32_t* channels[2] = {left.data(), right.data()};
    EXPECT_EQ(reader.ReadInt32(channels, 100, 0), 8u);
    EXPECT_TRUE(reader.HasReadFailed());
    EXPECT_EQ(left[7], int32_t(qm::test::CdRampSample(1, 50 * 588 - 1, 0)) * 65536);
    for (int i = 8; i < 100; ++i)
        ASSERT_EQ(left[size_t(i)] | right[size_t(i)], 0) << i;
    reader.SetPosition(0);
    EXPECT_FALSE(reader.HasReadFailed());
}
