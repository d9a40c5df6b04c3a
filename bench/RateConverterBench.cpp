// Rate-converter benchmark: the export converters against libsoxr's very-high-quality
// preset, in the same run, for every pair of 44.1, 48, 88.2 and 96 kHz.
//
// Throughput: 60 s of stereo noise, one thread, set-up and tail flush included, in CPU
// time of the thread, best of five runs taken in turns, into output buffers made beforehand. Quality, for each converter:
//   flatness   largest gain deviation of tones from 20 Hz to 20 kHz (dB)
//   stop band  worst level of what should not come out (dB below the tone): the whole
//              output of tones between 1.1 x the output's and 0.95 x the input's Nyquist
//              frequency for down-conversions, the images (output minus the fitted tone)
//              of tones from 1 kHz to 0.9 x the input's Nyquist frequency for up-conversions
//   1 kHz      sine-fit residual of a 1 kHz tone (dB below the tone)
//   23 kHz     (48 -> 44.1 only) level of the alias of a 23 kHz tone (dB below the tone)
//
// Usage: bench_rate_converters [seconds]   (default 60)

#include "engine/dsp/filters/FirKernels.h"
#include "engine/dsp/rate/RateConverters.h"
#include "tests/engine/dsp/DspTestSignals.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace
{

using Channels = std::vector<std::vector<float>>;

constexpr uint32_t kRates[] = {44100, 48000, 88200, 96000};
constexpr double kToneAmplitude = 0.5;

// ---- the two converters, each turning a whole signal into a whole output ----------------

// Room for the whole output of a signal, tails included.
std::size_t OutputCapacity(uint32_t inRate, uint32_t outRate, std::size_t frames)
{
    return static_cast<std::size_t>(static_cast<double>(frames) * outRate / inRate) + 65536;
}

// Each converter writes into output, which already has OutputCapacity frames per channel
// (allocated and touched before the clock starts), and returns the frames written.
std::size_t ConvertOurs(uint32_t inRate, uint32_t outRate, const Channels& input, Channels& output)
{
    const uint16_t channels = static_cast<uint16_t>(input.size());
    auto stage = CreateExportConverter(GetRateConversionCode(inRate, outRate), channels);
    const uint32_t l = stage->GetInterpolation();
    const uint32_t m = stage->GetDecimation();
    // The export's block: the largest input block whose output fits 4096 frames.
    const uint32_t block = std::min<uint32_t>(4096 * m / l, 8192);
    const std::size_t frames = input[0].size();
    std::vector<const float*> in(channels);
    std::vector<float*> out(channels);
    std::size_t written = 0;
    auto run = [&](const Channels& src, std::size_t count) {
        for (std::size_t done = 0; done < count;)
        {
            const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(block, count - done));
            for (uint16_t c = 0; c < channels; ++c)
            {
                in[c] = src[c].data() + (&src == &input ? done : 0);
                out[c] = output[c].data() + written;
            }
            written += stage->Process(in.data(), out.data(), n);
            done += n;
        }
    };
    run(input, frames);
    const Channels silence(channels, std::vector<float>(stage->GetLatency() + 8192, 0.0f));
    run(silence, stage->GetLatency());
    return written;
}

