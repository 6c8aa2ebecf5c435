// The bfloat16 conversions for one value, in the form the array loops use: every
// step is a select on the bit pattern rather than a branch, so a loop over these
// vectorises.  The exported functions keep their own step-by-step form; the
// tests hold these to them bit for bit over every float.
#ifndef HOSTMATH_BFLOAT16_KERNELS_H
#define HOSTMATH_BFLOAT16_KERNELS_H

#include "internal.h"

namespace hostmath {
namespace detail {

constexpr unsigned int kBf16NanAsFloat = 0x7fff0000u;  // rounds to kBf16Nan

// The word to round: the float's pattern, whose upper half is the truncated
// bfloat16 pattern and whose lower half holds the 16 discarded bits; a NaN is
// replaced by kBf16NanAsFloat, which every direction keeps as 0x7fff.
inline unsigned int __internal_float2bfloat16(float x)
{
    const unsigned int u = bits_of(x);
    return (u & 0x7fffffffu) > 0x7f800000u ? kBf16NanAsFloat : u;
}

// The rounding rules: the bias added to the discarded half of the word w.  The
// carry out of that half is the step of one unit away from zero, and it runs
// on from the fraction into the exponent.  To nearest, 0x7fff plus the lowest
// kept bit carries exactly above half an ulp, or at half with the kept pattern
// odd; away from zero, 0xffff carries whenever anything was discarded.
struct Bf16NearestEven {
    static unsigned int bias(unsigned int w) { return 0x7fffu + ((w >> 16) & 1u); }
};
struct Bf16TowardZero {
    static unsigned int bias(unsigned int) { return 0; }
};
struct Bf16Down {  // away from zero for negative values
    static unsigned int bias(unsigned int w) { return (0u - (w >> 31)) & 0xffffu; }
};
struct Bf16Up {  // away from zero for positive values
    static unsigned int bias(unsigned int w) { return ((w >> 31) - 1u) & 0xffffu; }
};

template <typename Rule>
inline unsigned short float2bfloat16_bits(float x)
{
    const unsigned int w = __internal_float2bfloat16(x);
    return static_cast<unsigned short>((w + Rule::bias(w)) >> 16);
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
