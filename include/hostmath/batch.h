// hostmath/batch.h: the conversions and special functions over whole arrays.
//
// Each function qx_math_func_host_batch_NAME(in, out, n) stores in out[i] what
// qx_math_func_host_NAME(in[i]) returns, bit for bit, for i = 0 .. n-1: both
// run the same computation (the scalar function on one lane, the array form
// on blocks of 64), with the same NaN rule (hostmath.h).  Only the speed
// differs: the loops are vectorised, on x86-64 for the widest vector unit the
// processor has (and with its conversion instructions where it has them), and
// the special functions evaluate many arguments side by side in vector
// registers, their logarithms and exponentials included.
//
// The contract of every pointer form:
//   - n = 0 does nothing (the pointers are then not used and may be null);
//     otherwise in and out point to at least n elements each.
//   - Element alignment is enough: any float, double or 16-bit record address.
//   - The conversions need in and out not to overlap.  The special functions,
//     the pi-scaled, root, minimum and maximum forms also work in place (out
//     equal to an input of the result's type); any other overlap is not
//     allowed.
//   - The functions keep no state and may run concurrently on disjoint arrays.
//   - Like the scalar functions, none depends on the calling thread's
//     floating-point state: the results are the same bits under any rounding
//     direction, flush-to-zero or denormals-are-zero setting (on AArch64 also
//     default-NaN) and with any exception unmasked; no argument traps.  The
//     state, sticky flags included, and errno are as they were when the call
//     returns.  The state is switched once per call, not per element.
//
// In C++20 and later each function also takes std::span arguments: it then
// handles min(in.size(), out.size()) elements (a shorter out is never written
// past its end) and returns that count.
#ifndef HOSTMATH_BATCH_H
#define HOSTMATH_BATCH_H

#include "../hostmath.h"

#include <cstddef>

// ---------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------

