// The x86-64 conversion instructions, for the array forms on processors that
// have them: F16C converts float to half in each rounding direction and half to
// float, AVX-512 BF16 float to bfloat16 to nearest.  Each function converts a
// prefix of the array (whole vectors) and returns its length; the caller
// converts the rest with the portable loop.
//
// Where the instructions and the scalar functions differ, the portable rules
// decide:
//   - NaN: the instructions keep the sign and part of the payload, the library
//     gives one pattern.  For F16C a float NaN is replaced by 0x7fffffff
//     before narrowing (it narrows to 0x7fff in every direction) and a widened
//     NaN by 0x7fffffff.  AVX-512 BF16 stops at a vector holding a NaN.
//   - Float subnormals: AVX-512 BF16 treats them as zero, so it stops at a
//     vector holding one as well; the caller converts that vector with the
//     portable loop and goes on.
//   - The MXCSR state: F16C honours denormals-are-zero and flush-to-zero and
//     could trap on an unmasked exception, and the classification of AVX-512
//     sees subnormals as zero under denormals-are-zero.  These functions run
//     in the default state that the calling export's guard installs (fp_env.h).
// The rounding direction of F16C is the instruction's immediate, never MXCSR.
// With these, the results are the scalar functions' bit for bit, which the
// sweep of every float (exhaustive_batch) checks on a processor with the
// instructions.
//
// With AVX-512 the F16C vectors hold 16 floats and a NaN is patched by a
// masked move; with AVX2 they hold 8 and a blend patches it.
#ifndef HOSTMATH_BATCH_X86_H
#define HOSTMATH_BATCH_X86_H

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define HOSTMATH_BATCH_X86 1

#include "cpu/dispatch.h"
#include "convert/half.h"
#include "hostmath.h"

#include <cstddef>
#include <immintrin.h>

namespace hostmath {
namespace detail {
namespace x86 {

// Below this many elements the portable loop is as fast.
constexpr std::size_t kMinimum = 32;

// The instructions follow the processor path (cpu/dispatch.h): F16C on the
// x86-64-v3 path (which includes it), AVX-512 on the x86-64-v4 path, so that
// forcing a path for the tests also forces the instructions.
inline bool has_f16c() { return selected_path() >= Path::v3; }
inline bool has_avx512f() { return selected_path() >= Path::v4; }

// The F16C rounding immediate of each direction.
template <typename Rule>
constexpr int f16c_rounding();
template <>
constexpr int f16c_rounding<HalfNearestEven>() { return _MM_FROUND_TO_NEAREST_INT; }
template <>
constexpr int f16c_rounding<HalfTowardZero>() { return _MM_FROUND_TO_ZERO; }
template <>
constexpr int f16c_rounding<HalfDown>() { return _MM_FROUND_TO_NEG_INF; }
template <>
constexpr int f16c_rounding<HalfUp>() { return _MM_FROUND_TO_POS_INF; }

constexpr int kNanAsBits = 0x7fffffff;  // a NaN that F16C narrows to 0x7fff; the widened NaN

template <int Rounding>
__attribute__((target("avx2,f16c"))) std::size_t float2half_f16c_avx2(const float* in, __half* out, std::size_t n)
{
    const __m256 nan = _mm256_castsi256_ps(_mm256_set1_epi32(kNanAsBits));
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256 x = _mm256_loadu_ps(in + i);
        x = _mm256_blendv_ps(x, nan, _mm256_cmp_ps(x, x, _CMP_UNORD_Q));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_cvtps_ph(x, Rounding | _MM_FROUND_NO_EXC));
    }
    return i;
}

// GCC 12's AVX-512 headers trip -Wmaybe-uninitialized on their own placeholder
// for the unused merge operand of the conversions.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

template <int Rounding>
__attribute__((target("avx512f,f16c"))) std::size_t float2half_f16c_avx512(const float* in, __half* out, std::size_t n)
{
    const __m512 nan = _mm512_castsi512_ps(_mm512_set1_epi32(kNanAsBits));
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m512 x = _mm512_loadu_ps(in + i);
        x = _mm512_mask_mov_ps(x, _mm512_cmp_ps_mask(x, x, _CMP_UNORD_Q), nan);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm512_cvtps_ph(x, Rounding | _MM_FROUND_NO_EXC));
    }
    return i;
}

