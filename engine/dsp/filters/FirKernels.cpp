#include "engine/dsp/filters/FirKernels.h"

#include <atomic>
#include <emmintrin.h>
#include <immintrin.h>

namespace
{

// ---- scalar: four running sums, as the vector variants keep four lanes --------------------

float DotScalar(const float* x, const float* h, uint32_t n)
{
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    for (uint32_t i = 0; i < n; i += 4)
    {
        s0 += x[i] * h[i];
        s1 += x[i + 1] * h[i + 1];
        s2 += x[i + 2] * h[i + 2];
        s3 += x[i + 3] * h[i + 3];
    }
    return (s0 + s1) + (s2 + s3);
}

void Dot2Scalar(const float* x, const float* h0, const float* h1, uint32_t n, float* sum0, float* sum1)
{
    *sum0 = DotScalar(x, h0, n);
    *sum1 = DotScalar(x, h1, n);
}

float SymmetricDotScalar(const float* oldest, const float* newest, const float* h, uint32_t half)
{
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    for (uint32_t k = 0; k < half; k += 4)
    {
        s0 += h[k] * (oldest[k] + newest[k]);
        s1 += h[k + 1] * (oldest[k + 1] + newest[k + 1]);
        s2 += h[k + 2] * (oldest[k + 2] + newest[k + 2]);
        s3 += h[k + 3] * (oldest[k + 3] + newest[k + 3]);
    }
    return (s0 + s1) + (s2 + s3) + h[half] * oldest[half];
}

void FirRunScalar(const float* x, const float* h, uint32_t n, float* y, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
        for (uint32_t k = 0; k < n; k += 4)
        {
            s0 += x[i + k] * h[k];
            s1 += x[i + k + 1] * h[k + 1];
            s2 += x[i + k + 2] * h[k + 2];
            s3 += x[i + k + 3] * h[k + 3];
        }
        y[i] = (s0 + s1) + (s2 + s3);
    }
}

void DotStereoScalar(const float* x0, const float* x1, const float* h, uint32_t n, float* sum0, float* sum1)
{
    *sum0 = DotScalar(x0, h, n);
    *sum1 = DotScalar(x1, h, n);
}

void SymmetricDotStereoScalar(const float* oldest0, const float* newest0, const float* oldest1, const float* newest1,
                              const float* h, uint32_t half, float* sum0, float* sum1)
{
    *sum0 = SymmetricDotScalar(oldest0, newest0, h, half);
    *sum1 = SymmetricDotScalar(oldest1, newest1, h, half);
}

void DotStereoPairScalar(const float* x0a, const float* x1a, const float* ha, const float* x0b, const float* x1b,
                         const float* hb, uint32_t n, float* sums)
{
    DotStereoScalar(x0a, x1a, ha, n, sums, sums + 1);
    DotStereoScalar(x0b, x1b, hb, n, sums + 2, sums + 3);
}

// ---- SSE2 (the x86-64 baseline) ------------------------------------------------------------

inline float HorizontalSum(__m128 v)
{
    __m128 shuf = _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1));
    __m128 sums = _mm_add_ps(v, shuf);
    shuf = _mm_movehl_ps(shuf, sums);
    sums = _mm_add_ss(sums, shuf);
    return _mm_cvtss_f32(sums);
}

inline __m128 PairSum(const float* a, const float* b)
{
    return _mm_add_ps(_mm_loadu_ps(a), _mm_loadu_ps(b));
}

float DotSse2(const float* x, const float* h, uint32_t n)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8)
    {
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x + i + 4), _mm_loadu_ps(h + i + 4)));
    }
    if (i < n)
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
    return HorizontalSum(_mm_add_ps(a0, a1));
}

void Dot2Sse2(const float* x, const float* h0, const float* h1, uint32_t n, float* sum0, float* sum1)
{
    __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
    for (uint32_t i = 0; i < n; i += 4)
    {
        const __m128 v = _mm_loadu_ps(x + i);
        a = _mm_add_ps(a, _mm_mul_ps(v, _mm_loadu_ps(h0 + i)));
        b = _mm_add_ps(b, _mm_mul_ps(v, _mm_loadu_ps(h1 + i)));
    }
    *sum0 = HorizontalSum(a);
    *sum1 = HorizontalSum(b);
}

