#pragma once

// Kaiser window of N taps with the stop-band attenuation A (dB) it is designed for.
// Base of the windowed-sinc low-pass designs used by every rate converter.
class CKaiserWindowCoeffs
{
public:
    CKaiserWindowCoeffs();
    virtual ~CKaiserWindowCoeffs();

    // Sets the tap count N (at least 1) and recomputes the centre and 1 / (N - 1).
    virtual void SetTaps(int taps);
    // w(n) for 0 <= n < N, 0 elsewhere.
    virtual double GetWindow(int n) const;

    // Sets A (dB), recomputes beta and 1 / I0(beta); returns A.
    double SetAttenuation(double attenuationDb);

    int GetTaps() const { return m_taps; }
    double GetCentre() const { return m_centre; }
    double GetBeta() const { return m_beta; }
    double GetAttenuation() const { return m_attenuation; }

    // beta for an attenuation A in dB (the usual Kaiser formula).
    static double BetaForAttenuation(double attenuationDb);
    // Modified Bessel function of the first kind, order 0, by its power series of `terms` terms.
    static long double BesselI0(long double x, int terms);

protected:
    int m_taps;
    double m_centre;
    double m_beta;
    double m_invI0Beta;
    double m_invTapsMinusOne;
    double m_attenuation;
    int m_seriesTerms;
};
