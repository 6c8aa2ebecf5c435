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
// becomes 0x7fffffff.  Half to integers widens to float, then truncates and
// saturates on the bits; integers to half build the float pattern and round
// it to nearest.  Only the double conversion computes in floating point,
// under the guard of the caller's floating-point state (fp_env.h).
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
    const hostmath::detail::FpEnvGuard guard(x);
    const std::uint64_t a = bits_of(x) & ~(1ull << 63);
    if (a > kDoubleTiny && a < kDoubleOverflow) {
        const double c = half_rounding_scale(a);
        const double s = x + c;
        const double y = s - c;
        return hostmath::detail::settled(qx_math_func_host___float2half(static_cast<float>(y)));
    }
    return hostmath::detail::settled(qx_math_func_host___float2half(static_cast<float>(x)));
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

// Half to an integer type, toward zero: the exact float pattern truncated on
// its bits (truncate_float_bits), saturating at the type's range.
template <typename Int>
Int half2int_rz(__half h, Int nan_result = 0)
{
    return hostmath::detail::truncate_float_bits<Int>(bits_of(__internal_half2float(h.bits)), nan_result);
}

constexpr std::uint64_t kInt64NanResult = 0x8000000000000000ull;

// An integer of magnitude m and the given sign to half, to nearest: every
// magnitude from 65520 up becomes infinity, so m is clamped there first; the
// float with m's value is then exact, built from m's bits, and the float
// conversion's kernel (the array forms', equal to it over every float) rounds
// it once.
constexpr std::uint64_t kHalfOverflowMagnitude = 65520;

__half integer2half_rn(std::uint64_t m, bool negative)
{
    constexpr int kFloatBias = 127, kFloatFractionBits = 23;
    constexpr std::uint32_t kFloatFraction = 0x7fffffu;
    if (m == 0) return __half(__half_raw{0});
    if (m > kHalfOverflowMagnitude) m = kHalfOverflowMagnitude;
    const int lead = 63 - __builtin_clzll(m);  // at most 15
    const std::uint32_t fraction = static_cast<std::uint32_t>(m << (kFloatFractionBits - lead)) & kFloatFraction;
    const std::uint32_t exponent = static_cast<std::uint32_t>(lead + kFloatBias) << kFloatFractionBits;
    const std::uint32_t sign = negative ? 0x80000000u : 0u;
    const float exact = float_from_bits(sign | exponent | fraction);
    return __half(__half_raw{hostmath::detail::float2half_bits<hostmath::detail::HalfNearestEven>(exact)});
}

template <typename Int>
__half signed2half_rn(Int a)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(static_cast<long long>(a));
    const bool negative = a < 0;
    return integer2half_rn(negative ? 0 - bits : bits, negative);
}

}  // namespace

float qx_math_func_host___half2float(__half h) { return __internal_half2float(static_cast<__half_raw>(h).bits); }

short qx_math_func_host___half2short_rz(__half h) { return half2int_rz<short>(h); }

unsigned short qx_math_func_host___half2ushort_rz(__half h) { return half2int_rz<unsigned short>(h); }

int qx_math_func_host___half2int_rz(__half h) { return half2int_rz<int>(h); }

unsigned int qx_math_func_host___half2uint_rz(__half h) { return half2int_rz<unsigned int>(h); }

long long qx_math_func_host___half2ll_rz(__half h)
{
    return half2int_rz<long long>(h, std::numeric_limits<long long>::min());
}

unsigned long long qx_math_func_host___half2ull_rz(__half h)
{
    return half2int_rz<unsigned long long>(h, kInt64NanResult);
}

// Integers to half, to nearest, on the integer's bits: the result of
// converting to float to nearest and then to half, with no floating-point
// operation (only magnitudes above 2^24 could round in the float, and those
// end as infinity anyway).
__half qx_math_func_host___short2half_rn(short a) { return signed2half_rn(a); }

__half qx_math_func_host___ushort2half_rn(unsigned short a) { return integer2half_rn(a, false); }

__half qx_math_func_host___int2half_rn(int a) { return signed2half_rn(a); }

__half qx_math_func_host___uint2half_rn(unsigned int a) { return integer2half_rn(a, false); }

__half qx_math_func_host___ll2half_rn(long long a) { return signed2half_rn(a); }

__half qx_math_func_host___ull2half_rn(unsigned long long a) { return integer2half_rn(a, false); }