float SymmetricDotSse2(const float* oldest, const float* newest, const float* h, uint32_t half)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
    uint32_t k = 0;
    for (; k + 8 <= half; k += 8)
    {
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(h + k), PairSum(oldest + k, newest + k)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(h + k + 4), PairSum(oldest + k + 4, newest + k + 4)));
    }
    if (k < half)
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(h + k), PairSum(oldest + k, newest + k)));
    return HorizontalSum(_mm_add_ps(a0, a1)) + h[half] * oldest[half];
}

void FirRunSse2(const float* x, const float* h, uint32_t n, float* y, uint32_t count)
{
    // Each output keeps four running sums (taps k mod 4), short chains that hold the
    // rounding down; two vectors of outputs at a time.
    uint32_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), a2 = _mm_setzero_ps(), a3 = _mm_setzero_ps();
        __m128 b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps(), b2 = _mm_setzero_ps(), b3 = _mm_setzero_ps();
        const float* p = x + i;
        for (uint32_t k = 0; k < n; k += 4)
        {
            const __m128 t0 = _mm_set1_ps(h[k]), t1 = _mm_set1_ps(h[k + 1]);
            const __m128 t2 = _mm_set1_ps(h[k + 2]), t3 = _mm_set1_ps(h[k + 3]);
            a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(p + k), t0));
            a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(p + k + 1), t1));
            a2 = _mm_add_ps(a2, _mm_mul_ps(_mm_loadu_ps(p + k + 2), t2));
            a3 = _mm_add_ps(a3, _mm_mul_ps(_mm_loadu_ps(p + k + 3), t3));
            b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(p + k + 4), t0));
            b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(p + k + 5), t1));
            b2 = _mm_add_ps(b2, _mm_mul_ps(_mm_loadu_ps(p + k + 6), t2));
            b3 = _mm_add_ps(b3, _mm_mul_ps(_mm_loadu_ps(p + k + 7), t3));
        }
        _mm_storeu_ps(y + i, _mm_add_ps(_mm_add_ps(a0, a1), _mm_add_ps(a2, a3)));
        _mm_storeu_ps(y + i + 4, _mm_add_ps(_mm_add_ps(b0, b1), _mm_add_ps(b2, b3)));
    }
    for (; i < count; ++i)
    {
        __m128 s0 = _mm_setzero_ps(), s1 = _mm_setzero_ps(), s2 = _mm_setzero_ps(), s3 = _mm_setzero_ps();
        for (uint32_t k = 0; k < n; k += 4)
        {
            s0 = _mm_add_ss(s0, _mm_mul_ss(_mm_load_ss(x + i + k), _mm_load_ss(h + k)));
            s1 = _mm_add_ss(s1, _mm_mul_ss(_mm_load_ss(x + i + k + 1), _mm_load_ss(h + k + 1)));
            s2 = _mm_add_ss(s2, _mm_mul_ss(_mm_load_ss(x + i + k + 2), _mm_load_ss(h + k + 2)));
            s3 = _mm_add_ss(s3, _mm_mul_ss(_mm_load_ss(x + i + k + 3), _mm_load_ss(h + k + 3)));
        }
        y[i] = _mm_cvtss_f32(_mm_add_ss(_mm_add_ss(s0, s1), _mm_add_ss(s2, s3)));
    }
}

void DotStereoSse2(const float* x0, const float* x1, const float* h, uint32_t n, float* sum0, float* sum1)
{
    __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
    for (uint32_t i = 0; i < n; i += 4)
    {
        const __m128 t = _mm_loadu_ps(h + i);
        a = _mm_add_ps(a, _mm_mul_ps(_mm_loadu_ps(x0 + i), t));
        b = _mm_add_ps(b, _mm_mul_ps(_mm_loadu_ps(x1 + i), t));
    }
    *sum0 = HorizontalSum(a);
    *sum1 = HorizontalSum(b);
}

