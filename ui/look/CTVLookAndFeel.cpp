#include "ui/look/CTVLookAndFeel.h"

#include "app/core/CBJXResource.h"
#include "platform/fonts/FaceCoverage.h"

namespace
{
// The framework's English texts and the string-table keys of their
// translations.
struct FrameworkText
{
    const char* english;
    const char* key;
};
constexpr FrameworkText kFrameworkTexts[] = {
    {"(no recently seleced files)", "Juce_NoRecentlySelectedFiles"},
    // The framework spells this text correctly now; both spellings are
    // mapped so that the translation is found.
    {"(no recently selected files)", "Juce_NoRecentlySelectedFiles"},
    {"Open", "Juce_Open"},
    {"Cancel", "Juce_Cancel"},
    {"Documents", "Juce_Documents"},
    {"Desktop", "Juce_Desktop"},
    {"file:", "Juce_File"},
};

juce::String translationLine(const juce::String& english, const juce::String& translated)
{
    return english.quoted() + " = " + translated.quoted() + "\n";
}

void drawFittedText(juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area,
                    juce::Justification justification, int maxLines)
{
    g.drawFittedText(text, area, justification, juce::jmax(1, maxLines), 0.7f);
}
} // namespace

CTVLookAndFeel::CTVLookAndFeel()
    : m_menuBarFont(juce::Font::getDefaultSansSerifFontName(), 14.0f, juce::Font::plain),
      m_popupMenuFont(juce::Font::getDefaultSansSerifFontName(), 14.0f, juce::Font::plain)
{
    m_japanese = CBJXResource::GetString("Common_Language") == "ja";

    // The system's GUI face; Japanese texts need a face with Japanese glyphs.
    m_systemFaceName = m_japanese ? kJapaneseFace : kLatinFace;
    setDefaultSansSerifTypefaceName(m_systemFaceName);

    m_menuBarColour = juce::Colour(0xFFF0F0F0); // the button face of the system's colour scheme

    m_menuBarFont = getFont(2, 0.7f * static_cast<float>(kMenuBarHeight), juce::Font::plain);
    m_popupMenuFont = m_menuBarFont;

    setColour(juce::ScrollBar::backgroundColourId, m_fallback.findColour(juce::ScrollBar::backgroundColourId));
    setColour(juce::ScrollBar::thumbColourId, m_fallback.findColour(juce::ScrollBar::thumbColourId));
    setColour(juce::ProgressBar::backgroundColourId, juce::Colour(0xFFFFFFFF));
    setColour(juce::ProgressBar::foregroundColourId, juce::Colour(0xFFADD8E6));

    m_translations = "language: " + CBJXResource::GetString("Common_LanguageName") +
                     "\ncountries: " + CBJXResource::GetString("Common_Language") + "\n\n";
    for (const auto& text : kFrameworkTexts)
        m_translations += translationLine(text.english, CBJXResource::GetString(text.key));
    m_translations +=
        translationLine("Home folder", juce::File::getSpecialLocation(juce::File::userHomeDirectory).getFileName());
    installTranslations();
}

CTVLookAndFeel::~CTVLookAndFeel() = default;

void CTVLookAndFeel::installTranslations()
{
    // The framework deletes the mappings it replaces, under its own lock.
    juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(m_translations, false));
}

void CTVLookAndFeel::setChooseDirectoryText(const juce::String& text)
{
    m_translations += translationLine("Choose a new directory", text);
    installTranslations();
}

juce::Font CTVLookAndFeel::getFont(int kind, float size, int styleFlags) const
{
    switch (kind)
    {
    case 0:
        return juce::Font(kLatinFace, size, styleFlags);
    case 2:
        return juce::Font(m_japanese ? m_systemFaceName : juce::String(kLatinFace), size * m_sizeFactor2, styleFlags);
    case 3:
    case 4: {
        juce::Font font(kLatinFace, size, styleFlags);
        font.setExtraKerningFactor(kind == 3 ? 0.0f : 0.15f);
        return font;
    }
    case 1:
    default:
        return juce::Font(m_systemFaceName, size * m_sizeFactor1, styleFlags);
    }
}

