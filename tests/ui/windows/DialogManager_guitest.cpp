#include <gtest/gtest.h>

#include "app/core/CBJXResource.h"
#include "app/core/CTVPreferences.h"
#include "app/core/TextFormatting.h"
#include "tests/support/ModalResponder.h"
#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/picture/PictureUiFixture.h"
#include "ui/picture/EmbeddedImagePreviewComponent.h"
#include "ui/windows/DialogManager.h"

using Tavrel::DialogManager;

namespace
{
juce::Component* FindIn(juce::Component& root, const std::function<bool(juce::Component&)>& test)
{
    if (test(root))
        return &root;
    for (juce::Component* child : root.getChildren())
        if (juce::Component* found = FindIn(*child, test))
            return found;
    return nullptr;
}
template <typename T>
T* Find(juce::Component& root)
{
    return dynamic_cast<T*>(FindIn(root, [](juce::Component& c) { return dynamic_cast<T*>(&c) != nullptr; }));
}

class Dialogs : public qm::test::PictureUiFixture
{
protected:
    explicit Dialogs(const char* locale = qm::test::LanguageSwitch::kEnglish)
        : PictureUiFixture(locale)
    {
    }

    // Records the chooser requests and answers them with `answer`.
    void Record(juce::Array<juce::File> answer, bool confirm = true)
    {
        DialogManager::setChooserHookForTests(
            [this, answer, confirm](const DialogManager::ChooserRequest& request, juce::Array<juce::File>& results) {
                requests.push_back(request);
                if (confirm)
                    results.addArray(answer);
                return confirm;
            });
    }
    juce::File Folder(const std::string& name)
    {
        const juce::File f(juce::String(folder.file(name).string()));
        EXPECT_TRUE(f.createDirectory().wasOk());
        return f;
    }

