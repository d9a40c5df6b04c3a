#pragma once

#include "ui/widgets/CBfcComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

// A list box that is its own row model. Every model operation keeps the
// framework's default here; subclasses give the rows. Group 3, id 0, no
// listener. Message thread only.
class CBfcCtrlListBox : public juce::ListBox, public juce::ListBoxModel, public CBfcComponent
{
public:
    explicit CBfcCtrlListBox(const juce::String& name);
    ~CBfcCtrlListBox() override;

    int getNumRows() override { return 0; }
    void paintListBoxItem(int, juce::Graphics&, int, int, bool) override {}
};
