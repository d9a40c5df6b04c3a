#include "engine/dsp/filters/CKaiserWindowCoeffs.h"

#include <array>
#include <cmath>

CKaiserWindowCoeffs::CKaiserWindowCoeffs()
    : m_taps(48),
      m_centre(23.5),
      m_beta(0.0),
      m_invI0Beta(1.0),
      m_invTapsMinusOne(1.0 / 47.0),
      m_attenuation(80.0),
      m_seriesTerms(15)
{
    SetAttenuation(80.0);
}

CKaiserWindowCoeffs::~CKaiserWindowCoeffs() = default;

void CKaiserWindowCoeffs::SetTaps(int taps)
{
    // A window needs at least one tap; with one tap it is the constant 1.
    m_taps = taps < 1 ? 1 : taps;
    m_centre = (m_taps - 1) * 0.5;
    m_invTapsMinusOne = m_taps > 1 ? 1.0 / (m_taps - 1) : 0.0;
}

double CKaiserWindowCoeffs::GetWindow(int n) const
{
    if (n < 0 || n >= m_taps)
        return 0.0;
    const double r = 2.0 * (n - m_centre) * m_invTapsMinusOne;
    const double inner = 1.0 - r * r;
    const double arg = m_beta * std::sqrt(inner > 0.0 ? inner : 0.0);
    return static_cast<double>(BesselI0(arg, m_seriesTerms)) * m_invI0Beta;
}

double CKaiserWindowCoeffs::SetAttenuation(double attenuationDb)
{
    m_attenuation = attenuationDb;
    m_beta = BetaForAttenuation(attenuationDb);
    m_invI0Beta = static_cast<double>(1.0L / BesselI0(m_beta, m_seriesTerms));
    return m_attenuation;
}

double CKaiserWindowCoeffs::BetaForAttenuation(double a)
{
    if (a <= 21.0)
        return 0.0;
    if (a > 50.0)
        return 0.1102 * (a - 8.7);
    return 0.5842 * std::pow(a - 21.0, 0.4) + 0.07886 * (a - 21.0);
}

long double CKaiserWindowCoeffs::BesselI0(long double x, int terms)
{
    // I0(x) = 1 + sum over k of ((x/2)^k / k!)^2 = sum of y^k / (k!)^2 with y = x^2 / 4,
    // evaluated by Horner's rule with the factors 1 / (k!)^2 computed once.
    constexpr int kMaxTerms = 32;
    static const auto inverseFactorialSquares = [] {
        std::array<long double, kMaxTerms + 1> f{};
        long double factorial = 1.0L;
        for (int k = 0; k <= kMaxTerms; ++k)
        {
            if (k > 0)
                factorial *= k;
            f[static_cast<std::size_t>(k)] = 1.0L / (factorial * factorial);
        }
        return f;
    }();
    const int n = terms < 0 ? 0 : (terms > kMaxTerms ? kMaxTerms : terms);
    const long double y = x * x * 0.25L;
    long double sum = inverseFactorialSquares[static_cast<std::size_t>(n)];
    for (int k = n - 1; k >= 0; --k)
        sum = sum * y + inverseFactorialSquares[static_cast<std::size_t>(k)];
    return sum;
}
