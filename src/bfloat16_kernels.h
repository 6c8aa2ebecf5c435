// The bfloat16 conversions for one value, shared by the exported functions and
// the array loops so that both give the same bits.  Every step is a select on
// the bit pattern rather than a branch, so a loop over these vectorises.
#ifndef HOSTMATH_BFLOAT16_KERNELS_H
#define HOSTMATH_BFLOAT16_KERNELS_H

#include "internal.h"

namespace hostmath {
namespace detail {

constexpr unsigned short kBf16Nan = 0x7fff;
constexpr unsigned int kBf16HalfUnit = 0x80000000u;  // half an ulp, in the remainder word
constexpr unsigned int kBf16NanAsFloat = 0x7fff0000u;  // rounds to kBf16Nan

// Splits x into the truncated bfloat16 pattern (returned), the sign flag and
// the 16 discarded bits, left-aligned in the remainder word.  A NaN comes back
// as 0x7fff with nothing discarded.
inline unsigned short __internal_float2bfloat16(float x, unsigned int& sign, unsigned int& remainder)
{
    const unsigned int u = bits_of(x);
    const bool nan = (u & 0x7fffffffu) > 0x7f800000u;
    sign = nan ? 0u : u >> 31;
    remainder = nan ? 0u : u << 16;
    return nan ? kBf16Nan : static_cast<unsigned short>(u >> 16);
}

// The rounding rules: the step (1 or 0) that moves the truncated pattern t one
// unit away from zero or keeps it, given the sign flag and the remainder.  The
// comparisons are combined as integers so that the loops vectorise.
struct Bf16NearestEven {
    static unsigned int step(unsigned int t, unsigned int, unsigned int rem)
    {
        // Above half, or exactly half with t odd: above half minus the lowest bit of t.
        return static_cast<unsigned int>(rem > kBf16HalfUnit - (t & 1u));
    }
};
struct Bf16TowardZero {
    static unsigned int step(unsigned int, unsigned int, unsigned int) { return 0; }
};
struct Bf16Down {
    static unsigned int step(unsigned int, unsigned int sign, unsigned int rem)
    {
        return static_cast<unsigned int>(rem != 0) & sign;
    }
};
struct Bf16Up {
    static unsigned int step(unsigned int, unsigned int sign, unsigned int rem)
    {
        return static_cast<unsigned int>(rem != 0) & (sign ^ 1u);
    }
};

// Split, let the rounding rule decide whether to step one unit away from zero.
template <typename Rule>
inline unsigned short float2bfloat16_bits(float x)
{
    unsigned int sign = 0;
    unsigned int remainder = 0;
    const unsigned int t = __internal_float2bfloat16(x, sign, remainder);
    return static_cast<unsigned short>(t + Rule::step(t, sign, remainder));
}

// Double to bfloat16 with one rounding: the double is first narrowed to float
// rounded to odd (truncate toward zero, then set the lowest bit if anything was
// lost), which keeps the information the final rounding needs.
inline unsigned short double2bfloat16_bits(double x)
{
    const float f = static_cast<float>(x);
    const double d = f;
    unsigned int w = bits_of(f);
    if (x > 0 && d > x) w -= 1;  // stepped past x in magnitude: one float back toward zero
    if (x < 0 && d < x) w -= 1;
    if (d != x && x == x) w |= 1;  // sticky bit
    if (x != x) w = kBf16NanAsFloat;
    return __quix_bfloat16::float_to_bfloat16(float_from_bits(w));
}

// Exact widening: the pattern is the upper half of the float's.  A NaN keeps
// its sign and payload.
inline float bfloat16_bits_to_float(unsigned short b) { return float_from_bits(static_cast<unsigned int>(b) << 16); }

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_BFLOAT16_KERNELS_H
