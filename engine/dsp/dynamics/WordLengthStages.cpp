#include "engine/dsp/dynamics/WordLengthStages.h"

#include <cmath>
#include <cstring>

#include "engine/audiofile/io/CAudioRecorderOutput.h"
#include "engine/audiofile/pcm/PcmBuffers.h"

namespace
{

// Error-feedback filters by output rate (newest error first).
constexpr float kShape44100[] = {-2.56611f, 3.9481f,   -4.79784f, 4.93415f, -4.19708f,
                                 2.9046f,   -1.63391f, 0.72051f,  -0.1875f};
constexpr float kShape48000[] = {-2.48764f, 3.64192f,  -4.26833f, 4.32497f, -3.69128f,
                                 2.60922f,  -1.52449f, 0.68188f,  -0.16338f};
constexpr float kShape88200[] = {-2.88462f, 4.74373f, -5.2223f, 4.03013f, -2.15205f, 0.73473f, -0.12465f};
constexpr float kShape96000[] = {-2.81916f, 4.4538f, -4.632f, 3.31257f, -1.59952f, 0.47657f, -0.06631f};

uint32_t OutputBits(CAudioRecorderOutput* output)
{
    const uint32_t bits = output != nullptr ? output->GetBitsPerSample() : 32;
    return bits >= 1 && bits <= 32 ? bits : 32;
}

} // namespace

// --- Base and no dither ------------------------------------------------------

uint32_t CAudioRecorderOutputProcessBase::WriteDsd(uint8_t** channels, uint32_t count)
{
    return m_output != nullptr ? m_output->WriteDsd(channels, count) : 0;
}

uint16_t CAudioRecorderOutputProcessBase::ProcessedChannels() const
{
    if (m_output == nullptr)
        return 0;
    const uint16_t channels = m_output->GetChannelCount();
    return channels > kMaxChannels ? kMaxChannels : channels;
}

uint32_t CAudioRecorderOutputProcessNone::WriteInt32(int32_t** channels, uint32_t frames)
{
    return m_output != nullptr ? m_output->WriteInt32(channels, frames) : 0;
}

uint32_t CAudioRecorderOutputProcessNone::WriteFloat(float** channels, uint32_t frames)
{
    return m_output != nullptr ? m_output->WriteFloat(channels, frames) : 0;
}

// --- TPDF --------------------------------------------------------------------

void CAudioRecorderOutputProcessTpdfDither::SetOutput(CAudioRecorderOutput* output)
{
    m_output = output;
    m_bits = OutputBits(output);
    // Each generator term lies in [-2^-b, 2^-b): half a step of the b-bit
    // output on the -1.0..1.0 scale, so their sum is at most one step.
    m_scale = std::ldexp(1.0, -static_cast<int>(m_bits + 31));
}

float CAudioRecorderOutputProcessTpdfDither::NextDither()
{
    m_seed1 = m_seed1 * 0x0BB38435u + 0x3619636Bu;
    m_seed2 = m_seed2 * 0x0BB38435u + 0x3619636Bu;
    // r2 x scale + r1 x scale, exactly: the scale is a power of two and the
    // sum of the two values needs 33 bits, so the one rounding is to float.
    const int64_t sum = int64_t{static_cast<int32_t>(m_seed1)} + static_cast<int32_t>(m_seed2);
    return static_cast<float>(static_cast<double>(sum) * m_scale);
}

uint32_t CAudioRecorderOutputProcessTpdfDither::WriteFloat(float** channels, uint32_t frames)
{
    if (m_output == nullptr)
        return 0;
    if (m_output->IsFloat())
        return m_output->WriteFloat(channels, frames);
    return DitherAndWrite(channels, frames);
}

