#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/song/CPlaylistSong.h"

namespace
{
struct Segment
{
    std::u16string path;
    int64_t start;
    int64_t end;
    uint32_t id = 0;
};
using Track = std::vector<Segment>;
using Section = std::vector<Track>;

std::unique_ptr<CPlaylistSong> MakeSong(const std::vector<Section>& sections)
{
    auto song = std::make_unique<CPlaylistSong>();
    for (const Section& section : sections)
    {
        CPlaylistSection* s = song->AddSection();
        for (const Track& track : section)
        {
            CPlaylistTrack* t = s->AddTrack();
            for (const Segment& segment : track)
            {
                CPlaylistFile* f = t->AddFile();
                f->SetPath(segment.path);
                f->SetStart(segment.start);
                f->SetEnd(segment.end);
                f->SetMediaUniqueId(segment.id);
            }
        }
    }
    return song;
}

std::vector<Section> Describe(const CPlaylistSong& song)
{
    std::vector<Section> sections;
    for (int s = 0; s < song.GetSectionCount(); ++s)
    {
        Section section;
        const CPlaylistSection* ps = song.GetSection(s);
        for (int t = 0; t < ps->GetTrackCount(); ++t)
        {
            Track track;
            const CPlaylistTrack* pt = ps->GetTrack(t);
            for (int f = 0; f < pt->GetFileCount(); ++f)
            {
                const CPlaylistFile* pf = pt->GetFile(f);
                track.push_back({pf->GetPath(), pf->GetStart(), pf->GetEnd(), pf->GetMediaUniqueId()});
            }
            section.push_back(track);
        }
        sections.push_back(section);
    }
    return sections;
}

bool operator==(const Segment& a, const Segment& b)
{
    return a.path == b.path && a.start == b.start && a.end == b.end && a.id == b.id;
}

const std::vector<Section> kTwoByTwo = {
    {{{u"/a/left.wav", 0, 100, 0}, {u"/a/left2.wav", 5, -1, 0}}, {{u"/a/right.wav", 10, 200, 3}}},
    {{{u"/b/one.aif", 0, -1, 0}}, {{u"/b/two.aif", 7, 70, 0}}},
};
} // namespace

TEST(CPlaylistSong, NewFileSegmentCoversTheWholeFile)
{
    CPlaylistTrack track;
    const CPlaylistFile* file = track.AddFile();
    EXPECT_EQ(file->GetPath(), u"");
    EXPECT_EQ(file->GetStart(), 0);
    EXPECT_EQ(file->GetEnd(), -1);
    EXPECT_EQ(file->GetMediaUniqueId(), 0u);
    EXPECT_EQ(track.GetFile(1), nullptr);
    EXPECT_EQ(track.GetFile(-1), nullptr);
}

TEST(CPlaylistSong, CopyIsDeepAndIndependent)
{
    auto source = MakeSong(kTwoByTwo);
    source->SetName(u"Source");
    source->GetMarker()->Add(1.5);
    source->GetMarker()->Add(4.0);

    auto copy = std::make_unique<CPlaylistSong>();
    copy->SetName(u"Old");
    copy->AddSection()->AddTrack()->AddFile()->SetPath(u"/old.wav");
    copy->CopyFrom(*source);

    EXPECT_EQ(Describe(*copy), kTwoByTwo);
    EXPECT_EQ(copy->GetName(), u"");
    ASSERT_EQ(copy->GetMarker()->GetCount(), 2);
    EXPECT_EQ(copy->GetMarker()->GetAt(1), 4.0);
    EXPECT_NE(copy->GetSection(0), source->GetSection(0));

    copy->GetSection(0)->GetTrack(0)->GetFile(0)->SetPath(u"/changed.wav");
    copy.reset();
    EXPECT_EQ(Describe(*source), kTwoByTwo);
    EXPECT_EQ(source->GetName(), u"Source");

    // Copying a song, section or track into itself leaves it as it was.
    source->CopyFrom(*source);
    source->GetSection(0)->CopyFrom(*source->GetSection(0));
    source->GetSection(1)->GetTrack(0)->CopyFrom(*source->GetSection(1)->GetTrack(0));
    EXPECT_EQ(Describe(*source), kTwoByTwo);
    EXPECT_EQ(source->GetMarker()->GetCount(), 2);
}

