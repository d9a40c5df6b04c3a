#pragma once

#include "engine/dsp/filters/CKaiserWindowCoeffs.h"

// Kaiser-windowed sinc low-pass: cutoff fc (Hz) at the design rate fs, with a linear gain g.
class CFirLpfCoeffs : public CKaiserWindowCoeffs
{
public:
    CFirLpfCoeffs();
    ~CFirLpfCoeffs() override;

    void SetTaps(int taps) override;
    // h(n) for 0 <= n < N, 0 elsewhere.
    virtual double GetCoeff(int n) const;
    // Sets the design rate fs (Hz, at least 1).
    virtual void SetRate(int fs);
    // Group delay in frames of the filter's input: N / 2.
    virtual int GetLatency() const;

    void SetCutoff(int cutoffHz);
    void SetGainDecibels(double gainDb);

    int GetRate() const { return m_rate; }
    int GetCutoff() const { return m_cutoff; }
    double GetGain() const { return m_gain; }
    double GetNormalisedCutoff() const { return m_twoFcOverFs; }

protected:
    void UpdateCutoff();

    double m_twoFcOverFs;
    double m_omega;
    int m_rate;
    double m_invRate;
    int m_cutoff;
    double m_gain;
};