juce::Font CTVLookAndFeel::fontForText(const juce::String& text, const juce::Font& font)
{
    bool ascii = true;
    for (const juce::juce_wchar c : text)
        ascii = ascii && c < 0x80;
    if (ascii)
        return font;
    const juce::Typeface::Ptr typeface = font.getTypefacePtr();
    const juce::String family = typeface != nullptr ? typeface->getName() : font.getTypefaceName();
    if (family.equalsIgnoreCase(kJapaneseFace))
        return font;
    std::u32string characters;
    characters.reserve(static_cast<size_t>(text.length()));
    for (const juce::juce_wchar c : text)
        characters.push_back(static_cast<char32_t>(c));
    if (qm::platform::faceCoversText(family.toStdString(), characters))
        return font;
    juce::Font fallback(font);
    fallback.setTypefaceName(kJapaneseFace);
    return fallback;
}

juce::Typeface::Ptr CTVLookAndFeel::getTypefaceForFont(const juce::Font& font)
{
    if (font.getTypefaceName().equalsIgnoreCase("Arial"))
    {
        juce::Font latin(font);
        latin.setTypefaceName(kLatinFace);
        return juce::LookAndFeel_V2::getTypefaceForFont(latin);
    }
    return juce::LookAndFeel_V2::getTypefaceForFont(font);
}

juce::Font CTVLookAndFeel::getLabelFont(juce::Label& label)
{
    return fontForText(label.getText(), label.getFont());
}

void CTVLookAndFeel::setLabelFontKind(juce::Label& label, int kind) const
{
    label.setFont(getFont(kind, label.getFont().getHeight(), juce::Font::plain));
    label.setCachedComponentImage(nullptr);
    if (label.isVisible())
        label.repaint();
}

juce::Font CTVLookAndFeel::getPopupMenuFont()
{
    return m_popupMenuFont;
}

juce::Font CTVLookAndFeel::getMenuBarFont(juce::MenuBarComponent&, int, const juce::String&)
{
    return m_menuBarFont;
}

int CTVLookAndFeel::getDefaultMenuBarHeight()
{
    return kMenuBarHeight;
}

void CTVLookAndFeel::drawMenuBarBackground(juce::Graphics& g, int width, int height, bool, juce::MenuBarComponent&)
{
    if (m_menuBarColour.isTransparent())
        return;
    g.setColour(m_menuBarColour);
    g.fillRect(0, 0, width, height);
}

void CTVLookAndFeel::drawScrollbarButton(juce::Graphics& g, juce::ScrollBar& scrollbar, int width, int height,
                                         int buttonDirection, bool isScrollbarVertical, bool isMouseOverButton,
                                         bool isButtonDown)
{
    m_fallback.drawScrollbarButton(g, scrollbar, width, height, buttonDirection, isScrollbarVertical, isMouseOverButton,
                                   isButtonDown);
}

void CTVLookAndFeel::drawScrollbar(juce::Graphics& g, juce::ScrollBar& scrollbar, int x, int y, int width, int height,
                                   bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                                   bool isMouseDown)
{
    m_fallback.drawScrollbar(g, scrollbar, x, y, width, height, isScrollbarVertical, thumbStartPosition, thumbSize,
                             isMouseOver, isMouseDown);
}