    std::vector<DialogManager::ChooserRequest> requests;
};

// The four starting folders are read at start-up and written back unchanged
// at shut-down, Japanese text included.
TEST_F(Dialogs, StartingFoldersRoundTrip)
{
    DialogManager::Release();
    CTVPreferences* preferences = CTVPreferences::GetInstance();
    const juce::StringArray stored{"/music/lists", juce::String::fromUTF8("/音楽/アルバム"), "", "/pictures"};
    for (int mode = 0; mode < 4; ++mode)
        preferences->SetString("FileChooser_InitialPath_" + juce::String(mode), stored[mode]);
    dialogs = DialogManager::GetInstance();
    EXPECT_EQ(dialogs->getInitialPaths(), stored);
    for (int mode = 0; mode < 4; ++mode)
        preferences->SetString("FileChooser_InitialPath_" + juce::String(mode), "changed meanwhile");
    DialogManager::Release();
    for (int mode = 0; mode < 4; ++mode)
        EXPECT_EQ(preferences->GetString("FileChooser_InitialPath_" + juce::String(mode), "absent").toStdString(),
                  stored[mode].toStdString());
    CTVPreferences::Release();
    dialogs = DialogManager::GetInstance();
}

// Where each chooser starts, and what it asks for.
TEST_F(Dialogs, StartingLocationsAndRequests)
{
    const juce::File pictures = Folder("pictures");
    const juce::File gone = pictures.getChildFile("gone");
    DialogManager::Release();
    CTVPreferences* preferences = CTVPreferences::GetInstance();
    preferences->SetString("FileChooser_InitialPath_1", gone.getFullPathName());
    preferences->SetString("FileChooser_InitialPath_2", gone.getChildFile("deeper").getFullPathName());
    preferences->SetString("FileChooser_InitialPath_3", pictures.getFullPathName());
    CTVPreferences::Release();
    dialogs = DialogManager::GetInstance();

    EXPECT_EQ(dialogs->getStartingLocation(DialogManager::kOpenSongList), juce::File()) << "nothing stored";
    EXPECT_EQ(dialogs->getStartingLocation(DialogManager::kAddAudioFiles), pictures) << "a deleted folder's parent";
    EXPECT_EQ(dialogs->getStartingLocation(DialogManager::kOpenFolder), juce::File()) << "its parent gone too";
    EXPECT_EQ(dialogs->getStartingLocation(DialogManager::kSelectPicture), pictures);
    const juce::File lists = Folder("lists");
    host->SetSonglistPath(lists.getChildFile("live.qmpl").getFullPathName());
    EXPECT_EQ(dialogs->getStartingLocation(DialogManager::kOpenSongList), lists);

    Record({});
    juce::Array<juce::File> results;
    EXPECT_FALSE(dialogs->browseForFiles(results, 4));
    EXPECT_FALSE(dialogs->browseForFiles(results, -1));
    EXPECT_EQ(dialogs->getChooserCount(), 0) << "no chooser for an unknown mode";

    for (int mode = 0; mode < 4; ++mode)
        dialogs->browseForFiles(results, mode);
    juce::Array<juce::File> folders;
    dialogs->browseForFolders(folders);
    ASSERT_EQ(requests.size(), 5u);
    const struct
    {
        juce::String title;
        juce::String patterns;
        bool multiple, folders, preview;
    } expected[] = {
        {"Open Songlist...", "*.qmpl", false, false, false},
        {"Add Audio Files...", getAudioFileWildcards(), true, false, false},
        {"Open Folder...", "", false, true, false},
        {"Select Picture to Attach...", getWildcardForFileType(), false, false, true},
        {"Open Folder...", "", false, true, true},
    };
    for (size_t i = 0; i < requests.size(); ++i)
    {
        SCOPED_TRACE(i);
        const DialogManager::ChooserRequest& r = requests[i];
        EXPECT_EQ(r.title, expected[i].title);
        EXPECT_EQ(r.patterns, expected[i].patterns);
        EXPECT_EQ((r.flags & juce::FileBrowserComponent::canSelectMultipleItems) != 0, expected[i].multiple);
        EXPECT_EQ((r.flags & juce::FileBrowserComponent::canSelectDirectories) != 0, expected[i].folders);
        EXPECT_EQ((r.flags & juce::FileBrowserComponent::openMode) != 0, true);
        EXPECT_EQ(r.withPreview, expected[i].preview);
    }
    EXPECT_EQ(requests[4].start, juce::File()) << "mode 2's folder, whose parent is gone";
}

// Save As: the extension is added (never put in place of another), a
// cancel gives an empty file, an existing file is asked about.
TEST_F(Dialogs, SaveAs)
{
    const juce::File lists = Folder("lists");
    juce::File chosen = lists.getChildFile("old.qmpl");
    Record({}, false);
    EXPECT_FALSE(dialogs->browseForSaveAsFile(chosen));
    EXPECT_EQ(chosen, juce::File());

    struct
    {
        const char* typed;
        const char* saved;
    } names[] = {{"Live 1.5", "Live 1.5.qmpl"}, {"set.QMPL", "set.QMPL"}, {"plain", "plain.qmpl"}};
    for (const auto& n : names)
    {
        requests.clear();
        Record({lists.getChildFile(n.typed)});
        host->SetSonglistPath(lists.getChildFile("current.qmpl").getFullPathName());
        EXPECT_TRUE(dialogs->browseForSaveAsFile(chosen)) << n.typed;
        EXPECT_EQ(chosen, lists.getChildFile(n.saved));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].title, "Save Songlist As...");
        EXPECT_EQ(requests[0].start, lists.getChildFile("current.qmpl"));
        EXPECT_NE(requests[0].flags & juce::FileBrowserComponent::saveMode, 0);
        EXPECT_EQ(requests[0].flags & juce::FileBrowserComponent::warnAboutOverwriting, 0);
    }

    const juce::File existing = lists.getChildFile("taken.qmpl");
    ASSERT_TRUE(existing.replaceWithText("<keep me/>"));
    Record({lists.getChildFile("taken")});
    for (const char* answer : {"Cancel", "Replace"})
    {
        SCOPED_TRACE(answer);
        qm::test::ModalResponder responder(qm::test::ModalResponder::pressButton(answer));
        const bool replace = dialogs->browseForSaveAsFile(chosen);
        EXPECT_EQ(replace, juce::String(answer) == "Replace");
        EXPECT_EQ(chosen, existing);
        EXPECT_EQ(responder.seen().title, "Warning");
        EXPECT_EQ(responder.seen().message,
                  "taken.qmpl already exists in " + lists.getFullPathName() + ". Do you want to replace it?");
        EXPECT_EQ(responder.seen().buttons.size(), 2);
        EXPECT_TRUE(responder.seen().buttons.contains("Replace") && responder.seen().buttons.contains("Cancel"));
        EXPECT_EQ(existing.loadFileAsString(), "<keep me/>") << "the chooser never writes";
    }
}

