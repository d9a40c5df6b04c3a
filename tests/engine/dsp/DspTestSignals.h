#pragma once

// Signals and measurements shared by the rate-converter tests.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace qm::test
{

using Channels = std::vector<std::vector<float>>;

inline std::vector<float> Sine(std::size_t frames, double frequency, double rate, double amplitude = 0.5)
{
    std::vector<float> s(frames);
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    for (std::size_t i = 0; i < frames; ++i)
        s[i] = static_cast<float>(amplitude * std::sin(w * static_cast<double>(i)));
    return s;
}

inline std::vector<float> Noise(std::size_t frames, unsigned seed, float amplitude = 0.5f)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> s(frames);
    for (float& v : s)
        v = dist(gen);
    return s;
}

inline double ToDecibels(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -400.0;
}

// Least-squares fit of a*sin + b*cos + c at a known frequency over y[from, to).
struct ToneFit
{
    double amplitude = 0.0;
    double phase = 0.0;       // of the sine at index 0, radians
    double residualRms = 0.0; // what the tone and DC do not explain
};

inline ToneFit FitTone(const std::vector<float>& y, double frequency, double rate, std::size_t from, std::size_t to)
{
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    // Normal equations of the three regressors.
    double m[3][3] = {};
    double v[3] = {};
    for (std::size_t i = from; i < to; ++i)
    {
        const double r[3] = {std::sin(w * static_cast<double>(i)), std::cos(w * static_cast<double>(i)), 1.0};
        for (int a = 0; a < 3; ++a)
        {
            v[a] += r[a] * y[i];
            for (int b = 0; b < 3; ++b)
                m[a][b] += r[a] * r[b];
        }
    }
    // Gaussian elimination (the system is small and well conditioned).
    double x[3] = {};
    for (int col = 0; col < 3; ++col)
    {
        for (int row = col + 1; row < 3; ++row)
        {
            const double f = m[row][col] / m[col][col];
            for (int k = col; k < 3; ++k)
                m[row][k] -= f * m[col][k];
            v[row] -= f * v[col];
        }
    }
    for (int row = 2; row >= 0; --row)
    {
        double s = v[row];
        for (int k = row + 1; k < 3; ++k)
            s -= m[row][k] * x[k];
        x[row] = s / m[row][row];
    }
    ToneFit fit;
    fit.amplitude = std::hypot(x[0], x[1]);
    fit.phase = std::atan2(x[1], x[0]);
    double e = 0.0;
    for (std::size_t i = from; i < to; ++i)
    {
        const double model =
            x[0] * std::sin(w * static_cast<double>(i)) + x[1] * std::cos(w * static_cast<double>(i)) + x[2];
        e += (y[i] - model) * (y[i] - model);
    }
    fit.residualRms = std::sqrt(e / static_cast<double>(to - from));
    return fit;
}

// Feeds a stage (anything with Process) in blocks of the given size and collects what it
// writes; a block never gives more than capacity output frames.
template <typename Stage>
Channels RunInBlocks(Stage& stage, const Channels& input, std::size_t block, std::size_t capacity)
{
    const std::size_t channels = input.size();
    const std::size_t frames = channels ? input[0].size() : 0;
    Channels output(channels);
    Channels scratch(channels, std::vector<float>(capacity));
    std::vector<const float*> in(channels);
    std::vector<float*> out(channels);
    for (std::size_t done = 0; done < frames;)
    {
        const std::size_t n = std::min(block, frames - done);
        for (std::size_t c = 0; c < channels; ++c)
        {
            in[c] = input[c].data() + done;
            out[c] = scratch[c].data();
        }
        const uint32_t produced = stage.Process(in.data(), out.data(), static_cast<uint32_t>(n));
        for (std::size_t c = 0; c < channels; ++c)
            output[c].insert(output[c].end(), scratch[c].begin(), scratch[c].begin() + produced);
        done += n;
    }
    return output;
}

// As above for a stage with GetInterpolation and GetDecimation.
template <typename Stage>
Channels RunInBlocks(Stage& stage, const Channels& input, std::size_t block)
{
    const uint64_t l = stage.GetInterpolation();
    const uint64_t m = stage.GetDecimation();
    return RunInBlocks(stage, input, block, static_cast<std::size_t>((block * l + m - 1) / m + 2));
}

} // namespace qm::test