void CTVLookAndFeel::drawAlertBox(juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>& textArea,
                                  juce::TextLayout& textLayout)
{
    g.fillAll(alert.findColour(juce::AlertWindow::backgroundColourId));

    constexpr int kIconWidth = 80;
    int iconSize = juce::jmin(kIconWidth + 50, alert.getHeight() + 20);
    if (alert.containsAnyExtraComponents() || alert.getNumButtons() > 2)
        iconSize = juce::jmin(iconSize, textArea.getHeight() + 50);
    const juce::Rectangle<int> iconRect(iconSize / -10, iconSize / -10, iconSize, iconSize);

    int iconSpaceUsed = 0;
    const auto type = alert.getAlertType();
    if (type != juce::MessageBoxIconType::NoIcon)
    {
        juce::Path icon;
        juce::juce_wchar symbol = '?';
        juce::uint32 colour = 0x2800AA00;
        if (type == juce::MessageBoxIconType::WarningIcon)
        {
            symbol = '!';
            colour = 0x33FF0000;
            icon.addTriangle(static_cast<float>(iconRect.getCentreX()), static_cast<float>(iconRect.getY()),
                             static_cast<float>(iconRect.getRight()), static_cast<float>(iconRect.getBottom()),
                             static_cast<float>(iconRect.getX()), static_cast<float>(iconRect.getBottom()));
            icon = icon.createPathWithRoundedCorners(5.0f);
        }
        else
        {
            if (type == juce::MessageBoxIconType::InfoIcon)
            {
                symbol = 'i';
                colour = 0x280000FF;
            }
            icon.addEllipse(iconRect.toFloat());
        }

        juce::GlyphArrangement glyphs;
        glyphs.addFittedText(getFont(0, static_cast<float>(iconRect.getHeight()) * 0.9f, juce::Font::bold),
                             juce::String::charToString(symbol), static_cast<float>(iconRect.getX()),
                             static_cast<float>(iconRect.getY()), static_cast<float>(iconRect.getWidth()),
                             static_cast<float>(iconRect.getHeight()), juce::Justification::centred, 1);
        glyphs.createPath(icon);
        icon.setUsingNonZeroWinding(false);
        g.setColour(juce::Colour(colour));
        g.fillPath(icon);
        iconSpaceUsed = kIconWidth;
    }

    g.setColour(alert.findColour(juce::AlertWindow::textColourId));
    // The window laid its text out in the plain fonts; a title or message
    // with characters the face lacks is laid out again in the face that has
    // them, as the window does it.
    const juce::Font titleFont = getAlertWindowTitleFont();
    const juce::Font messageFont = getAlertWindowMessageFont();
    const juce::Font titleDrawn = fontForText(alert.getName(), titleFont);
    const juce::String message = alert.getProperties()[kAlertMessageProperty].toString();
    const juce::Font messageDrawn = fontForText(message, messageFont);
    if (titleDrawn != titleFont || messageDrawn != messageFont)
    {
        juce::AttributedString text;
        text.append(alert.getName(), titleDrawn);
        if (message.isNotEmpty())
            text.append("\n\n" + message, messageDrawn);
        text.setColour(alert.findColour(juce::AlertWindow::textColourId));
        text.setJustification(type == juce::MessageBoxIconType::NoIcon ? juce::Justification::centredTop
                                                                       : juce::Justification::topLeft);
        juce::TextLayout relaid;
        relaid.createLayoutWithBalancedLineLengths(text, textLayout.getWidth());
        relaid.draw(g, textArea.withTrimmedLeft(iconSpaceUsed).toFloat());
    }
    else
        textLayout.draw(g, textArea.withTrimmedLeft(iconSpaceUsed).toFloat());
    g.setColour(alert.findColour(juce::AlertWindow::outlineColourId));
    g.drawRect(0, 0, alert.getWidth(), alert.getHeight());
}

