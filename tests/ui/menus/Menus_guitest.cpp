#include <gtest/gtest.h>

#include <memory>

#include "app/commands/ActionManagerCommand.h"
#include "tests/support/Screenshots.h"
#include "tests/support/XInput.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/UiFixture.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/menus/MenuBarManager.h"
#include "ui/menus/ShortcutKeyEditor.h"
#include "ui/windows/CTVAboutWindow.h"

using Tavrel::MenuBarManager;
using Tavrel::ShortcutKeyEditor;
namespace xinput = qm::test::xinput;

namespace
{
constexpr int kSeparator = -1;
constexpr int kSubmenu = -2;
constexpr juce::CommandID kQuit = juce::StandardApplicationCommandIDs::quit;

// Stands in for the main component's commands (31 to 41) and the
// application's quit command.
class MainCommands final : public juce::ApplicationCommandTarget
{
public:
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands(juce::Array<juce::CommandID>& ids) override
    {
        for (juce::CommandID id = 31; id <= 41; ++id)
            if (id != 34 || withCommand34)
                ids.add(id);
        ids.add(kQuit);
    }
    void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        if (id == kQuit)
        {
            info.setInfo("Quit", "Quit", "Application", 0);
            info.addDefaultKeypress('q', juce::ModifierKeys::commandModifier);
            return;
        }
        const bool file = id == 31 || id == 32 || id == 33;
        info.setInfo("Command " + juce::String(id), {}, CBJXResource::GetString(file ? "Menu_Name_File" : "Menu_Name_Edit"),
                     0);
        if (id == 37)
        {
            info.addDefaultKeypress(juce::KeyPress::F2Key, juce::ModifierKeys());
            info.addDefaultKeypress(juce::KeyPress::F3Key, juce::ModifierKeys());
        }
        if (id == 39)
            info.addDefaultKeypress(',', juce::ModifierKeys::commandModifier);
    }
    bool perform(const InvocationInfo&) override { return true; }
    bool withCommand34 = false;
};

// The window of that kind among the parent's children (fades add
// snapshots of it beside it), or null.
template <typename T>
T* ChildOf(juce::Component& parent)
{
    for (juce::Component* child : parent.getChildren())
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    return nullptr;
}

// Closes a fading window one of three ways: any key (0), a click inside it
// (1), a click outside it in its parent (2).
bool Dismiss(juce::Component& parent, juce::Component& shown, int way)
{
    if (way == 0)
        return xinput::key(parent, "a");
    if (way == 1)
        return xinput::click(shown, {100, 100});
    return xinput::click(parent, {3, 3});
}

class Menus : public qm::test::UiFixture
{
protected:
    explicit Menus(const char* locale = qm::test::LanguageSwitch::kEnglish)
        : UiFixture(locale)
    {
        commands->registerAllCommandsForTarget(&mainCommands);
    }
    // The ids of a menu's items in order, separators and submenus marked.
    static std::vector<int> Ids(const juce::PopupMenu& menu)
    {
        std::vector<int> ids;
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        {
            const auto& item = it.getItem();
            ids.push_back(item.isSeparator ? kSeparator : item.subMenu != nullptr ? kSubmenu : item.itemID);
        }
        return ids;
    }
    static const juce::PopupMenu::Item* Find(const juce::PopupMenu& menu, int id)
    {
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
            if (it.getItem().itemID == id)
                return &it.getItem();
        return nullptr;
    }
    static const juce::PopupMenu* Submenu(const juce::PopupMenu& menu, int index)
    {
        int i = 0;
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next(); ++i)
            if (i == index)
                return it.getItem().subMenu.get();
        return nullptr;
    }
    juce::File RecentFile(const std::string& name)
    {
        const juce::File file(juce::String(folder.file(name).string()));
        EXPECT_TRUE(file.replaceWithText("<songlist/>"));
        return file;
    }

    MainCommands mainCommands;
};

