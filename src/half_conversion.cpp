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
// Half to float is exact, by integer arithmetic on the pattern; every NaN
// becomes 0x7fffffff.  Half to integers widens to float, then clamps and
// truncates; integers to half go through float and the rounding to nearest.
#include "fp_env.h"
#include "half_kernels.h"
#include "internal.h"

#include <cstdint>
#include <limits>

using hostmath::detail::bits_of;
using hostmath::detail::double_from_bits;
using hostmath::detail::float_from_bits;

// The format's constants are those of the array forms' kernels.
using hostmath::detail::kFloatBelowHalfOverflow;
using hostmath::detail::kFloatHalfMinNormal;
using hostmath::detail::kFloatHalfTiny;
using hostmath::detail::kFloatInfinityBits;
using hostmath::detail::kHalfFractionShift;
using hostmath::detail::kHalfHalfUnit;
using hostmath::detail::kHalfInfinity;
using hostmath::detail::kHalfMaxFinite;
using hostmath::detail::kHalfNan;
using hostmath::detail::kHalfRebias;
using hostmath::detail::kSubnormalShiftBase;

namespace {


// Splits x into the half pattern truncated toward zero (returned, in the low
// 16 bits), the sign (0x8000 or 0) and the discarded bits, left-aligned in the
// remainder word so that kHalfHalfUnit stands for exactly half an ulp.  The fixed
// classes (NaN, infinity, overflow) return their pattern with the remainder
// that makes every direction round them correctly.
unsigned int __internal_float2half(float x, unsigned int& sign, unsigned int& remainder)
{
    const unsigned int bits = bits_of(x);
    sign = (bits >> 16) & 0x8000u;
    const unsigned int u = bits & 0x7fffffffu;
    if (u > kFloatInfinityBits) {
        remainder = 0;
        return kHalfNan;
    }
    if (u == kFloatInfinityBits) {
        remainder = 0;
        return sign | kHalfInfinity;
    }
    if (u > kFloatBelowHalfOverflow) {  // at or above 65520: a tie at the largest finite half
        remainder = kHalfHalfUnit;
        return sign | kHalfMaxFinite;
    }
    if (u >= kFloatHalfMinNormal) {
        remainder = u << (32 - kHalfFractionShift);
        return sign | ((u - kHalfRebias) >> kHalfFractionShift);
    }
    if (u > kFloatHalfTiny) {  // a subnormal half: count in units of 2^-24
        const unsigned int m = (u & 0x7fffffu) | 0x800000u;
        const int shift = static_cast<int>(kSubnormalShiftBase - (u >> 23));  // 14 to 24
        remainder = m << (32 - shift);
        return sign | (m >> shift);
    }
    remainder = u;  // at most 2^-25: zero, inexact unless x is zero; never above half
    return sign;
}

// The shared shape of the float conversions: split, let the rounding rule
// decide whether to step one unit away from zero, and build the record.
template <typename RoundsUp>
__half float2half_rounded(float x, RoundsUp rounds_up)
{
    unsigned int sign = 0;
    unsigned int remainder = 0;
    __half_raw raw{static_cast<unsigned short>(__internal_float2half(x, sign, remainder))};
    if (rounds_up(raw.bits, sign, remainder)) raw.bits = static_cast<unsigned short>(raw.bits + 1u);
    return __half(raw);
}

bool nearest_even_rounds_up(unsigned short t, unsigned int, unsigned int rem)
{
    return rem > kHalfHalfUnit || (rem == kHalfHalfUnit && (t & 1u) != 0);
}

}  // namespace

__half qx_math_func_host___float2half(float x) { return float2half_rounded(x, nearest_even_rounds_up); }

__half qx_math_func_host___float2half_rn(float x) { return float2half_rounded(x, nearest_even_rounds_up); }

__half qx_math_func_host___float2half_rz(float x)
{
    return float2half_rounded(x, [](unsigned short, unsigned int, unsigned int) { return false; });
}

__half qx_math_func_host___float2half_rd(float x)
{
    return float2half_rounded(
        x, [](unsigned short, unsigned int sign, unsigned int rem) { return rem != 0 && sign != 0; });
}

__half qx_math_func_host___float2half_ru(float x)
{
    return float2half_rounded(
        x, [](unsigned short, unsigned int sign, unsigned int rem) { return rem != 0 && sign == 0; });
}

namespace {

constexpr std::uint64_t kDoubleTiny = 0x3e60000000000000ull;       // 2^-25
constexpr std::uint64_t kDoubleOverflow = 0x40f0000000000000ull;   // 2^16
constexpr std::uint64_t kDoubleMinNormal = 0x3f10000000000000ull;  // 2^-14, smallest normal half
constexpr std::uint64_t kExponentMask = 0x7ff0000000000000ull;
constexpr std::uint64_t kExponentPlus42 = 0x02a0000000000000ull;
constexpr std::uint64_t kTopFractionBit = 0x0008000000000000ull;
constexpr double kSubnormalScale = 402653184.0;  // 1.5 * 2^28: doubles near it are 2^-24 apart

// A double 1.5 * 2^k whose neighbouring doubles are as far apart as the half
// values next to x (2^(E-10) in x's binade 2^E, 2^-24 among the subnormals);
// a is the magnitude's bit pattern.  Adding it to x rounds x to half precision.
double half_rounding_scale(std::uint64_t a)
{
    if (a < kDoubleMinNormal) return kSubnormalScale;
    return double_from_bits(((a & kExponentMask) + kExponentPlus42) | kTopFractionBit);
}

}  // namespace