void CTVLookAndFeel::drawButtonText(juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto font = getFont(2, getTextButtonFont(button, button.getHeight()).getHeight(), juce::Font::plain);
    g.setFont(font);
    g.setColour(
        button.findColour(juce::TextButton::textColourOffId).withMultipliedAlpha(button.isEnabled() ? 1.0f : 0.5f));

    const int w = button.getWidth();
    const int h = button.getHeight();
    const int yIndent = juce::jmin(4, juce::roundToInt(static_cast<float>(h) * 0.3f));
    const int cornerSize = juce::jmin(w, h) / 2;
    const int fontHeight = juce::roundToInt(font.getHeight() * 0.6f);
    const int leftIndent = juce::jmin(fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const int rightIndent = juce::jmin(fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    drawFittedText(g, button.getButtonText(), {leftIndent, yIndent, w - leftIndent - rightIndent, h - yIndent * 2},
                   juce::Justification::centred, 2);
}

void CTVLookAndFeel::drawToggleButton(juce::Graphics& g, juce::ToggleButton& button, bool isMouseOver,
                                      bool isButtonDown)
{
    constexpr int kFocusFillColourId = 0x1000206;
    if (button.hasKeyboardFocus(true))
    {
        g.setColour(button.findColour(kFocusFillColourId));
        g.fillRect(button.getLocalBounds());
    }

    const int w = button.getWidth();
    const int h = button.getHeight();
    const int tick = juce::jmin(h - 4, 20);
    drawTickBox(g, button, 4.0f, static_cast<float>((h - tick) / 2), static_cast<float>(tick), static_cast<float>(tick),
                button.getToggleState(), button.isEnabled(), isMouseOver, isButtonDown);

    g.setColour(
        button.findColour(juce::ToggleButton::textColourId).withMultipliedAlpha(button.isEnabled() ? 1.0f : 0.5f));
    g.setFont(getFont(2, juce::jmin(static_cast<float>(h) * 0.6f, 15.0f), juce::Font::plain));
    drawFittedText(g, button.getButtonText(), {tick + 5, 4, w - (tick + 5) - 2, h - 8},
                   juce::Justification::centredLeft, 10);
}

void CTVLookAndFeel::drawTabButtonText(juce::TabBarButton& button, juce::Graphics& g, bool, bool)
{
    const auto orientation = button.getTabbedButtonBar().getOrientation();
    const bool sideways =
        orientation == juce::TabbedButtonBar::TabsAtLeft || orientation == juce::TabbedButtonBar::TabsAtRight;
    const int depth = sideways ? button.getWidth() : button.getHeight();
    const int length = sideways ? button.getHeight() : button.getWidth();

    auto font = getFont(2, static_cast<float>(depth) * 0.55f, juce::Font::plain);
    font.setUnderline(button.hasKeyboardFocus(false));
    g.setFont(font);
    g.setColour(button.getTabBackgroundColour().contrasting());

    juce::Graphics::ScopedSaveState state(g);
    if (orientation == juce::TabbedButtonBar::TabsAtLeft)
        g.addTransform(juce::AffineTransform::rotation(-juce::MathConstants<float>::halfPi)
                           .translated(0.0f, static_cast<float>(button.getHeight())));
    else if (orientation == juce::TabbedButtonBar::TabsAtRight)
        g.addTransform(juce::AffineTransform::rotation(juce::MathConstants<float>::halfPi)
                           .translated(static_cast<float>(button.getWidth()), 0.0f));
    drawFittedText(g, button.getButtonText().trim(), {0, 0, length, depth}, juce::Justification::centred,
                   juce::jmax(1, depth / 12));
}

void CTVLookAndFeel::drawTableHeaderColumn(juce::Graphics& g, juce::TableHeaderComponent&,
                                           const juce::String& columnName, int, int width, int height, bool isMouseOver,
                                           bool isMouseDown, int columnFlags)
{
    if (isMouseDown)
        g.fillAll(juce::Colour(0x8899AADD));
    else if (isMouseOver)
        g.fillAll(juce::Colour(0x5599AADD));

    int rightOfText = width - 4;
    if ((columnFlags & (juce::TableHeaderComponent::sortedForwards | juce::TableHeaderComponent::sortedBackwards)) != 0)
    {
        const float top = static_cast<float>(height) * 0.5f - 4.0f;
        const float right = static_cast<float>(width) - 4.0f;
        juce::Path triangle;
        if ((columnFlags & juce::TableHeaderComponent::sortedForwards) != 0)
            triangle.addTriangle(right - 8.0f, top + 8.0f, right, top + 8.0f, right - 4.0f, top);
        else
            triangle.addTriangle(right - 8.0f, top, right, top, right - 4.0f, top + 8.0f);
        g.setColour(juce::Colour(0x99000000));
        g.fillPath(triangle);
        rightOfText -= 12;
    }

    g.setColour(juce::Colour(0xFF000000));
    const juce::Font font = fontForText(columnName, getFont(2, static_cast<float>(height) * 0.55f, juce::Font::plain));
    g.setFont(font);
    // Squeezed to no less than 0.7; a name that would still be cut (a
    // Japanese name in a column made for "Drive") is squeezed further rather
    // than shown as "D...".
    const int room = rightOfText - 4;
    const float textWidth = font.getStringWidthFloat(columnName);
    const float scale =
        textWidth * 0.7f > static_cast<float>(room) ? juce::jmax(0.4f, (static_cast<float>(room) - 1.0f) / textWidth) : 0.7f;
    g.drawFittedText(columnName, {4, 0, room, height}, juce::Justification::centredLeft, 1, scale);
}

namespace
{
// The popup-menu item drawing shared by the program's look-and-feels.
void drawMenuItem(juce::LookAndFeel& lookAndFeel, juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator,
                  bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                  const juce::String& shortcutKeyText, const juce::Drawable* icon, const juce::Colour* textColourToUse,
                  juce::Font font)
{
    const int width = area.getWidth();
    const int height = area.getHeight();
    juce::Graphics::ScopedSaveState state(g);
    g.setOrigin(area.getPosition());

    if (isSeparator)
    {
        const float y = static_cast<float>(height / 2);
        g.setColour(juce::Colour(0x33000000));
        g.drawLine(5.5f, y, static_cast<float>(width) - 5.5f, y);
        g.setColour(juce::Colour(0x66FFFFFF));
        g.drawLine(5.5f, y + 1.0f, static_cast<float>(width) - 5.5f, y + 1.0f);
        return;
    }

    auto textColour =
        textColourToUse != nullptr ? *textColourToUse : lookAndFeel.findColour(juce::PopupMenu::textColourId);
    if (isHighlighted)
    {
        g.setColour(lookAndFeel.findColour(juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRect(1, 1, width - 2, height - 2);
        textColour = lookAndFeel.findColour(juce::PopupMenu::highlightedTextColourId);
    }
    if (!isActive)
        textColour = textColour.withMultipliedAlpha(0.3f);
    g.setColour(textColour);

    const float maxFontHeight = static_cast<float>(height) / 1.3f;
    if (font.getHeight() > maxFontHeight)
        font.setHeight(maxFontHeight);
    g.setFont(font);

    const int leftBorder = height * 5 / 4;
    if (icon != nullptr)
    {
        icon->drawWithin(g, juce::Rectangle<int>(2, 1, leftBorder - 4, height - 2).toFloat(),
                         juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
    }
    else if (isTicked)
    {
        const int side = leftBorder - 4;
        const auto tick = lookAndFeel.getTickShape(1.0f);
        const auto square = juce::Rectangle<float>(2.0f, static_cast<float>((height - side) / 2),
                                                   static_cast<float>(side), static_cast<float>(side));
        g.fillPath(tick, tick.getTransformToScaleToFit(square, true));
    }

    int right = width - 4;
    if (hasSubMenu)
    {
        const float arrow = 0.6f * font.getHeight();
        const float x = static_cast<float>(width) - arrow - 4.0f;
        const float middle = static_cast<float>(height) * 0.5f;
        juce::Path triangle;
        triangle.addTriangle(x, middle - arrow * 0.5f, x, middle + arrow * 0.5f, x + arrow * 0.6f, middle);
        g.fillPath(triangle);
        right -= juce::roundToInt(arrow) + 2;
    }

    drawFittedText(g, text, {leftBorder, 0, right - leftBorder, height}, juce::Justification::centredLeft, 1);
    if (shortcutKeyText.isNotEmpty())
    {
        auto smaller = font;
        smaller.setHeight(font.getHeight() * 0.75f);
        g.setFont(smaller);
        g.drawText(shortcutKeyText, leftBorder, 0, right - leftBorder - 3, height, juce::Justification::centredRight,
                   true);
    }
}
} // namespace

void CTVLookAndFeel::drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator,
                                       bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                                       const juce::String& text, const juce::String& shortcutKeyText,
                                       const juce::Drawable* icon, const juce::Colour* textColour)
{
    drawMenuItem(*this, g, area, isSeparator, isActive, isHighlighted, isTicked, hasSubMenu, text, shortcutKeyText,
                 icon, textColour, fontForText(text, getPopupMenuFont()));
}

namespace Tavrel
{
ComboBoxLookAndFeel::ComboBoxLookAndFeel(juce::ComboBox* comboBox)
    : m_comboBox(comboBox),
      m_fontKind(1)
{
}

ComboBoxLookAndFeel::ComboBoxLookAndFeel(juce::Component* component, int fontKind)
    : m_component(component),
      m_fontKind(fontKind)
{
}

juce::Font ComboBoxLookAndFeel::fontFor(float boxHeight) const
{
    const float size = juce::jmin(boxHeight * 0.85f, 15.0f);
    if (const auto* singleton = CTVLookAndFeel::GetStoredInstance())
        return singleton->getFont(m_fontKind, size, juce::Font::plain);
    return juce::Font(size);
}

juce::Font ComboBoxLookAndFeel::getComboBoxFont(juce::ComboBox& box)
{
    return CTVLookAndFeel::fontForText(box.getText(), fontFor(static_cast<float>(box.getHeight())));
}

juce::Font ComboBoxLookAndFeel::getPopupMenuFont()
{
    if (auto* component = m_component.getComponent())
        return fontFor(static_cast<float>(component->getHeight()));
    if (auto* box = m_comboBox.getComponent())
        return fontFor(static_cast<float>(box->getHeight()));
    if (auto* singleton = CTVLookAndFeel::GetStoredInstance())
        return singleton->getPopupMenuFont();
    return juce::LookAndFeel_V2::getPopupMenuFont();
}

void ComboBoxLookAndFeel::drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator,
                                            bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                                            const juce::String& text, const juce::String& shortcutKeyText,
                                            const juce::Drawable* icon, const juce::Colour* textColour)
{
    drawMenuItem(*this, g, area, isSeparator, isActive, isHighlighted, isTicked, hasSubMenu, text, shortcutKeyText,
                 icon, textColour, CTVLookAndFeel::fontForText(text, getPopupMenuFont()));
}
} // namespace Tavrel
