#include "ui/menus/ShortcutKeyEditor.h"

#include "app/commands/CommandManager.h"
#include "app/core/TextFormatting.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/look/UiText.h"
#include "ui/menus/MenuBarManager.h"

namespace Tavrel
{
namespace
{
constexpr juce::CommandID kLastListedCommand = 41;

juce::Font fontOfHeight(float height, const juce::String& text)
{
    juce::Font font(height);
    if (const CTVLookAndFeel* look = CTVLookAndFeel::GetStoredInstance())
        font = look->getFont(2, height, juce::Font::plain);
    return CTVLookAndFeel::fontForText(text, font);
}
} // namespace

ShortcutKeyEditor::ShortcutKeyEditor()
    : FadingModalWindow(kFadeMs)
{
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (commands == nullptr)
        return;
    MenuBarManager menus(nullptr);
    m_categories = menus.getMenuBarNames();
    juce::KeyPressMappingSet& mappings = *commands->getKeyMappings();
    std::vector<bool> listed(kLastListedCommand + 1, false);
    for (int i = 0; i < m_categories.size(); ++i)
    {
        juce::Array<juce::CommandID> ids;
        collectMenuShortcutCommands(ids, menus.getMenuForIndex(i, m_categories[i]), mappings);
        for (const juce::CommandID id : ids)
            if (id >= 1 && id <= kLastListedCommand)
                listed[static_cast<size_t>(id)] = true;
        m_commands.push_back(ids);
    }
    // Commands of no menu that have a key are listed under the menu named
    // like their category.
    for (juce::CommandID id = 1; id <= kLastListedCommand; ++id)
    {
        if (listed[static_cast<size_t>(id)] || mappings.getKeyPressesAssignedToCommand(id).isEmpty())
            continue;
        const juce::ApplicationCommandInfo* info = commands->getCommandForID(id);
        if (info == nullptr || (info->flags & juce::ApplicationCommandInfo::hiddenFromKeyEditor) != 0)
            continue;
        const int category = m_categories.indexOf(info->categoryName);
        if (category >= 0)
            m_commands[static_cast<size_t>(category)].add(id);
    }
}

void ShortcutKeyEditor::showShortcutKeyEditor(juce::Component* parent)
{
    if (parent == nullptr || juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return;
    show(new ShortcutKeyEditor(), parent, kWidth, kHeight);
}

std::vector<ShortcutKeyEditor::Text> ShortcutKeyEditor::layout(int width) const
{
    std::vector<Text> texts;
    CommandManager* commands = CommandManager::GetStoredInstance();
    if (commands == nullptr)
        return texts;
    const juce::KeyPressMappingSet& mappings = *commands->getKeyMappings();
    const int columnWidth = width / 2 - 36;
    int x = 10;
    int y = 10;
    for (size_t c = 0; c < m_commands.size(); ++c)
    {
        if (m_commands[c].isEmpty())
            continue;
        if (static_cast<int>(c) == kSecondColumnCategory)
        {
            x = width / 2 + 10;
            y = 10;
        }
        texts.push_back({m_categories[static_cast<int>(c)], {x, y, columnWidth, 14}, juce::Justification::centredLeft,
                         14.0f});
        y += 24;
        for (const juce::CommandID id : m_commands[c])
        {
            juce::String name = commands->getNameOfCommand(id);
            if (id == juce::StandardApplicationCommandIDs::quit)
                name = uiText("Menu_Item_Exit");
            const juce::Rectangle<int> box(x + 8, y, columnWidth - 8, 12);
            const juce::Array<juce::KeyPress> keys = mappings.getKeyPressesAssignedToCommand(id);
            juce::Rectangle<int> nameBox = box;
            if (!keys.isEmpty())
            {
                const juce::String key = describeKeyPress(keys.getFirst().getTextDescription());
                texts.push_back({key, box, juce::Justification::centredRight, 12.0f});
                // A long name is squeezed into what the key leaves, rather
                // than drawn over it.
                const int keyWidth = juce::roundToInt(fontOfHeight(12.0f, key).getStringWidthFloat(key)) + 6;
                nameBox.setWidth(juce::jmax(0, box.getWidth() - keyWidth));
            }
            texts.push_back({name, nameBox, juce::Justification::centredLeft, 12.0f});
            y += 16;
        }
        y += 8;
    }
    return texts;
}

void ShortcutKeyEditor::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::white);
    g.setColour(juce::Colours::black);
    for (const Text& text : layout(getWidth()))
    {
        g.setFont(fontOfHeight(text.fontHeight, text.text));
        g.drawFittedText(text.text, text.box, text.justification, 1, 0.6f);
    }
}
} // namespace Tavrel
