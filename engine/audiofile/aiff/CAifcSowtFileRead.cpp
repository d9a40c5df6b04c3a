#include "engine/audiofile/aiff/CAifcSowtFileRead.h"

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/pcm/PcmPacking.h"

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
    if (Read(compression, 4) != 4)
        return false;
    // "sowt" holds little-endian samples. "NONE" is plain big-endian PCM in an
    // AIFC container, as other programs write every uncompressed AIFC file;
    // refusing it would turn away perfectly ordinary files.
    m_littleEndian = FourCharCodeEquals(compression, "sowt");
    return m_littleEndian || FourCharCodeEquals(compression, "NONE");
}

uint32_t CAifcSowtFileRead::UnpackSamples(const uint8_t* source, int32_t** channels, uint32_t frames, uint32_t offset)
{
    if (!m_littleEndian)
        return CAiffFileRead::UnpackSamples(source, channels, frames, offset);
    return UnpackLittleEndian(m_channelCount, channels, source, frames, m_sampleSize, offset);
}
