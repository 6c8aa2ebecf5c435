// Conversions to and from bfloat16, the upper half of a binary32 pattern.
//
// Float to bfloat16 keeps the upper 16 bits and decides from the sign and the
// 16 discarded bits whether to add one to the kept pattern; the carry runs from
// the fraction into the exponent.  All of it is unsigned integer arithmetic on
// the bit pattern, so the results do not depend on the rounding mode.  Every
// NaN becomes the one pattern 0x7fff.
#include "internal.h"

using hostmath::detail::bits_of;
using hostmath::detail::float_from_bits;

namespace {

constexpr unsigned short kBf16Nan = 0x7fff;
constexpr unsigned int kHalfUnit = 0x80000000u;  // half an ulp, in the remainder word
constexpr unsigned int kNanAsFloat = 0x7fff0000u;  // rounds to kBf16Nan

// Splits x into the truncated bfloat16 pattern (returned), the sign flag and
// the 16 discarded bits, left-aligned in the remainder word.  A NaN comes back
// as 0x7fff with nothing discarded.
unsigned short __internal_float2bfloat16(float x, unsigned int& sign, unsigned int& remainder)
{
    const unsigned int u = bits_of(x);
    if ((u & 0x7fffffffu) > 0x7f800000u) {
        sign = 0;
        remainder = 0;
        return kBf16Nan;
    }
    sign = u >> 31;
    remainder = u << 16;
    return static_cast<unsigned short>(u >> 16);
}

// The shared shape of the four suffixed conversions: split, let the rounding
// rule decide whether to step one unit away from zero, and build the record.
template <typename RoundsUp>
__quix_bfloat16 float2bfloat16_rounded(float x, RoundsUp rounds_up)
{
    unsigned int sign = 0;
    unsigned int remainder = 0;
    unsigned short t = __internal_float2bfloat16(x, sign, remainder);
    if (rounds_up(t, sign, remainder)) t = static_cast<unsigned short>(t + 1u);
    __quix_bfloat16 result;
    result = __quix_bfloat16_raw{t};
    return result;
}

}  // namespace

__quix_bfloat16 qx_math_func_host___float2bfloat16_rn(float x)
{
    return float2bfloat16_rounded(x, [](unsigned short t, unsigned int, unsigned int rem) {
        return rem > kHalfUnit || (rem == kHalfUnit && (t & 1u) != 0);
    });
}

__quix_bfloat16 qx_math_func_host___float2bfloat16_rz(float x)
{
    return float2bfloat16_rounded(x, [](unsigned short, unsigned int, unsigned int) { return false; });
}

__quix_bfloat16 qx_math_func_host___float2bfloat16_rd(float x)
{
    return float2bfloat16_rounded(
        x, [](unsigned short, unsigned int sign, unsigned int rem) { return rem != 0 && sign == 1; });
}

__quix_bfloat16 qx_math_func_host___float2bfloat16_ru(float x)
{
    return float2bfloat16_rounded(
        x, [](unsigned short, unsigned int sign, unsigned int rem) { return rem != 0 && sign == 0; });
}

__quix_bfloat16 qx_math_func_host___float2bfloat16(float x)
{
    if (x != x) x = float_from_bits(kNanAsFloat);
    return __quix_bfloat16::round_to_bfloat16(x);
}

// Double to bfloat16 with one rounding: the double is first narrowed to float
// rounded to odd (truncate toward zero, then set the lowest bit if anything was
// lost), which keeps the information the final rounding needs.
__quix_bfloat16 qx_math_func_host___double2bfloat16(double x)
{
    const float f = static_cast<float>(x);
    const double d = f;
    unsigned int w = bits_of(f);
    if (x > 0 && d > x) w -= 1;  // stepped past x in magnitude: one float back toward zero
    if (x < 0 && d < x) w -= 1;
    if (d != x && x == x) w |= 1;  // sticky bit
    if (x != x) w = kNanAsFloat;
    return __quix_bfloat16::round_to_bfloat16(float_from_bits(w));
}

__quix_bfloat162 qx_math_func_host___float2bfloat162_rn(float a)
{
    const __quix_bfloat16 b = qx_math_func_host___float2bfloat16(a);
    return __quix_bfloat162(b, b);
}

__quix_bfloat162 qx_math_func_host___float22bfloat162_rn(float2 v)
{
    const __quix_bfloat16 low = qx_math_func_host___float2bfloat16(v.first);
    const __quix_bfloat16 high = qx_math_func_host___float2bfloat16(v.second);
    return __quix_bfloat162(low, high);
}

__quix_bfloat162 qx_math_func_host___floats2bfloat162_rn(float a, float b)
{
    const __quix_bfloat16 low = qx_math_func_host___float2bfloat16_rn(a);
    const __quix_bfloat16 high = qx_math_func_host___float2bfloat16_rn(b);
    return __quix_bfloat162(low, high);
}
