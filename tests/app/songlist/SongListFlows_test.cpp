#include <gtest/gtest.h>

#include "app/commands/SongListActions.h"
#include "app/songlist/SongListFile.h"
#include "app/songlist/SongListFlows.h"
#include "tests/app/commands/CommandsFixture.h"

using qm::test::ScriptedUiServices;
using qm::test::SongNames;
using Tavrel::TrackInfo;

namespace
{
class Flows : public qm::test::CommandsFixture
{
protected:
    // A song-list file holding songs of the given names.
    juce::File ListFile(const std::string& name, std::initializer_list<const char*> songs)
    {
        std::vector<std::unique_ptr<TrackInfo>> records;
        std::vector<TrackInfo*> pointers;
        int n = 0;
        for (const char* song : songs)
        {
            const auto wav = folder.file(name + std::to_string(n++) + ".wav");
            qm::test::WriteWav(wav, 44100, 2, 4410, false, [](int, int) { return 0.0f; });
            std::unique_ptr<CAudioFileReadBase> reader(CreateAudioFileReader(wav.u16string().c_str(), false));
            records.push_back(std::make_unique<TrackInfo>(*reader));
            records.back()->setTextField(song, TrackInfo::kSongName, false);
            pointers.push_back(records.back().get());
        }
        const juce::File file(folder.file(name).string());
        EXPECT_TRUE(Tavrel::writeSongListFile(pointers, file));
        return file;
    }

    void Modify()
    {
        auto* rename = new CTVActionRename(*host, 0, TrackInfo::kTitle, "edited", false);
        ASSERT_TRUE(commands->performUndoable(rename, true, "Rename"));
        ASSERT_TRUE(host->IsModified());
    }
};

TEST_F(Flows, OpeningAList)
{
    const juce::File twins = ListFile("twins.qmpl", {"A", "A"});
    // An empty list asks nothing; two songs of one name get unique names.
    ASSERT_TRUE(Tavrel::openSonglistFile(twins, *host));
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"A", "A.1"}));
    EXPECT_EQ(host->GetSonglistPath(), twins.getFullPathName());
    EXPECT_EQ(host->GetCurrentIndex(), 0);
    EXPECT_FALSE(host->IsModified());
    EXPECT_FALSE(commands->canUndo());
    EXPECT_EQ(juce::File(host->GetBackupPath()).loadFileAsString(), twins.loadFileAsString());

    // Errors leave the list as it was: a folder, a list without songs.
    const juce::File empty = ListFile("empty.qmpl", {});
    const std::vector<TrackInfo*> before = host->tracks;
    EXPECT_FALSE(Tavrel::openSonglist(*host, juce::File(folder.path().string())));
    EXPECT_FALSE(Tavrel::openSonglist(*host, empty));
    ASSERT_EQ(ui.calls.size(), 2u);
    EXPECT_EQ(ui.calls[0].texts[1], CBJXResource::GetString("Songlist_FileNotFound"));
    EXPECT_EQ(ui.calls[1].texts[1], "");
    EXPECT_EQ(host->tracks, before);

    // A modified list: Cancel keeps everything; Don't Save opens.
    Modify();
    ui.calls.clear();
    ui.queue(0);
    EXPECT_FALSE(Tavrel::openSonglistFile(ListFile("other.qmpl", {"B"}), *host));
    EXPECT_EQ(ui.calls.at(0).kind, "yesNoCancel");
    EXPECT_EQ(ui.calls.at(0).texts[1], CBJXResource::GetString("Songlist_SaveBeforeOpening"));
    EXPECT_EQ(host->tracks, before);
    ui.queue(2);
    EXPECT_TRUE(Tavrel::openSonglistFile(juce::File(folder.file("other.qmpl").string()), *host));
    EXPECT_EQ(SongNames(*host), std::vector<juce::String>{"B"});

    // The chooser gives the file when none is named; the last session opens untitled.
    ui.queue(1, {twins});
    EXPECT_TRUE(Tavrel::openSonglistFile({}, *host));
    EXPECT_EQ(host->GetTrackCount(), 2);
    juce::File(host->GetLastSessionPath())
        .replaceWithData(twins.loadFileAsString().toRawUTF8(), twins.loadFileAsString().getNumBytesAsUTF8());
    EXPECT_TRUE(Tavrel::restoreLastSession(*host));
    EXPECT_EQ(host->GetSonglistPath(), "");
    EXPECT_EQ(host->GetTrackCount(), 2);
}

TEST_F(Flows, SavingAList)
{
    AddSong("a.wav", 0.1);
    host->RebuildNameIndex();
    Modify();
    // Untitled: Save asks where; a cancelled chooser saves nothing.
    ui.queue(0);
    EXPECT_FALSE(Tavrel::saveSonglist(*host, false));
    EXPECT_TRUE(host->IsModified());

    // A read-only target fails and offers another place.
    const juce::File locked(folder.file("locked.qmpl").string());
    locked.replaceWithText("x");
    locked.setReadOnly(true);
    const juce::File good(folder.file("good.qmpl").string());
    ui.queue(1, {locked});
    ui.queue(1);
    ui.queue(1, {good});
    EXPECT_TRUE(Tavrel::saveSonglist(*host, true));
    const auto& box = ui.calls.at(2);
    EXPECT_EQ(box.kind, "okCancel");
    EXPECT_TRUE(box.texts[1].contains(locked.getFullPathName()));
    EXPECT_EQ(host->GetSonglistPath(), good.getFullPathName());
    EXPECT_FALSE(host->IsModified());
    EXPECT_TRUE(commands->canUndo()) << "a save keeps the history";
    ASSERT_TRUE(commands->undo());
    EXPECT_TRUE(host->IsModified());

    // Save to the list's path asks nothing.
    ui.calls.clear();
    EXPECT_TRUE(Tavrel::saveSonglist(*host, false));
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_NE(Tavrel::loadSongListDocument(good), nullptr);
}
} // namespace
