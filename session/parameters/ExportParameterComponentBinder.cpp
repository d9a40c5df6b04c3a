#include "session/parameters/ExportParameterComponentBinder.h"

namespace Tavrel
{
namespace
{
// A combo box drops entries with an empty text, which would shift every later
// entry against its choice index; an empty choice text (a missing string)
// shows as a blank instead.
juce::String EntryText(const juce::String& text)
{
    return text.isEmpty() ? juce::String(" ") : text;
}

// An item's text as the file a chooser shows: none for an empty text.
juce::File FileOfText(const juce::String& text)
{
    if (text.isEmpty())
        return {};
    if (juce::File::isAbsolutePath(text))
        return juce::File(text);
    return juce::File::getCurrentWorkingDirectory().getChildFile(text);
}

// The chooser's file; none while its text is empty (the chooser itself would
// report the working folder).
juce::File CurrentFileOf(const juce::FilenameComponent& chooser)
{
    if (chooser.getCurrentFileText().isEmpty())
        return {};
    return chooser.getCurrentFile();
}
} // namespace

ExportParameter::ComponentBinder::ComponentBinder(ExportParameter& parameter, int item, juce::Component* component)
    : m_parameter(parameter),
      m_item(item),
      m_boundComponent(component),
      m_comboBox(dynamic_cast<juce::ComboBox*>(component)),
      m_label(dynamic_cast<juce::Label*>(component)),
      m_fileChooser(dynamic_cast<juce::FilenameComponent*>(component))
{
    if (auto* box = m_comboBox.getComponent())
    {
        box->addListener(this);
        updateComponent();
        updateEnabledItems();
    }
    else if (auto* label = m_label.getComponent())
    {
        label->addListener(this);
    }
    else if (auto* chooser = m_fileChooser.getComponent())
    {
        chooser->addListener(this);
    }
    updateComponentValue();
}

ExportParameter::ComponentBinder::~ComponentBinder()
{
    if (auto* box = m_comboBox.getComponent())
        box->removeListener(this);
    if (auto* label = m_label.getComponent())
        label->removeListener(this);
    if (auto* chooser = m_fileChooser.getComponent())
        chooser->removeListener(this);
}

// Refills the box with the item's choices. The entry whose text the box
// showed before stays selected (the box then tells its listeners, later, so
// the item follows it); when that text is gone, the item's own choice is
// validated against the new choices and shown. The box is enabled while any
// choice is.
void ExportParameter::ComponentBinder::updateComponent()
{
    juce::ComboBox* box = m_comboBox.getComponent();
    if (box == nullptr)
        return;

    const juce::String shownText = box->getText();
    const bool wasEnabled = box->isEnabled();
    const juce::StringArray texts = m_parameter.getChoiceTexts(m_item);
    const juce::BigInteger enabled = m_parameter.getEnabledChoices(m_item);

    box->clear(juce::dontSendNotification);
    box->setSelectedId(0, juce::dontSendNotification);
    bool anyEnabled = false;
    bool keptShownText = false;
    for (int i = 0; i < texts.size(); ++i)
    {
        const juce::String entry = EntryText(texts[i]);
        box->addItem(entry, i + 1);
        box->setItemEnabled(i + 1, enabled[i]);
        anyEnabled = anyEnabled || enabled[i];
        if (!keptShownText && shownText.isNotEmpty() && entry == shownText)
        {
            box->setSelectedId(i + 1, juce::sendNotificationAsync);
            keptShownText = true;
        }
    }
    box->setEnabled(anyEnabled);

    // Decided on the box's own flag, so that a box inside a disabled parent
    // does not end up blank while the item holds a value.
    if (anyEnabled && !keptShownText)
        m_parameter.setChoice(m_item, m_parameter.getSelectedIndex(m_item));
    else if (box->isEnabled() != wasEnabled)
        m_parameter.notifyComponentChanged(m_item, box);
}

void ExportParameter::ComponentBinder::updateEnabledItems()
{
    juce::ComboBox* box = m_comboBox.getComponent();
    if (box == nullptr)
        return;
    const juce::BigInteger enabled = m_parameter.getEnabledChoices(m_item);
    for (int i = 0; i < box->getNumItems(); ++i)
        box->setItemEnabled(i + 1, enabled[i]);
}

bool ExportParameter::ComponentBinder::updateComponentValue()
{
    if (auto* box = m_comboBox.getComponent())
    {
        const int index = m_parameter.getSelectedIndex(m_item);
        const int shown = box->getSelectedItemIndex();
        if (shown == index)
            return false;
        if (juce::isPositiveAndBelow(index, box->getNumItems()))
            box->setSelectedItemIndex(index, juce::dontSendNotification);
        else
            box->setSelectedId(0, juce::dontSendNotification);
        return box->getSelectedItemIndex() != shown;
    }
    if (auto* label = m_label.getComponent())
    {
        const juce::String text = m_parameter.getItemText(m_item);
        if (label->getText() == text)
            return false;
        label->setText(text, juce::dontSendNotification);
        return true;
    }
    if (auto* chooser = m_fileChooser.getComponent())
    {
        const juce::File file = FileOfText(m_parameter.getItemText(m_item));
        if (CurrentFileOf(*chooser) == file)
            return false;
        chooser->setCurrentFile(file, true, juce::dontSendNotification);
        return true;
    }
    return false;
}

// A user's change that the item rejects is taken back: the control shows the
// item's value again rather than one that would not be used.
void ExportParameter::ComponentBinder::comboBoxChanged(juce::ComboBox* comboBox)
{
    if (comboBox == nullptr || comboBox != m_comboBox.getComponent())
        return;
    // No selection is no choice of the user's (a refill clears the box).
    const int index = comboBox->getSelectedItemIndex();
    if (index < 0 || index == m_parameter.getSelectedIndex(m_item))
        return;
    if (!m_parameter.setChoice(m_item, index))
        updateComponentValue();
}

void ExportParameter::ComponentBinder::labelTextChanged(juce::Label* label)
{
    if (label == nullptr || label != m_label.getComponent())
        return;
    const juce::String text = label->getText();
    if (text == m_parameter.getItemText(m_item))
        return;
    if (!m_parameter.setItemText(text, m_item))
        updateComponentValue();
}

void ExportParameter::ComponentBinder::filenameComponentChanged(juce::FilenameComponent* chooser)
{
    if (chooser == nullptr || chooser != m_fileChooser.getComponent())
        return;
    const juce::String path = CurrentFileOf(*chooser).getFullPathName();
    if (path == m_parameter.getItemText(m_item))
        return;
    if (!m_parameter.setItemText(path, m_item))
        updateComponentValue();
}
} // namespace Tavrel
