#include "engine/dsp/rate/CConverterPcmOutputSameRate.h"

#include "engine/audiofile/pcm/PcmBuffers.h"

CConverterPcmOutputSameRate::CConverterPcmOutputSameRate(uint16_t channels)
    : m_channels(channels)
{
}

uint32_t CConverterPcmOutputSameRate::Process(const float* const* input, float* const* output, uint32_t frames)
{
    return CopyChannelBuffers(m_channels, output, input, frames, 0, 0);
}
