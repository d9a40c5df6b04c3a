#pragma once

#include <cstdint>

// Inner products of the FIR filters, with a scalar, an SSE2 and an AVX2/FMA variant.
// The variant is chosen once from the processor's features; every variant computes the
// same sums up to float rounding (the summation order differs).

enum class FirKernelLevel
{
    Scalar = 0,
    Sse2 = 1,
    Avx2Fma = 2,
};

struct FirKernels
{
    // sum over i < n of x[i] * h[i]; n is a multiple of 4.
    float (*dot)(const float* x, const float* h, uint32_t n);
    // The two sums of x with h0 and with h1 in one pass; n is a multiple of 4.
    void (*dot2)(const float* x, const float* h0, const float* h1, uint32_t n, float* sum0, float* sum1);
    // Symmetric filter of 2 * half + 1 taps over a window w of 2 * half + 1 samples, given as
    // the window from its oldest sample (oldest[k] = w[k]) and, reversed, from its newest
    // (newest[k] = w[2 half - k]): sum over k < half of h[k] * (w[k] + w[2 half - k]) +
    // h[half] * w[half]; half is a multiple of 4.
    float (*symmetricDot)(const float* oldest, const float* newest, const float* h, uint32_t half);
    // dot for two channels with the same taps: x0 with h and x1 with h.
    void (*dotStereo)(const float* x0, const float* x1, const float* h, uint32_t n, float* sum0, float* sum1);
    // A run of outputs of one filter over a stream: y[i] = sum over k < n of x[i + k] * h[k]
    // for i < count; every output is summed the same way wherever it falls in a run, so a
    // value does not depend on how the outputs are grouped; n is a multiple of 4.
    void (*firRun)(const float* x, const float* h, uint32_t n, float* y, uint32_t count);
    // dotStereo for two outputs at once: sums[0..1] from x0a, x1a with ha, sums[2..3] from
    // x0b, x1b with hb; each pair exactly as dotStereo gives it.
    void (*dotStereoPair)(const float* x0a, const float* x1a, const float* ha, const float* x0b, const float* x1b,
                          const float* hb, uint32_t n, float* sums);
    // symmetricDot for two channels with the same taps.
    void (*symmetricDotStereo)(const float* oldest0, const float* newest0, const float* oldest1, const float* newest1,
                               const float* h, uint32_t half, float* sum0, float* sum1);
};

// The kernels in use.
const FirKernels& GetFirKernels();
FirKernelLevel GetFirKernelLevel();
// The best level this processor runs.
FirKernelLevel GetBestFirKernelLevel();
// Chooses the kernels in use (a level above the best one is lowered to it); returns the level
// now in use. Tests use it to compare the variants.
FirKernelLevel SetFirKernelLevel(FirKernelLevel level);