// The real dialog: the song-list chooser starts in the open list's folder,
// lists song lists whatever their letter case, and Escape cancels it.
TEST_F(Dialogs, RealSongListChooser)
{
    const juce::File lists = Folder("lists");
    ASSERT_TRUE(lists.getChildFile("LIST.QMPL").replaceWithText("x"));
    host->SetSonglistPath(lists.getChildFile("open.qmpl").getFullPathName());
    juce::File root;
    bool suitable = false;
    bool textSuitable = true;
    qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& r) {
        auto* browser = Find<juce::FileBrowserComponent>(modal);
        if (browser == nullptr)
            return r.fail("no file browser in the chooser");
        root = browser->getRoot();
        suitable = browser->isFileSuitable(lists.getChildFile("LIST.QMPL"));
        textSuitable = browser->isFileSuitable(lists.getChildFile("notes.txt"));
        qm::test::ModalResponder::pressKey("Escape")(modal, r);
    });
    juce::File chosen;
    EXPECT_FALSE(dialogs->browseForFile(chosen, DialogManager::kOpenSongList));
    EXPECT_TRUE(responder.answered());
    EXPECT_EQ(root, lists);
    EXPECT_TRUE(suitable);
    EXPECT_FALSE(textSuitable);
    EXPECT_EQ(responder.seen().title, "Open Songlist...");
}

// The picture chooser shows its preview beside the file list; pictures of
// it in both languages are kept.
void PictureChooser(const char* locale)
{
    struct Scene final : public Dialogs
    {
        explicit Scene(const char* l)
            : Dialogs(l)
        {
        }
        void TestBody() override {}
        using Dialogs::dialogs;
        using Dialogs::folder;
        using Dialogs::language;
        using Dialogs::Picture;
    } scene(locale);
    const juce::File picture = scene.Picture("cover.png", 600, 400, juce::Colours::darkorange);
    DialogManager::Release();
    CTVPreferences::GetInstance()->SetString("FileChooser_InitialPath_3", picture.getParentDirectory().getFullPathName());
    CTVPreferences::Release();
    scene.dialogs = DialogManager::GetInstance();

    qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& r) {
        auto* browser = Find<juce::FileBrowserComponent>(modal);
        auto* preview = Find<Tavrel::EmbeddedImagePreviewComponent>(modal);
        if (browser == nullptr || preview == nullptr)
            return r.fail("no browser or no preview in the picture chooser");
        EXPECT_TRUE(preview->isVisible());
        const auto* list = FindIn(*browser, [](juce::Component& c) {
            return dynamic_cast<juce::FileListComponent*>(&c) != nullptr ||
                   dynamic_cast<juce::FileTreeComponent*>(&c) != nullptr;
        });
        EXPECT_NE(list, nullptr);
        if (list != nullptr)
        {
            EXPECT_GE(preview->getBounds().getX(), list->getRight()) << "beside the list";
        }
        browser->setFileName(picture.getFileName());
        preview->selectedFileChanged(picture);
        qm::test::PumpUntil([&] { return preview->getLoadCount() == 1; }, 5);
        qm::test::PumpFor(200);
        const juce::String suffix = scene.language.isJapanese() ? "-ja" : "-en";
        qm::test::screenshots::snapshot(modal, "DialogLooks", ("picture-chooser" + suffix).toStdString());
        qm::test::KeepRender(modal.createComponentSnapshot(modal.getLocalBounds()), "picture-chooser" + suffix);
        juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    });
    juce::File chosen;
    EXPECT_FALSE(scene.dialogs->browseForFile(chosen, DialogManager::kSelectPicture));
    EXPECT_TRUE(responder.answered());
}

TEST(DialogLooks, PictureChooserWithPreview)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        PictureChooser(locale);
    }
}

// The replace question in both languages.
TEST(DialogLooks, ReplaceQuestion)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        struct Scene final : public Dialogs
        {
            explicit Scene(const char* l)
                : Dialogs(l)
            {
            }
            void TestBody() override {}
            using Dialogs::dialogs;
            using Dialogs::Folder;
            using Dialogs::language;
            using Dialogs::Record;
        } scene(locale);
        const juce::File lists = scene.Folder("リスト");
        ASSERT_TRUE(lists.getChildFile("taken.qmpl").replaceWithText("x"));
        scene.Record({lists.getChildFile("taken.qmpl")});
        const juce::String suffix = scene.language.isJapanese() ? "-ja" : "-en";
        qm::test::ModalResponder responder([&](juce::Component& modal, qm::test::ModalResponder& r) {
            qm::test::PumpFor(100);
            qm::test::screenshots::snapshot(modal, "DialogLooks", ("replace-question" + suffix).toStdString());
            qm::test::KeepRender(modal.createComponentSnapshot(modal.getLocalBounds()), "replace-question" + suffix);
            qm::test::ModalResponder::pressButton(CBJXResource::GetString("Button_Cancel"))(modal, r);
        });
        juce::File chosen;
        EXPECT_FALSE(scene.dialogs->browseForSaveAsFile(chosen));
        EXPECT_TRUE(responder.answered());
    }
}
} // namespace
