#pragma once

#include <cstdint>

// The four stages of CDynamicControl. Each is a plain value: its settings and,
// for the DC cut and the fade, the running state of the stream it processes.

// First-order DC blocker y = y1 x a + (x - x1) per channel (at most 4).
class CDcCutFilter
{
public:
    static constexpr uint16_t kMaxChannels = 4;

    explicit CDcCutFilter(uint16_t channels);

    // A new count clears the history.
    void SetChannelCount(uint16_t channels);

    // Both recompute the coefficient, and clear the state, only on a change.
    // They return true when they did.
    bool SetSampleRate(uint32_t rate);
    bool SetMode(uint32_t mode);
    uint32_t GetSampleRate() const { return m_sampleRate; }
    uint32_t GetMode() const { return m_mode; }
    float GetCoefficient() const { return m_state[0].a; }

    void ClearState();
    // Filters channels below the filter's count in place; nothing when off.
    void Process(float* const* buffers, uint32_t frames);

private:
    void Recompute();

    struct alignas(16) ChannelState
    {
        float a = 1.0f;
        float x1 = 0.0f;
        float y1 = 0.0f;
        float guard = 1.0e-18f;
    };
    ChannelState m_state[kMaxChannels];
    uint16_t m_channels;
    uint32_t m_sampleRate = 44100;
    uint32_t m_mode = 0;
};

class CGainControl
{
public:
    explicit CGainControl(uint16_t channels)
        : m_channels(channels)
    {
    }

    void SetChannelCount(uint16_t channels) { m_channels = channels; }

    float SetGain(float decibels);
    float GetGain() const { return m_decibels; }
    float GetFactor() const { return m_factor; }
    // Skipped when the factor is exactly 1.0.
    void Process(float* const* buffers, uint32_t frames) const;

private:
    uint16_t m_channels;
    float m_decibels = 0.0f;
    float m_factor = 1.0f;
};

// Constant-power balance of a stereo pair; any other channel count is neutral.
class CPanControl
{
public:
    explicit CPanControl(uint16_t channels)
        : m_channels(channels > 2 ? 2 : channels)
    {
    }

    // Applies the last requested pan to the new count.
    void SetChannelCount(uint16_t channels);
    // Returns the pan stored: 0 when neutral.
    float SetPan(float pan);
    float GetPan() const { return m_pan; }
    float GetLeftGain() const { return m_left; }
    float GetRightGain() const { return m_right; }
    bool IsNeutral() const { return m_neutral; }
    void Process(float* const* buffers, uint32_t frames) const;

private:
    uint16_t m_channels;
    float m_requested = 0.0f;
    float m_pan = 0.0f;
    float m_left = 1.0f;
    float m_right = 1.0f;
    bool m_neutral = true;
};

// Fade-in and fade-out of a song. The settings (rate, song length, kinds and
// times) give the frame counts; the position is the stream frame of the next
// block, the origin the position that counts as the song's start.
class CFadeControl
{
public:
    struct Settings
    {
        uint32_t sampleRate = 44100;
        double lengthSeconds = 0.0;
        int fadeInKind = 0;
        int fadeOutKind = 0;
        double requestedFadeIn = 0.0;
        double requestedFadeOut = 0.0;
        // Derived by Recompute.
        int64_t totalFrames = 0;
        int64_t fadeInFrames = 0;
        int64_t fadeOutFrames = 0;
        double fadeInSeconds = 0.0;
        double fadeOutSeconds = 0.0;
    };

    explicit CFadeControl(uint16_t channels)
        : m_channels(channels)
    {
    }

    void SetChannelCount(uint16_t channels) { m_channels = channels; }

    // Rescales the position and the origin to the new rate. Returns the rate.
    uint32_t SetSampleRate(uint32_t rate);
    void SetLength(double seconds);
    void SetFadeIn(int kind, double seconds);
    void SetFadeOut(int kind, double seconds);
    // Takes another fade's settings, keeping this one's stream position and
    // origin (rescaled when the rate differs).
    void TakeSettings(const CFadeControl& other);

    const Settings& GetSettings() const { return m_settings; }
    int64_t GetPosition() const { return m_position; }
    void SetPosition(int64_t frame) { m_position = frame; }
    int32_t GetOrigin() const { return m_origin; }
    void SetOrigin(int32_t frame) { m_origin = frame; }

    void Process(float* const* buffers, uint32_t frames);

private:
    void Recompute();

    uint16_t m_channels;
    Settings m_settings;
    int64_t m_position = 0;
    int32_t m_origin = 0;
};
