#pragma once

#include "app/core/CBJXSingleton.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The program's look-and-feel: fonts chosen by the language of the string
// table, the program's colours, the framework's own texts taken from the
// string table, and the font kinds that the program's components ask for.
// One instance, acquired at start-up and released at shut-down.
class CTVLookAndFeel : public juce::LookAndFeel_V2, public CBJXSingleton<CTVLookAndFeel>
{
public:
    // The faces that stand in for the system's: the sans-serif face of
    // English texts and the GUI face of Japanese ones.
    static constexpr const char* kLatinFace = "Liberation Sans";
    static constexpr const char* kJapaneseFace = "IPAGothic";
    // The height of one line of a menu bar, in pixels.
    static constexpr int kMenuBarHeight = 20;

    CTVLookAndFeel();
    ~CTVLookAndFeel() override;

    // Font kinds: 0 the Latin face; 1 the system face; 2 the Latin face, or
    // the system face for Japanese texts; 3 the Latin face without letter
    // spacing; 4 the Latin face with letter spacing 0.15. Kinds 1 and 2 are
    // scaled by their size factors; other kinds are kind 1.
    juce::Font getFont(int kind, float size, int styleFlags) const;

    // The font to draw the text in: the font itself, or the same font in the
    // Japanese face when the text holds a character the font's face has no
    // glyph for (the Latin face has no Japanese glyphs, and the framework
    // draws a box for a missing glyph instead of falling back). Every place
    // that draws the user's own text asks this. Message thread.
    static juce::Font fontForText(const juce::String& text, const juce::Font& font);
    // The property under which the program's alert windows keep their
    // message (the framework's window does not give it back), so that the
    // box is drawn in a face that has the message's characters.
    static constexpr const char* kAlertMessageProperty = "alertMessage";

    bool isJapanese() const { return m_japanese; }
    const juce::String& getSystemFaceName() const { return m_systemFaceName; }

    // Gives the label the font of the kind (0, 1 or 2) at the height of its
    // current font.
    void setLabelFontKind(juce::Label& label, int kind) const;

    // Maps the framework's "Choose a new directory" to the text.
    void setChooseDirectoryText(const juce::String& text);

    // "Arial", which the program's labels ask for, is the metric-compatible
    // Latin face here.
    juce::Typeface::Ptr getTypefaceForFont(const juce::Font& font) override;
    juce::Font getLabelFont(juce::Label& label) override;
    juce::Font getPopupMenuFont() override;
    juce::Font getMenuBarFont(juce::MenuBarComponent& menuBar, int itemIndex, const juce::String& itemText) override;
    int getDefaultMenuBarHeight() override;
    void drawMenuBarBackground(juce::Graphics& g, int width, int height, bool isMouseOverBar,
                               juce::MenuBarComponent& menuBar) override;

    void drawScrollbarButton(juce::Graphics& g, juce::ScrollBar& scrollbar, int width, int height, int buttonDirection,
                             bool isScrollbarVertical, bool isMouseOverButton, bool isButtonDown) override;
    void drawScrollbar(juce::Graphics& g, juce::ScrollBar& scrollbar, int x, int y, int width, int height,
                       bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                       bool isMouseDown) override;

    void drawAlertBox(juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>& textArea,
                      juce::TextLayout& textLayout) override;
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool isMouseOver, bool isButtonDown) override;
    void drawToggleButton(juce::Graphics& g, juce::ToggleButton& button, bool isMouseOver, bool isButtonDown) override;
    void drawTabButtonText(juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown) override;
    void drawTableHeaderColumn(juce::Graphics& g, juce::TableHeaderComponent& header, const juce::String& columnName,
                               int columnId, int width, int height, bool isMouseOver, bool isMouseDown,
                               int columnFlags) override;
    void drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                           bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                           const juce::String& shortcutKeyText, const juce::Drawable* icon,
                           const juce::Colour* textColour) override;

private:
    void installTranslations();

    bool m_japanese = false;
    float m_sizeFactor1 = 1.0f;
    float m_sizeFactor2 = 1.0f;
    juce::Font m_menuBarFont;
    juce::Font m_popupMenuFont;
    juce::String m_systemFaceName;
    juce::Colour m_menuBarColour;
    juce::LookAndFeel_V1 m_fallback;
    juce::String m_translations;
};

namespace Tavrel
{
// Given to single combo boxes so that the box and its popup menu use one of
// the program's font kinds.
class ComboBoxLookAndFeel : public juce::LookAndFeel_V2
{
public:
    // For a combo box: font kind 1 at a size that fits the box.
    explicit ComboBoxLookAndFeel(juce::ComboBox* comboBox);
    // For a component of another kind: its font kind.
    ComboBoxLookAndFeel(juce::Component* component, int fontKind);

    juce::Font getComboBoxFont(juce::ComboBox& box) override;
    juce::Font getPopupMenuFont() override;
    void drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                           bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                           const juce::String& shortcutKeyText, const juce::Drawable* icon,
                           const juce::Colour* textColour) override;

private:
    juce::Font fontFor(float boxHeight) const;

    juce::Component::SafePointer<juce::Component> m_component;
    juce::Component::SafePointer<juce::ComboBox> m_comboBox;
    int m_fontKind = 1;
};
} // namespace Tavrel
