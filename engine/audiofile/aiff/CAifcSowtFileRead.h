#pragma once

#include "engine/audiofile/aiff/CAiffFileRead.h"

// Reads AIFC files ("FORM"/"AIFC") whose compression type is "sowt" (the
// same PCM as AIFF with little-endian samples) or "NONE" (big-endian PCM).
class CAifcSowtFileRead : public CAiffFileRead
{
protected:
    bool ReadCommChunk() override;
    bool ReadFormHeader() override;
    uint32_t UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset) override;

private:
    bool m_littleEndian = true;
};