void SymmetricDotStereoSse2(const float* oldest0, const float* newest0, const float* oldest1, const float* newest1,
                            const float* h, uint32_t half, float* sum0, float* sum1)
{
    __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
    for (uint32_t k = 0; k < half; k += 4)
    {
        const __m128 t = _mm_loadu_ps(h + k);
        a = _mm_add_ps(a, _mm_mul_ps(t, PairSum(oldest0 + k, newest0 + k)));
        b = _mm_add_ps(b, _mm_mul_ps(t, PairSum(oldest1 + k, newest1 + k)));
    }
    *sum0 = HorizontalSum(a) + h[half] * oldest0[half];
    *sum1 = HorizontalSum(b) + h[half] * oldest1[half];
}

void DotStereoPairSse2(const float* x0a, const float* x1a, const float* ha, const float* x0b, const float* x1b,
                       const float* hb, uint32_t n, float* sums)
{
    DotStereoSse2(x0a, x1a, ha, n, sums, sums + 1);
    DotStereoSse2(x0b, x1b, hb, n, sums + 2, sums + 3);
}

// ---- AVX2 with FMA, chosen at run time -----------------------------------------------------

#define QM_AVX2 __attribute__((target("avx2,fma")))

QM_AVX2 inline float HorizontalSum256(__m256 v)
{
    const __m128 lo = _mm256_castps256_ps128(v);
    const __m128 hi = _mm256_extractf128_ps(v, 1);
    __m128 s = _mm_add_ps(lo, hi);
    __m128 shuf = _mm_shuffle_ps(s, s, _MM_SHUFFLE(2, 3, 0, 1));
    s = _mm_add_ps(s, shuf);
    shuf = _mm_movehl_ps(shuf, s);
    s = _mm_add_ss(s, shuf);
    return _mm_cvtss_f32(s);
}

QM_AVX2 inline __m256 PairSum256(const float* a, const float* b)
{
    return _mm256_add_ps(_mm256_loadu_ps(a), _mm256_loadu_ps(b));
}

// A final group of four taps, widened to add into an eight-lane sum.
QM_AVX2 inline __m256 Widen(__m128 v)
{
    return _mm256_zextps128_ps256(v);
}

QM_AVX2 float DotAvx2(const float* x, const float* h, uint32_t n)
{
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps();
    __m256 a2 = _mm256_setzero_ps(), a3 = _mm256_setzero_ps();
    uint32_t i = 0;
    for (; i + 32 <= n; i += 32)
    {
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x + i), _mm256_loadu_ps(h + i), a0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(x + i + 8), _mm256_loadu_ps(h + i + 8), a1);
        a2 = _mm256_fmadd_ps(_mm256_loadu_ps(x + i + 16), _mm256_loadu_ps(h + i + 16), a2);
        a3 = _mm256_fmadd_ps(_mm256_loadu_ps(x + i + 24), _mm256_loadu_ps(h + i + 24), a3);
    }
    for (; i + 8 <= n; i += 8)
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x + i), _mm256_loadu_ps(h + i), a0);
    __m256 acc = _mm256_add_ps(_mm256_add_ps(a0, a1), _mm256_add_ps(a2, a3));
    if (i < n)
        acc = _mm256_add_ps(acc, Widen(_mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i))));
    return HorizontalSum256(acc);
}

