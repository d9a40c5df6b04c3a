#pragma once

#include <span>

namespace qm::resources
{
// One file built into the program at build time.
struct EmbeddedFile
{
    const char* fileName; // "<Name>.<type>" or "<Name>.<language>.<type>"
    const void* data;
    int size;
};

// Every file built into the program: the string tables and the images.
std::span<const EmbeddedFile> EmbeddedFiles();
} // namespace qm::resources