__attribute__((target("avx2,f16c"))) inline std::size_t half2float_f16c_avx2(const __half* in, float* out,
                                                                           std::size_t n)
{
    const __m256 nan = _mm256_castsi256_ps(_mm256_set1_epi32(kNanAsBits));
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256 x = _mm256_cvtph_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
        _mm256_storeu_ps(out + i, _mm256_blendv_ps(x, nan, _mm256_cmp_ps(x, x, _CMP_UNORD_Q)));
    }
    return i;
}

__attribute__((target("avx512f,f16c"))) inline std::size_t half2float_f16c_avx512(const __half* in, float* out,
                                                                               std::size_t n)
{
    const __m512 nan = _mm512_castsi512_ps(_mm512_set1_epi32(kNanAsBits));
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m512 x = _mm512_cvtph_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i)));
        _mm512_storeu_ps(out + i, _mm512_mask_mov_ps(x, _mm512_cmp_ps_mask(x, x, _CMP_UNORD_Q), nan));
    }
    return i;
}

// Converts whole vectors of 16 up to the first that holds a NaN or a float
// subnormal (one classification instruction finds both), and returns how far
// it got.
__attribute__((target("avx512f,avx512dq,avx512bf16"))) inline std::size_t float2bfloat16_rn_avx512(
    const float* in, __quix_bfloat16* out, std::size_t n)
{
    constexpr int kQuietNan = 0x01, kSubnormal = 0x20, kSignallingNan = 0x80;
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m512 x = _mm512_loadu_ps(in + i);
        if (_mm512_fpclass_ps_mask(x, kQuietNan | kSubnormal | kSignallingNan) != 0) break;
        const __m256bh b = _mm512_cvtneps_pbh(x);
        __m256i bits;
        static_assert(sizeof bits == sizeof b, "16 bfloat16 patterns");
        __builtin_memcpy(&bits, &b, sizeof bits);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), bits);
    }
    return i;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// The prefix of float to half that the instructions convert; 0 without F16C or
// for short arrays.
template <typename Rule>
std::size_t float2half(const float* in, __half* out, std::size_t n)
{
    if (n < kMinimum || !has_f16c()) return 0;
    constexpr int rounding = f16c_rounding<Rule>();
    return has_avx512f() ? float2half_f16c_avx512<rounding>(in, out, n) : float2half_f16c_avx2<rounding>(in, out, n);
}

inline std::size_t half2float(const __half* in, float* out, std::size_t n)
{
    if (n < kMinimum || !has_f16c()) return 0;
    return has_avx512f() ? half2float_f16c_avx512(in, out, n) : half2float_f16c_avx2(in, out, n);
}

// Float to bfloat16 to nearest by AVX-512 BF16 where the processor has it:
// runs of whole vectors, each vector with a NaN or a float subnormal converted
// by convert_vector (the portable loop) instead.  Returns how many elements
// were converted; 0 without the instruction or for short arrays.
template <typename ConvertVector>
std::size_t float2bfloat16_rn(const float* in, __quix_bfloat16* out, std::size_t n, ConvertVector convert_vector)
{
    constexpr std::size_t kVector = 16;
    if (n < kMinimum || !has_avx512_bf16()) return 0;
    std::size_t done = 0;
    for (;;) {
        done += float2bfloat16_rn_avx512(in + done, out + done, n - done);
        if (n - done < kVector) return done;
        convert_vector(in + done, out + done, kVector);
        done += kVector;
    }
}

}  // namespace x86
}  // namespace detail
}  // namespace hostmath

#endif  // x86-64
#endif  // HOSTMATH_BATCH_X86_H