std::size_t ConvertSoxr(uint32_t inRate, uint32_t outRate, const Channels& input, Channels& output)
{
    const unsigned channels = static_cast<unsigned>(input.size());
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_S, SOXR_FLOAT32_S);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_t soxr = soxr_create(inRate, outRate, channels, &error, &io, &quality, &runtime);
    if (!soxr || error)
    {
        std::fprintf(stderr, "soxr_create: %s\n", soxr_strerror(error));
        std::exit(1);
    }
    const std::size_t frames = input[0].size();
    const std::size_t expected = output[0].size();
    std::vector<const float*> in(channels);
    std::vector<float*> out(channels);
    std::size_t written = 0;
    constexpr std::size_t block = 4096;
    for (std::size_t done = 0; done < frames;)
    {
        const std::size_t n = std::min(block, frames - done);
        for (unsigned c = 0; c < channels; ++c)
        {
            in[c] = input[c].data() + done;
            out[c] = output[c].data() + written;
        }
        std::size_t used = 0, made = 0;
        soxr_process(soxr, in.data(), n, &used, out.data(), expected - written, &made);
        written += made;
        done += used;
    }
    for (;;)
    {
        for (unsigned c = 0; c < channels; ++c)
            out[c] = output[c].data() + written;
        std::size_t made = 0;
        soxr_process(soxr, nullptr, 0, nullptr, out.data(), std::min<std::size_t>(block, expected - written), &made);
        if (made == 0)
            break;
        written += made;
    }
    soxr_delete(soxr);
    return written;
}

using ConvertInto = std::size_t (*)(uint32_t, uint32_t, const Channels&, Channels&);

template <ConvertInto convertInto>
Channels ConvertWhole(uint32_t inRate, uint32_t outRate, const Channels& input)
{
    Channels output(input.size(), std::vector<float>(OutputCapacity(inRate, outRate, input[0].size())));
    const std::size_t written = convertInto(inRate, outRate, input, output);
    for (auto& ch : output)
        ch.resize(written);
    return output;
}

using Convert = Channels (*)(uint32_t, uint32_t, const Channels&);
constexpr Convert Ours = ConvertWhole<ConvertOurs>;
constexpr Convert Soxr = ConvertWhole<ConvertSoxr>;

// ---- measurements -----------------------------------------------------------------------

double Decibels(double ratio)
{
    return qm::test::ToDecibels(ratio);
}

struct Fit
{
    double amplitude;
    double residualRms;
    double rms;
};

// Least-squares fit of a sine, a cosine and DC at a known frequency over the middle of y
// (the first and last tenth are left out: filter start and tail), with the RMS level there.
Fit FitTone(const std::vector<float>& y, double frequency, double rate)
{
    const std::size_t from = y.size() / 10, to = y.size() - y.size() / 10;
    const qm::test::ToneFit tone = qm::test::FitTone(y, frequency, rate, from, to);
    double energy = 0.0;
    for (std::size_t i = from; i < to; ++i)
        energy += static_cast<double>(y[i]) * y[i];
    return {tone.amplitude, tone.residualRms, std::sqrt(energy / static_cast<double>(to - from))};
}

std::vector<float> ToneThrough(Convert convert, uint32_t in, uint32_t out, double frequency)
{
    const Channels tone{qm::test::Sine(in / 2, frequency, in, kToneAmplitude)};
    return convert(in, out, tone)[0];
}

// Levels relative to the tone's amplitude; an RMS level x sqrt(2) is an amplitude.
double Flatness(Convert convert, uint32_t in, uint32_t out)
{
    double worst = 0.0;
    for (double f : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 15000.0, 18000.0, 19000.0,
                     19500.0, 20000.0})
    {
        const Fit fit = FitTone(ToneThrough(convert, in, out, f), f, out);
        worst = std::max(worst, std::fabs(Decibels(fit.amplitude / kToneAmplitude)));
    }
    return worst;
}

double StopBand(Convert convert, uint32_t in, uint32_t out)
{
    double worst = -400.0;
    constexpr int kSteps = 8;
    if (out < in)
    {
        const double lo = 1.1 * out / 2, hi = 0.95 * in / 2;
        if (lo >= hi)
            return std::nan(""); // no such band below the input's Nyquist frequency
        for (int i = 0; i < kSteps; ++i)
        {
            const double f = lo + (hi - lo) * i / (kSteps - 1);
            const Fit fit = FitTone(ToneThrough(convert, in, out, f), f, out);
            worst = std::max(worst, Decibels(fit.rms * std::numbers::sqrt2 / kToneAmplitude));
        }
    }
    else
    {
        const double lo = 1000.0, hi = 0.9 * in / 2;
        for (int i = 0; i < kSteps; ++i)
        {
            const double f = lo + (hi - lo) * i / (kSteps - 1);
            const Fit fit = FitTone(ToneThrough(convert, in, out, f), f, out);
            worst = std::max(worst, Decibels(fit.residualRms * std::numbers::sqrt2 / kToneAmplitude));
        }
    }
    return worst;
}