QM_AVX2 void Dot2Avx2(const float* x, const float* h0, const float* h1, uint32_t n, float* sum0, float* sum1)
{
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps();
    __m256 b0 = _mm256_setzero_ps(), b1 = _mm256_setzero_ps();
    uint32_t i = 0;
    for (; i + 16 <= n; i += 16)
    {
        __m256 v0 = _mm256_loadu_ps(x + i);
        __m256 v1 = _mm256_loadu_ps(x + i + 8);
        __asm__("" : "+x"(v0), "+x"(v1)); // one load serves both sums
        a0 = _mm256_fmadd_ps(v0, _mm256_loadu_ps(h0 + i), a0);
        b0 = _mm256_fmadd_ps(v0, _mm256_loadu_ps(h1 + i), b0);
        a1 = _mm256_fmadd_ps(v1, _mm256_loadu_ps(h0 + i + 8), a1);
        b1 = _mm256_fmadd_ps(v1, _mm256_loadu_ps(h1 + i + 8), b1);
    }
    for (; i + 8 <= n; i += 8)
    {
        const __m256 v = _mm256_loadu_ps(x + i);
        a0 = _mm256_fmadd_ps(v, _mm256_loadu_ps(h0 + i), a0);
        b0 = _mm256_fmadd_ps(v, _mm256_loadu_ps(h1 + i), b0);
    }
    __m256 a = _mm256_add_ps(a0, a1);
    __m256 b = _mm256_add_ps(b0, b1);
    if (i < n)
    {
        const __m128 v = _mm_loadu_ps(x + i);
        a = _mm256_add_ps(a, Widen(_mm_mul_ps(v, _mm_loadu_ps(h0 + i))));
        b = _mm256_add_ps(b, Widen(_mm_mul_ps(v, _mm_loadu_ps(h1 + i))));
    }
    *sum0 = HorizontalSum256(a);
    *sum1 = HorizontalSum256(b);
}

QM_AVX2 float SymmetricDotAvx2(const float* oldest, const float* newest, const float* h, uint32_t half)
{
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps();
    uint32_t k = 0;
    for (; k + 16 <= half; k += 16)
    {
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(h + k), PairSum256(oldest + k, newest + k), a0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(h + k + 8), PairSum256(oldest + k + 8, newest + k + 8), a1);
    }
    for (; k + 8 <= half; k += 8)
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(h + k), PairSum256(oldest + k, newest + k), a0);
    __m256 acc = _mm256_add_ps(a0, a1);
    if (k < half)
        acc = _mm256_add_ps(acc, Widen(_mm_mul_ps(_mm_loadu_ps(h + k), PairSum(oldest + k, newest + k))));
    return HorizontalSum256(acc) + h[half] * oldest[half];
}

QM_AVX2 void FirRunAvx2(const float* x, const float* h, uint32_t n, float* y, uint32_t count)
{
    // Each output keeps four running sums (taps k mod 4), short chains that hold the
    // rounding down; two vectors of outputs at a time keep eight sums in flight.
    uint32_t i = 0;
    for (; i + 16 <= count; i += 16)
    {
        __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps(), a2 = _mm256_setzero_ps(), a3 = _mm256_setzero_ps();
        __m256 b0 = _mm256_setzero_ps(), b1 = _mm256_setzero_ps(), b2 = _mm256_setzero_ps(), b3 = _mm256_setzero_ps();
        const float* p = x + i;
        for (uint32_t k = 0; k < n; k += 4)
        {
            const __m256 t0 = _mm256_broadcast_ss(h + k), t1 = _mm256_broadcast_ss(h + k + 1);
            const __m256 t2 = _mm256_broadcast_ss(h + k + 2), t3 = _mm256_broadcast_ss(h + k + 3);
            a0 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k), t0, a0);
            a1 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 1), t1, a1);
            a2 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 2), t2, a2);
            a3 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 3), t3, a3);
            b0 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 8), t0, b0);
            b1 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 9), t1, b1);
            b2 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 10), t2, b2);
            b3 = _mm256_fmadd_ps(_mm256_loadu_ps(p + k + 11), t3, b3);
        }
        _mm256_storeu_ps(y + i, _mm256_add_ps(_mm256_add_ps(a0, a1), _mm256_add_ps(a2, a3)));
        _mm256_storeu_ps(y + i + 8, _mm256_add_ps(_mm256_add_ps(b0, b1), _mm256_add_ps(b2, b3)));
    }
    for (; i < count; ++i)
    {
        __m128 s0 = _mm_setzero_ps(), s1 = _mm_setzero_ps(), s2 = _mm_setzero_ps(), s3 = _mm_setzero_ps();
        for (uint32_t k = 0; k < n; k += 4)
        {
            s0 = _mm_fmadd_ss(_mm_load_ss(x + i + k), _mm_load_ss(h + k), s0);
            s1 = _mm_fmadd_ss(_mm_load_ss(x + i + k + 1), _mm_load_ss(h + k + 1), s1);
            s2 = _mm_fmadd_ss(_mm_load_ss(x + i + k + 2), _mm_load_ss(h + k + 2), s2);
            s3 = _mm_fmadd_ss(_mm_load_ss(x + i + k + 3), _mm_load_ss(h + k + 3), s3);
        }
        y[i] = _mm_cvtss_f32(_mm_add_ss(_mm_add_ss(s0, s1), _mm_add_ss(s2, s3)));
    }
}

