#pragma once

#include "engine/audiofile/media/CWindowsMediaFileWriteBase.h"

// Writes Windows Media Audio files at a constant bit rate, mono or stereo.
class CWma9_2FileWrite : public CWindowsMediaFileWriteBase
{
public:
    CWma9_2FileWrite();
    ~CWma9_2FileWrite() override;

    const char* GetFormatName() override;
    // Mono or stereo at a nonzero rate and bit rate; the encoder itself
    // refuses what it cannot write when the file is opened.
    bool CreateProfile(uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channels, uint32_t bitRate) override;
};
