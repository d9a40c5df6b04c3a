#include <gtest/gtest.h>

#include <memory>

#include "tests/support/Screenshots.h"
#include "tests/support/XInput.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/picture/PictureUiFixture.h"
#include "ui/info/InfoEditorSheet.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/widgets/LabelWithInlineEditor.h"

using Tavrel::InfoEditorSheet;
using Tavrel::TrackInfo;
namespace xinput = qm::test::xinput;

namespace
{
class InfoEditor : public qm::test::PictureUiFixture
{
protected:
    explicit InfoEditor(const char* locale = qm::test::LanguageSwitch::kEnglish)
        : PictureUiFixture(locale)
    {
        main.setSize(699, 533);
        Show(main);
        sheet = std::make_unique<InfoEditorSheet>();
        sheet->setVisible(false);
        main.addChildComponent(*sheet);
    }
    ~InfoEditor() override
    {
        if (sheet->getState() == CBfcSheet::kOpen)
            sheet->close();
        qm::test::PumpPosted();
        sheet.reset();
        if (window != nullptr)
            window->removeFromDesktop();
        window.reset();
    }

    void Open()
    {
        ASSERT_TRUE(sheet->open());
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kOpen; }, 5));
        PicturesSettled();
    }
    void PicturesSettled()
    {
        qm::test::PumpPosted();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return !sheet->getPictureView().isLoading(); }, 10));
        qm::test::PumpPosted();
    }
    // Clicks as the framework does, after the click's message.
    static void Click(juce::Button& button)
    {
        button.triggerClick();
        qm::test::PumpPosted();
    }
    void Ok()
    {
        sheet->getOkButton().triggerClick();
        ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    }
    LabelWithInlineEditor& Field(int field) { return *sheet->getBindingForField(field).editor; }
    juce::ToggleButton& Toggle(int field) { return *sheet->getBindingForField(field).toggle; }
    // Types into a field as the user would commit it.
    void Type(int field, const juce::String& text)
    {
        Field(field).showEditor();
        ASSERT_NE(Field(field).getOpenEditor(), nullptr);
        Field(field).getOpenEditor()->setText(text, true);
        Field(field).hideEditor(false);
    }
    juce::String SongText(int row, int field) const { return host->GetTrack(row)->getTextField(field); }
    void Set(int row, int field, const juce::String& text) { host->GetTrack(row)->setTextField(text, field, false); }
    juce::StringArray Names() const
    {
        juce::StringArray names;
        for (int i = 0; i < host->GetTrackCount(); ++i)
            names.add(SongText(i, TrackInfo::kSongName));
        return names;
    }
    void Songs(int count)
    {
        for (int i = 0; i < count; ++i)
            Named({"Song " + juce::String(i + 1)});
    }

    juce::Component main{"Main"};
    std::unique_ptr<InfoEditorSheet> sheet;
};

// Opening with no selection selects and edits every song; equal values are
// shown, differing ones leave their field empty and untouched by OK, while
// a ticked empty field writes empty texts.
TEST_F(InfoEditor, OpeningMergesTheSongsValues)
{
    Named({"one", "two", "three"});
    Set(0, TrackInfo::kTitle, "A");
    Set(1, TrackInfo::kTitle, "B");
    for (int row = 0; row < 3; ++row)
        Set(row, TrackInfo::kArtist, "Band");
    Open();
    EXPECT_EQ(host->GetSelection().size(), 3);
    EXPECT_EQ(sheet->getEditedSongs().size(), 3);
    EXPECT_EQ(Field(TrackInfo::kTitle).getText(), "");
    EXPECT_FALSE(Toggle(TrackInfo::kTitle).getToggleState());
    EXPECT_EQ(Field(TrackInfo::kArtist).getText(), "Band");
    Ok();
    EXPECT_EQ(SongText(0, TrackInfo::kTitle), "A");
    EXPECT_EQ(SongText(1, TrackInfo::kTitle), "B");
    EXPECT_EQ(commands->getNumTransactions(), 1) << "OK makes one step even when it changes nothing";

    host->SelectRange(2, 0, 0);
    Open();
    EXPECT_EQ(sheet->getEditedSongs().size(), 2);
    Toggle(TrackInfo::kTitle).setToggleState(true, juce::sendNotification);
    Ok();
    EXPECT_EQ(SongText(0, TrackInfo::kTitle), "");
    EXPECT_EQ(SongText(1, TrackInfo::kTitle), "");
    EXPECT_EQ(SongText(2, TrackInfo::kArtist), "Band");
}

