#include <gtest/gtest.h>

#include "tests/support/Screenshots.h"
#include "tests/ui/GuiTestHelpers.h"
#include "tests/ui/songlist/SongListFixture.h"

using qm::test::LanguageSwitch;
using qm::test::RowSet;

namespace
{
const juce::String kJapaneseName = juce::CharPointer_UTF8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\xad\x8c");

// The panel in one language, made inside a test.
struct Scene final : public qm::test::SongListFixture
{
    explicit Scene(const char* locale)
        : qm::test::SongListFixture(locale)
    {
    }
    void TestBody() override {}
    using SongListFixture::AddSong;
    using SongListFixture::folder;
    using SongListFixture::host;
    using SongListFixture::panel;
    using SongListFixture::Row;
    using SongListFixture::ShowPanel;
};

bool SamePixels(const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                return false;
    return true;
}

// The label drawn plainly in a face, as a reference.
juce::Image Reference(const LabelWithInlineEditor& label, const char* face)
{
    juce::LookAndFeel_V2 plain;
    juce::Label copy("Label", label.getText());
    copy.setLookAndFeel(&plain);
    copy.setBounds(label.getLocalBounds());
    copy.setFont(juce::Font(face, label.getFont().getHeight(), juce::Font::plain));
    copy.setJustificationType(label.getJustificationType());
    copy.setBorderSize(label.getBorderSize());
    copy.setColour(juce::Label::textColourId, label.findColour(juce::Label::textColourId));
    copy.setColour(juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    copy.setColour(juce::Label::outlineColourId, juce::Colours::transparentBlack);
    juce::Image image = copy.createComponentSnapshot(copy.getLocalBounds(), true, 1.0f);
    copy.setLookAndFeel(nullptr);
    return image;
}

// A Japanese song name in the English interface draws in the Japanese face,
// in its row and its editor; a Latin name stays in the Latin face.
TEST(SongListLooks, JapaneseNamesInTheEnglishInterface)
{
    juce::ScopedJuceInitialiser_GUI framework;
    Scene scene(LanguageSwitch::kEnglish);
    scene.AddSong("a.wav", 0.1);
    scene.host->tracks.back()->setTextField(kJapaneseName, Tavrel::TrackInfo::kSongName, false);
    scene.AddSong("b.wav", 0.1);
    scene.host->tracks.back()->setTextField("Latin name", Tavrel::TrackInfo::kSongName, false);
    scene.host->RebuildNameIndex();
    scene.ShowPanel();

    LabelWithInlineEditor& japanese = scene.Row(0)->getLabel(CTVListItem::kNameLabel);
    const juce::Image drawn = japanese.createComponentSnapshot(japanese.getLocalBounds(), true, 1.0f);
    EXPECT_TRUE(SamePixels(drawn, Reference(japanese, CTVLookAndFeel::kJapaneseFace)));
    EXPECT_FALSE(SamePixels(drawn, Reference(japanese, CTVLookAndFeel::kLatinFace))) << "boxes";
    LabelWithInlineEditor& latin = scene.Row(1)->getLabel(CTVListItem::kNameLabel);
    EXPECT_TRUE(SamePixels(latin.createComponentSnapshot(latin.getLocalBounds(), true, 1.0f),
                           Reference(latin, CTVLookAndFeel::kLatinFace)));

    scene.Row(0)->editName();
    qm::test::PumpPosted();
    ASSERT_NE(japanese.getCurrentTextEditor(), nullptr);
    EXPECT_EQ(japanese.getCurrentTextEditor()->getFont().getTypefaceName(), CTVLookAndFeel::kJapaneseFace);
    japanese.hideEditor(true);
    scene.Row(1)->editName();
    qm::test::PumpPosted();
    EXPECT_EQ(latin.getCurrentTextEditor()->getFont().getTypefaceName(), CTVLookAndFeel::kLatinFace);
    latin.hideEditor(true);
}

// The panel with 30 songs in both languages, kept for the developer to look
// at: Latin and Japanese names, a missing file in red, the current song with
// the speaker, a selection of three and a name being edited.
TEST(SongListLooks, PanelPictures)
{
    juce::ScopedJuceInitialiser_GUI framework;
    for (const char* locale : {LanguageSwitch::kEnglish, LanguageSwitch::kJapanese})
    {
        SCOPED_TRACE(locale);
        Scene scene(locale);
        for (int i = 0; i < 30; ++i)
        {
            scene.AddSong("s" + std::to_string(i) + ".wav", 0.1, i % 3 == 0 ? 48000 : 44100, i % 4 == 0 ? 1 : 2);
            const juce::String name = i % 2 == 0 ? "Song number " + juce::String(i + 1)
                                                 : kJapaneseName + " " + juce::String(i + 1);
            scene.host->tracks.back()->setTextField(name, Tavrel::TrackInfo::kSongName, false);
        }
        scene.host->tracks[0]->lengthMinutes = 62;
        scene.host->RebuildNameIndex();
        std::filesystem::remove(scene.folder.file("s4.wav"));
        EXPECT_FALSE(scene.host->tracks[4]->isReadable());
        scene.ShowPanel(480);
        ASSERT_TRUE(scene.host->SetCurrentTrack(1, true, false));
        scene.host->SetSelection(RowSet({1, 2, 3}), 0);
        qm::test::PumpPosted();
        scene.Row(5)->editName();
        qm::test::PumpPosted();
        const juce::Image image = qm::test::screenshots::snapshot(*scene.panel, "SongListLooks", "panel");
        ASSERT_TRUE(image.isValid());
        // Probes: the selected rows are lighter than the others.
        CTVListBox& list = scene.panel->getListBox();
        const juce::Point<int> selected = list.getBounds().getTopLeft().translated(225, 2 * CTVListBox::kRowHeight + 12);
        const juce::Point<int> other = list.getBounds().getTopLeft().translated(225, 6 * CTVListBox::kRowHeight + 12);
        EXPECT_GT(image.getPixelAt(selected.x, selected.y).getBrightness(),
                  image.getPixelAt(other.x, other.y).getBrightness());
        qm::test::KeepRender(image, juce::String("song-list-panel-") + (scene.language.isJapanese() ? "ja" : "en"));
    }
}
} // namespace
