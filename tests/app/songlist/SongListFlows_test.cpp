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

    // Bad files give their message and leave the list as it was.
    const auto text = [&](const char* name, const juce::String& content) {
        const juce::File f(folder.file(name).string());
        EXPECT_TRUE(f.replaceWithText(content));
        return f;
    };
    struct Bad
    {
        juce::File file;
        const char* message;
    };
    const Bad bad[] = {
        {juce::File(folder.path().string()), "Songlist_FileNotFound"},
        {juce::File(folder.file("missing.qmpl").string()), "Songlist_FileNotFound"},
        {text("newer.qmpl", "<QuillmarkProject version=\"99.0\"><Track/></QuillmarkProject>"), "Songlist_NewerVersion"},
        {text("foreign.qmpl", "<html><body/></html>"), "Songlist_Invalid"},
        {text("damaged.qmpl", "<QuillmarkProject version=\"1.0\"><Track>"), "Songlist_Invalid"},
        // Well formed but without any song: never written by this program.
        {ListFile("empty.qmpl", {}), "Songlist_Invalid"},
    };
    const std::vector<TrackInfo*> before = host->tracks;
    for (const Bad& b : bad)
    {
        SCOPED_TRACE(b.file.getFileName());
        ui.calls.clear();
        EXPECT_FALSE(Tavrel::openSonglistFile(b.file, *host));
        ASSERT_EQ(ui.calls.size(), 1u);
        EXPECT_EQ(ui.calls[0].texts[0], CBJXResource::GetString("Common_ErrorDialogTitle"));
        EXPECT_EQ(ui.calls[0].texts[1], CBJXResource::GetString(b.message));
        EXPECT_EQ(host->tracks, before);
        EXPECT_EQ(host->GetSonglistPath(), twins.getFullPathName());
    }
    ui.calls.clear();

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

    // The chooser gives the file when none is named; the last session opens
    // untitled, and the recent list does not learn of it.
    ui.queue(1, {twins});
    EXPECT_TRUE(Tavrel::openSonglistFile({}, *host));
    EXPECT_EQ(host->GetTrackCount(), 2);
    const juce::File last(host->GetLastSessionPath());
    ASSERT_TRUE(twins.copyFileTo(last));
    const juce::StringArray recent = host->GetRecentSongLists();
    listener.take();
    EXPECT_TRUE(Tavrel::restoreLastSession(*host));
    EXPECT_EQ(host->GetSonglistPath(), "");
    EXPECT_EQ(host->GetTrackCount(), 2);
    EXPECT_EQ(host->GetRecentSongLists(), recent);
    EXPECT_EQ(listener.values("songListPathChanged").size(), 1u);

    // Opening the backup file itself leaves it as it is.
    const juce::File backup(host->GetBackupPath());
    const juce::String backupText = backup.loadFileAsString();
    EXPECT_TRUE(Tavrel::openSonglistFile(backup, *host));
    EXPECT_EQ(backup.loadFileAsString(), backupText);
}

TEST_F(Flows, DamagedSongsAndMissingFilesStillOpen)
{
    const juce::File list = ListFile("list.qmpl", {"A", "B", "C"});
    // B's file goes away; C's Track element loses its values.
    ASSERT_TRUE(juce::File(folder.file("list.qmpl1.wav").string()).deleteFile());
    std::unique_ptr<juce::XmlElement> root = juce::parseXML(list);
    ASSERT_NE(root, nullptr);
    juce::XmlElement* c = root->getChildElement(2);
    ASSERT_EQ(c->getTagName(), "Track");
    for (juce::XmlElement* child = c->getFirstChildElement(); child != nullptr;)
    {
        juce::XmlElement* next = child->getNextElement();
        if (child->getTagName() != "Name")
            c->removeChildElement(child, true);
        child = next;
    }
    ASSERT_TRUE(root->writeTo(list));
    ASSERT_TRUE(Tavrel::openSonglistFile(list, *host));
    EXPECT_TRUE(ui.calls.empty()) << "element errors are not shown";
    EXPECT_EQ(SongNames(*host), (std::vector<juce::String>{"A", "B", "C"}));
    EXPECT_TRUE(host->GetTrack(0)->readable);
    EXPECT_FALSE(host->GetTrack(1)->readable);
}

TEST_F(Flows, EveryFlowWaitsForARunningAction)
{
    const juce::File list = ListFile("list.qmpl", {"A"});
    ASSERT_TRUE(Tavrel::openSonglistFile(list, *host));
    Modify();
    const std::vector<TrackInfo*> before = host->tracks;
    // An action whose perform runs the flows, as a message delivered inside
    // the add's modal window would.
    struct Reentrant : juce::UndoableAction
    {
        std::function<void()> during;
        bool perform() override
        {
            during();
            return true;
        }
        bool undo() override { return true; }
    };
    std::vector<bool> results;
    auto* action = new Reentrant;
    action->during = [&] {
        results.push_back(Tavrel::openSonglistFile(list, *host));
        results.push_back(Tavrel::openSonglist(*host, list));
        results.push_back(Tavrel::restoreLastSession(*host));
        results.push_back(Tavrel::saveSonglist(*host, false));
        results.push_back(Tavrel::newSonglist(*host));
    };
    ASSERT_TRUE(commands->performUndoable(action, true, "Busy"));
    EXPECT_EQ(results, std::vector<bool>(5, false));
    EXPECT_EQ(ui.beeps, 5);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(host->tracks, before);
    EXPECT_EQ(host->GetSonglistPath(), list.getFullPathName());
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

    // A read-only target fails and offers another place; Cancel keeps the
    // old path and the modified state.
    const juce::File locked(folder.file("locked.qmpl").string());
    locked.replaceWithText("x");
    locked.setReadOnly(true);
    ui.queue(1, {locked});
    ui.queue(0);
    EXPECT_FALSE(Tavrel::saveSonglist(*host, true));
    EXPECT_EQ(host->GetSonglistPath(), "");
    EXPECT_TRUE(host->IsModified());
    EXPECT_EQ(locked.loadFileAsString(), "x");

    ui.calls.clear();
    const juce::File good(folder.file("good.qmpl").string());
    ui.queue(1, {locked});
    ui.queue(1);
    ui.queue(1, {good});
    EXPECT_TRUE(Tavrel::saveSonglist(*host, true));
    const auto& box = ui.calls.at(1);
    EXPECT_EQ(box.kind, "okCancel");
    EXPECT_TRUE(box.texts[1].contains(locked.getFullPathName()));
    EXPECT_EQ(box.texts[2], CBJXResource::GetString("Button_Save"));
    EXPECT_EQ(host->GetSonglistPath(), good.getFullPathName());
    EXPECT_EQ(host->GetRecentSongLists()[0], good.getFullPathName());
    EXPECT_EQ(commands->getChangesSinceSaved(), 0);
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
