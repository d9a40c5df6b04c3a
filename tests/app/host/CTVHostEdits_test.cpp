#include <gtest/gtest.h>

#include <random>

#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CSongRead.h"
#include "engine/audiofile/tags/CMarker.h"
#include "tests/app/host/HostFixture.h"

using qm::test::Host;
using Tavrel::TrackInfo;

using qm::test::RowSet;
using qm::test::SongNames;

namespace
{
juce::String Name(const TrackInfo* record)
{
    return record->getTextField(TrackInfo::kSongName);
}

// Every frame of a song, channel by channel, as float samples.
std::vector<std::vector<float>> ReadSong(const CPlaylistSong& song)
{
    CSongRead reader;
    EXPECT_TRUE(reader.Open(&song));
    // The reads take one pointer per output channel (two); the song fills
    // as many as it has.
    const uint16_t channels = reader.GetChannelCount();
    std::vector<std::vector<float>> out(channels);
    std::vector<std::vector<float>> block(2, std::vector<float>(4096));
    std::vector<float*> pointers;
    for (auto& b : block)
        pointers.push_back(b.data());
    for (;;)
    {
        const uint32_t n = reader.ReadFloat(pointers.data(), 4096, 0);
        for (uint16_t c = 0; c < channels; ++c)
            out[c].insert(out[c].end(), block[c].begin(), block[c].begin() + n);
        if (n < 4096)
            break;
    }
    return out;
}

// The name rule as a scan over the list, to hold the index to.
juce::String ScanUniqueName(const std::vector<juce::String>& names, const juce::String& wanted)
{
    auto split = [](const juce::String& n, juce::String& base, int& number) {
        const int dot = n.lastIndexOfChar('.');
        const juce::String suffix = dot >= 0 ? n.substring(dot + 1) : juce::String();
        if (dot >= 0 && suffix.isNotEmpty() && suffix.containsOnly("0123456789") && !suffix.startsWithChar('0') &&
            suffix.length() <= 9)
        {
            base = n.substring(0, dot);
            number = suffix.getIntValue();
        }
        else
        {
            base = n;
            number = -1;
        }
    };
    juce::String base;
    int number = -1;
    split(wanted, base, number);
    int candidate = number;
    bool clash = false;
    for (const juce::String& n : names)
    {
        juce::String b;
        int k = -1;
        split(n, b, k);
        clash = clash || n == wanted;
        if (b == base && candidate <= k)
            candidate = k >= 1 ? k + 1 : 1;
    }
    return clash ? base + "." + juce::String(candidate) : wanted;
}

class HostEdits : public Host
{
protected:
    // Songs a..e of 0.2 s, stereo.
    void FiveSongs()
    {
        for (const char* n : {"a", "b", "c", "d", "e"})
        {
            AddSong(std::string(n) + ".wav", 0.2);
            host->tracks.back()->setTextField(n, TrackInfo::kSongName, false);
        }
        host->RebuildNameIndex();
    }
    TrackInfo* NewRecord(const std::string& name)
    {
        const int row = AddSong(name + ".wav", 0.2);
        TrackInfo* record = host->tracks[static_cast<size_t>(row)];
        host->RemoveTracks(row, false, false, false);
        record->setTextField(juce::String(name), TrackInfo::kSongName, false);
        return record;
    }
    // Records taken out of the list belong to the test.
    std::vector<std::unique_ptr<TrackInfo>> kept;
};

TEST_F(HostEdits, InsertAndRemove)
{
    CreateHost();
    for (const char* n : {"a", "b", "c"})
        AddSong(std::string(n) + ".wav", 0.2);
    ASSERT_TRUE(host->SetCurrentTrack(1, true, false));

    TrackInfo* appended = NewRecord("late");
    listener.take();
    EXPECT_TRUE(host->InsertTracks(99, appended));
    EXPECT_EQ(host->GetTrack(3), appended) << "a row beyond the end appends";
    EXPECT_EQ(listener.values("songListChanged"), std::vector<int>{4});
    EXPECT_TRUE(listener.values("currentTrackChanged").empty());

    TrackInfo* atCurrent = NewRecord("early");
    listener.take();
    host->InsertTracks(1, atCurrent);
    EXPECT_EQ(host->GetCurrentIndex(), 2);
    EXPECT_EQ(listener.values("currentTrackChanged"), std::vector<int>{2});

    // Removing the current last song moves the current song to song 0.
    ASSERT_TRUE(host->SetCurrentTrack(4, true, false));
    TrackInfo* last = host->GetTrack(4);
    EXPECT_TRUE(host->RemoveTracks(4, true, true, false));
    kept.emplace_back(last);
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_TRUE(host->GetTrack(0)->isCurrent);
    EXPECT_NE(host->GetPlayer()->GetSource(), nullptr) << "song 0 is opened";
    EXPECT_FALSE(host->RemoveTracks(7, true, true, true));

    // Removing every song: the reader is closed, the play order empty.
    while (host->GetTrackCount() > 0)
        EXPECT_TRUE(host->RemoveTracks(0, true, true, true));
    EXPECT_EQ(host->GetPlayer()->GetSource(), nullptr);
    EXPECT_EQ(host->GetCurrentInput()->GetLength(), 0u);
    EXPECT_TRUE(host->GetShuffleOrder().isEmpty());
    EXPECT_EQ(listener.values("songListChanged").back(), 0);
}

TEST_F(HostEdits, SelectionAndWhatItAllows)
{
    CreateHost();
    FiveSongs();
    listener.take();
    host->SelectRange(8, 2, 0);
    EXPECT_EQ(host->GetSelection(), RowSet({2, 3, 4})) << "rows beyond the list are dropped";
    EXPECT_EQ(listener.values("selectionChanged"), std::vector<int>{3});
    host->SelectRange(8, 2, 0);
    EXPECT_EQ(listener.values("selectionChanged").size(), 1u) << "the same selection again tells nobody";
    host->SelectRange(0, 0, 0);
    EXPECT_EQ(host->GetSelection(), RowSet({2, 3, 4}));

    for (const char* n : {"m1", "m2", "m3"})
        AddSong(std::string(n) + ".wav", 0.2, 44100, 1);
    struct Case
    {
        const char* name;
        juce::SparseSet<int> rows;
        bool combine;
        bool link;
    };
    const Case cases[] = {
        {"three mono songs", RowSet({5, 6, 7}), true, false},
        {"two mono songs", RowSet({5, 6}), true, true},
        {"stereo and mono", RowSet({0, 5}), false, false},
        {"two stereo songs", RowSet({0, 1}), true, false},
        {"one song", RowSet({0}), false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        host->SetSelection(c.rows, 0);
        EXPECT_EQ(host->CanCombine(), c.combine);
        EXPECT_EQ(host->CanLinkChannels(), c.link);
    }
    host->GetTrack(5)->compressed = true;
    host->SetSelection(RowSet({5, 6}), 0);
    host->UpdateSelectionFlags();
    EXPECT_FALSE(host->CanCombine()) << "a compressed first song";
    host->GetTrack(5)->compressed = false;
    host->SetMode(CTVHost::kSessionMode);
    host->UpdateSelectionFlags();
    EXPECT_FALSE(host->CanCombine());
    EXPECT_FALSE(host->CanLinkChannels());
    host->SetMode(CTVHost::kPlayerMode);
}

TEST_F(HostEdits, MovingSongsAndTakingItBack)
{
    CreateHost();
    FiveSongs();
    ASSERT_TRUE(host->SetCurrentTrack(2, true, false));
    TrackInfo* current = host->GetTrack(2);
    const std::vector<TrackInfo*> before = host->tracks;
    const juce::SparseSet<int> selection = RowSet({1, 3});
    host->SetSelection(selection, 0);
    listener.take();
    host->PermutateTracks(selection, 0);
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"b", "d", "a", "c", "e"}));
    EXPECT_EQ(host->GetSelection(), RowSet({0, 1}));
    EXPECT_EQ(host->GetCurrentIndex(), 3);
    EXPECT_EQ(host->GetTrack(3), current);
    EXPECT_TRUE(listener.values("transportStateChanged").empty()) << "the current song is not reopened";

    host->UndoPermutation(before, selection);
    EXPECT_EQ(host->tracks, before);
    EXPECT_EQ(host->GetSelection(), RowSet({1, 3}));
    EXPECT_EQ(host->GetTrack(host->GetCurrentIndex()), current);
}

