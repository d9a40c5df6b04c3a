#pragma once

#include <juce_graphics/juce_graphics.h>

#include <cstdint>
#include <functional>

namespace Tavrel
{
// A PNG image of the program's resources; a null image when the string table
// and resources are not loaded or the image is missing. Message thread.
juce::Image loadProgramImage(const char* name);

// Milliseconds of a monotonic clock, for the time rules of the controls
// (held buttons, peak and clip hold). Tests put a clock of their own in its
// place; an empty function restores the real one. Message thread.
int64_t uiClockMs();
void setUiClockForTests(std::function<int64_t()> clock);
} // namespace Tavrel