uint32_t CAudioRecorderOutputProcessTpdfDither::WriteInt32(int32_t** channels, uint32_t frames)
{
    if (m_output == nullptr)
        return 0;
    if (!m_output->IsFloat() && m_output->GetBitsPerSample() < m_sourceBits)
    {
        float** floats = reinterpret_cast<float**>(channels);
        Int32ToFloat(ProcessedChannels(), channels, floats, frames, 0);
        return DitherAndWrite(floats, frames);
    }
    return m_output->WriteInt32(channels, frames);
}

uint32_t CAudioRecorderOutputProcessTpdfDither::DitherAndWrite(float** channels, uint32_t frames)
{
    if (m_output == nullptr)
        return 0;
    const uint16_t count = ProcessedChannels();
    for (uint32_t i = 0; i < frames; ++i)
    {
        const float d = NextDither();
        for (uint16_t c = 0; c < count; ++c)
            if (channels[c] != nullptr)
                channels[c][i] += d;
    }
    return m_output->WriteFloat(channels, frames);
}

// --- Noise-shaped ------------------------------------------------------------

void CAudioRecorderOutputProcessNoiseShapedDither::SetOutput(CAudioRecorderOutput* output)
{
    CAudioRecorderOutputProcessTpdfDither::SetOutput(output);
    const uint32_t rate = output != nullptr ? output->GetSampleRate() : 0;
    switch (rate)
    {
    case 44100:
        m_coefficients = kShape44100;
        m_taps = 9;
        break;
    case 48000:
        m_coefficients = kShape48000;
        m_taps = 9;
        break;
    case 88200:
    case 176400:
        m_coefficients = kShape88200;
        m_taps = 7;
        break;
    case 96000:
    case 192000:
        m_coefficients = kShape96000;
        m_taps = 7;
        break;
    default:
        m_coefficients = nullptr;
        m_taps = 0;
        break;
    }
    // Half a step of the output in 32-bit units rounds the quantiser.
    m_roundingOffset = m_bits < 32 ? (int64_t{1} << 31) >> m_bits : 0;
}

void CAudioRecorderOutputProcessNoiseShapedDither::Reset()
{
    std::memset(m_error, 0, sizeof(m_error));
    m_index = 0;
}

uint32_t CAudioRecorderOutputProcessNoiseShapedDither::DitherAndWrite(float** channels, uint32_t frames)
{
    if (m_output == nullptr)
        return 0;
    const uint16_t count = ProcessedChannels();
    const uint32_t lowBits = 32 - m_bits;
    const uint32_t keepMask = lowBits >= 32 ? 0u : ~((uint32_t{1} << lowBits) - 1u);
    constexpr double kToInt = 2147483648.0;
    constexpr double kToFloat = 1.0 / 2147483648.0;
    for (uint32_t i = 0; i < frames; ++i)
    {
        const float d = NextDither();
        for (uint16_t c = 0; c < count; ++c)
        {
            float* samples = channels[c];
            if (samples == nullptr)
                continue;
            float* history = m_error[c];
            float acc = samples[i];
            for (uint32_t t = 1; t <= m_taps; ++t)
                acc = acc + history[(m_index + t) % kHistory] * m_coefficients[t - 1];
            if (!(acc >= -1.0f))
                acc = std::isnan(acc) ? 0.0f : -1.0f;
            else if (acc > 1.0f)
                acc = 1.0f;
            int64_t v =
                static_cast<int64_t>((static_cast<double>(acc) + static_cast<double>(d)) * kToInt) + m_roundingOffset;
            if (v > INT32_MAX)
                v = INT32_MAX;
            else if (v < INT32_MIN)
                v = INT32_MIN;
            const int32_t q = static_cast<int32_t>(static_cast<uint32_t>(v) & keepMask);
            std::memcpy(&samples[i], &q, sizeof(q));
            history[m_index % kHistory] = static_cast<float>(static_cast<double>(q) * kToFloat - acc);
        }
        --m_index;
    }
    return m_output->WriteInt32(reinterpret_cast<int32_t**>(channels), frames);
}
