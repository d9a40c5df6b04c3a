#include "session/parameters/ExportParameter.h"

#include <algorithm>

#include "app/core/CTVPreferences.h"
#include "session/parameters/ExportParameterComponentBinder.h"

namespace Tavrel
{
ExportParameter::ExportParameter(int itemCount)
    : m_itemCount(std::max(itemCount, 0)),
      m_selectedIndices(static_cast<size_t>(m_itemCount), -1),
      m_texts(static_cast<size_t>(m_itemCount))
{
}

ExportParameter::ExportParameter(const ExportParameter& other)
    : ExportParameter(other.m_itemCount)
{
    copyValuesFrom(other);
}

ExportParameter::~ExportParameter()
{
    // The binders leave their controls before anything else goes.
    m_binders.clear();
}

void ExportParameter::copyValuesFrom(const ExportParameter& other)
{
    m_selectedIndices = other.m_selectedIndices;
    m_texts = other.m_texts;
}

bool ExportParameter::takeLowestEnabled(const juce::BigInteger& enabled, int& index)
{
    if (index < 0 || !enabled[index])
        index = enabled.findNextSetBit(0);
    return index >= 0;
}

CHfcPreferences* ExportParameter::getPreferences()
{
    return CTVPreferences::GetStoredInstance();
}

int ExportParameter::getSelectedIndex(int item) const
{
    if (getItemKind(item) != kItemChoice)
        return -1;
    if (item >= 0 && static_cast<size_t>(item) < m_selectedIndices.size())
        return m_selectedIndices[static_cast<size_t>(item)];
    return 0;
}

int ExportParameter::getChoiceValue(int item) const
{
    const juce::Array<int> values = getChoiceValues(item);
    const int index = getSelectedIndex(item);
    return juce::isPositiveAndBelow(index, values.size()) ? values[index] : 0;
}

juce::String ExportParameter::getItemText(int item) const
{
    switch (getItemKind(item))
    {
    case kItemChoice: {
        const juce::StringArray texts = getChoiceTexts(item);
        const int index = getSelectedIndex(item);
        return juce::isPositiveAndBelow(index, texts.size()) ? texts[index] : juce::String();
    }
    case kItemText:
        if (item >= 0 && static_cast<size_t>(item) < m_texts.size())
            return m_texts[static_cast<size_t>(item)];
        return {};
    default:
        return {};
    }
}

bool ExportParameter::setChoice(int item, int index)
{
    if (item < 0)
        return false;
    if (!validateChoice(item, index))
        return false;

    if (static_cast<size_t>(item) >= m_selectedIndices.size())
        m_selectedIndices.resize(static_cast<size_t>(item) + 1, -1);
    m_selectedIndices[static_cast<size_t>(item)] = index;

    CallListeners([&](ExportParameterListener& listener) { listener.exportParameterChanged(this, item); });
    notifyBoundComponent(item);
    itemChanged(item);
    return true;
}

bool ExportParameter::selectChoiceByValue(int item, int value)
{
    const int index = getChoiceValues(item).indexOf(value);
    if (index >= 0)
        return setChoice(item, index);
    return setChoice(item, getSelectedIndex(item));
}

bool ExportParameter::setItemText(const juce::String& text, int item)
{
    switch (getItemKind(item))
    {
    case kItemChoice: {
        const int index = getChoiceTexts(item).indexOf(text, false);
        return index >= 0 && setChoice(item, index);
    }
    case kItemText: {
        if (item < 0)
            return false;
        juce::String accepted = text;
        if (!acceptsText(item, accepted))
            return false;
        if (static_cast<size_t>(item) >= m_texts.size())
            m_texts.resize(static_cast<size_t>(item) + 1);
        m_texts[static_cast<size_t>(item)] = accepted;

        CallListeners([&](ExportParameterListener& listener) { listener.exportParameterChanged(this, item); });
        notifyBoundComponent(item);
        itemChanged(item);
        return true;
    }
    default:
        return false;
    }
}

void ExportParameter::saveItemToRegistry(int item)
{
    const juce::String name = getItemKey(item);
    CHfcPreferences* preferences = getPreferences();
    if (name.isEmpty() || preferences == nullptr)
        return;
    switch (getItemKind(item))
    {
    case kItemChoice:
        preferences->SetInt(name, getChoiceValue(item));
        break;
    case kItemText:
        preferences->SetString(name, getItemText(item));
        break;
    default:
        break;
    }
}

void ExportParameter::saveToRegistry()
{
    for (int item = 0; item < m_itemCount; ++item)
        saveItemToRegistry(item);
    saveExtraToRegistry();
}

void ExportParameter::loadFromRegistry()
{
    CHfcPreferences* preferences = getPreferences();
    for (int item = 0; item < m_itemCount; ++item)
    {
        const juce::String name = getItemKey(item);
        if (name.isEmpty())
            continue;
        switch (getItemKind(item))
        {
        case kItemChoice: {
            int value = getChoiceValue(item);
            if (preferences != nullptr)
                value = preferences->GetInt(name, value);
            selectChoiceByValue(item, value);
            break;
        }
        case kItemText: {
            juce::String text = getItemText(item);
            if (preferences != nullptr)
                text = preferences->GetString(name, text);
            setItemText(text, item);
            break;
        }
        default:
            break;
        }
    }
    loadExtraFromRegistry();
}

bool ExportParameter::bindComponent(juce::Component* component, int item)
{
    if (component == nullptr || item < 0 || item >= m_itemCount)
        return false;
    unbindComponent(component);
    auto binder = std::make_unique<ComponentBinder>(*this, item, component);
    m_binders.push_back(std::move(binder));
    return true;
}

bool ExportParameter::unbindComponent(juce::Component* component)
{
    bool removed = false;
    for (size_t i = m_binders.size(); i-- > 0;)
    {
        if (m_binders[i]->getBoundComponent() == component)
        {
            // Out of the list before it goes, in case leaving its control
            // calls back into this set.
            std::unique_ptr<ComponentBinder> binder = std::move(m_binders[i]);
            m_binders.erase(m_binders.begin() + static_cast<std::ptrdiff_t>(i));
            binder.reset();
            removed = true;
        }
    }
    return removed;
}

// Every control bound to the item is kept in step, not only the first: a
// control that showed a value the item no longer holds would mislead the user.
// The list is walked by index because a cascade may bind or unbind controls.
void ExportParameter::updateBoundComponent(int item)
{
    for (size_t i = 0; i < m_binders.size(); ++i)
    {
        if (m_binders[i]->getItem() == item)
            m_binders[i]->updateComponent();
    }
}

void ExportParameter::updateBoundEnabledChoices(int item)
{
    for (size_t i = 0; i < m_binders.size(); ++i)
    {
        if (m_binders[i]->getItem() == item)
            m_binders[i]->updateEnabledItems();
    }
}

void ExportParameter::notifyBoundComponent(int item)
{
    for (size_t i = 0; i < m_binders.size(); ++i)
    {
        ComponentBinder& binder = *m_binders[i];
        if (binder.getItem() == item && binder.updateComponentValue())
            notifyComponentChanged(item, binder.getBoundComponent());
    }
}

void ExportParameter::notifyComponentChanged(int item, juce::Component* component)
{
    CallListeners(
        [&](ExportParameterListener& listener) { listener.exportParameterComponentChanged(this, item, component); });
}
} // namespace Tavrel
