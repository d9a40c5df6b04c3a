#include "engine/dsp/dynamics/DynamicStages.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/audiofile/pcm/PcmGain.h"
#include "platform/fpu/ScopedTruncatingRounding.h"

namespace
{

// trunc(seconds x rate) in 64 bits; NaN, negative and huge values are held
// to 0 .. 2^62.
int64_t SecondsToFrames(double seconds, uint32_t rate)
{
    const double frames = seconds * static_cast<double>(rate);
    if (!(frames > 0.0))
        return 0;
    constexpr double kLargest = 4611686018427387904.0; // 2^62
    return frames >= kLargest ? static_cast<int64_t>(kLargest) : static_cast<int64_t>(frames);
}

uint32_t RampLength(int64_t frames)
{
    return static_cast<uint32_t>(std::min<int64_t>(frames, std::numeric_limits<uint32_t>::max()));
}

} // namespace

// --- DC cut -----------------------------------------------------------------

CDcCutFilter::CDcCutFilter(uint16_t channels)
    : m_channels(channels > kMaxChannels ? kMaxChannels : channels)
{
    Recompute();
}

void CDcCutFilter::SetChannelCount(uint16_t channels)
{
    m_channels = channels > kMaxChannels ? kMaxChannels : channels;
    ClearState();
}

bool CDcCutFilter::SetSampleRate(uint32_t rate)
{
    if (rate == m_sampleRate)
        return false;
    m_sampleRate = rate;
    Recompute();
    return true;
}

bool CDcCutFilter::SetMode(uint32_t mode)
{
    if (mode == m_mode)
        return false;
    m_mode = mode;
    Recompute();
    return true;
}

void CDcCutFilter::Recompute()
{
    float a = 1.0f;
    if (m_mode != 0)
        a = m_sampleRate <= 192000 ? 0.99987f : 0.9999978f;
    for (auto& state : m_state)
        state.a = a;
    ClearState();
}

void CDcCutFilter::ClearState()
{
    for (auto& state : m_state)
    {
        state.x1 = 0.0f;
        state.y1 = 0.0f;
    }
}

void CDcCutFilter::Process(float* const* buffers, uint32_t frames)
{
    if (m_mode == 0)
        return;
    // Adding and subtracting the guard (1e-18) flushes values far below it to
    // exactly 0, so the feedback never decays into denormals; truncation
    // keeps a tiny value from rounding up to a step of the guard.
    qm::platform::ScopedTruncatingRounding truncate;
    for (uint16_t c = 0; c < m_channels; ++c)
    {
        float* samples = buffers[c];
        if (samples == nullptr)
            continue;
        ChannelState& s = m_state[c];
        const float a = s.a;
        volatile float guard = s.guard; // keeps the flush from being folded away
        float x1 = s.x1;
        float y1 = s.y1;
        for (uint32_t i = 0; i < frames; ++i)
        {
            const float x = samples[i];
            float y = y1 * a + (x - x1);
            const float g = std::copysign(static_cast<float>(guard), y);
            y = (g + y) - g;
            x1 = x;
            y1 = y;
            samples[i] = y;
        }
        s.x1 = x1;
        s.y1 = y1;
    }
}

// --- Gain -------------------------------------------------------------------

float CGainControl::SetGain(float decibels)
{
    m_decibels = decibels;
    m_factor = static_cast<float>(std::pow(10.0, static_cast<double>(decibels) * 0.05));
    return decibels;
}

void CGainControl::Process(float* const* buffers, uint32_t frames) const
{
    if (m_factor != 1.0f)
        ApplyGain(m_channels, buffers, buffers, frames, m_factor);
}

// --- Pan --------------------------------------------------------------------

void CPanControl::SetChannelCount(uint16_t channels)
{
    m_channels = channels > 2 ? 2 : channels;
    SetPan(m_requested);
}

