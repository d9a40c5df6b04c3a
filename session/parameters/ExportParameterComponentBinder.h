#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "session/parameters/ExportParameter.h"

namespace Tavrel
{
// Keeps one item of a parameter set and one control in step, both ways: the
// control shows the item's choices, enabled choices and value, and the user's
// change in the control becomes the item's new value. Combo boxes (choice
// items), labels (any item, as text) and file-name choosers (folder texts)
// are supported; any other control is left alone.
//
// The binder follows the control through a safe pointer: a control deleted
// before its binder is simply no longer updated.
class ExportParameter::ComponentBinder : public juce::ComboBox::Listener,
                                         public juce::Label::Listener,
                                         public juce::FilenameComponentListener
{
public:
    // Registers with the control and shows the item in it.
    ComponentBinder(ExportParameter& parameter, int item, juce::Component* component);
    // Unregisters from the control, when it still exists.
    ~ComponentBinder() override;

    ComponentBinder(const ComponentBinder&) = delete;
    ComponentBinder& operator=(const ComponentBinder&) = delete;

    int getItem() const { return m_item; }
    // The control as it was bound (for identity; it may be gone).
    juce::Component* getBoundComponent() const { return m_boundComponent; }

    // Refills a combo box with the item's choices; see the .cpp.
    void updateComponent();
    // Enables exactly the combo box entries of the enabled choices.
    void updateEnabledItems();
    // Shows the item's current value without notifying the control's
    // listeners; true when the control changed.
    bool updateComponentValue();

    void comboBoxChanged(juce::ComboBox* comboBox) override;
    void labelTextChanged(juce::Label* label) override;
    void filenameComponentChanged(juce::FilenameComponent* chooser) override;

private:
    ExportParameter& m_parameter;
    const int m_item;
    juce::Component* const m_boundComponent;
    juce::Component::SafePointer<juce::ComboBox> m_comboBox;
    juce::Component::SafePointer<juce::Label> m_label;
    juce::Component::SafePointer<juce::FilenameComponent> m_fileChooser;
};
} // namespace Tavrel