double Residual1k(Convert convert, uint32_t in, uint32_t out)
{
    const Fit fit = FitTone(ToneThrough(convert, in, out, 1000.0), 1000.0, out);
    return Decibels(fit.residualRms / (fit.amplitude / std::numbers::sqrt2));
}

double Alias23k(Convert convert)
{
    const Fit fit = FitTone(ToneThrough(convert, 48000, 44100, 23000.0), 48000.0 - 23000.0, 44100);
    return Decibels(fit.rms * std::numbers::sqrt2 / kToneAmplitude);
}

double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double SecondsToConvert(ConvertInto convert, uint32_t in, uint32_t out, const Channels& noise, Channels& output)
{
    const double start = ThreadSeconds();
    const std::size_t written = convert(in, out, noise, output);
    const double seconds = ThreadSeconds() - start;
    if (written < noise[0].size() * out / in)
        std::fprintf(stderr, "short output\n");
    return seconds;
}

// The two converters take turns, so that a busy machine slows both alike; the best run of
// each counts.
constexpr int kRuns = 5;
std::pair<double, double> TimeBoth(uint32_t in, uint32_t out, const Channels& noise)
{
    Channels output(noise.size(), std::vector<float>(OutputCapacity(in, out, noise[0].size()), 0.0f));
    double ours = 1e30, soxr = 1e30;
    for (int run = 0; run < kRuns; ++run)
    {
        ours = std::min(ours, SecondsToConvert(ConvertOurs, in, out, noise, output));
        soxr = std::min(soxr, SecondsToConvert(ConvertSoxr, in, out, noise, output));
    }
    return {ours, soxr};
}

const char* KernelName(FirKernelLevel level)
{
    switch (level)
    {
    case FirKernelLevel::Scalar:
        return "scalar";
    case FirKernelLevel::Sse2:
        return "SSE2";
    case FirKernelLevel::Avx2Fma:
        return "AVX2/FMA";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    std::printf("Rate converters: %g s of stereo noise, one thread, CPU time, best of %d alternating runs; kernels %s; "
                "libsoxr %s\n\n",
                seconds, kRuns, KernelName(GetFirKernelLevel()), soxr_version());
    std::printf("| pair (kHz) | ours (ms) | libsoxr VHQ (ms) | ratio | flatness ours / soxr (dB) | stop band ours / "
                "soxr (dB) | 1 kHz residual ours / soxr (dB) |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    for (uint32_t in : kRates)
    {
        Channels noise(2, std::vector<float>(static_cast<std::size_t>(seconds * in)));
        for (auto& ch : noise)
            for (float& v : ch)
                v = dist(gen);
        for (uint32_t out : kRates)
        {
            if (in == out)
                continue;
            const auto [ours, soxr] = TimeBoth(in, out, noise);
            std::printf("| %g -> %g | %.1f | %.1f | %.2f | %.5f / %.5f | %.1f / %.1f | %.1f / %.1f |\n", in / 1000.0,
                        out / 1000.0, ours * 1000.0, soxr * 1000.0, ours / soxr, Flatness(Ours, in, out),
                        Flatness(Soxr, in, out), StopBand(Ours, in, out), StopBand(Soxr, in, out),
                        Residual1k(Ours, in, out), Residual1k(Soxr, in, out));
            std::fflush(stdout);
        }
    }
    std::printf("\nAlias of a 23 kHz tone, 48 -> 44.1 kHz (dB below the tone): ours %.1f, libsoxr VHQ %.1f\n",
                Alias23k(Ours), Alias23k(Soxr));
    return 0;
}
