#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/WideText.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/TVSLReader.h"
#include "app/songlist/TrackInfo.h"
#include "tests/support/TempFolder.h"

using Tavrel::TrackInfo;

// A list far larger than any user's: what is saved must come back whole. The
// records name files that do not exist, so nothing but the document is read.
TEST(SongListScale, AHundredThousandSongsWithLongPathsSaveAndReloadWhole)
{
    constexpr int kSongs = 100000;
    qm::test::TempFolder folder;
    std::vector<std::unique_ptr<TrackInfo>> records;
    std::vector<TrackInfo*> list;
    records.reserve(kSongs);
    for (int i = 0; i < kSongs; ++i)
    {
        auto record = std::make_unique<TrackInfo>();
        const std::string number = std::to_string(i);
        // 146 characters of path, the number at its end.
        std::string path = "/music/" + std::string(127 - number.size(), 'p') + "/" + number + ".wav";
        path.resize(146 - 4 - number.size(), 'q');
        path += number + ".wav";
        record->text[TrackInfo::kSongName] = juce::String("Song ") + juce::String(i);
        CPlaylistFile* file = record->song->AddSection()->AddTrack()->AddFile();
        file->SetPath(std::u16string(path.begin(), path.end()));
        list.push_back(record.get());
        records.push_back(std::move(record));
    }

    const juce::File target(juce::String(folder.file("huge.qmpl").string()));
    ASSERT_TRUE(Tavrel::writeSongListFile(list, target));
    EXPECT_GT(target.getSize(), 100 * 1024 * 1024);
    records.clear();
    list.clear();

    Tavrel::TVSLReader reader(target);
    int count = 0;
    while (reader.hasNext())
    {
        std::unique_ptr<TrackInfo> back(reader.next());
        ASSERT_NE(back, nullptr);
        if (count % 9973 == 0 || count == kSongs - 1)
        {
            EXPECT_EQ(back->text[TrackInfo::kSongName], juce::String("Song ") + juce::String(count));
            const std::u16string path = back->song->GetSection(0)->GetTrack(0)->GetFile(0)->GetPath();
            EXPECT_EQ(path.size(), 146u) << count;
        }
        ++count;
    }
    EXPECT_EQ(count, kSongs);
}
