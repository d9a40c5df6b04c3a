#include "engine/audiofile/pcm/CPeakValueDetectVirtualFile.h"

#include <cmath>

#include "engine/audiofile/pcm/PcmBuffers.h"

CPeakValueDetectVirtualFile::CPeakValueDetectVirtualFile(uint32_t sampleRate, uint16_t channelCount)
    : m_sampleRate(sampleRate),
      m_channelCount(channelCount > 2 ? uint16_t(2) : channelCount)
{
}

uint32_t CPeakValueDetectVirtualFile::WriteFloat(float** channels, uint32_t frames)
{
    if (channels != nullptr)
    {
        for (uint16_t ch = 0; ch < m_channelCount; ++ch)
        {
            const float* samples = channels[ch];
            if (samples == nullptr)
                continue;
            ChannelPeak& peak = m_peaks[ch];
            for (uint32_t i = 0; i < frames; ++i)
            {
                const float sample = samples[i];
                if (sample > peak.maximum)
                {
                    peak.maximum = sample;
                    peak.maximumFrame = m_framesWritten + i;
                }
                else if (sample < peak.minimum)
                {
                    peak.minimum = sample;
                    peak.minimumFrame = m_framesWritten + i;
                }
            }
        }
    }
    m_framesWritten += frames;
    return frames;
}

uint32_t CPeakValueDetectVirtualFile::WriteInt32(int32_t** channels, uint32_t frames)
{
    if (channels == nullptr)
        return WriteFloat(nullptr, frames);
    // Converted in place, then measured like float samples.
    float** floats = reinterpret_cast<float**>(channels);
    Int32ToFloat(m_channelCount, channels, floats, frames, 0);
    return WriteFloat(floats, frames);
}

void CPeakValueDetectVirtualFile::GetChannelPeak(ChannelPeak* out, uint16_t channel)
{
    if (out == nullptr)
        return;
    *out = channel < m_channelCount ? m_peaks[channel] : ChannelPeak{};
}

void CPeakValueDetectVirtualFile::Reset()
{
    m_framesWritten = 0;
    m_peaks[0] = ChannelPeak{};
    m_peaks[1] = ChannelPeak{};
}

uint64_t CPeakValueDetectVirtualFile::GetPeakFrame() const
{
    float best = 0.0f;
    uint64_t frame = 0;
    for (uint16_t ch = 0; ch < m_channelCount; ++ch)
    {
        const ChannelPeak& peak = m_peaks[ch];
        if (std::fabs(peak.maximum) >= best)
        {
            best = std::fabs(peak.maximum);
            frame = peak.maximumFrame;
        }
        if (std::fabs(peak.minimum) >= best)
        {
            best = std::fabs(peak.minimum);
            frame = peak.minimumFrame;
        }
    }
    return frame;
}