// A 6 s song with marks at 1 s and 4 s divided at 2.5 s: two parts that read
// one after the other as the song did.
TEST_F(HostEdits, DividingASong)
{
    OpenDevice(44100.0);
    CreateHost();
    AddSong("x.wav", 6.0);
    TrackInfo* song = host->GetTrack(0);
    song->setTextField("X", TrackInfo::kSongName, false);
    song->addMarker(1.0);
    song->addMarker(4.0);
    song->setIntControl(TrackInfo::kFadeInType, 1);
    song->setFloatControl(TrackInfo::kFadeInTime, 1.0f);
    song->setIntControl(TrackInfo::kFadeOutType, 2);
    song->setFloatControl(TrackInfo::kFadeOutTime, 2.0f);
    host->RebuildNameIndex();
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    EXPECT_FALSE(host->DivideTrack(0.0));
    EXPECT_FALSE(host->DivideTrack(6.0));
    EXPECT_EQ(host->GetTrackCount(), 1);

    const auto whole = ReadSong(*song->song);
    host->SetTransportState(CTVHost::kPlaying);
    ASSERT_EQ(host->GetTransportState(), CTVHost::kPlaying);
    TrackInfo *divided = nullptr, *first = nullptr, *second = nullptr;
    ASSERT_TRUE(host->DivideTrack(2.5, &divided, &first, &second));
    kept.emplace_back(divided);
    ASSERT_EQ(host->GetTrackCount(), 2);
    EXPECT_EQ(host->GetTrack(0), first);
    EXPECT_EQ(host->GetTrack(1), second);
    EXPECT_EQ(Name(first), "X");
    EXPECT_EQ(Name(second), "X.1");
    EXPECT_NEAR(first->getLengthInSeconds(), 2.5, 1e-3);
    EXPECT_NEAR(second->getLengthInSeconds(), 3.5, 1e-3);
    ASSERT_EQ(first->markers->GetCount(), 1);
    EXPECT_DOUBLE_EQ(first->markers->GetAt(0), 1.0);
    ASSERT_EQ(second->markers->GetCount(), 1);
    EXPECT_DOUBLE_EQ(second->markers->GetAt(0), 1.5);
    EXPECT_EQ(first->getIntControl(TrackInfo::kFadeOutType), 0);
    EXPECT_EQ(first->getFloatControl(TrackInfo::kFadeOutTime), 0.0f);
    EXPECT_EQ(first->getIntControl(TrackInfo::kFadeInType), 1);
    EXPECT_EQ(second->getIntControl(TrackInfo::kFadeInType), 0);
    EXPECT_EQ(second->getFloatControl(TrackInfo::kFadeInTime), 0.0f);
    EXPECT_EQ(second->getIntControl(TrackInfo::kFadeOutType), 2);
    EXPECT_EQ(host->GetSelection(), RowSet({0, 1}));
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_EQ(host->GetTransportState(), CTVHost::kPlaying) << "playing again";

    auto a = ReadSong(*first->song);
    const auto b = ReadSong(*second->song);
    for (size_t c = 0; c < a.size(); ++c)
        a[c].insert(a[c].end(), b[c].begin(), b[c].end());
    EXPECT_EQ(a, whole);
    host->StopPlayback();
}

