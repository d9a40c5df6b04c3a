#pragma once

#include "engine/audiofile/io/CAudioFileReadBase.h"

// The base of the readers of uncompressed PCM files; each supplies both reads.
class CPcmFileReadBase : public CAudioFileReadBase
{
public:
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override = 0;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override = 0;
};
