#pragma once

// Pictures of the user interface kept as test artefacts, for a developer to
// look at: component snapshots and whole-screen captures, written as PNG to
// <build>/test-artifacts/<suite>/<name>-<language>.png (the language of the
// process's string table: "en" or "ja"). Assertions on what is drawn are
// pixel probes at computed coordinates, never comparisons with stored images.

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

namespace qm::test::screenshots
{
// The artefact file of a picture (its folder is made).
juce::File artifactFile(const std::string& suite, const std::string& name);

// Writes a snapshot of the component (and its children); the image written,
// or a null image (with a test failure) when the file cannot be written.
juce::Image snapshot(juce::Component& component, const std::string& suite, const std::string& name);

// Captures the whole screen of the X server with ffmpeg's x11grab; the file
// written, or a missing file (with a test failure naming ffmpeg when it is
// not installed).
juce::File captureScreen(const std::string& suite, const std::string& name);
} // namespace qm::test::screenshots