// The five menus and their items, in the order of the table.
TEST_F(Menus, TheFiveMenus)
{
    MenuBarManager bar(nullptr);
    EXPECT_EQ(bar.getMenuBarNames(), juce::StringArray({"File", "Edit", "View", "Controls", "Help"}));
    const juce::PopupMenu file = bar.getMenuForIndex(0, "File");
    EXPECT_EQ(Ids(file), (std::vector<int>{1, 2, 3, kSubmenu, 4, 5, kSeparator, 6, 31, 7, kSeparator, 8, 9, kSeparator,
                                           32, 33, kSeparator, kQuit}));
    ASSERT_NE(Find(file, kQuit), nullptr);
    EXPECT_EQ(Find(file, kQuit)->text, "Exit");
    EXPECT_EQ(Ids(bar.getMenuForIndex(1, "Edit")),
              (std::vector<int>{10, 11, kSeparator, 35, 36, kSeparator, 12, kSeparator, 13, 14, kSeparator, 38,
                                kSeparator, 39}));
    const juce::PopupMenu view = bar.getMenuForIndex(2, "View");
    EXPECT_EQ(Ids(view), (std::vector<int>{kSubmenu, kSubmenu, kSeparator, 41}));
    EXPECT_EQ(Ids(*Submenu(view, 0)), (std::vector<int>{512, 513, 514, 515, 516, 517, 518, 519}));
    EXPECT_EQ(Ids(*Submenu(view, 1)), (std::vector<int>{768, 769, 770, 771, 772, 773, 774, 775}));
    const juce::PopupMenu controls = bar.getMenuForIndex(3, "Controls");
    EXPECT_EQ(Ids(controls), (std::vector<int>{17, 18, kSeparator, 19, 20, kSeparator, 21, 22}));
    EXPECT_EQ(Find(controls, 17)->text, "Play");
    EXPECT_EQ(Ids(bar.getMenuForIndex(4, "Help")), (std::vector<int>{29, 40, 30}));

    OpenDevice(44100.0);
    AddSong("a.wav", 2.0);
    ASSERT_TRUE(host->SetCurrentTrack(0, true, false));
    host->SetTransportState(CTVHost::kPlaying);
    EXPECT_EQ(Find(bar.getMenuForIndex(3, "Controls"), 17)->text, "Pause");
    host->SetTransportState(CTVHost::kPaused);
    EXPECT_EQ(Find(bar.getMenuForIndex(3, "Controls"), 17)->text, "Play");
}

// Recent lists: deleted ones are left out and the others keep their ids;
// none left disables the submenu; the time follows the language.
TEST_F(Menus, RecentSongLists)
{
    const juce::File a = RecentFile("a.qmpl");
    const juce::File b = RecentFile("b.qmpl");
    const juce::File c = RecentFile("c.qmpl");
    host->GetRecentSongListsForEdit() = {a.getFullPathName(), b.getFullPathName(), c.getFullPathName()};
    ASSERT_TRUE(b.deleteFile());
    juce::PopupMenu recent = MenuBarManager::getRecentSongListMenu();
    EXPECT_EQ(Ids(recent), (std::vector<int>{256, 258}));

    ASSERT_TRUE(a.setLastModificationTime(juce::Time(2009, 0, 5, 14, 5)));
    EXPECT_EQ(MenuBarManager::describeRecentFile(a), "a.qmpl : 5 Jan 2009 2:05pm");

    ASSERT_TRUE(a.deleteFile() && c.deleteFile());
    host->GetRecentSongListsForEdit().add(folder.path().string());
    MenuBarManager bar(nullptr);
    const juce::PopupMenu file = bar.getMenuForIndex(0, "File");
    int index = 0;
    for (juce::PopupMenu::MenuItemIterator it(file); it.next(); ++index)
        if (index == 3)
        {
            ASSERT_NE(it.getItem().subMenu, nullptr);
            EXPECT_FALSE(it.getItem().isEnabled) << "no list left (a folder is no list)";
        }
}

TEST(MenusJapanese, RecentTimeAndName)
{
    struct Scene final : public Menus
    {
        Scene()
            : Menus(qm::test::LanguageSwitch::kJapanese)
        {
        }
        void TestBody() override {}
        using Menus::RecentFile;
    } scene;
    const juce::File file = scene.RecentFile("日本語.qmpl");
    ASSERT_TRUE(file.setLastModificationTime(juce::Time(2009, 0, 5, 14, 5)));
    EXPECT_EQ(MenuBarManager::describeRecentFile(file), juce::String::fromUTF8("日本語.qmpl : 2009/01/05 14:05"));
    const juce::Font font = CTVLookAndFeel::fontForText(file.getFileName(), juce::Font(CTVLookAndFeel::kLatinFace, 15.0f,
                                                                                       juce::Font::plain));
    EXPECT_EQ(font.getTypefaceName(), CTVLookAndFeel::kJapaneseFace);
}

