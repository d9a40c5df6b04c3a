#pragma once

// Pictures made at run time for the picture views' tests: PNG and JPEG files
// written with the framework's encoders, and an MP3 whose tag carries one.

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <filesystem>
#include <string>

#include "tests/support/TempFolder.h"

namespace qm::test
{
// A picture of the size: its left half in the colour, its right half white.
inline juce::Image MakePicture(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::RGB, width, height, true);
    juce::Graphics g(image);
    g.fillAll(juce::Colours::white);
    g.setColour(colour);
    g.fillRect(0, 0, width / 2, height);
    return image;
}

// Writes a picture as PNG (or JPEG when the name ends ".jpg" or ".jpeg").
inline juce::File WritePicture(const std::filesystem::path& path, int width, int height,
                               juce::Colour colour = juce::Colours::red)
{
    const juce::File file(juce::String(path.string()));
    file.deleteFile();
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    juce::JPEGImageFormat jpeg;
    const bool isJpeg = file.hasFileExtension("jpg;jpeg");
    juce::ImageFileFormat& format = isJpeg ? static_cast<juce::ImageFileFormat&>(jpeg) : png;
    EXPECT_TRUE(out.openedOk() && format.writeImageToStream(MakePicture(width, height, colour), out))
        << path.string();
    return file;
}

// An MP3 of a short tone whose ID3 tag carries the cover picture.
inline juce::File WriteMp3WithCover(const std::filesystem::path& path, const juce::File& cover)
{
    const std::string command = "ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=0.5 -i " +
                                shellQuote(cover.getFullPathName().toStdString()) +
                                " -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic"
                                " -id3v2_version 3 " +
                                shellQuote(path.string());
    EXPECT_EQ(runCommand(command), 0) << command;
    return juce::File(juce::String(path.string()));
}
} // namespace qm::test
