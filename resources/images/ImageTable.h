// The named images of the user interface: for each, its frame size, its number of
// frames (stacked top to bottom in one image) and the painter that draws a frame.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace qm::images
{
// Draws one frame. The context's origin is the frame's top-left corner and drawing
// is clipped to the frame.
using FramePainter = void (*)(juce::Graphics& g, int frame, int width, int height);

struct ImageSpec
{
    const char* name;
    int width;
    int frameHeight;
    int frames;
    bool opaque; // written without an alpha channel
    FramePainter paint;
};

// All images in image-number order.
const std::vector<ImageSpec>& imageTable();

// Draws every frame of an image.
juce::Image renderImage(const ImageSpec& spec);
} // namespace qm::images
