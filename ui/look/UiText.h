#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Tavrel
{
// The text of a UI-string key of the program's table.
juce::String uiText(const char* key);

// A caption label showing the text of a key in the look-and-feel's font of
// the kind (at the label's current height).
std::unique_ptr<juce::Label> makeCaption(const char* key, int fontKind);
} // namespace Tavrel
