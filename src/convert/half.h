// The half conversions for one value, used by the exported functions and the
// array forms alike: each class of argument is a select on the bit pattern
// rather than a branch (Select: masks in the array loops, which vectorise
// them, conditional moves in the exported functions); every shift stays
// inside the word for every argument.
#ifndef HOSTMATH_CONVERT_HALF_H
#define HOSTMATH_CONVERT_HALF_H

#include "base/bits.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace hostmath {
namespace detail {

constexpr unsigned int kHalfNan = 0x7fff;
constexpr unsigned int kHalfInfinity = 0x7c00;
constexpr unsigned int kHalfMaxFinite = 0x7bff;
constexpr unsigned int kHalfHalfUnit = 0x80000000u;  // half an ulp, in the remainder word

// Float magnitudes (bits with the sign cleared) that bound the classes.
constexpr unsigned int kFloatInfinityBits = Format<float>::kInfinity;
constexpr unsigned int kFloatBelowHalfOverflow = 0x477fefffu;  // 65519.996..., the last float below 65520
constexpr unsigned int kFloatHalfMinNormal = 0x38800000u;      // 2^-14
constexpr unsigned int kFloatHalfTiny = 0x33000000u;           // 2^-25, half the smallest subnormal
constexpr unsigned int kHalfRebias = 0x38000000u;              // (127 - 15) << 23
constexpr int kHalfFractionShift = 13;                         // float fraction bits below the half's
constexpr unsigned int kSubnormalShiftBase = 126;              // shift = 126 - exponent: units of 2^-24
constexpr unsigned int kSubnormalExponentLow = 102;            // 2^-25 <= x < 2^-14: shifts 24 to 14
constexpr unsigned int kSubnormalExponentHigh = 112;

// Splits x into the half pattern truncated toward zero (returned, in the low
// 16 bits), the sign (0x8000 or 0) and the discarded bits, left-aligned in the
// remainder word so that kHalfHalfUnit stands for exactly half an ulp.  The
// fixed classes (NaN, infinity, overflow) return their pattern with the
// remainder that makes every direction round them correctly.  The classes are
// taken from the smallest magnitudes up, each later one overriding.
template <typename Select = MaskSelect>
inline unsigned int __internal_float2half(float x, unsigned int& sign, unsigned int& remainder)
{
    const unsigned int bits = bits_of(x);
    const unsigned int s = (bits >> 16) & 0x8000u;
    const unsigned int u = bits & Format<float>::kMagnitude;

    // At most 2^-25: zero, inexact unless x is zero; never above half.
    unsigned int t = s;
    unsigned int rem = u;

    // A subnormal half: count in units of 2^-24.  The exponent is clamped to the
    // class's range so that the shifts stay inside the word for the others.
    const unsigned int m = (u & 0x7fffffu) | 0x800000u;
    const unsigned int e = std::min(std::max(u >> 23, kSubnormalExponentLow), kSubnormalExponentHigh);
    const unsigned int shift = kSubnormalShiftBase - e;  // 14 to 24
    const bool subnormal = u > kFloatHalfTiny;
    t = Select::pick(subnormal, s | (m >> shift), t);
    rem = Select::pick(subnormal, m << (32 - shift), rem);

    const bool normal = u >= kFloatHalfMinNormal;
    t = Select::pick(normal, s | ((u - kHalfRebias) >> kHalfFractionShift), t);
    rem = Select::pick(normal, u << (32 - kHalfFractionShift), rem);

    const bool overflows = u > kFloatBelowHalfOverflow;  // at or above 65520: a tie at the largest finite half
    t = Select::pick(overflows, s | kHalfMaxFinite, t);
    rem = Select::pick(overflows, kHalfHalfUnit, rem);

    const bool infinite = u == kFloatInfinityBits;
    t = Select::pick(infinite, s | kHalfInfinity, t);
    rem = Select::pick(infinite, 0u, rem);

    const bool nan = u > kFloatInfinityBits;
    t = Select::pick(nan, kHalfNan, t);
    rem = Select::pick(nan, 0u, rem);

    sign = s;
    remainder = rem;
    return t;
}

// The rounding rules: the step (1 or 0) that moves the truncated pattern t one
// unit away from zero or keeps it, given the sign (0x8000 or 0) and the
// remainder.  The comparisons are combined as integers so that the loops
// vectorise.
struct HalfNearestEven {
    static unsigned int step(unsigned int t, unsigned int, unsigned int rem)
    {
        // Above half, or exactly half with t odd: above half minus the lowest bit of t.
        return static_cast<unsigned int>(rem > kHalfHalfUnit - (t & 1u));
    }
};
struct HalfTowardZero {
    static unsigned int step(unsigned int, unsigned int, unsigned int) { return 0; }
};
struct HalfDown {
    static unsigned int step(unsigned int, unsigned int sign, unsigned int rem)
    {
        return static_cast<unsigned int>(rem != 0) & (sign >> 15);
    }
};
struct HalfUp {
    static unsigned int step(unsigned int, unsigned int sign, unsigned int rem)
    {
        return static_cast<unsigned int>(rem != 0) & ((sign >> 15) ^ 1u);
    }
};

// Split, let the rounding rule decide whether to step one unit away from zero.
// The carry runs from the fraction into the exponent.
template <typename Rule, typename Select = MaskSelect>
inline unsigned short float2half_bits(float x)
{
    unsigned int sign = 0;
    unsigned int remainder = 0;
    const unsigned int t = __internal_float2half<Select>(x, sign, remainder);
    return static_cast<unsigned short>(t + Rule::step(t, sign, remainder));
}

constexpr std::uint64_t kDoubleHalfTiny = 0x3e60000000000000ull;       // 2^-25
constexpr std::uint64_t kDoubleHalfOverflow = 0x40f0000000000000ull;   // 2^16
constexpr std::uint64_t kDoubleHalfMinNormal = 0x3f10000000000000ull;  // 2^-14, smallest normal half
constexpr std::uint64_t kDoubleExponentMask = Format<double>::kInfinity;
constexpr std::uint64_t kDoubleExponentPlus42 = 0x02a0000000000000ull;
constexpr std::uint64_t kDoubleTopFractionBit = 0x0008000000000000ull;
constexpr double kHalfSubnormalScale = 402653184.0;  // 1.5 * 2^28: doubles near it are 2^-24 apart

// A double 1.5 * 2^k whose neighbouring doubles are as far apart as the half
// values next to x (2^(E-10) in x's binade 2^E, 2^-24 among the subnormals);
// a is the magnitude's bit pattern.  Adding it to x rounds x to half precision.
template <typename Select>
inline double half_rounding_scale(std::uint64_t a)
{
    const std::uint64_t normal = ((a & kDoubleExponentMask) + kDoubleExponentPlus42) | kDoubleTopFractionBit;
    return double_from_bits(Select::pick(a < kDoubleHalfMinNormal, bits_of(kHalfSubnormalScale), normal));
}

// Rounding x first to float and then to half could round twice (a value just
// above a half tie can become the tie).  Instead, inside the half's range, the
// sum x + c with a scale c whose doubles are spaced like the halves around x
// rounds x to the nearest half value, ties to even, and subtracting c again is
// exact.  The float conversion then finds nothing to round, except that 65536
// becomes infinity.  Outside that range the result is zero, infinity or NaN
// whatever the float rounding does.
template <typename Select = MaskSelect>
inline unsigned short double2half_bits(double x)
{
    const std::uint64_t a = bits_of(x) & Format<double>::kMagnitude;
    const bool in_range = a > kDoubleHalfTiny && a < kDoubleHalfOverflow;
    const double c = half_rounding_scale<Select>(a);
    const double rounded = (x + c) - c;
    const double y = double_from_bits(Select::pick(in_range, bits_of(rounded), bits_of(x)));
    return float2half_bits<HalfNearestEven, Select>(static_cast<float>(y));
}

constexpr unsigned int kFloatNanFromHalf = Format<float>::kMagnitude;  // every NaN widens to 0x7fffffff
constexpr unsigned int kHalfExponentField = 0x7c00u;
constexpr unsigned int kHalfMagnitudeMask = 0x7fffu;
constexpr unsigned int kHalfFractionMask = 0x3ffu;
constexpr unsigned int kTwoTo24Exponent = 24u << 23;

// Exact widening of a half pattern.  A normal half moves its exponent and
// fraction into place under the float bias.  A subnormal half is its fraction
// f times 2^-24: f converted to float (exact, below 2^11) has its leading one
// normalised by the conversion, and lowering that float's exponent by 24
// scales it.  The conversion is exact, so no rounding mode or flush setting
// touches it; it stands in for a count of leading zeros, which not every
// vector unit has.  Every NaN becomes 0x7fffffff; infinities keep their sign.
template <typename Select = MaskSelect>
inline float __internal_half2float(unsigned short h)
{
    const unsigned int sign = static_cast<unsigned int>(h & 0x8000u) << 16;
    const unsigned int magnitude = h & kHalfMagnitudeMask;
    const unsigned int exponent = magnitude & kHalfExponentField;
    const unsigned int fraction = magnitude & kHalfFractionMask;

    const unsigned int normal = (magnitude << kHalfFractionShift) + kHalfRebias;
    const float fraction_value = static_cast<float>(static_cast<int>(fraction));
    const unsigned int scaled = bits_of(fraction_value) - kTwoTo24Exponent;
    unsigned int w = Select::pick(exponent == 0, Select::pick(fraction == 0, 0u, scaled), normal);
    w = Select::pick(exponent == kHalfExponentField, kFloatInfinityBits, w);
    w |= sign;
    w = Select::pick(magnitude > kHalfExponentField, kFloatNanFromHalf, w);
    return float_from_bits(w);
}

// Half to an integer type, toward zero: the exact float's pattern truncated
// and saturated on its bits (truncate_float_bits).  A NaN gives 0, except the
// pattern 0x8000000000000000 for the 64-bit types.
template <typename Int, typename Select = MaskSelect>
inline Int half2integer_rz(unsigned short h)
{
    using Limits = std::numeric_limits<Int>;
    constexpr Int kTopBit = std::is_signed<Int>::value ? Limits::min() : static_cast<Int>(Limits::max() / 2 + 1);
    constexpr Int kNanResult = sizeof(Int) == 8 ? kTopBit : Int{0};
    return truncate_float_bits<Int>(bits_of(__internal_half2float<Select>(h)), kNanResult);
}

// Integers to half, to nearest, on the integer's bits: the result of
// converting to float to nearest and then to half, with no floating-point
// operation.  Every magnitude from 65520 up becomes infinity, so the magnitude
// is clamped there first (only magnitudes above 2^24 could round in the
// float); the float with its value is then exact, built from its bits, and
// the float conversion's kernel rounds it once.  Zero gives +0.
constexpr std::uint64_t kHalfOverflowMagnitude = 65520;

template <typename Select>
inline unsigned short magnitude2half_bits(std::uint64_t m, std::uint32_t sign)
{
    constexpr int kFloatBias = 127, kFloatFractionBits = 23;
    const std::uint64_t c = std::min(m, kHalfOverflowMagnitude);
    const int lead = 63 - __builtin_clzll(c | 1u);  // at most 15
    const std::uint32_t fraction = static_cast<std::uint32_t>(c << (kFloatFractionBits - lead)) & 0x7fffffu;
    const std::uint32_t exponent = static_cast<std::uint32_t>(lead + kFloatBias) << kFloatFractionBits;
    const std::uint32_t w = Select::pick(m != 0, sign | exponent | fraction, 0u);
    return float2half_bits<HalfNearestEven, Select>(float_from_bits(w));
}

template <typename Int, typename Select = MaskSelect>
inline unsigned short integer2half_bits(Int a)
{
    std::uint32_t sign = 0;
    const std::uint64_t m = magnitude_of<Select>(a, sign);
    return magnitude2half_bits<Select>(m, sign);
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_CONVERT_HALF_H