// Sums of the lanes of a and b (in lanes 0 and 1) and of c and d (lanes 2 and 3), each by
// the same tree: ((0 + 1) + (2 + 3)) + ((4 + 5) + (6 + 7)).
QM_AVX2 inline __m128 HorizontalSums4(__m256 a, __m256 b, __m256 c, __m256 d)
{
    const __m256 t = _mm256_hadd_ps(_mm256_hadd_ps(a, b), _mm256_hadd_ps(c, d));
    // hadd interleaves: lanes hold a, b, c, d in the order (ab)(cd) -> a, b, c, d per half.
    return _mm_add_ps(_mm256_castps256_ps128(t), _mm256_extractf128_ps(t, 1));
}

// One stereo output: two running sums per channel over groups of 16 taps, then groups of
// 8, then a last group of 4.
struct StereoSums
{
    __m256 a;
    __m256 b;
};

QM_AVX2 inline StereoSums StereoAccumulate(const float* x0, const float* x1, const float* h, uint32_t n)
{
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps();
    __m256 b0 = _mm256_setzero_ps(), b1 = _mm256_setzero_ps();
    uint32_t i = 0;
    for (; i + 16 <= n; i += 16)
    {
        __m256 t0 = _mm256_loadu_ps(h + i);
        __m256 t1 = _mm256_loadu_ps(h + i + 8);
        // Keep the taps in registers: each load serves both channels.
        __asm__("" : "+x"(t0), "+x"(t1));
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i), t0, a0);
        b0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i), t0, b0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i + 8), t1, a1);
        b1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i + 8), t1, b1);
    }
    for (; i + 8 <= n; i += 8)
    {
        const __m256 t = _mm256_loadu_ps(h + i);
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i), t, a0);
        b0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i), t, b0);
    }
    StereoSums s{_mm256_add_ps(a0, a1), _mm256_add_ps(b0, b1)};
    if (i < n)
    {
        const __m128 t = _mm_loadu_ps(h + i);
        s.a = _mm256_add_ps(s.a, Widen(_mm_mul_ps(_mm_loadu_ps(x0 + i), t)));
        s.b = _mm256_add_ps(s.b, Widen(_mm_mul_ps(_mm_loadu_ps(x1 + i), t)));
    }
    return s;
}

QM_AVX2 void DotStereoAvx2(const float* x0, const float* x1, const float* h, uint32_t n, float* sum0, float* sum1)
{
    const StereoSums s = StereoAccumulate(x0, x1, h, n);
    const __m128 r = HorizontalSums4(s.a, s.b, s.a, s.b);
    *sum0 = _mm_cvtss_f32(r);
    *sum1 = _mm_cvtss_f32(_mm_shuffle_ps(r, r, _MM_SHUFFLE(1, 1, 1, 1)));
}

