// Conversions to and from IEEE 754 binary16 (half precision).
//
// Float to half splits the float's bit pattern into the pattern truncated
// toward zero, the sign and the discarded bits, left-aligned in a remainder
// word; each rounding direction then decides whether to add one to the pattern.
// The carry runs from the fraction into the exponent, so the largest subnormal
// becomes the smallest normal and the largest finite value infinity.  This is
// unsigned integer arithmetic only, so the results do not depend on the
// rounding mode.  Every NaN becomes the one pattern 0x7fff.
//
// Double to half rounds inside double arithmetic to the half's spacing first,
// so that the float conversion only ever sees an exact half value: one rounding.
//
// Half to float is exact, by integer arithmetic on the pattern (a subnormal's
// fraction is normalised by an exact integer-to-float conversion); every NaN
// becomes 0x7fffffff.  Half to integers widens to float, then clamps and
// truncates; integers to half go through float and the rounding to nearest.
#include "half_kernels.h"
#include "internal.h"

#include <cstdint>
#include <limits>

using hostmath::detail::HalfDown;
using hostmath::detail::HalfNearestEven;
using hostmath::detail::HalfTowardZero;
using hostmath::detail::HalfUp;

namespace {

// The split into truncated pattern, sign and remainder, the rounding rules, the
// double conversion and the widening live in half_kernels.h, shared with the
// array forms.
template <typename Rule>
__half float2half_rounded(float x)
{
    return __half(__half_raw{hostmath::detail::float2half_bits<Rule>(x)});
}

}  // namespace

__half qx_math_func_host___float2half(float x) { return float2half_rounded<HalfNearestEven>(x); }

__half qx_math_func_host___float2half_rn(float x) { return float2half_rounded<HalfNearestEven>(x); }

__half qx_math_func_host___float2half_rz(float x) { return float2half_rounded<HalfTowardZero>(x); }

__half qx_math_func_host___float2half_rd(float x) { return float2half_rounded<HalfDown>(x); }

__half qx_math_func_host___float2half_ru(float x) { return float2half_rounded<HalfUp>(x); }

// One rounding inside double arithmetic to the half's spacing, then the exact
// float conversion (half_kernels.h).
__half qx_math_func_host___double2half(double x)
{
    return __half(__half_raw{hostmath::detail::double2half_bits(x)});
}

namespace {

// Half to an integer type, toward zero.  The thresholds are float constants
// and the comparisons strict; a half is at most 65504 in magnitude or infinite,
// so it never equals a threshold beyond the destination's range, and the final
// cast always sees a value inside it.
template <typename Int>
Int half2int_rz(__half h, float upper, float lower, Int nan_result)
{
    const float f = qx_math_func_host___half2float(h);
    const unsigned int doubled = (static_cast<unsigned int>(static_cast<__half_raw>(h).bits) << 1) & 0xffffu;
    if (doubled > 0xf800u) return nan_result;  // exponent all ones, fraction nonzero
    if (f > upper) return std::numeric_limits<Int>::max();
    if (f < lower) return std::numeric_limits<Int>::min();
    return static_cast<Int>(f);
}

constexpr float kTwoTo31 = 2147483648.0f;
constexpr float kTwoTo32 = 4294967296.0f;
constexpr float kTwoTo63 = 9223372036854775808.0f;
constexpr float kTwoTo64 = 18446744073709551616.0f;
constexpr std::uint64_t kInt64NanResult = 0x8000000000000000ull;

}  // namespace

float qx_math_func_host___half2float(__half h)
{
    return hostmath::detail::__internal_half2float(static_cast<__half_raw>(h).bits);
}

short qx_math_func_host___half2short_rz(__half h) { return half2int_rz<short>(h, 32767.0f, -32768.0f, 0); }

unsigned short qx_math_func_host___half2ushort_rz(__half h)
{
    return half2int_rz<unsigned short>(h, 65535.0f, 0.0f, 0);
}

int qx_math_func_host___half2int_rz(__half h) { return half2int_rz<int>(h, kTwoTo31, -kTwoTo31, 0); }

unsigned int qx_math_func_host___half2uint_rz(__half h) { return half2int_rz<unsigned int>(h, kTwoTo32, 0.0f, 0); }

long long qx_math_func_host___half2ll_rz(__half h)
{
    return half2int_rz<long long>(h, kTwoTo63, -kTwoTo63, std::numeric_limits<long long>::min());
}

unsigned long long qx_math_func_host___half2ull_rz(__half h)
{
    return half2int_rz<unsigned long long>(h, kTwoTo64, 0.0f, kInt64NanResult);
}

// Integers to half go through float, rounded to nearest.  Only magnitudes above
// 2^24 can be rounded there, and those end as infinity anyway, so the result is
// the integer rounded once to half.
__half qx_math_func_host___short2half_rn(short a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(static_cast<int>(a)));
}

__half qx_math_func_host___ushort2half_rn(unsigned short a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(static_cast<unsigned int>(a)));
}

__half qx_math_func_host___int2half_rn(int a) { return qx_math_func_host___float2half_rn(static_cast<float>(a)); }

__half qx_math_func_host___uint2half_rn(unsigned int a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}

__half qx_math_func_host___ll2half_rn(long long a) { return qx_math_func_host___float2half_rn(static_cast<float>(a)); }

__half qx_math_func_host___ull2half_rn(unsigned long long a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}
