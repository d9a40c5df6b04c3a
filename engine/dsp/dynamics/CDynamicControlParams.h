#pragma once

#include <cstdint>

// The level controls of a song as the controller and the sessions set them:
// gain in dB, pan (balance) -1..1, DC cut mode (0 off) and the two fades
// (kind 0 or less none, 1 linear, 2 or more quadratic; times in seconds).
class CDynamicControlParams
{
public:
    virtual ~CDynamicControlParams() = default;

    virtual float SetGain(float decibels) = 0;
    virtual float SetPan(float pan) = 0;
    virtual uint32_t SetDcCut(uint32_t mode) = 0;
    virtual void SetFade(int fadeInKind, float fadeInSeconds, int fadeOutKind, float fadeOutSeconds) = 0;
    virtual float GetGain() = 0;
    virtual float GetPan() = 0;
    virtual uint32_t GetDcCut() = 0;
    // The kinds and the effective times (after shortening to fit the song).
    virtual void GetFade(int* fadeInKind, float* fadeInSeconds, int* fadeOutKind, float* fadeOutSeconds) = 0;
};
