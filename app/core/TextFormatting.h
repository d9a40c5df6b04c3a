#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

// Texts of numbers, times, sizes and key descriptions for the user interface
// and the session messages, and the file patterns of the file choosers.

// The rate with exactly one decimal (truncated) in "MHz" from 1000000 Hz, in
// "kHz" from 1000 Hz, else in "Hz"; withSpace puts a blank before the unit.
juce::String formatSampleRate(double rateHz, bool withSpace);

// How a duration is shown. The numbers are the ones stored settings hold;
// timeStyleFromSetting maps any other number to Precise.
enum class TimeStyle : int
{
    // "hh:mm:ss.mmm"
    Precise = 0,
    // "h:mm:ss" from one hour on, else "m:ss"
    Compact = 1,
};
TimeStyle timeStyleFromSetting(int value);

// A duration given as hours, minutes and seconds (which may overflow into the
// larger units), rounded to whole milliseconds. Negative durations show as
// zero.
juce::String formatTimeParts(int hours, int minutes, float seconds, TimeStyle style);

// The same for a number of seconds.
juce::String formatTime(double seconds, TimeStyle style);

// A byte count: "1 " and the singular unit text, a count below the base with
// the plural unit text, else two decimals of KB, MB or GB. The base is 1000
// with decimalUnits, 1024 otherwise.
juce::String formatByteSize(bool decimalUnits, std::uint64_t bytes);

// The framework's description of a key press made readable for menus.
juce::String describeKeyPress(const juce::String& description);

// The file-chooser pattern of the files that can be added or opened.
juce::String getAudioFileWildcards();

// Extensions (without dot) of the files a picture can be taken from: picture
// files, and with includeAudioFiles the audio files that may carry one.
juce::StringArray getExtensionsForFileType(bool includeAudioFiles);

// The picture chooser's pattern: "*.<extension>;" for every extension above.
juce::String getWildcardForFileType();
