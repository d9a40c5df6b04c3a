#include <gtest/gtest.h>

#include "platform/fonts/FaceCoverage.h"
#include "tests/app/TestResources.h"
#include "ui/look/CTVLookAndFeel.h"

namespace
{
using qm::test::TestResources;

TestResources::File Table(const std::string& language)
{
    const bool ja = language == "ja";
    return TestResources::StringTable({{"Common_Language", language},
                                       {"Common_LanguageName", ja ? "Japanese" : "English"},
                                       {"Juce_Open", ja ? "\xe9\x96\x8b\xe3\x81\x8f" : "Open it"},
                                       {"Juce_NoRecentlySelectedFiles", "(none yet)"}},
                                      language);
}

// Holds the look-and-feel over a string table of the language, and removes
// its translations afterwards.
struct LookAndFeelScope
{
    explicit LookAndFeelScope(const std::string& language)
        : resources({Table(language)}, language),
          lookAndFeel(CTVLookAndFeel::GetInstance())
    {
    }
    ~LookAndFeelScope()
    {
        CTVLookAndFeel::Release();
        juce::LocalisedStrings::setCurrentMappings(nullptr);
    }
    TestResources resources;
    CTVLookAndFeel* lookAndFeel;
};
} // namespace

TEST(CTVLookAndFeel, FontKindsFollowTheLanguage)
{
    struct Case
    {
        const char* language;
        int kind;
        const char* face;
    };
    const Case cases[] = {
        {"en", 0, CTVLookAndFeel::kLatinFace},    {"en", 1, CTVLookAndFeel::kLatinFace},
        {"en", 2, CTVLookAndFeel::kLatinFace},    {"en", 7, CTVLookAndFeel::kLatinFace},
        {"ja", 0, CTVLookAndFeel::kLatinFace},    {"ja", 1, CTVLookAndFeel::kJapaneseFace},
        {"ja", 2, CTVLookAndFeel::kJapaneseFace}, {"ja", 3, CTVLookAndFeel::kLatinFace},
        {"ja", 9, CTVLookAndFeel::kJapaneseFace},
    };
    for (const auto& c : cases)
    {
        LookAndFeelScope scope(c.language);
        ASSERT_NE(scope.lookAndFeel, nullptr);
        const auto font = scope.lookAndFeel->getFont(c.kind, 12.0f, juce::Font::plain);
        EXPECT_EQ(font.getTypefaceName(), c.face) << c.language << " kind " << c.kind;
        EXPECT_FLOAT_EQ(font.getHeight(), 12.0f);
        // The face is really installed, not replaced by a fallback.
        EXPECT_EQ(font.getTypefacePtr()->getName(), c.face) << c.language << " kind " << c.kind;
    }
}

TEST(CTVLookAndFeel, LetterSpacingKindsAndMenuFonts)
{
    LookAndFeelScope scope("en");
    auto& lookAndFeel = *scope.lookAndFeel;
    EXPECT_FLOAT_EQ(lookAndFeel.getFont(3, 10.0f, 0).getExtraKerningFactor(), 0.0f);
    EXPECT_FLOAT_EQ(lookAndFeel.getFont(4, 10.0f, 0).getExtraKerningFactor(), 0.15f);
    EXPECT_TRUE(lookAndFeel.getFont(0, 10.0f, juce::Font::bold).isBold());

    const auto menuFont = lookAndFeel.getPopupMenuFont();
    EXPECT_EQ(menuFont.getTypefaceName(), CTVLookAndFeel::kLatinFace);
    EXPECT_FLOAT_EQ(menuFont.getHeight(), 0.7f * CTVLookAndFeel::kMenuBarHeight);

    juce::Label label("l", "text");
    label.setFont(juce::Font(17.0f));
    lookAndFeel.setLabelFontKind(label, 2);
    EXPECT_EQ(label.getFont().getTypefaceName(), CTVLookAndFeel::kLatinFace);
    EXPECT_FLOAT_EQ(label.getFont().getHeight(), 17.0f);
}