TEST(CPlaylistSong, ClearRemovesSectionsNameAndMarks)
{
    auto song = MakeSong(kTwoByTwo);
    song->SetName(u"Song");
    song->GetMarker()->Add(2.0);
    song->Clear();
    EXPECT_EQ(song->GetSectionCount(), 0);
    EXPECT_EQ(song->GetSection(0), nullptr);
    EXPECT_EQ(song->GetName(), u"");
    EXPECT_EQ(song->GetMarker()->GetCount(), 0);
}

TEST(CPlaylistSong, ContinuesSeamlessly)
{
    const std::u16string a = u"/music/a.wav";
    const std::vector<Section> previous = {{{{a, 0, 1000}}}};
    struct Case
    {
        const char* what;
        std::vector<Section> previous;
        std::vector<Section> next;
        bool expected;
    };
    const Case cases[] = {
        {"same file, next starts at the end", previous, {{{{a, 1000, 2000}}}}, true},
        {"gap of one frame", previous, {{{{a, 1001, 2000}}}}, false},
        {"another path", previous, {{{{u"/music/b.wav", 1000, 2000}}}}, false},
        {"path differs in case", previous, {{{{u"/music/A.wav", 1000, 2000}}}}, false},
        {"another number of tracks", previous, {{{{a, 1000, 2000}}, {{a, 1000, 2000}}}}, false},
        {"previous runs to the end of the file", {{{{a, 0, -1}}}}, {{{{a, 1000, 2000}}}}, false},
        {"last section and last segment count",
         {{{{a, 0, 10}}}, {{{u"/x.wav", 0, 5}, {a, 500, 1000}}}},
         {{{{a, 1000, 2000}, {u"/y.wav", 0, 1}}}, {{{u"/z.wav", 0, 1}}}},
         true},
        {"every track must continue",
         {{{{a, 0, 1000}}, {{u"/b.wav", 0, 1000}}}},
         {{{{a, 1000, 2000}}, {{u"/b.wav", 999, 2000}}}},
         false},
        {"both tracks continue",
         {{{{a, 0, 1000}}, {{u"/b.wav", 0, 1000}}}},
         {{{{a, 1000, 2000}}, {{u"/b.wav", 1000, 2000}}}},
         true},
        {"earlier id 0: later id ignored", {{{{a, 0, 1000, 0}}}}, {{{{a, 1000, 2000, 9}}}}, true},
        {"earlier id 7, later 7", {{{{a, 0, 1000, 7}}}}, {{{{a, 1000, 2000, 7}}}}, true},
        {"earlier id 7, later 8", {{{{a, 0, 1000, 7}}}}, {{{{a, 1000, 2000, 8}}}}, false},
        {"earlier id 7, later 0", {{{{a, 0, 1000, 7}}}}, {{{{a, 1000, 2000, 0}}}}, false},
        {"previous without sections", {}, {{{{a, 1000, 2000}}}}, false},
        {"next without sections", previous, {}, false},
        {"previous section without tracks", {{}}, {{}}, false},
        {"previous track without segments", {{{}}}, {{{{a, 0, 1}}}}, false},
        {"next track without segments", previous, {{{}}}, false},
    };
    for (const Case& c : cases)
    {
        auto prev = MakeSong(c.previous);
        auto next = MakeSong(c.next);
        EXPECT_EQ(ContinuesSeamlessly(next.get(), prev.get()), c.expected) << c.what;
    }

    auto prev = MakeSong(previous);
    EXPECT_FALSE(ContinuesSeamlessly(nullptr, prev.get()));
    EXPECT_FALSE(ContinuesSeamlessly(prev.get(), nullptr));
    EXPECT_FALSE(prev->GetSection(0)->IsContinuedBy(nullptr));
}