// Rounding x first to float and then to half could round twice (a value just
// above a half tie can become the tie).  Instead, inside the half's range, the
// sum x + c with a scale c whose doubles are spaced like the halves around x
// rounds x to the nearest half value, ties to even, and subtracting c again is
// exact.  The float conversion then finds nothing to round, except that 65536
// becomes infinity.  Outside that range the result is zero, infinity or NaN
// whatever the float rounding does.
__half qx_math_func_host___double2half(double x)
{
    const hostmath::detail::FpEnvGuard guard;
    const std::uint64_t a = bits_of(x) & ~(1ull << 63);
    if (a > kDoubleTiny && a < kDoubleOverflow) {
        const double c = half_rounding_scale(a);
        const double s = x + c;
        const double y = s - c;
        return qx_math_func_host___float2half(static_cast<float>(y));
    }
    return qx_math_func_host___float2half(static_cast<float>(x));
}

namespace {

constexpr unsigned int kFloatNan = 0x7fffffffu;
constexpr unsigned int kHalfMaxExponent = 0x1f;
constexpr unsigned int kFloatMaxExponent = 0xff;
constexpr unsigned int kSubnormalStartExponent = 113;  // 2^-14 before normalising
constexpr unsigned int kExponentRebias = 112;           // 127 - 15
constexpr unsigned int kFloatFractionMask = 0x7fffffu;
constexpr unsigned int kFloatLeadingFractionBit = 0x400000u;  // bit 22

// Exact widening of a half pattern.  A subnormal half is normalised by shifting
// its fraction left until the leading one passes the top of the float fraction.
float __internal_half2float(unsigned short h)
{
    const unsigned int sign = (h >> 15) & 1u;
    unsigned int exponent = (h >> 10) & kHalfMaxExponent;
    unsigned int fraction = (h & 0x3ffu) << kHalfFractionShift;
    if (exponent == kHalfMaxExponent) {
        if (fraction != 0) return float_from_bits(kFloatNan);
        exponent = kFloatMaxExponent;
    } else if (exponent == 0) {
        if (fraction != 0) {
            exponent = kSubnormalStartExponent;
            bool leading_one_passed = false;
            while (!leading_one_passed) {
                leading_one_passed = (fraction & kFloatLeadingFractionBit) != 0;
                fraction <<= 1;
                --exponent;
            }
            fraction &= kFloatFractionMask;
        }
    } else {
        exponent += kExponentRebias;
    }
    return float_from_bits((exponent << 23) | (sign << 31) | fraction);
}

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

float qx_math_func_host___half2float(__half h) { return __internal_half2float(static_cast<__half_raw>(h).bits); }

short qx_math_func_host___half2short_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<short>(h, 32767.0f, -32768.0f, 0);
}

unsigned short qx_math_func_host___half2ushort_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<unsigned short>(h, 65535.0f, 0.0f, 0);
}

int qx_math_func_host___half2int_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<int>(h, kTwoTo31, -kTwoTo31, 0);
}

unsigned int qx_math_func_host___half2uint_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<unsigned int>(h, kTwoTo32, 0.0f, 0);
}

long long qx_math_func_host___half2ll_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<long long>(h, kTwoTo63, -kTwoTo63, std::numeric_limits<long long>::min());
}

unsigned long long qx_math_func_host___half2ull_rz(__half h)
{
    const hostmath::detail::FpEnvGuard guard;
    return half2int_rz<unsigned long long>(h, kTwoTo64, 0.0f, kInt64NanResult);
}

// Integers to half go through float, rounded to nearest.  Only magnitudes above
// 2^24 can be rounded there, and those end as infinity anyway, so the result is
// the integer rounded once to half.  The 16-bit integers convert exactly and
// need no guard; the wider ones can round, which raises the inexact flag.
__half qx_math_func_host___short2half_rn(short a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(static_cast<int>(a)));
}

__half qx_math_func_host___ushort2half_rn(unsigned short a)
{
    return qx_math_func_host___float2half_rn(static_cast<float>(static_cast<unsigned int>(a)));
}

__half qx_math_func_host___int2half_rn(int a)
{
    const hostmath::detail::FpEnvGuard guard;
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}

__half qx_math_func_host___uint2half_rn(unsigned int a)
{
    const hostmath::detail::FpEnvGuard guard;
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}

__half qx_math_func_host___ll2half_rn(long long a)
{
    const hostmath::detail::FpEnvGuard guard;
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}

__half qx_math_func_host___ull2half_rn(unsigned long long a)
{
    const hostmath::detail::FpEnvGuard guard;
    return qx_math_func_host___float2half_rn(static_cast<float>(a));
}