// Shortcut commands are collected in menu order, submenus where they stand,
// only registered commands with a key that the key editor may show.
TEST_F(Menus, CollectShortcutCommands)
{
    MenuBarManager bar(nullptr);
    juce::Array<juce::CommandID> ids;
    Tavrel::collectMenuShortcutCommands(ids, bar.getMenuForIndex(0, "File"), *commands->getKeyMappings());
    EXPECT_EQ(ids, juce::Array<juce::CommandID>({1, 2, 3, 4, 5, 6, 7, 8, kQuit}));

    juce::PopupMenu nested;
    juce::PopupMenu inner;
    inner.addCommandItem(commands, 37);
    nested.addCommandItem(commands, 39);
    nested.addSubMenu("inner", inner);
    nested.addCommandItem(commands, 1);
    nested.addCommandItem(commands, 38);
    nested.addItem(999, "plain item");
    ids.clear();
    Tavrel::collectMenuShortcutCommands(ids, nested, *commands->getKeyMappings());
    EXPECT_EQ(ids, juce::Array<juce::CommandID>({39, 37, 1}));
}

// The list of shortcut keys: categories in menu order, the Controls menu
// starting the second column, the first key of each command.
TEST_F(Menus, ShortcutList)
{
    ShortcutKeyEditor::showShortcutKeyEditor(nullptr); // nothing without a parent
    juce::Component parent;
    parent.setSize(699, 533);
    Show(parent);
    ShortcutKeyEditor::showShortcutKeyEditor(&parent);
    auto* list = ChildOf<ShortcutKeyEditor>(parent);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getBounds(), juce::Rectangle<int>((699 - 640) / 2, (533 - 488) / 2, 640, 488));
    EXPECT_EQ(list->getCategoryNames(), juce::StringArray({"File", "Edit", "View", "Controls", "Help"}));
    const auto texts = list->layout(640);
    const auto find = [&](const juce::String& text) -> const ShortcutKeyEditor::Text* {
        for (const auto& t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    };
    ASSERT_NE(find("Controls"), nullptr);
    EXPECT_EQ(find("Controls")->box.getPosition(), juce::Point<int>(330, 10));
    EXPECT_EQ(find("File")->box.getPosition(), juce::Point<int>(10, 10));
    EXPECT_EQ(find("View"), nullptr) << "no command of the View menu has a key";
    EXPECT_NE(find("F2"), nullptr);
    EXPECT_EQ(find("F3"), nullptr) << "only the first key";
    ASSERT_NE(find("Exit"), nullptr);
    bool quitKey = false;
    for (const auto& t : texts)
        quitKey = quitKey || (t.box.getY() == find("Exit")->box.getY() && t.text == "Ctrl + Q" &&
                              t.justification == juce::Justification::centredRight);
    EXPECT_TRUE(quitKey);
    const juce::Array<juce::CommandID>& edit = list->getCommandLists()[1];
    EXPECT_TRUE(edit.contains(37)) << "a command of no menu goes under its category";

    // Any key, a click inside or a click outside closes it.
    for (int way = 0; way < 3; ++way)
    {
        if (way > 0)
            ShortcutKeyEditor::showShortcutKeyEditor(&parent);
        juce::Component* shown = ChildOf<ShortcutKeyEditor>(parent);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(qm::test::PumpUntil([&] { return shown->isVisible(); }, 5));
        ASSERT_TRUE(Dismiss(parent, *shown, way));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return ChildOf<ShortcutKeyEditor>(parent) == nullptr; }, 5)) << way;
        qm::test::PumpPosted();
        EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), nullptr);
    }
}

// Categories whose commands all lack keys are left out, and everything stays
// in the first column when the Controls menu has none.
TEST_F(Menus, ShortcutListWithoutControls)
{
    for (juce::CommandID id = 17; id <= 28; ++id)
        commands->getKeyMappings()->clearAllKeyPresses(id);
    juce::Component parent;
    parent.setSize(699, 533);
    Show(parent);
    ShortcutKeyEditor::showShortcutKeyEditor(&parent);
    auto* list = ChildOf<ShortcutKeyEditor>(parent);
    ASSERT_NE(list, nullptr);
    for (const auto& t : list->layout(640))
    {
        EXPECT_LT(t.box.getX(), 320) << t.text;
        EXPECT_NE(t.text, "Controls");
    }
    ASSERT_TRUE(qm::test::PumpUntil([&] { return list->isVisible(); }, 5));
    list->close();
    qm::test::PumpPosted();
}

