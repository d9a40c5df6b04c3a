#include "engine/dsp/dynamics/CDynamicControl.h"

#include <cmath>

#include "engine/audiofile/pcm/PcmLevels.h"

CDynamicControl::CDynamicControl(uint16_t channels)
    : m_channels(channels > kMaxChannels ? kMaxChannels : channels),
      m_pendingDcCut(GetChannelCount()),
      m_pendingGain(GetChannelCount()),
      m_pendingPan(GetChannelCount()),
      m_pendingFade(GetChannelCount()),
      m_dcCut(GetChannelCount()),
      m_gain(GetChannelCount()),
      m_pan(GetChannelCount()),
      m_fade(GetChannelCount())
{
    for (auto& peak : m_peak)
        peak.store(kNoPeak, std::memory_order_relaxed);
}

CDynamicControl::~CDynamicControl() = default;

void CDynamicControl::SetChannelCount(uint16_t channels)
{
    const uint16_t count = channels > kMaxChannels ? kMaxChannels : channels;
    std::lock_guard<std::mutex> lock(m_settingsLock);
    m_pendingDcCut.SetChannelCount(count);
    m_pendingGain.SetChannelCount(count);
    m_pendingPan.SetChannelCount(count);
    m_pendingFade.SetChannelCount(count);
    m_dcCut.SetChannelCount(count);
    m_gain.SetChannelCount(count);
    m_pan.SetChannelCount(count);
    m_fade.SetChannelCount(count);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
    TakeOverLocked();
    m_channels.store(count, std::memory_order_relaxed);
    ResetPeaks();
}

float CDynamicControl::SetGain(float decibels)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    m_pendingGain.SetGain(decibels);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
    return decibels;
}

float CDynamicControl::SetPan(float pan)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    const float stored = m_pendingPan.SetPan(pan);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
    return stored;
}

uint32_t CDynamicControl::SetDcCut(uint32_t mode)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    if (m_pendingDcCut.SetMode(mode))
        m_settingsVersion.fetch_add(1, std::memory_order_release);
    return mode;
}

void CDynamicControl::SetFade(int fadeInKind, float fadeInSeconds, int fadeOutKind, float fadeOutSeconds)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    m_pendingFade.SetFadeIn(fadeInKind, fadeInSeconds);
    m_pendingFade.SetFadeOut(fadeOutKind, fadeOutSeconds);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
}

float CDynamicControl::GetGain()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    return m_pendingGain.GetGain();
}

float CDynamicControl::GetPan()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    return m_pendingPan.GetPan();
}

uint32_t CDynamicControl::GetDcCut()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    return m_pendingDcCut.GetMode();
}

void CDynamicControl::GetFade(int* fadeInKind, float* fadeInSeconds, int* fadeOutKind, float* fadeOutSeconds)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    const CFadeControl::Settings& s = m_pendingFade.GetSettings();
    if (fadeInKind != nullptr)
        *fadeInKind = s.fadeInKind;
    if (fadeInSeconds != nullptr)
        *fadeInSeconds = static_cast<float>(s.fadeInSeconds);
    if (fadeOutKind != nullptr)
        *fadeOutKind = s.fadeOutKind;
    if (fadeOutSeconds != nullptr)
        *fadeOutSeconds = static_cast<float>(s.fadeOutSeconds);
}

bool CDynamicControl::IsNeutral()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    return m_pendingGain.GetGain() == 0.0f && m_pendingPan.GetPan() == 0.0f && m_pendingDcCut.GetMode() == 0;
}

uint32_t CDynamicControl::SetSampleRate(uint32_t rate)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    m_pendingDcCut.SetSampleRate(rate);
    m_pendingFade.SetSampleRate(rate);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
    return m_pendingFade.GetSettings().sampleRate;
}

void CDynamicControl::SetFadeLength(double seconds)
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    m_pendingFade.SetLength(seconds);
    m_settingsVersion.fetch_add(1, std::memory_order_release);
}

CFadeControl::Settings CDynamicControl::GetFadeSettings()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    return m_pendingFade.GetSettings();
}

void CDynamicControl::Synchronise()
{
    std::lock_guard<std::mutex> lock(m_settingsLock);
    TakeOverLocked();
}

void CDynamicControl::TakeOverLocked()
{
    m_versionInUse = m_settingsVersion.load(std::memory_order_acquire);
    // A new mode or rate recomputes the coefficient and clears the history.
    m_dcCut.SetMode(m_pendingDcCut.GetMode());
    m_dcCut.SetSampleRate(m_pendingDcCut.GetSampleRate());
    m_gain = m_pendingGain;
    m_pan = m_pendingPan;
    m_fade.TakeSettings(m_pendingFade);
}

void CDynamicControl::SetFadePosition(double seconds)
{
    Synchronise();
    const double frames = seconds * static_cast<double>(m_fade.GetSettings().sampleRate);
    m_fade.SetPosition(frames > 0.0 && frames < 9.2e18 ? static_cast<int64_t>(frames) : 0);
}

void CDynamicControl::SetFadePositionFrames(int64_t frame)
{
    Synchronise();
    m_fade.SetPosition(frame);
}

int64_t CDynamicControl::GetFadePosition()
{
    Synchronise();
    return m_fade.GetPosition();
}

void CDynamicControl::SetFadeOrigin(int32_t frame)
{
    Synchronise();
    m_fade.SetOrigin(frame);
}

void CDynamicControl::ResetMeters()
{
    m_dcCut.ClearState();
    ResetPeaks();
}

void CDynamicControl::ResetPeaks()
{
    for (auto& peak : m_peak)
        peak.store(kNoPeak, std::memory_order_relaxed);
}

float CDynamicControl::ReadPeak(uint16_t channel)
{
    if (channel >= GetChannelCount())
        return kNoPeak;
    return m_peak[channel].exchange(kNoPeak, std::memory_order_relaxed);
}

uint32_t CDynamicControl::Process(float* const* buffers, uint32_t frames)
{
    // Never wait here: when a setter holds the lock, this block keeps the
    // settings in use and the next one takes the new ones.
    if (m_settingsVersion.load(std::memory_order_acquire) != m_versionInUse && m_settingsLock.try_lock())
    {
        TakeOverLocked();
        m_settingsLock.unlock();
    }

    m_dcCut.Process(buffers, frames);
    m_gain.Process(buffers, frames);
    m_pan.Process(buffers, frames);
    m_fade.Process(buffers, frames);

    const uint16_t channels = GetChannelCount();
    for (uint16_t c = 0; c < channels; ++c)
    {
        if (buffers[c] == nullptr)
            continue;
        const float* channel[1] = {buffers[c]};
        const float level = LinearToDecibels(FindPeakAbs(frames, channel));
        // A reader may reset the meter between the load and the store; the
        // exchange then fails and the level is stored over the reset.
        float current = m_peak[c].load(std::memory_order_relaxed);
        while (level > current && !m_peak[c].compare_exchange_weak(current, level, std::memory_order_relaxed))
        {
        }
    }
    return frames;
}
