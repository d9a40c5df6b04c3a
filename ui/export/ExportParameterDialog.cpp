#include "ui/export/ExportParameterDialog.h"

#include "app/core/CBJXResource.h"
#include "session/parameters/ExportParameter.h"
#include "ui/look/CTVLookAndFeel.h"
#include "ui/widgets/LabelWithInlineEditor.h"

namespace Tavrel
{
ExportParameterDialog::ExportParameterDialog(const juce::String& title, const juce::String& message)
    : juce::AlertWindow(title, message, juce::MessageBoxIconType::NoIcon)
{
    getProperties().set(CTVLookAndFeel::kAlertMessageProperty, message);
}

ExportParameterDialog::~ExportParameterDialog()
{
    // Each control leaves its parameter set before it goes, so no dead
    // binding stays behind in the set.
    for (Row& row : m_rows)
    {
        if (row.parameter != nullptr)
            row.parameter->unbindComponent(row.control.get());
        removeCustomComponent(0);
    }
    m_rows.clear();
    m_comboLook.reset();
}

void ExportParameterDialog::addComboBoxRow(const juce::String& caption, ExportParameter* parameter, int item)
{
    auto box = std::make_unique<juce::ComboBox>("ExportParameterComboBox_" + juce::String(getRowCount()));
    if (m_comboLook == nullptr)
        m_comboLook = std::make_unique<ComboBoxLookAndFeel>(box.get(), 2);
    box->setLookAndFeel(m_comboLook.get());
    // Return and Escape belong to the dialog's buttons: a focused combo box
    // would open its list on Return instead.
    box->setWantsKeyboardFocus(false);
    addRow(caption, parameter, item, std::move(box));
}

void ExportParameterDialog::addLabelRow(const juce::String& caption, ExportParameter* parameter, int item)
{
    auto label = std::make_unique<LabelWithInlineEditor>("ExportParameterLabel_" + juce::String(getRowCount()),
                                                         juce::String());
    label->setEditable(true, true, false);
    label->setColour(juce::Label::backgroundColourId, juce::Colours::white);
    label->setColour(juce::Label::outlineColourId, juce::Colour(0xFFA9B0B9));
    label->setColour(juce::Label::textColourId, juce::Colours::black);
    addRow(caption, parameter, item, std::move(label));
}

void ExportParameterDialog::addRow(const juce::String& caption, ExportParameter* parameter, int item,
                                   std::unique_ptr<juce::Component> control)
{
    Row row;
    row.parameter = item >= 0 ? parameter : nullptr;
    row.item = item;
    row.component = std::make_unique<juce::Component>();
    const bool captioned = caption.isNotEmpty();
    row.component->setSize(kRowWidth, captioned ? kCaptionHeight + kControlHeight : kControlHeight);
    control->setBounds(0, captioned ? kCaptionHeight : 0, kRowWidth, kControlHeight);
    row.component->addAndMakeVisible(*control);
    if (row.parameter != nullptr)
        row.parameter->bindComponent(control.get(), item);
    if (captioned)
    {
        row.caption = std::make_unique<juce::Label>("ExportParameterCaption", caption);
        row.caption->setFont(juce::Font(14.0f));
        row.caption->setBorderSize(juce::BorderSize<int>(0));
        row.caption->setBounds(0, 0, kRowWidth, kCaptionHeight);
        row.component->addAndMakeVisible(*row.caption);
    }
    row.text = parameter != nullptr && item >= 0 ? parameter->getItemText(item) : juce::String();
    row.control = std::move(control);
    addCustomComponent(row.component.get());
    m_rows.push_back(std::move(row));
}

bool ExportParameterDialog::runModal()
{
    if (!m_buttonsAdded)
    {
        addButton(CBJXResource::GetString("Button_Cancel"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
        addButton(CBJXResource::GetString("Button_Ok"), 1, juce::KeyPress(juce::KeyPress::returnKey));
        // A focused button would take Return for itself (Cancel, after an
        // earlier run): the keys go to the buttons' shortcuts instead.
        for (juce::Component* child : getChildren())
            if (auto* button = dynamic_cast<juce::Button*>(child))
                button->setWantsKeyboardFocus(false);
        m_buttonsAdded = true;
    }
    return runModalLoop() == 1;
}

void ExportParameterDialog::revert()
{
    for (Row& row : m_rows)
        if (row.parameter != nullptr)
            row.parameter->setItemText(row.text, row.item);
}
} // namespace Tavrel
