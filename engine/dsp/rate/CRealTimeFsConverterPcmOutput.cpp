#include "engine/dsp/rate/CRealTimeFsConverterPcmOutput.h"

#include "engine/audiofile/pcm/PcmBuffers.h"

#include <algorithm>

namespace
{
uint16_t FilterChannels(uint32_t channels)
{
    return static_cast<uint16_t>(std::min<uint32_t>(channels, CFirLpfBase::kMaxChannels));
}

// The interpolator's cutoffs are chosen for 44100 Hz material; below that they are scaled
// down with the lower of the two rates, so that images and aliases stay in the stop band.
constexpr int kReferenceCutoffHz = 22000;
constexpr uint32_t kReferenceRate = 44100;
} // namespace

CRealTimeFsConverterPcmOutput::CRealTimeFsConverterPcmOutput(uint32_t channels)
    : m_interpolator(std::make_unique<CFsCwInterpolation>(FilterChannels(channels))),
      m_decimator(std::make_unique<CDecimationFilter>(FilterChannels(channels))),
      m_interpolationActive(false),
      m_decimationActive(false),
      m_inputRate(44100),
      m_outputRate(44100),
      m_channels(channels),
      m_stage(static_cast<std::size_t>(FilterChannels(channels)) * kStageFrames)
{
    m_interpolator->SetAttenuation(kInterpolatorAttenuationDb);
    m_decimator->SetAttenuation(kDecimatorAttenuationDb);
    SetUp();
}

CRealTimeFsConverterPcmOutput::~CRealTimeFsConverterPcmOutput() = default;

void CRealTimeFsConverterPcmOutput::SetSampleRates(uint32_t inputRate, uint32_t outputRate)
{
    m_inputRate = inputRate;
    m_outputRate = outputRate;
    SetUp();
}

void CRealTimeFsConverterPcmOutput::SetUp()
{
    m_interpolationActive = false;
    m_decimationActive = false;
    uint32_t r = m_inputRate;
    const uint32_t o = m_outputRate;
    if (r == o || r == 0 || o == 0)
        return;

    int taps = 384;
    int cutoff = 22000;
    uint32_t l = 16;

    // 1-bit-derived rates: decimate into the PCM range first (x 2 gain).
    int decimatorTaps = 0;
    uint32_t factor = 1;
    if (r >= 11289600)
    {
        decimatorTaps = 289;
        factor = 64;
    }
    else if (r >= 5644800)
    {
        decimatorTaps = 145;
        factor = 32;
    }
    else if (r >= 2822400)
    {
        decimatorTaps = 73;
        factor = 16;
    }
    if (factor > 1)
    {
        m_decimator->Init(decimatorTaps, static_cast<int>(std::min<uint32_t>(r, 0x7FFFFFFF)), 60000, 6.020599913279624,
                          factor);
        m_decimationActive = true;
        r /= factor;
    }

    if (r == o)
        return;
    m_interpolationActive = true;
    if (r >= 96001)
    {
        l = 4;
        if (o > 96000)
        {
            cutoff = 40000;
            taps = 96;
        }
    }
    else if (r > 48000)
    {
        l = 8;
        if (o > 48000)
        {
            cutoff = 30000;
            taps = 192;
        }
    }
    const uint64_t scaled = static_cast<uint64_t>(kReferenceCutoffHz) * std::min(r, o) / kReferenceRate;
    if (scaled < static_cast<uint64_t>(cutoff))
        cutoff = static_cast<int>(scaled);

    m_interpolator->Init(taps, static_cast<int>(std::min<uint32_t>(r, 0x7FFFFFFF)), cutoff, l, 1, 0.0);
    m_interpolator->SetStep(CFsCwInterpolation::StepFor(l, r, o));
}

uint32_t CRealTimeFsConverterPcmOutput::Process(const float* const* input, float* const* output, uint32_t frames)
{
    if (!m_interpolationActive && !m_decimationActive)
        return CopyChannelBuffers(static_cast<uint16_t>(std::min<uint32_t>(m_channels, 0xFFFF)), output, input, frames,
                                  0, 0);
    if (!m_decimationActive)
        return m_interpolator->Process(input, output, frames);
    if (!m_interpolationActive)
        return m_decimator->Process(input, output, frames);

    // Both: the decimator's output passes through a buffer of its own, since the
    // interpolator may write more frames than it reads and would overrun unread input.
    const uint16_t channels = FilterChannels(m_channels);
    const float* in[CFirLpfBase::kMaxChannels] = {};
    float* out[CFirLpfBase::kMaxChannels] = {};
    float* stage[CFirLpfBase::kMaxChannels] = {};
    for (uint16_t ch = 0; ch < channels; ++ch)
        stage[ch] = m_stage.data() + static_cast<std::size_t>(ch) * kStageFrames;

    const uint32_t maxChunk = kStageFrames * m_decimator->GetDecimation();
    uint32_t done = 0;
    uint32_t produced = 0;
    while (done < frames)
    {
        const uint32_t chunk = std::min(frames - done, maxChunk);
        for (uint16_t ch = 0; ch < channels; ++ch)
        {
            in[ch] = input && input[ch] ? input[ch] + done : nullptr;
            out[ch] = output && output[ch] ? output[ch] + produced : nullptr;
        }
        const uint32_t decimated = m_decimator->Process(in, stage, chunk);
        produced += m_interpolator->Process(stage, out, decimated);
        done += chunk;
    }
    return produced;
}

double CRealTimeFsConverterPcmOutput::GetLatencyInSeconds() const
{
    double latency = 0.0;
    if (m_inputRate == 0)
        return latency;
    double rate = m_inputRate;
    if (m_decimationActive)
    {
        latency += m_decimator->GetCoeffs().GetLatency() / rate;
        rate /= m_decimator->GetDecimation();
    }
    if (m_interpolationActive)
        latency += m_interpolator->GetCoeffs().GetLatency() / rate;
    return latency;
}

void CRealTimeFsConverterPcmOutput::Reset()
{
    m_interpolator->Reset();
    m_decimator->Reset();
}
