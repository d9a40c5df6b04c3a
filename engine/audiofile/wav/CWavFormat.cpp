#include "engine/audiofile/wav/CWavFormat.h"

#include <cstring>

CWavFormat::CWavFormat()
{
    ResetWavFormat();
}

CWavFormat::~CWavFormat() = default;

void CWavFormat::ResetWavFormat()
{
    std::memcpy(m_riffId, "RIFF", 4);
    m_riffSize = 36;
    std::memcpy(m_formType, "WAVE", 4);
    std::memcpy(m_formatChunkId, "fmt ", 4);
    m_formatChunkSize = 16;
    m_formatTag = kFormatPcm;
    m_channelCount = 2;
    m_sampleRate = 44100;
    m_byteRate = 176400;
    m_blockAlign = 4;
    m_bitsPerSample = 16;
    std::memcpy(m_dataChunkId, "data", 4);
    m_dataSize = 0;
}
