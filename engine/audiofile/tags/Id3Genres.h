#pragma once

#include <cstdint>

// The ID3v1 genre list: 126 names, index 0 "Blues" to 125 "Dance Hall".
constexpr uint32_t kId3GenreCount = 126;

// The name of a genre number; null for a number outside the list.
const char* GetId3GenreName(uint32_t index);
