#include "app/songlist/GainRounding.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kMaxGainDb = 60.0f;

// Slack, in tenths of a dB, for rounding down: a value held as a float may lie
// a few units of its last place below the step it stands for (-51.1f x 10 is
// -511.00003), and must not fall to the step below.
constexpr double kStepSlack = 1e-3;
} // namespace

float roundGainDb(float dB, bool exact)
{
    if (std::isnan(dB))
        return 0.0f;
    // Far outside the range the result is the limit; clamping first keeps the
    // arithmetic below finite.
    const float limited = std::clamp(dB, -10.0f * kMaxGainDb, 10.0f * kMaxGainDb);
    double tenths = double(limited * 10.0f);
    if (!exact)
        tenths = std::floor(tenths + kStepSlack);
    const double steps = std::trunc(limited > 0.0f ? tenths + 0.5 : tenths - 0.5);
    // Values just below zero give -0.0: held as plain zero.
    return steps == 0.0 ? 0.0f : std::clamp(float(steps * 0.1), -kMaxGainDb, kMaxGainDb);
}
