#include "engine/dsp/filters/CFirLpfCoeffs.h"
#include "engine/dsp/filters/CKaiserWindowCoeffs.h"
#include "engine/dsp/filters/COversamplingFilterCoeffs.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(KaiserWindow, BetaFollowsTheAttenuation)
{
    struct Case
    {
        double attenuation;
        double beta;
    };
    const Case cases[] = {
        {10.0, 0.0},
        {21.0, 0.0}, // rectangular window
        {24.0, 0.5842 * std::pow(3.0, 0.4) + 0.07886 * 3.0},
        {50.0, 0.5842 * std::pow(29.0, 0.4) + 0.07886 * 29.0}, // still the middle formula
        {50.5, 0.1102 * (50.5 - 8.7)},
        {85.0, 0.1102 * 76.3},
        {120.0, 12.26526},
    };
    for (const Case& c : cases)
    {
        CKaiserWindowCoeffs w;
        EXPECT_EQ(w.SetAttenuation(c.attenuation), c.attenuation);
        EXPECT_NEAR(w.GetBeta(), c.beta, 1e-12) << "A = " << c.attenuation;
    }
}

TEST(KaiserWindow, BesselSeriesMatchesTheLibrary)
{
    for (double x : {0.0, 0.5, 3.0, 8.0, 12.26526})
    {
        const double expected = std::cyl_bessel_i(0.0, x);
        // Fifteen terms leave about 2e-6 at the largest argument in use.
        EXPECT_NEAR(static_cast<double>(CKaiserWindowCoeffs::BesselI0(x, 15)) / expected, 1.0, 3e-6) << x;
    }
}

TEST(KaiserWindow, ShapeDefaultsAndEdges)
{
    CKaiserWindowCoeffs w;
    EXPECT_EQ(w.GetTaps(), 48);
    EXPECT_DOUBLE_EQ(w.GetCentre(), 23.5);
    EXPECT_DOUBLE_EQ(w.GetAttenuation(), 80.0);

    w.SetAttenuation(120.0);
    w.SetTaps(101);
    EXPECT_DOUBLE_EQ(w.GetCentre(), 50.0);
    EXPECT_DOUBLE_EQ(w.GetWindow(50), 1.0);
    EXPECT_NEAR(w.GetWindow(0), 1.0 / std::cyl_bessel_i(0.0, 12.26526), 1e-9);
    for (int n = 0; n < 101; ++n)
        EXPECT_DOUBLE_EQ(w.GetWindow(n), w.GetWindow(100 - n));
    EXPECT_EQ(w.GetWindow(101), 0.0);
    EXPECT_EQ(w.GetWindow(-1), 0.0);

    w.SetAttenuation(21.0);
    for (int n = 0; n < 101; ++n)
        EXPECT_DOUBLE_EQ(w.GetWindow(n), 1.0);

    w.SetTaps(1);
    EXPECT_DOUBLE_EQ(w.GetWindow(0), 1.0);
}

TEST(FirLpfCoeffs, DefaultsCentreTapAndPadding)
{
    CFirLpfCoeffs h;
    EXPECT_EQ(h.GetTaps(), 48);
    EXPECT_EQ(h.GetRate(), 2822400);
    EXPECT_EQ(h.GetCutoff(), 158000);
    EXPECT_DOUBLE_EQ(h.GetNormalisedCutoff(), 0.11196145124716553);
    EXPECT_EQ(h.GetLatency(), 24);

    h.SetTaps(193);
    h.SetRate(88200);
    h.SetCutoff(22050);
    h.SetGainDecibels(6.0);
    EXPECT_DOUBLE_EQ(h.GetGain(), std::pow(10.0, 0.3));
    const double g = h.GetGain();
    EXPECT_NEAR(h.GetNormalisedCutoff(), 0.5, 1e-15);
    EXPECT_EQ(h.GetCoeff(96), g * h.GetNormalisedCutoff());
    EXPECT_EQ(h.GetCoeff(193), 0.0);
    EXPECT_EQ(h.GetLatency(), 96);
    double sum = 0.0;
    for (int n = 0; n < 193; ++n)
    {
        EXPECT_DOUBLE_EQ(h.GetCoeff(n), h.GetCoeff(192 - n));
        sum += h.GetCoeff(n);
    }
    EXPECT_NEAR(sum, g, 1e-4); // the DC gain is g
}

TEST(OversamplingFilterCoeffs, CarryTheFactorAndCountLatencyInInputFrames)
{
    struct Case
    {
        int taps;
        int rate;
        int l;
        int latency;
    };
    const Case cases[] = {
        {15361, 44100, 160, 48},
        {193, 44100, 2, 48},
        {56449, 96000, 147, 192},
        {384, 48000, 16, 12},
    };
    for (const Case& c : cases)
    {
        COversamplingFilterCoeffs h;
        h.SetInterpolation(c.l);
        h.SetRate(c.rate);
        h.SetTaps(c.taps);
        h.SetCutoff(22050);
        EXPECT_EQ(h.GetBaseRate(), c.rate);
        EXPECT_EQ(h.GetRate(), c.rate * c.l);
        EXPECT_EQ(h.GetLatency(), c.latency);

        CFirLpfCoeffs plain;
        plain.SetTaps(c.taps);
        plain.SetRate(c.rate * c.l);
        plain.SetCutoff(22050);
        for (int n : {0, c.taps / 3, c.taps / 2})
            EXPECT_DOUBLE_EQ(h.GetCoeff(n), plain.GetCoeff(n) * c.l);
    }
}
