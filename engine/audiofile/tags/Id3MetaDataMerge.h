#pragma once

#include <cstdint>

#include "engine/audiofile/tags/CAudioMetaData.h"

// Fills a metadata record from the tags of a file that may carry an ID3v2 tag
// at its start and an ID3v1 trailer at its end (an MP3 file), in this order:
// 1. ID3v2: album, title, album artist, artist, genre and software, each only
//    when the field is still empty; the recording date and time replace what
//    the record held (a tag without them leaves them empty). When the tag holds
//    a picture, the file's path becomes the record's picture path.
// 2. ID3v1: album, artist, title, genre and the date from the year, each only
//    when the field is still empty.
// Returns the size of the tag's picture (0 without one).
uint32_t MergeId3TagsIntoMetaData(const char16_t* path, CAudioMetaData& metadata);

// True when a date or time text holds at least one digit (the blank templates
// "    -  -  " and "  :  :  " hold none).
bool HasDateDigits(const char16_t* text);