// A date or time shows only when all its parts agree.
TEST_F(InfoEditor, DateAndTimeShowOnlyWhenWhole)
{
    Named({"one", "two"});
    const struct
    {
        int field;
        const char* first;
        const char* second;
    } values[] = {{TrackInfo::kYear, "2009", "2009"}, {TrackInfo::kMonth, "01", "02"}, {TrackInfo::kDay, "05", "05"},
                  {TrackInfo::kHour, "10", "10"},     {TrackInfo::kMinute, "20", "20"}, {TrackInfo::kSecond, "30", "30"}};
    for (const auto& v : values)
    {
        Set(0, v.field, v.first);
        Set(1, v.field, v.second);
    }
    Open();
    for (int field : {TrackInfo::kYear, TrackInfo::kMonth, TrackInfo::kDay})
        EXPECT_EQ(Field(field).getText(), "") << field;
    EXPECT_EQ(Field(TrackInfo::kHour).getText(), SongText(0, TrackInfo::kHour));
    EXPECT_EQ(Field(TrackInfo::kSecond).getText(), SongText(0, TrackInfo::kSecond));

    // Typed text takes the song model's form and ticks the box.
    Type(TrackInfo::kYear, "2010");
    EXPECT_TRUE(Toggle(TrackInfo::kYear).getToggleState());
    Field(TrackInfo::kMonth).setText("x7y", juce::sendNotification);
    Tavrel::TrackInfo model;
    model.setTextField("x7y", TrackInfo::kMonth, false);
    EXPECT_EQ(Field(TrackInfo::kMonth).getText(), model.getTextField(TrackInfo::kMonth));
    EXPECT_FALSE(Field(TrackInfo::kMonth).getText().containsAnyOf("xy"));
}

// Real typing into the artist field ticks ARTIST; the separator drops digits.
TEST_F(InfoEditor, TypingTicksAndTheSeparatorDropsDigits)
{
    Named({"one", "two"});
    Open();
    ASSERT_TRUE(xinput::click(Field(TrackInfo::kArtist), {20, 11}));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Field(TrackInfo::kArtist).getOpenEditor() != nullptr; }, 5));
    ASSERT_TRUE(xinput::type(*window, "Band"));
    ASSERT_TRUE(xinput::key(*window, "Return"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return Toggle(TrackInfo::kArtist).getToggleState(); }, 5));
    EXPECT_EQ(Field(TrackInfo::kArtist).getText(), "Band");
    EXPECT_FALSE(Toggle(TrackInfo::kTitle).getToggleState());

    sheet->getSeparatorField().showEditor();
    sheet->getSeparatorField().getOpenEditor()->setText("a1b2c", true);
    sheet->getSeparatorField().hideEditor(false);
    EXPECT_EQ(sheet->getSeparatorField().getText(), "abc");
    EXPECT_EQ(sheet->getSeparatorField().getOpenEditor(), nullptr);
}