TEST(CTVLookAndFeel, FrameworkTextsComeFromTheStringTable)
{
    {
        LookAndFeelScope scope("en");
        EXPECT_EQ(TRANS("Open"), "Open it");
        EXPECT_EQ(TRANS("(no recently selected files)"), "(none yet)");
        EXPECT_EQ(TRANS("Home folder"), juce::File::getSpecialLocation(juce::File::userHomeDirectory).getFileName());
        EXPECT_EQ(TRANS("Choose a new directory"), "Choose a new directory");
        scope.lookAndFeel->setChooseDirectoryText("Pick a folder");
        EXPECT_EQ(TRANS("Choose a new directory"), "Pick a folder");
        EXPECT_EQ(TRANS("Open"), "Open it") << "earlier texts stay";
    }
    LookAndFeelScope scope("ja");
    EXPECT_EQ(TRANS("Open"), juce::String::fromUTF8("\xe9\x96\x8b\xe3\x81\x8f"));
    EXPECT_EQ(juce::LocalisedStrings::getCurrentMappings()->getLanguageName(), "Japanese");
}

TEST(ComboBoxLookAndFeel, FontFitsTheBoxAndFallsBackWhenItIsGone)
{
    LookAndFeelScope scope("en");
    auto box = std::make_unique<juce::ComboBox>();
    Tavrel::ComboBoxLookAndFeel boxLook(box.get());

    const std::pair<int, float> sizes[] = {{14, 11.9f}, {30, 15.0f}};
    for (const auto& [height, expected] : sizes)
    {
        box->setSize(100, height);
        EXPECT_NEAR(boxLook.getComboBoxFont(*box).getHeight(), expected, 1e-4f) << height;
        EXPECT_NEAR(boxLook.getPopupMenuFont().getHeight(), expected, 1e-4f) << height;
    }

    box.reset();
    EXPECT_FLOAT_EQ(boxLook.getPopupMenuFont().getHeight(), scope.lookAndFeel->getPopupMenuFont().getHeight());

    juce::Label owner;
    owner.setSize(50, 10);
    Tavrel::ComboBoxLookAndFeel kindLook(&owner, 0);
    EXPECT_NEAR(kindLook.getPopupMenuFont().getHeight(), 8.5f, 1e-4f);
    EXPECT_EQ(kindLook.getPopupMenuFont().getTypefaceName(), CTVLookAndFeel::kLatinFace);
}

TEST(CTVLookAndFeel, DrawsItsWidgetsWithoutFault)
{
    LookAndFeelScope scope("en");
    auto& lookAndFeel = *scope.lookAndFeel;
    juce::Image canvas(juce::Image::ARGB, 200, 100, true);
    juce::Graphics g(canvas);

    juce::TextButton button("OK");
    button.setSize(80, 24);
    lookAndFeel.drawButtonText(g, button, false, false);
    juce::ToggleButton toggle("Option");
    toggle.setSize(120, 24);
    lookAndFeel.drawToggleButton(g, toggle, false, false);

    const juce::Colour textColour = juce::Colours::black;
    for (bool highlighted : {false, true})
        lookAndFeel.drawPopupMenuItem(g, {0, 0, 150, 22}, false, true, highlighted, true, true, "Item", "Ctrl+A",
                                      nullptr, highlighted ? nullptr : &textColour);
    lookAndFeel.drawPopupMenuItem(g, {0, 0, 150, 8}, true, true, false, false, false, {}, {}, nullptr, nullptr);

    for (auto icon : {juce::MessageBoxIconType::WarningIcon, juce::MessageBoxIconType::InfoIcon,
                      juce::MessageBoxIconType::QuestionIcon, juce::MessageBoxIconType::NoIcon})
    {
        juce::AlertWindow alert("t", "Message", icon);
        alert.setSize(200, 100);
        juce::TextLayout layout;
        juce::AttributedString text("Message");
        layout.createLayout(text, 100.0f);
        lookAndFeel.drawAlertBox(g, alert, {10, 10, 180, 60}, layout);
    }

    juce::TableHeaderComponent header;
    lookAndFeel.drawTableHeaderColumn(g, header, "Name", 1, 100, 20, true, false,
                                      juce::TableHeaderComponent::sortedForwards);
    // A pressed header column is filled with its own colour.
    juce::Image column(juce::Image::ARGB, 40, 20, true);
    juce::Graphics columnGraphics(column);
    lookAndFeel.drawTableHeaderColumn(columnGraphics, header, {}, 1, 40, 20, false, true, 0);
    const auto pixel = column.getPixelAt(20, 10);
    EXPECT_EQ(pixel.getAlpha(), 0x88);
    EXPECT_NEAR(pixel.getRed(), 0x99, 2);
    EXPECT_NEAR(pixel.getBlue(), 0xDD, 2);
}