float CPanControl::SetPan(float pan)
{
    constexpr float kSqrt2 = 1.4142135f;
    m_requested = pan;
    if (m_channels != 2 || pan == 0.0f || std::isnan(pan))
    {
        m_neutral = true;
        m_pan = 0.0f;
        m_left = 1.0f;
        m_right = 1.0f;
        return m_pan;
    }
    m_neutral = false;
    if (pan <= -1.0f)
    {
        m_pan = -1.0f;
        m_left = kSqrt2;
        m_right = 0.0f;
    }
    else if (pan >= 1.0f)
    {
        m_pan = 1.0f;
        m_left = 0.0f;
        m_right = kSqrt2;
    }
    else
    {
        const double angle = (static_cast<double>(pan) + 1.0) * M_PI / 4.0;
        m_pan = pan;
        m_left = static_cast<float>(M_SQRT2 * std::cos(angle));
        m_right = static_cast<float>(M_SQRT2 * std::sin(angle));
    }
    return m_pan;
}

void CPanControl::Process(float* const* buffers, uint32_t frames) const
{
    if (m_neutral)
        return;
    float* left[1] = {buffers[0]};
    float* right[1] = {buffers[1]};
    ApplyGain(1, left, left, frames, m_left);
    ApplyGain(1, right, right, frames, m_right);
}

// --- Fade -------------------------------------------------------------------

uint32_t CFadeControl::SetSampleRate(uint32_t rate)
{
    if (rate == m_settings.sampleRate || rate == 0)
        return m_settings.sampleRate;
    const double scale = static_cast<double>(rate) / static_cast<double>(m_settings.sampleRate);
    m_position = static_cast<int64_t>(static_cast<double>(m_position) * scale);
    m_origin = static_cast<int32_t>(std::clamp(static_cast<double>(m_origin) * scale, -2147483648.0, 2147483647.0));
    m_settings.sampleRate = rate;
    Recompute();
    return rate;
}

void CFadeControl::SetLength(double seconds)
{
    m_settings.lengthSeconds = seconds;
    Recompute();
}

void CFadeControl::SetFadeIn(int kind, double seconds)
{
    m_settings.fadeInKind = kind;
    Recompute();
    m_settings.requestedFadeIn = seconds;
    Recompute();
}

void CFadeControl::SetFadeOut(int kind, double seconds)
{
    m_settings.fadeOutKind = kind;
    Recompute();
    m_settings.requestedFadeOut = seconds;
    Recompute();
}

void CFadeControl::TakeSettings(const CFadeControl& other)
{
    SetSampleRate(other.m_settings.sampleRate);
    m_settings = other.m_settings;
}

void CFadeControl::Recompute()
{
    Settings& s = m_settings;
    const int64_t rate = s.sampleRate;
    s.totalFrames = SecondsToFrames(s.lengthSeconds, s.sampleRate);
    int64_t fadeIn = s.fadeInKind > 0 ? SecondsToFrames(s.requestedFadeIn, s.sampleRate) : 0;
    int64_t fadeOut = s.fadeOutKind > 0 ? SecondsToFrames(s.requestedFadeOut, s.sampleRate) : 0;
    // The fades and one second of the song must fit: when they overshoot,
    // each fade gives up half of the overshoot (rounded up), so that they
    // never overlap.
    const int64_t overshoot = fadeIn + fadeOut - (s.totalFrames - rate);
    if (overshoot > 0)
    {
        const int64_t cut = overshoot / 2 + overshoot % 2;
        fadeIn = std::max<int64_t>(fadeIn - cut, 0);
        fadeOut = std::max<int64_t>(fadeOut - cut, 0);
    }
    s.fadeInFrames = fadeIn;
    s.fadeOutFrames = fadeOut;
    s.fadeInSeconds = rate > 0 ? static_cast<double>(fadeIn) / static_cast<double>(rate) : 0.0;
    s.fadeOutSeconds = rate > 0 ? static_cast<double>(fadeOut) / static_cast<double>(rate) : 0.0;
}

void CFadeControl::Process(float* const* buffers, uint32_t frames)
{
    const Settings& s = m_settings;
    const int64_t rel = m_position - m_origin;
    const int64_t fadeOutStart = s.totalFrames - s.fadeOutFrames;
    if (s.fadeInFrames >= 1 && rel < s.fadeInFrames)
        ApplyFadeInRamp(m_channels, buffers, buffers, frames, RampLength(s.fadeInFrames), rel, s.fadeInKind - 1);
    else if (s.fadeOutFrames > 0 && rel + static_cast<int64_t>(frames) > fadeOutStart)
        ApplyFadeOutRamp(m_channels, buffers, buffers, frames, RampLength(s.fadeOutFrames), rel - fadeOutStart,
                         s.fadeOutKind - 1);
    m_position += frames;
}