// Index options on one name.
TEST(InfoEditorIndex, Rules)
{
    const struct
    {
        const char* text;
        bool remove, insert;
        const char* separator;
        int position, count;
        const char* result;
    } cases[] = {
        {"Song", false, true, "_", 0, 10, "01_Song"},
        {"Song", false, true, "_", 9, 10, "10_Song"},
        {"Song", false, true, "_", 2, 12, "03_Song"},
        {"Song", false, true, "_", 2, 9, "3_Song"},
        {"Song", false, true, "", 0, 100, "001Song"},
        {"01_Song", true, false, "_", 0, 10, "Song"},
        {"2009 Song", true, false, "_", 0, 10, "2009 Song"},
        {"12 Song", true, false, "", 0, 10, " Song"},
        {"_Song", true, false, "_", 0, 10, "Song"},
        {"123", true, false, "_", 0, 10, "123"},
        {"123", true, false, "", 0, 10, ""},
        {"01-Song", true, false, "_", 0, 10, "01-Song"},
        {"Song", false, false, "_", 0, 10, "Song"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InfoEditorSheet::applyIndexOptions(c.text, c.remove, c.insert, c.separator, c.position, c.count),
                  juce::String(c.result))
            << c.text << " remove " << c.remove << " insert " << c.insert;
}

// Ten songs numbered and unnumbered again; one undo puts back every field,
// name and picture and selects the edited songs.
TEST_F(InfoEditor, CommitIsOneUndoStep)
{
    Songs(10);
    const juce::File picture = Picture("cover.png", 40, 30);
    for (int row = 0; row < 10; ++row)
        Set(row, TrackInfo::kTitle, "T" + juce::String(row));
    const juce::StringArray before = Names();
    host->SelectRange(10, 0, 0);
    Open();
    Click(sheet->getInsertToggle());
    sheet->getSeparatorField().setText("_", juce::dontSendNotification);
    Type(TrackInfo::kAlbum, "Live");
    sheet->getPictureView().setImageFile(picture, true);
    EXPECT_TRUE(sheet->getPictureToggle().getToggleState());
    PicturesSettled();
    Ok();
    EXPECT_EQ(Names()[0], "01_Song 1");
    EXPECT_EQ(Names()[9], "10_Song 10");
    for (int row = 0; row < 10; ++row)
    {
        EXPECT_EQ(SongText(row, TrackInfo::kAlbum), "Live");
        EXPECT_EQ(host->GetTrack(row)->getPicturePath(), picture.getFullPathName());
    }
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_EQ(commands->getUndoText(), Text("Menu_Item_Undo") + " : Batch Edit Metadata");

    host->SelectRange(1, 4, 0);
    ASSERT_TRUE(commands->undo());
    EXPECT_EQ(Names(), before);
    for (int row = 0; row < 10; ++row)
    {
        EXPECT_EQ(SongText(row, TrackInfo::kAlbum), "");
        EXPECT_EQ(host->GetTrack(row)->getPicturePath(), "");
    }
    EXPECT_EQ(host->GetSelection().size(), 10) << "the edited songs are selected again";
    ASSERT_TRUE(commands->redo());
    EXPECT_EQ(Names()[0], "01_Song 1");

    host->SelectRange(10, 0, 0);
    Open();
    Click(sheet->getRemoveToggle());
    EXPECT_FALSE(sheet->getInsertToggle().getToggleState()) << "the opening switched both off";
    Click(sheet->getInsertToggle());
    EXPECT_FALSE(sheet->getRemoveToggle().getToggleState()) << "insert and remove exclude each other";
    Click(sheet->getRemoveToggle());
    EXPECT_FALSE(sheet->getInsertToggle().getToggleState());
    EXPECT_EQ(sheet->getSeparatorField().getText(), "_") << "the separator is kept between uses";
    Ok();
    EXPECT_EQ(Names(), before);
}

// Songs with different pictures: the view says so and the toggle is off
// until a picture is dropped on it; OK gives all songs that picture. An
// unreadable picture is written only when ticked.
TEST_F(InfoEditor, DifferentPictures)
{
    Named({"one", "two"});
    host->GetTrack(0)->setPicturePath(Picture("a.png", 40, 30).getFullPathName());
    host->GetTrack(1)->setPicturePath(Picture("b.png", 40, 30).getFullPathName());
    Open();
    EXPECT_EQ(sheet->getPictureView().getMessageLabel().getText(), "Multiple pictures attached");
    EXPECT_TRUE(sheet->getPictureView().getMessageLabel().isVisible());
    EXPECT_FALSE(sheet->getPictureToggle().isEnabled());
    EXPECT_EQ(sheet->getPictureView().getImageFile(), "");

    const juce::File dropped = Picture("dropped.png", 50, 50, juce::Colours::green);
    ASSERT_TRUE(sheet->getPictureView().isInterestedInFileDrag({dropped.getFullPathName()}));
    sheet->getPictureView().filesDropped({dropped.getFullPathName()}, 10, 10);
    EXPECT_TRUE(sheet->getPictureToggle().isEnabled());
    EXPECT_TRUE(sheet->getPictureToggle().getToggleState());
    PicturesSettled();
    Ok();
    EXPECT_EQ(host->GetTrack(0)->getPicturePath(), dropped.getFullPathName());
    EXPECT_EQ(host->GetTrack(1)->getPicturePath(), dropped.getFullPathName());

    // A cancelled chooser changes nothing.
    Open();
    EXPECT_TRUE(sheet->getPictureToggle().isEnabled());
    ChooserAnswers(juce::File());
    Click(sheet->getPictureView().getPictureButton());
    EXPECT_FALSE(sheet->getPictureToggle().getToggleState());
    EXPECT_EQ(sheet->getPictureView().getImageFile(), dropped.getFullPathName());

    // An unreadable picture: shown as such, written only when ticked.
    const juce::File bad(juce::String(folder.file("x.png").string()));
    ASSERT_TRUE(bad.replaceWithText("not a picture"));
    ChooserAnswers(bad);
    Click(sheet->getPictureView().getPictureButton());
    PicturesSettled();
    EXPECT_EQ(sheet->getPictureView().getMessageLabel().getText(), "Cannot read the attached picture");
    sheet->getPictureToggle().setToggleState(false, juce::sendNotification);
    Ok();
    EXPECT_EQ(host->GetTrack(0)->getPicturePath(), dropped.getFullPathName());
    Open();
    ChooserAnswers(bad);
    Click(sheet->getPictureView().getPlaceholderButton());
    PicturesSettled();
    Ok();
    EXPECT_EQ(host->GetTrack(1)->getPicturePath(), bad.getFullPathName());
}

// Ctrl+Shift+I and Escape are the sheet's keys only while it is open.
TEST_F(InfoEditor, KeysOnlyWhileOpen)
{
    Named({"one"});
    ASSERT_TRUE(xinput::focusWindow(*window));
    ASSERT_TRUE(xinput::key(*window, "ctrl+shift+i"));
    qm::test::PumpPosted();
    EXPECT_EQ(commands->getNumTransactions(), 0);
    Open();
    Type(TrackInfo::kGenre, "Jazz");
    ASSERT_TRUE(xinput::key(*window, "ctrl+shift+i"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    EXPECT_EQ(SongText(0, TrackInfo::kGenre), "Jazz");
    EXPECT_EQ(commands->getNumTransactions(), 1);

    Open();
    Type(TrackInfo::kGenre, "Rock");
    ASSERT_TRUE(xinput::key(*window, "Escape"));
    ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
    EXPECT_EQ(SongText(0, TrackInfo::kGenre), "Jazz");
    EXPECT_EQ(commands->getNumTransactions(), 1);
    EXPECT_FALSE(sheet->getOkButton().isRegisteredForShortcut(
        juce::KeyPress('i', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0)));
    EXPECT_FALSE(sheet->getCancelButton().isRegisteredForShortcut(juce::KeyPress(juce::KeyPress::escapeKey)));
}

// A Japanese artist pasted into a field is drawn in the Japanese face.
TEST_F(InfoEditor, JapaneseTextInTheJapaneseFace)
{
    Named({"one"});
    Open();
    const juce::String artist = juce::String::fromUTF8("山田太郎");
    Field(TrackInfo::kArtist).showEditor();
    Field(TrackInfo::kArtist).getOpenEditor()->insertTextAtCaret(artist);
    Field(TrackInfo::kArtist).hideEditor(false);
    ASSERT_EQ(Field(TrackInfo::kArtist).getText(), artist);
    LabelWithInlineEditor& field = Field(TrackInfo::kArtist);
    const juce::Image drawn = field.createComponentSnapshot(field.getLocalBounds(), true, 1.0f);

    juce::Label expected("expected", artist);
    expected.setSize(field.getWidth(), field.getHeight());
    for (int id : {juce::Label::backgroundColourId, juce::Label::outlineColourId, juce::Label::textColourId})
        expected.setColour(id, field.findColour(id));
    juce::Font font = field.getFont();
    font.setTypefaceName(CTVLookAndFeel::kJapaneseFace);
    expected.setFont(font);
    const juce::Image reference = expected.createComponentSnapshot(expected.getLocalBounds(), true, 1.0f);
    int differing = 0;
    for (int y = 0; y < drawn.getHeight(); ++y)
        for (int x = 0; x < drawn.getWidth(); ++x)
            differing += drawn.getPixelAt(x, y) != reference.getPixelAt(x, y);
    EXPECT_EQ(differing, 0);
}

// Pictures of the sheet in both languages, kept as test artefacts:
//   QM_RENDER_DIR=/tmp/renders tests/support/own-display.sh
//     build/asan/tests/test_ui_gui --gtest_filter='InfoEditorLooks*'
TEST(InfoEditorLooks, Pictures)
{
    for (const char* locale : {qm::test::LanguageSwitch::kEnglish, qm::test::LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        struct Scene final : public InfoEditor
        {
            explicit Scene(const char* l)
                : InfoEditor(l)
            {
            }
            void TestBody() override {}
            void Keep(const std::string& name)
            {
                qm::test::PumpFor(300);
                const std::string full = name + (language.isJapanese() ? "-ja" : "-en");
                const juce::Image image = qm::test::screenshots::snapshot(main, "InfoEditorLooks", full);
                qm::test::KeepRender(image, full);
            }
            void Close()
            {
                Click(sheet->getCancelButton());
                ASSERT_TRUE(qm::test::PumpUntil([&] { return sheet->getState() == CBfcSheet::kClosed; }, 5));
            }
            using InfoEditor::host;
            using InfoEditor::Named;
            using InfoEditor::Open;
            using InfoEditor::Picture;
            using InfoEditor::Set;
        } scene(locale);
        scene.Named({"one", "two"});
        const juce::String artist = locale == qm::test::LanguageSwitch::kJapanese ? juce::String::fromUTF8("山田太郎")
                                                                                  : juce::String("The Band");
        for (int row = 0; row < 2; ++row)
        {
            scene.Set(row, TrackInfo::kTitle, "Same Title");
            scene.Set(row, TrackInfo::kArtist, artist);
            scene.Set(row, TrackInfo::kYear, "2009");
            scene.Set(row, TrackInfo::kMonth, "1");
            scene.Set(row, TrackInfo::kDay, "5");
            scene.Set(row, TrackInfo::kHour, "9");
            scene.Set(row, TrackInfo::kMinute, "30");
            scene.Set(row, TrackInfo::kSecond, "0");
        }
        scene.Open();
        scene.Keep("equal-values");
        scene.Close();

        scene.Set(1, TrackInfo::kTitle, "Another Title");
        scene.Set(1, TrackInfo::kMonth, "2");
        scene.host->GetTrack(0)->setPicturePath(scene.Picture("a.png", 40, 30).getFullPathName());
        scene.host->GetTrack(1)->setPicturePath(scene.Picture("b.png", 40, 30).getFullPathName());
        scene.Open();
        scene.Keep("mixed-values");
        scene.Close();

        const juce::File cover = scene.Picture("cover.jpg", 300, 200, juce::Colours::darkorange);
        scene.host->GetTrack(0)->setPicturePath(cover.getFullPathName());
        scene.host->GetTrack(1)->setPicturePath(cover.getFullPathName());
        scene.Open();
        scene.Keep("with-picture");
        scene.Close();
    }
}
} // namespace