TEST_F(HostEdits, LinkingAndCombining)
{
    CreateHost();
    AddSong("left.wav", 1.0, 44100, 1);
    AddSong("right.wav", 1.0, 44100, 1);
    host->GetTrack(0)->setFloatControl(TrackInfo::kBalance, -0.5f);
    const auto left = ReadSong(*host->GetTrack(0)->song);
    const auto right = ReadSong(*host->GetTrack(1)->song);
    ASSERT_TRUE(host->SetCurrentTrack(1, true, false));
    std::vector<TrackInfo*> joined;
    TrackInfo* linked = nullptr;
    ASSERT_TRUE(host->LinkChannels(RowSet({0, 1}), &joined, &linked));
    for (TrackInfo* record : joined)
        kept.emplace_back(record);
    ASSERT_EQ(host->GetTrackCount(), 1);
    EXPECT_EQ(host->GetTrack(0), linked);
    EXPECT_EQ(linked->channels, 2);
    EXPECT_EQ(linked->getFloatControl(TrackInfo::kBalance), 0.0f);
    EXPECT_EQ(host->GetCurrentIndex(), 0) << "the current song was joined: the new one is current";
    const auto both = ReadSong(*linked->song);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0], left[0]);
    EXPECT_EQ(both[1], right[0]);

    AddSong("two.wav", 2.0);
    AddSong("three.wav", 3.0);
    AddSong("other.wav", 0.5);
    host->GetTrack(1)->addMarker(1.0);
    host->GetTrack(2)->addMarker(1.0);
    ASSERT_TRUE(host->SetCurrentTrack(3, true, false));
    TrackInfo* other = host->GetTrack(3);
    joined.clear();
    TrackInfo* combined = nullptr;
    ASSERT_TRUE(host->CombineTracks(RowSet({1, 2}), &joined, &combined));
    for (TrackInfo* record : joined)
        kept.emplace_back(record);
    ASSERT_EQ(host->GetTrackCount(), 3);
    EXPECT_EQ(host->GetTrack(1), combined);
    EXPECT_NEAR(combined->getLengthInSeconds(), 5.0, 1e-3);
    ASSERT_EQ(combined->markers->GetCount(), 2);
    EXPECT_DOUBLE_EQ(combined->markers->GetAt(0), 1.0);
    EXPECT_DOUBLE_EQ(combined->markers->GetAt(1), 3.0);
    EXPECT_EQ(host->GetSelection(), RowSet({1}));
    EXPECT_EQ(host->GetTrack(host->GetCurrentIndex()), other) << "a song not joined stays current at its new row";
}

