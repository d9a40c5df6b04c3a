#pragma once

#include "engine/dsp/filters/CFirLpfCoeffs.h"

// Low-pass of a polyphase filter that runs at L times a base rate. Its taps carry the
// factor L, so that every polyphase branch keeps unity gain.
class COversamplingFilterCoeffs : public CFirLpfCoeffs
{
public:
    COversamplingFilterCoeffs();
    ~COversamplingFilterCoeffs() override;

    void SetTaps(int taps) override;
    double GetCoeff(int n) const override;
    // Sets the base rate r; the design rate becomes r x trunc(L).
    void SetRate(int baseRate) override;
    // (N / 2) / trunc(L): frames of the filter's input (the base rate).
    int GetLatency() const override;

    // Sets L; call SetRate afterwards to move the design rate with it.
    void SetInterpolation(double l);
    double GetInterpolation() const { return m_interpolation; }
    int GetBaseRate() const { return m_baseRate; }

protected:
    double m_interpolation;
    int m_baseRate;
};