QM_AVX2 void DotStereoPairAvx2(const float* x0a, const float* x1a, const float* ha, const float* x0b, const float* x1b,
                               const float* hb, uint32_t n, float* sums)
{
    // The two outputs of StereoAccumulate in one loop (eight running sums in flight), each
    // summed exactly as there.
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps(), b0 = _mm256_setzero_ps(), b1 = _mm256_setzero_ps();
    __m256 c0 = _mm256_setzero_ps(), c1 = _mm256_setzero_ps(), d0 = _mm256_setzero_ps(), d1 = _mm256_setzero_ps();
    uint32_t i = 0;
    if (x0a == x0b && x1a == x1b)
    {
        // Both outputs over the same frames (up-conversion): each sample load serves both.
        for (; i + 16 <= n; i += 16)
        {
            __m256 v0 = _mm256_loadu_ps(x0a + i);
            __m256 v1 = _mm256_loadu_ps(x0a + i + 8);
            __m256 w0 = _mm256_loadu_ps(x1a + i);
            __m256 w1 = _mm256_loadu_ps(x1a + i + 8);
            __asm__("" : "+x"(v0), "+x"(v1), "+x"(w0), "+x"(w1));
            const __m256 s0 = _mm256_loadu_ps(ha + i), s1 = _mm256_loadu_ps(ha + i + 8);
            const __m256 t0 = _mm256_loadu_ps(hb + i), t1 = _mm256_loadu_ps(hb + i + 8);
            a0 = _mm256_fmadd_ps(v0, s0, a0);
            b0 = _mm256_fmadd_ps(w0, s0, b0);
            c0 = _mm256_fmadd_ps(v0, t0, c0);
            d0 = _mm256_fmadd_ps(w0, t0, d0);
            a1 = _mm256_fmadd_ps(v1, s1, a1);
            b1 = _mm256_fmadd_ps(w1, s1, b1);
            c1 = _mm256_fmadd_ps(v1, t1, c1);
            d1 = _mm256_fmadd_ps(w1, t1, d1);
        }
    }
    for (; i + 16 <= n; i += 16)
    {
        __m256 s0 = _mm256_loadu_ps(ha + i);
        __m256 s1 = _mm256_loadu_ps(ha + i + 8);
        __m256 t0 = _mm256_loadu_ps(hb + i);
        __m256 t1 = _mm256_loadu_ps(hb + i + 8);
        __asm__("" : "+x"(s0), "+x"(s1), "+x"(t0), "+x"(t1));
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0a + i), s0, a0);
        b0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1a + i), s0, b0);
        c0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0b + i), t0, c0);
        d0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1b + i), t0, d0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(x0a + i + 8), s1, a1);
        b1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1a + i + 8), s1, b1);
        c1 = _mm256_fmadd_ps(_mm256_loadu_ps(x0b + i + 8), t1, c1);
        d1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1b + i + 8), t1, d1);
    }
    for (; i + 8 <= n; i += 8)
    {
        const __m256 s0 = _mm256_loadu_ps(ha + i);
        const __m256 t0 = _mm256_loadu_ps(hb + i);
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0a + i), s0, a0);
        b0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1a + i), s0, b0);
        c0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0b + i), t0, c0);
        d0 = _mm256_fmadd_ps(_mm256_loadu_ps(x1b + i), t0, d0);
    }
    __m256 a = _mm256_add_ps(a0, a1), b = _mm256_add_ps(b0, b1);
    __m256 c = _mm256_add_ps(c0, c1), d = _mm256_add_ps(d0, d1);
    if (i < n)
    {
        const __m128 s0 = _mm_loadu_ps(ha + i);
        const __m128 t0 = _mm_loadu_ps(hb + i);
        a = _mm256_add_ps(a, Widen(_mm_mul_ps(_mm_loadu_ps(x0a + i), s0)));
        b = _mm256_add_ps(b, Widen(_mm_mul_ps(_mm_loadu_ps(x1a + i), s0)));
        c = _mm256_add_ps(c, Widen(_mm_mul_ps(_mm_loadu_ps(x0b + i), t0)));
        d = _mm256_add_ps(d, Widen(_mm_mul_ps(_mm_loadu_ps(x1b + i), t0)));
    }
    _mm_storeu_ps(sums, HorizontalSums4(a, b, c, d));
}

