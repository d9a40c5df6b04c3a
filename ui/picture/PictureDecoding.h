#pragma once

#include <juce_graphics/juce_graphics.h>

#include <cstdint>
#include <functional>

namespace Tavrel
{
// A picture path's picture (an image file, or an audio file whose tag
// carries one) read with the picture-reader factory and decoded by the
// framework's image formats. Any thread.
struct DecodedPicture
{
    juce::Image image;                        // invalid when nothing decoded
    juce::ImageFileFormat* format = nullptr;  // the format that decoded it
    std::int64_t dataSize = 0;                // the picture's bytes
};

DecodedPicture decodePictureOfFile(const juce::String& path);

// Tests: called with the path each time a picture reader is asked for, on
// the thread that asks (a slow hook makes a slow load). Empty removes it.
void setPictureReaderHookForTests(std::function<void(const juce::String&)> hook);
} // namespace Tavrel
