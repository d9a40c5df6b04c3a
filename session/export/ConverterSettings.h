#pragma once

#include <juce_core/juce_core.h>

#include <vector>

#include "session/export/ExportFileNames.h"

class CAudioDiscBurnBase;

namespace Tavrel
{
// What the converter thread renders and how; copied into the thread.
struct ConverterSettings
{
    // Ascending rows of the song list.
    juce::SparseSet<int> songs;
    unsigned sampleRate = 44100;
    // Seconds; both 0.0 for a file export.
    float gap = 0.0f;
    float secondGap = 0.0f;
    // The disc burner for a burn (not owned); null for a file export.
    CAudioDiscBurnBase* burner = nullptr;
    juce::File outputFolder;
    // The writer factory's name of the format ("WAV", "AIFF", "MP3", "WMA").
    juce::String formatName;
    // The format's extension, with its dot.
    juce::String extension;
    // 0: one mono file per channel; 1: one file of two interleaved channels.
    int fileType = 1;
    unsigned bitDepth = 16;
    // Travels with the settings; the file converter has no DSD stage.
    int dsdFilter = 0;
    int ditherType = 0;
    // The bit rate of compressed formats.
    int qualityOption = 0;
    // The output files of each song of a file export, by row, as the checks
    // named them.
    std::vector<SongOutputFiles> outputs;
    // Existing files the user agreed to replace.
    juce::Array<juce::File> replaceable;
};
} // namespace Tavrel
