#include "ui/widgets/CBfcCtrlListBox.h"

CBfcCtrlListBox::CBfcCtrlListBox(const juce::String& name)
    : juce::ListBox(name, nullptr)
{
    setGroup(3);
    setId(0);
    // Setting the model refreshes the content.
    setModel(this);
}

CBfcCtrlListBox::~CBfcCtrlListBox()
{
    // The base list box must not call back into a model that is half gone.
    setModel(nullptr);
}
