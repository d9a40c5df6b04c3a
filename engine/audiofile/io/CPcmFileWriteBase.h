#pragma once

#include "engine/audiofile/io/CAudioFileWriteBase.h"

// The base of the writers of uncompressed PCM files; each supplies both writes.
class CPcmFileWriteBase : public CAudioFileWriteBase
{
public:
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override = 0;
    uint32_t WriteFloat(float** channels, uint32_t frames) override = 0;
};