// Float to bfloat16 in each rounding direction; every NaN becomes 0x7fff.
HOSTMATH_API void qx_math_func_host_batch___float2bfloat16_rn(const float* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2bfloat16_rz(const float* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2bfloat16_rd(const float* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2bfloat16_ru(const float* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___double2bfloat16(const double* in, __quix_bfloat16* out, std::size_t n);
// Exact; a NaN keeps its sign and payload.
HOSTMATH_API void qx_math_func_host_batch___bfloat162float(const __quix_bfloat16* in, float* out, std::size_t n);

// Float to half in each rounding direction; every NaN becomes 0x7fff.
HOSTMATH_API void qx_math_func_host_batch___float2half_rn(const float* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2half_rz(const float* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2half_rd(const float* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___float2half_ru(const float* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___double2half(const double* in, __half* out, std::size_t n);
// Exact; every NaN becomes 0x7fffffff.
HOSTMATH_API void qx_math_func_host_batch___half2float(const __half* in, float* out, std::size_t n);

// Integers to bfloat16 and half, to nearest; bfloat16 and half to integers,
// toward zero and saturating.
HOSTMATH_API void qx_math_func_host_batch___ushort2bfloat16_rn(const unsigned short* in, __quix_bfloat16* out,
                                                               std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___short2bfloat16_rn(const short* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___int2bfloat16_rn(const int* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___uint2bfloat16_rn(const unsigned int* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___ll2bfloat16_rn(const long long* in, __quix_bfloat16* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___ull2bfloat16_rn(const unsigned long long* in, __quix_bfloat16* out,
                                                            std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162ushort_rz(const __quix_bfloat16* in, unsigned short* out,
                                                               std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162short_rz(const __quix_bfloat16* in, short* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162int_rz(const __quix_bfloat16* in, int* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162uint_rz(const __quix_bfloat16* in, unsigned int* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162ll_rz(const __quix_bfloat16* in, long long* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___bfloat162ull_rz(const __quix_bfloat16* in, unsigned long long* out,
                                                            std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___ushort2half_rn(const unsigned short* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___short2half_rn(const short* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___int2half_rn(const int* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___uint2half_rn(const unsigned int* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___ll2half_rn(const long long* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___ull2half_rn(const unsigned long long* in, __half* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2ushort_rz(const __half* in, unsigned short* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2short_rz(const __half* in, short* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2int_rz(const __half* in, int* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2uint_rz(const __half* in, unsigned int* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2ll_rz(const __half* in, long long* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch___half2ull_rz(const __half* in, unsigned long long* out, std::size_t n);

// ---------------------------------------------------------------------------
// Special functions
// ---------------------------------------------------------------------------

HOSTMATH_API void qx_math_func_host_batch_erfinv(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_erfinvf(const float* in, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_erfcinv(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_erfcinvf(const float* in, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_erfcx(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_erfcxf(const float* in, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_normcdf(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_normcdff(const float* in, float* out, std::size_t n);

// ---------------------------------------------------------------------------
// Pi-scaled sine and cosine, reciprocal roots, minimum and maximum
// ---------------------------------------------------------------------------

HOSTMATH_API void qx_math_func_host_batch_sinpi(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_sinpif(const float* in, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_cospi(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_cospif(const float* in, float* out, std::size_t n);
// The sines into sinp, then the cosines into cosp; a null output is skipped.
HOSTMATH_API void qx_math_func_host_batch_sincospi(const double* in, double* sinp, double* cosp, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_sincospif(const float* in, float* sinp, float* cosp, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_rsqrt(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_rsqrtf(const float* in, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_rcbrt(const double* in, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_rcbrtf(const float* in, float* out, std::size_t n);

// out[i] = max(a[i], b[i]) (min), as the scalar floating forms; the forms
// that mix double and float widen the float exactly, as max(double, float)
// and max(float, double) do.  In place, out may be the array of the result's
// type.
HOSTMATH_API void qx_math_func_host_batch_max(const float* a, const float* b, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_max(const double* a, const float* b, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_max(const float* a, const double* b, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_max(const double* a, const double* b, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_min(const float* a, const float* b, float* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_min(const double* a, const float* b, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_min(const float* a, const double* b, double* out, std::size_t n);
HOSTMATH_API void qx_math_func_host_batch_min(const double* a, const double* b, double* out, std::size_t n);

// ---------------------------------------------------------------------------
// std::span forms (C++20): min(in.size(), out.size()) elements, count returned
// ---------------------------------------------------------------------------

#if __cplusplus >= 202002L && defined(__has_include)
#if __has_include(<span>)
#include <algorithm>
#include <span>

#define HOSTMATH_BATCH_SPAN_FORM(name, In, Out)                                  \
    inline std::size_t name(std::span<const In> in, std::span<Out> out)         \
    {                                                                           \
        const std::size_t n = in.size() < out.size() ? in.size() : out.size(); \
        name(in.data(), out.data(), n);                                         \
        return n;                                                               \
    }

HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2bfloat16_rn, float, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2bfloat16_rz, float, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2bfloat16_rd, float, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2bfloat16_ru, float, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___double2bfloat16, double, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162float, __quix_bfloat16, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2half_rn, float, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2half_rz, float, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2half_rd, float, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___float2half_ru, float, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___double2half, double, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2float, __half, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfinv, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfinvf, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfcinv, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfcinvf, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfcx, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_erfcxf, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_normcdf, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_normcdff, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ushort2bfloat16_rn, unsigned short, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___short2bfloat16_rn, short, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___int2bfloat16_rn, int, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___uint2bfloat16_rn, unsigned int, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ll2bfloat16_rn, long long, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ull2bfloat16_rn, unsigned long long, __quix_bfloat16)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162ushort_rz, __quix_bfloat16, unsigned short)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162short_rz, __quix_bfloat16, short)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162int_rz, __quix_bfloat16, int)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162uint_rz, __quix_bfloat16, unsigned int)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162ll_rz, __quix_bfloat16, long long)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___bfloat162ull_rz, __quix_bfloat16, unsigned long long)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ushort2half_rn, unsigned short, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___short2half_rn, short, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___int2half_rn, int, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___uint2half_rn, unsigned int, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ll2half_rn, long long, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___ull2half_rn, unsigned long long, __half)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2ushort_rz, __half, unsigned short)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2short_rz, __half, short)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2int_rz, __half, int)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2uint_rz, __half, unsigned int)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2ll_rz, __half, long long)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch___half2ull_rz, __half, unsigned long long)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_sinpi, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_sinpif, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_cospi, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_cospif, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_rsqrt, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_rsqrtf, float, float)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_rcbrt, double, double)
HOSTMATH_BATCH_SPAN_FORM(qx_math_func_host_batch_rcbrtf, float, float)

// The two-output and two-input forms: the shortest of the spans.
inline std::size_t qx_math_func_host_batch_sincospi(std::span<const double> in, std::span<double> sinp,
                                                    std::span<double> cosp)
{
    const std::size_t n = std::min({in.size(), sinp.size(), cosp.size()});
    qx_math_func_host_batch_sincospi(in.data(), sinp.data(), cosp.data(), n);
    return n;
}
inline std::size_t qx_math_func_host_batch_sincospif(std::span<const float> in, std::span<float> sinp,
                                                     std::span<float> cosp)
{
    const std::size_t n = std::min({in.size(), sinp.size(), cosp.size()});
    qx_math_func_host_batch_sincospif(in.data(), sinp.data(), cosp.data(), n);
    return n;
}

#define HOSTMATH_BATCH_SPAN_PAIR_FORM(name, A, B, R)                                          \
    inline std::size_t name(std::span<const A> a, std::span<const B> b, std::span<R> out)    \
    {                                                                                        \
        const std::size_t n = std::min({a.size(), b.size(), out.size()});                    \
        name(a.data(), b.data(), out.data(), n);                                             \
        return n;                                                                            \
    }

HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_max, float, float, float)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_max, double, float, double)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_max, float, double, double)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_max, double, double, double)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_min, float, float, float)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_min, double, float, double)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_min, float, double, double)
HOSTMATH_BATCH_SPAN_PAIR_FORM(qx_math_func_host_batch_min, double, double, double)

#undef HOSTMATH_BATCH_SPAN_PAIR_FORM

#undef HOSTMATH_BATCH_SPAN_FORM

#endif  // __has_include(<span>)
#endif  // C++20

#endif  // HOSTMATH_BATCH_H
