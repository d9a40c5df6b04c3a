#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAudioFileWriteBase;

// Export formats are named by short format names ("wav", "aiff", "mp3",
// "wma", ...); every function here compares the name in lower case.

// Creates the writer of the format and opens it with the arguments; null when
// the format has no writer or the writer's Open fails. The caller owns the
// writer.
CAudioFileWriteBase* CreateAudioFileWriter(const char16_t* path, const char* formatName, uint32_t sampleRate,
                                           uint16_t bitsPerSample, uint16_t channelCount, uint32_t option);

// What the export settings may offer for a format; each list is emptied first
// and stays empty for an unknown name or combination.
void GetSupportedSampleRates(const char* formatName, uint16_t channelCount, std::vector<uint32_t>& rates);
void GetSupportedChannelCounts(const char* formatName, std::vector<uint32_t>& counts);
void GetSupportedBitDepths(const char* formatName, std::vector<uint32_t>& bits);
// In bits per second; empty for the uncompressed formats.
void GetSupportedBitRates(const char* formatName, uint16_t channelCount, uint32_t sampleRate,
                          std::vector<uint32_t>& bitRates);

// True when the format's tags can carry a picture.
bool ExportFormatSupportsPicture(const char* formatName);

// The file extension of a format, with its dot (".wav"); empty when unknown.
std::u16string GetExportFileExtension(const char* formatName);
