#include "engine/audiofile/media/CWma9_2FileWrite.h"

CWma9_2FileWrite::CWma9_2FileWrite() = default;

CWma9_2FileWrite::~CWma9_2FileWrite()
{
    Close();
}

const char* CWma9_2FileWrite::GetFormatName()
{
    return "WMA";
}

bool CWma9_2FileWrite::CreateProfile(uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channels, uint32_t bitRate)
{
    // The encoder works on floats whatever the input's sample width.
    (void)bitsPerSample;
    if ((channels != 1 && channels != 2) || sampleRate == 0 || bitRate == 0)
        return false;
    m_profile = Profile{sampleRate, channels, bitRate};
    return true;
}