// The user's text in the English interface: a Japanese name draws the same
// pixels as in the Japanese face (not the Latin face's boxes); a Latin name
// stays in the Latin face. Labels, popup-menu items and the chooser of a
// font for a text agree.
TEST(CTVLookAndFeel, UsersTextDrawsInAFaceThatHasItsGlyphs)
{
    juce::ScopedJuceInitialiser_GUI framework;
    ASSERT_TRUE(qm::platform::isFaceInstalled(CTVLookAndFeel::kLatinFace))
        << "the font Liberation Sans is not installed (Debian package fonts-liberation)";
    ASSERT_TRUE(qm::platform::isFaceInstalled(CTVLookAndFeel::kJapaneseFace))
        << "the font IPAGothic is not installed (Debian package fonts-ipafont-gothic)";
    LookAndFeelScope scope("en");
    juce::LookAndFeel::setDefaultLookAndFeel(scope.lookAndFeel);
    const juce::String japanese = juce::CharPointer_UTF8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\xad\x8c");
    auto render = [&](const juce::String& text, const char* face, juce::LookAndFeel& look) {
        juce::Label label("Label", text);
        label.setLookAndFeel(&look);
        label.setFont(juce::Font(face, 15.0f, juce::Font::plain));
        label.setColour(juce::Label::textColourId, juce::Colours::black);
        label.setColour(juce::Label::backgroundColourId, juce::Colours::white);
        label.setSize(200, 22);
        const juce::Image image = label.createComponentSnapshot(label.getLocalBounds(), true, 1.0f);
        label.setLookAndFeel(nullptr);
        return image;
    };
    auto same = [](const juce::Image& a, const juce::Image& b) {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                    return false;
        return true;
    };
    juce::LookAndFeel_V2 plain;
    const juce::Image drawn = render(japanese, CTVLookAndFeel::kLatinFace, *scope.lookAndFeel);
    EXPECT_TRUE(same(drawn, render(japanese, CTVLookAndFeel::kJapaneseFace, plain)));
    EXPECT_FALSE(same(drawn, render(japanese, CTVLookAndFeel::kLatinFace, plain))) << "the Latin face draws boxes";
    EXPECT_TRUE(same(render("Song", "Arial", *scope.lookAndFeel), render("Song", CTVLookAndFeel::kLatinFace, plain)));

    const juce::Font latin(CTVLookAndFeel::kLatinFace, 14.0f, juce::Font::bold);
    EXPECT_EQ(CTVLookAndFeel::fontForText("Song " + japanese, latin).getTypefaceName(), CTVLookAndFeel::kJapaneseFace);
    EXPECT_TRUE(CTVLookAndFeel::fontForText("Song " + japanese, latin).isBold());
    EXPECT_EQ(CTVLookAndFeel::fontForText(juce::CharPointer_UTF8("Caf\xc3\xa9"), latin).getTypefaceName(),
              CTVLookAndFeel::kLatinFace)
        << "accented Latin letters are in the Latin face";
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
}