// The about box: its size and colours, the lines' base lines, and closing by
// key, click inside and click outside with one command update each.
TEST_F(Menus, AboutBox)
{
    struct Updates final : public juce::ApplicationCommandManagerListener
    {
        void applicationCommandInvoked(const juce::ApplicationCommandTarget::InvocationInfo&) override {}
        void applicationCommandListChanged() override { ++count; }
        int count = 0;
    } updates;
    commands->addListener(&updates);
    juce::Component parent;
    parent.setSize(699, 533);
    Show(parent);
    for (int way = 0; way < 3; ++way)
    {
        CTVAboutWindow::showAboutWindow(&parent);
        auto* about = ChildOf<CTVAboutWindow>(parent);
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(qm::test::PumpUntil([&] { return about->isVisible(); }, 5));
        if (way == 0)
        {
            EXPECT_EQ(about->getBounds(), juce::Rectangle<int>((699 - 480) / 2, (533 - 360) / 2, 480, 360));
            const juce::Image image = about->createComponentSnapshot(about->getLocalBounds());
            EXPECT_EQ(image.getPixelAt(479, 359), juce::Colour(0xFF282828));
            const auto lines = about->getLines();
            ASSERT_EQ(lines.size(), 4u);
            const int baselines[] = {280, 300, 320, 340};
            for (size_t i = 0; i < 4; ++i)
            {
                EXPECT_EQ(lines[i].baseline, baselines[i]);
                bool white = false;
                for (int y = baselines[i] - 8; y < baselines[i] && !white; ++y)
                    for (int x = 20; x < 200 && !white; ++x)
                        white = image.getPixelAt(x, y) == juce::Colours::white;
                EXPECT_TRUE(white) << lines[i].text;
            }
            EXPECT_EQ(lines[0].text, "Quillmark");
            EXPECT_EQ(lines[1].text, "Version 1.0.0.0");
            EXPECT_EQ(lines[2].text, "Optimized for SSE2 Instruction Set");
            EXPECT_FALSE(lines[3].text.isEmpty());
        }
        qm::test::PumpPosted();
        updates.count = 0;
        ASSERT_TRUE(Dismiss(parent, *about, way));
        ASSERT_TRUE(qm::test::PumpUntil([&] { return ChildOf<CTVAboutWindow>(parent) == nullptr; }, 5)) << way;
        qm::test::PumpFor(500);
        EXPECT_EQ(parent.getNumChildComponents(), 0) << "the fade-out has ended";
        juce::Component* modal = juce::Component::getCurrentlyModalComponent();
        EXPECT_EQ(modal, nullptr) << (modal != nullptr ? typeid(*modal).name() : "");
        EXPECT_EQ(updates.count, 1) << way;
    }
    commands->removeListener(&updates);
}

TEST(MenuLooks, MenusShortcutsAndAbout)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        struct Scene final : public Menus
        {
            explicit Scene(const char* l)
                : Menus(l)
            {
            }
            void TestBody() override {}
            using Menus::language;
            using Menus::RecentFile;
            using Menus::Show;
            using Menus::host;
        } scene(locale);
        const std::string suffix = scene.language.isJapanese() ? "-ja" : "-en";
        const juce::File recent = scene.RecentFile("日本語.qmpl");
        scene.host->GetRecentSongListsForEdit() = {recent.getFullPathName()};
        juce::Component parent;
        parent.setSize(699, 533);
        scene.Show(parent);
        MenuBarManager bar(nullptr);
        const juce::StringArray names = bar.getMenuBarNames();
        for (int i = 0; i < names.size(); ++i)
        {
            juce::PopupMenu menu = bar.getMenuForIndex(i, names[i]);
            menu.showMenuAsync(juce::PopupMenu::Options().withTargetScreenArea({10 + i * 60, 0, 60, 20}));
            qm::test::PumpFor(300);
            const std::string name = "menu-" + std::to_string(i) + suffix;
            const juce::File shot = qm::test::screenshots::captureScreen("MenuLooks", name);
            if (const char* dir = std::getenv("QM_RENDER_DIR"))
                shot.copyFileTo(juce::File(juce::String(dir)).getChildFile(name + ".png"));
            juce::PopupMenu::dismissAllActiveMenus();
            qm::test::PumpPosted();
        }
        // Each fading window: shown, pictured once its fade-in is over, closed.
        const auto picture = [&](Tavrel::FadingModalWindow* shown, const std::string& name) {
            ASSERT_NE(shown, nullptr) << name;
            qm::test::PumpFor(600);
            qm::test::KeepRender(qm::test::screenshots::snapshot(*shown, "MenuLooks", name + suffix), name + suffix);
            shown->close();
            qm::test::PumpFor(500);
        };
        ShortcutKeyEditor::showShortcutKeyEditor(&parent);
        picture(ChildOf<ShortcutKeyEditor>(parent), "shortcut-keys");
        CTVAboutWindow::showAboutWindow(&parent);
        picture(ChildOf<CTVAboutWindow>(parent), "about");
    }
}
} // namespace
