#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

#include "app/core/CBJXListenerOwner.h"
#include "engine/audiofile/foundation/CCriticalSection.h"
#include "session/parameters/ExportParameterListener.h"

namespace juce
{
class Component;
}

class CHfcPreferences;

namespace Tavrel
{
// A set of numbered export settings. Each item is a choice (one of a list of
// values, each with a display text) or a text (a folder, an album title). The
// base keeps the selected index or text of every item, tells listeners of
// changes, keeps bound controls in step with the items and saves and loads
// every item as one settings value; the derived set says what the items are.
//
// Everything runs on the message thread; getLock is for a reader on another
// thread that copies the set while it could change.
class ExportParameter : public CBJXListenerOwner<ExportParameterListener>
{
public:
    class ComponentBinder;

    // Item kinds.
    static constexpr int kItemChoice = 0;
    static constexpr int kItemText = 1;
    static constexpr int kItemNone = -1;

    explicit ExportParameter(int itemCount);
    // The values only: listeners and bound controls stay with the original.
    ExportParameter(const ExportParameter& other);
    ExportParameter& operator=(const ExportParameter&) = delete;

    virtual CCriticalSection& getLock() { return m_lock; }
    ~ExportParameter() override;

    // kItemChoice, kItemText, or kItemNone for an item that does not exist.
    virtual int getItemKind(int item) const = 0;
    // The value of each choice, in display order (empty for a text item).
    virtual juce::Array<int> getChoiceValues(int item) const = 0;
    // The display text of each choice; same order and length as the values.
    virtual juce::StringArray getChoiceTexts(int item) const = 0;
    // Bit i set: choice i may be chosen now.
    virtual juce::BigInteger getEnabledChoices(int item) const = 0;
    // May replace the proposed index; false rejects the change.
    virtual bool validateChoice(int item, int& index) = 0;
    // May rewrite the proposed text; false rejects it.
    virtual bool acceptsText(int item, juce::String& text) = 0;
    // Called after an item took a new value, to update dependent items.
    virtual void itemChanged(int item) = 0;
    // The settings value name of the item; empty: the item is not stored.
    virtual juce::String getItemKey(int item) const = 0;
    // The derived set's own values, saved after and loaded after the items.
    virtual void saveExtraToRegistry() = 0;
    virtual void loadExtraFromRegistry() = 0;

    int getItemCount() const { return m_itemCount; }

    // -1 for an item that is not a choice, and for a choice not made yet.
    int getSelectedIndex(int item) const;
    // The value of the selected choice; 0 when none is selected.
    int getChoiceValue(int item) const;
    // A choice's display text or the text of a text item; empty otherwise.
    juce::String getItemText(int item) const;

    // Validates and stores the choice, then tells the listeners, the bound
    // controls and the derived set (which may change further items). There
    // is no test for an unchanged index: selecting the current index again
    // re-validates it. False when validation rejected it.
    bool setChoice(int item, int index);
    // Selects the first choice with that value; without such a choice the
    // current one is re-validated. The result of the setChoice made.
    bool selectChoiceByValue(int item, int value);
    // A text item takes the text (as acceptsText leaves it); a choice item
    // selects the choice whose display text is exactly this text.
    bool setItemText(const juce::String& text, int item);

    // Settings: choices as whole numbers (their values), texts as texts.
    void saveItemToRegistry(int item);
    void saveToRegistry();
    // Items in order, each through setChoice or setItemText, so each stored
    // value is validated and earlier items adjust the later ones' choices; a
    // missing, unreadable or no longer offered value keeps the current one.
    void loadFromRegistry();

    // Binds a combo box, a label or a file-name chooser to the item (moving
    // it from any item it was bound to); false for an item that does not
    // exist. Other controls are accepted and left alone.
    bool bindComponent(juce::Component* component, int item);
    // Removes every binding of the control; true when there was one.
    bool unbindComponent(juce::Component* component);
    // Refills the bound combo boxes of the item.
    void updateBoundComponent(int item);
    // Refreshes which entries of the item's bound combo boxes are enabled.
    void updateBoundEnabledChoices(int item);
    // Shows the item's value in its bound controls; listeners hear of every
    // control that this changed.
    void notifyBoundComponent(int item);

protected:
    void copyValuesFrom(const ExportParameter& other);
    // The common rule of validation: an index that is not enabled becomes
    // the lowest enabled one; true when there is one.
    static bool takeLowestEnabled(const juce::BigInteger& enabled, int& index);
    // The process's settings, or null when they have not been acquired.
    static CHfcPreferences* getPreferences();

private:
    void notifyComponentChanged(int item, juce::Component* component);

    const int m_itemCount;
    std::vector<std::unique_ptr<ComponentBinder>> m_binders;
    std::vector<int> m_selectedIndices;
    std::vector<juce::String> m_texts;
    CCriticalSection m_lock;
};
} // namespace Tavrel
