#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Tavrel
{
class TrackInfo;

// The song-list file: one XML document (UTF-8, extension "qmpl") holding every
// song record of the list with its texts, format data, control values, song
// tree, picture path and marks. Numbers are written and read with "." as the
// decimal separator whatever the locale.

// Writes the records in list order to the target. The document is written to
// a new file beside the target and then moved over it, so a failure at any
// point leaves the old file as it was (the new file is removed). False when
// the target exists and is read-only or is not a file, or when writing or
// moving fails. Paths are also stored relative to the target's folder.
bool writeSongListFile(const std::vector<TrackInfo*>& tracks, const juce::File& target);

// Fills an empty record from one "Track" element. `folder` is the folder of
// the song-list file, against which relative paths are resolved. The error
// text is emptied first and holds the message of the last missing part
// ("Track name tag not found." and the like) on failure. Every part is read
// even after a missing one. Sources found by neither stored path leave the
// record with readable false. The record's format data is marked stale.
// True only when the name, text data, data spec, control and file info parts
// were all present.
bool readTrackElement(TrackInfo& record, const juce::XmlElement& element, const juce::File& folder,
                      juce::String& errorText);

// Parses the file as an XML document and returns its root element; null when
// the file cannot be read, is not valid UTF-8, holds a document type
// declaration or entity definitions, nests elements deeper than any song list
// does, or does not parse.
std::unique_ptr<juce::XmlElement> loadSongListDocument(const juce::File& file);

namespace SongListXml
{
// The first child element whose name is exactly `name` (names are
// case-sensitive); null when there is none.
const juce::XmlElement* findChild(const juce::XmlElement& element, juce::StringRef name);

// The text of a child element; `missing` when there is no such child.
juce::String childText(const juce::XmlElement& element, juce::StringRef name, const juce::String& missing);
// The leading decimal integer of a child's text (blanks, an optional sign,
// digits; anything after is ignored; no digits read as 0), saturated to the
// type's range; 0 when the child is missing.
int childInt(const juce::XmlElement& element, juce::StringRef name);
int64_t childInt64(const juce::XmlElement& element, juce::StringRef name);
// The leading decimal number of a child's text after every "," is turned into
// "."; a text that holds no number, or one beyond the range of a float, or
// infinity or NaN, reads as 0; `missing` when the child is missing.
double childFloat(const juce::XmlElement& element, juce::StringRef name, double missing);

// An element holding `text` as its only content, with the attribute "type"
// set to the type word.
std::unique_ptr<juce::XmlElement> createValueElement(juce::StringRef name, juce::StringRef type,
                                                     const juce::String& text);

// Number texts: "%d", "%f" (six decimals) and "%.9g", always with ".".
juce::String formatInt(int64_t value);
juce::String formatFixed(double value);
juce::String formatShortest(double value);
// The parsing rules of the accessors above, on a text.
int64_t parseInt64(const juce::String& text);
double parseFloat(const juce::String& text);
} // namespace SongListXml
} // namespace Tavrel
