#include "engine/audiofile/CAifcSowtFileRead.h"

#include "engine/audiofile/EngineText.h"
#include "engine/audiofile/PcmPacking.h"

bool CAifcSowtFileRead::ReadFormHeader()
{
    char form[4] = {};
    char type[4] = {};
    Read(form, 4);
    ReadUInt(4);
    Read(type, 4);
    return FourCharCodeEquals(form, "FORM") && FourCharCodeEquals(type, "AIFC");
}

bool CAifcSowtFileRead::ReadCommChunk()
{
    // The compression type follows the common fields: the chunk must hold it.
    if (!ReadCommonCommFields(8 + 22))
        return false;
    char compression[4] = {};
    return Read(compression, 4) == 4 && FourCharCodeEquals(compression, "sowt");
}

uint32_t CAifcSowtFileRead::UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames,
                                          uint32_t offset)
{
    return UnpackLittleEndian(m_channelCount, channels, source, frames, m_sampleSize, offset);
}
