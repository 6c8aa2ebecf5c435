// The bfloat16 conversions for one value, used by the exported functions and
// the array forms alike: every step is a select on the bit pattern rather than
// a branch, so a loop over these vectorises.
#ifndef HOSTMATH_CONVERT_BFLOAT16_H
#define HOSTMATH_CONVERT_BFLOAT16_H

#include "base/bits.h"

#include <cstdint>
#include <limits>
#include <type_traits>

namespace hostmath {
namespace detail {

constexpr unsigned int kBf16NanAsFloat = 0x7fff0000u;  // rounds to 0x7fff in every direction

// The word to round: the float's pattern, whose upper half is the truncated
// bfloat16 pattern and whose lower half holds the 16 discarded bits; a NaN is
// replaced by kBf16NanAsFloat, which every direction keeps as 0x7fff.
inline unsigned int __internal_float2bfloat16(float x)
{
    const unsigned int u = bits_of(x);
    return isnan(x) ? kBf16NanAsFloat : u;
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

// The upper half of the word w, rounded by Rule.
template <typename Rule>
inline unsigned short round_bfloat16_word(unsigned int w)
{
    return static_cast<unsigned short>((w + Rule::bias(w)) >> 16);
}

template <typename Rule>
inline unsigned short float2bfloat16_bits(float x)
{
    return round_bfloat16_word<Rule>(__internal_float2bfloat16(x));
}

// Double to bfloat16 with one rounding: the double is first narrowed to float
// rounded to odd (truncate toward zero, then set the lowest bit if anything was
// lost), which keeps the information the final rounding needs.  The float
// conversion may round either way in any rounding mode; the comparisons undo
// a step away from zero.
inline unsigned short double2bfloat16_bits(double x)
{
    const float f = static_cast<float>(x);
    const double d = f;
    unsigned int w = bits_of(f);
    if (x > 0 && d > x) w -= 1;  // stepped past x in magnitude: one float back toward zero
    if (x < 0 && d < x) w -= 1;
    if (d != x && x == x) w |= 1;  // sticky bit
    if (x != x) w = kBf16NanAsFloat;
    return round_bfloat16_word<Bf16NearestEven>(w);
}

// Integers to bfloat16, to nearest, from the integer's bits alone: the
// magnitude m, shifted so that its leading one is on bit 63, is folded into a
// float-shaped word (exponent field, the 23 bits below the leading one, and a
// sticky lowest bit for anything below those: rounded to odd, which keeps
// what the rounding to 8 bits needs), which then rounds like a float.  The
// largest magnitude, 2^64, is far inside the range: no infinity, no
// subnormal.  Zero gives +0.
constexpr int kWordAboveFraction = 64 - 1 - 23;  // the bits of the normalised magnitude below the word's fraction
constexpr std::uint32_t kTopExponent = 63 + 127;  // the exponent field of a leading one on bit 63

template <typename Select>
inline unsigned short magnitude2bfloat16_bits(std::uint64_t m, std::uint32_t sign)
{
    const int lz = __builtin_clzll(m | 1u);
    const std::uint64_t n = m << lz;
    const std::uint32_t fraction = static_cast<std::uint32_t>(n >> kWordAboveFraction) & 0x7fffffu;
    const std::uint32_t sticky = static_cast<std::uint32_t>((n & ((1ull << kWordAboveFraction) - 1u)) != 0);
    const std::uint32_t exponent = kTopExponent - static_cast<std::uint32_t>(lz);
    const std::uint32_t w = sign | (exponent << 23) | fraction | sticky;
    return round_bfloat16_word<Bf16NearestEven>(Select::pick(m != 0, w, 0u));
}

// The magnitude and sign of any integer type; the most negative value of a
// signed type has magnitude 2^(width-1), so nothing overflows.
template <typename Int, typename Select = MaskSelect>
inline unsigned short integer2bfloat16_bits(Int a)
{
    std::uint32_t sign = 0;
    const std::uint64_t m = magnitude_of<Select>(a, sign);
    return magnitude2bfloat16_bits<Select>(m, sign);
}

// Exact widening: the pattern is the upper half of the float's.  A NaN keeps
// its sign and payload.
inline float bfloat16_bits_to_float(unsigned short b) { return float_from_bits(static_cast<unsigned int>(b) << 16); }

// bfloat16 to an integer type, toward zero: the float pattern truncated and
// saturated on its bits (truncate_float_bits).  A NaN gives 0, except
// 0x8000000000000000 for unsigned long long.
template <typename Int>
inline Int bfloat162integer_rz(unsigned short b)
{
    constexpr bool kUll = std::is_same<Int, unsigned long long>::value;
    constexpr Int kNanResult = kUll ? static_cast<Int>(std::numeric_limits<Int>::max() / 2 + 1) : Int{0};
    return truncate_float_bits<Int>(static_cast<std::uint32_t>(b) << 16, kNanResult);
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_CONVERT_BFLOAT16_H