TEST_F(HostEdits, UniqueSongNames)
{
    CreateHost();
    for (const char* n : {"Take", "Take.1", "Take.0", "Solo.5"})
    {
        AddSong("f" + std::to_string(host->GetTrackCount()) + ".wav", 0.1);
        host->tracks.back()->setTextField(n, TrackInfo::kSongName, false);
    }
    host->RebuildNameIndex();
    const std::string longName(200, 'n');
    const struct
    {
        juce::String name;
        juce::String expected;
    } cases[] = {
        {"Take", "Take.2"},
        {"Take.0", "Take.0.1"},
        {"Solo", "Solo"},
        {"Solo.5", "Solo.6"},
        {"a:b", "ab"},
        {"", "_"},
        {"   ", "_"},
        {"New  ", "New"},
        {juce::String(longName), juce::String(std::string(128, 'n'))},
        {juce::String(std::string(196, 'n') + ".wav"), juce::String(std::string(124, 'n') + ".wav")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host->MakeUniqueSongName(c.name), c.expected) << c.name;

    // Renaming follows the index.
    host->GetTrack(1)->setTextField("Other", TrackInfo::kSongName, true);
    EXPECT_EQ(host->MakeUniqueSongName("Take"), "Take.1");
    EXPECT_EQ(host->CheckNewSongName("Take", "Take", 0), "Take");
    EXPECT_EQ(host->CheckNewSongName("Take", "Other", 0), "");
    EXPECT_EQ(host->CheckNewSongName("Take", "Fresh:", 0), "Fresh");

    // The index answers as a scan of the whole list would.
    std::mt19937 random(2000);
    std::vector<juce::String> names;
    const char* bases[] = {"Take", "Song", "x", "Take.0"};
    for (int i = 0; i < 2000; ++i)
    {
        juce::String n = bases[random() % 4];
        const int kind = static_cast<int>(random() % 3);
        if (kind == 1)
            n << "." << static_cast<int>(random() % 40);
        else if (kind == 2)
            n << ".0" << static_cast<int>(random() % 5);
        names.push_back(n);
    }
    while (host->GetTrackCount() > 0)
        host->RemoveTracks(0, false, false, true);
    int mismatches = 0;
    std::vector<juce::String> present;
    for (int i = 0; i < 300; ++i)
    {
        const juce::String& wanted = names[static_cast<size_t>(i)];
        const juce::String expected = ScanUniqueName(present, wanted);
        const juce::String got = host->MakeUniqueSongName(wanted);
        mismatches += got != expected;
        auto* record = new TrackInfo();
        record->setTextField(got, TrackInfo::kSongName, false);
        host->InsertTracks(static_cast<int>(random() % (host->GetTrackCount() + 1)), record);
        present.push_back(got);
    }
    for (int i = 300; i < 2000; ++i)
        mismatches += host->MakeUniqueSongName(names[static_cast<size_t>(i)]) !=
                      ScanUniqueName(present, names[static_cast<size_t>(i)]);
    EXPECT_EQ(mismatches, 0);
}
} // namespace