QM_AVX2 void SymmetricDotStereoAvx2(const float* oldest0, const float* newest0, const float* oldest1,
                                    const float* newest1, const float* h, uint32_t half, float* sum0, float* sum1)
{
    __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps();
    __m256 b0 = _mm256_setzero_ps(), b1 = _mm256_setzero_ps();
    uint32_t k = 0;
    for (; k + 16 <= half; k += 16)
    {
        __m256 t0 = _mm256_loadu_ps(h + k);
        __m256 t1 = _mm256_loadu_ps(h + k + 8);
        __asm__("" : "+x"(t0), "+x"(t1)); // one load serves both channels
        a0 = _mm256_fmadd_ps(t0, PairSum256(oldest0 + k, newest0 + k), a0);
        b0 = _mm256_fmadd_ps(t0, PairSum256(oldest1 + k, newest1 + k), b0);
        a1 = _mm256_fmadd_ps(t1, PairSum256(oldest0 + k + 8, newest0 + k + 8), a1);
        b1 = _mm256_fmadd_ps(t1, PairSum256(oldest1 + k + 8, newest1 + k + 8), b1);
    }
    for (; k + 8 <= half; k += 8)
    {
        const __m256 t = _mm256_loadu_ps(h + k);
        a0 = _mm256_fmadd_ps(t, PairSum256(oldest0 + k, newest0 + k), a0);
        b0 = _mm256_fmadd_ps(t, PairSum256(oldest1 + k, newest1 + k), b0);
    }
    __m256 a = _mm256_add_ps(a0, a1);
    __m256 b = _mm256_add_ps(b0, b1);
    if (k < half)
    {
        const __m128 t = _mm_loadu_ps(h + k);
        a = _mm256_add_ps(a, Widen(_mm_mul_ps(t, PairSum(oldest0 + k, newest0 + k))));
        b = _mm256_add_ps(b, Widen(_mm_mul_ps(t, PairSum(oldest1 + k, newest1 + k))));
    }
    *sum0 = HorizontalSum256(a) + h[half] * oldest0[half];
    *sum1 = HorizontalSum256(b) + h[half] * oldest1[half];
}

constexpr FirKernels kScalar{DotScalar,    Dot2Scalar,          SymmetricDotScalar,      DotStereoScalar,
                             FirRunScalar, DotStereoPairScalar, SymmetricDotStereoScalar};
constexpr FirKernels kSse2{DotSse2,    Dot2Sse2,          SymmetricDotSse2,      DotStereoSse2,
                           FirRunSse2, DotStereoPairSse2, SymmetricDotStereoSse2};
constexpr FirKernels kAvx2{DotAvx2,    Dot2Avx2,          SymmetricDotAvx2,      DotStereoAvx2,
                           FirRunAvx2, DotStereoPairAvx2, SymmetricDotStereoAvx2};

FirKernelLevel DetectBest()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return FirKernelLevel::Avx2Fma;
    return FirKernelLevel::Sse2;
}

const FirKernels* KernelsFor(FirKernelLevel level)
{
    switch (level)
    {
    case FirKernelLevel::Scalar:
        return &kScalar;
    case FirKernelLevel::Sse2:
        return &kSse2;
    case FirKernelLevel::Avx2Fma:
        return &kAvx2;
    }
    return &kSse2;
}

std::atomic<FirKernelLevel>& ActiveLevel()
{
    static std::atomic<FirKernelLevel> level{DetectBest()};
    return level;
}

} // namespace

const FirKernels& GetFirKernels()
{
    return *KernelsFor(ActiveLevel().load(std::memory_order_relaxed));
}

FirKernelLevel GetFirKernelLevel()
{
    return ActiveLevel().load(std::memory_order_relaxed);
}

FirKernelLevel GetBestFirKernelLevel()
{
    static const FirKernelLevel best = DetectBest();
    return best;
}

FirKernelLevel SetFirKernelLevel(FirKernelLevel level)
{
    if (static_cast<int>(level) > static_cast<int>(GetBestFirKernelLevel()))
        level = GetBestFirKernelLevel();
    ActiveLevel().store(level, std::memory_order_relaxed);
    return level;
}
