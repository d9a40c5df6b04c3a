#pragma once

#include <cstdint>
#include <string>

namespace qm::platform
{
// Where the samples of a CD-audio WAV file (44100 Hz, 16-bit, 2 channels,
// integer PCM) are: the byte offset of its data chunk's contents and their
// length in whole frames (at most what the file really holds). False when the
// file cannot be read or is not such a file.
struct CdAudioWavData
{
    uint64_t offset = 0;
    uint64_t bytes = 0;
};
bool FindCdAudioWavData(const std::string& path, CdAudioWavData& data);
} // namespace qm::platform
