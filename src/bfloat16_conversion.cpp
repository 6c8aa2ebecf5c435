// Conversions to and from bfloat16, the upper half of a binary32 pattern.
//
// Float to bfloat16 keeps the upper 16 bits and decides from the sign and the
// 16 discarded bits whether to add one to the kept pattern; the carry runs from
// the fraction into the exponent.  All of it is unsigned integer arithmetic on
// the bit pattern, so the results do not depend on the rounding mode.  Every
// NaN becomes the one pattern 0x7fff.
//
// Integers to bfloat16 build the pattern from the integer's bits, with no
// floating-point arithmetic; bfloat16 to float is exact, and bfloat16 to the
// integer types truncates toward zero on the bits and saturates.  Only the
// double conversion computes in floating point, under the guard of the
// caller's floating-point state (fp_env.h).
#include "fp_env.h"
#include "internal.h"

#include <cmath>
#include <cstdint>
#include <limits>

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
    if (hostmath::detail::isnan(x)) x = float_from_bits(kNanAsFloat);
    return __quix_bfloat16::round_to_bfloat16(x);
}

// Double to bfloat16 with one rounding: the double is first narrowed to float
// rounded to odd (truncate toward zero, then set the lowest bit if anything was
// lost), which keeps the information the final rounding needs.
__quix_bfloat16 qx_math_func_host___double2bfloat16(double x)
{
    const hostmath::detail::FpEnvGuard guard(x);
    const float f = static_cast<float>(x);
    const double d = f;
    unsigned int w = bits_of(f);
    if (x > 0 && d > x) w -= 1;  // stepped past x in magnitude: one float back toward zero
    if (x < 0 && d < x) w -= 1;
    if (d != x && x == x) w |= 1;  // sticky bit
    if (x != x) w = kNanAsFloat;
    return hostmath::detail::settled(__quix_bfloat16::round_to_bfloat16(float_from_bits(w)));
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

// ---------------------------------------------------------------------------
// Integers to bfloat16, to nearest with ties to even.
//
// None of these goes through float: each builds the pattern from the integer's
// bits.  Magnitudes are unsigned, so the most negative value of each signed type
// has magnitude 2^(width-1) and nothing overflows.  The largest magnitude, 2^64,
// is far inside the bfloat16 range: no result is an infinity or a subnormal.
// ---------------------------------------------------------------------------

namespace {

constexpr unsigned int kExponentBias = 127;
constexpr unsigned int kFractionBits = 7;
constexpr std::uint16_t kFractionMask = 0x7f;

// Bit by bit: finds the leading one of m, then takes the seven bits below it one
// at a time with a probe that halves each round, so the probe ends on half a
// unit in the last place and the remainder decides the rounding.  sign is 0 or 1.
template <typename Unsigned>
__quix_bfloat16 build_bfloat16_bit_by_bit(Unsigned m, unsigned int sign)
{
    if (m == 0) return __quix_bfloat16(__quix_bfloat16_raw{0});
    unsigned int e = std::numeric_limits<Unsigned>::digits - 1;
    Unsigned probe = static_cast<Unsigned>(Unsigned{1} << e);
    while ((m & probe) == 0) {
        --e;
        probe = static_cast<Unsigned>(probe >> 1);
    }
    std::uint16_t p = static_cast<std::uint16_t>((e + kExponentBias) | (sign << 8));
    Unsigned rem = static_cast<Unsigned>(m - probe);
    probe = static_cast<Unsigned>(probe >> 1);
    for (unsigned int round = 0; round < kFractionBits; ++round) {
        p = static_cast<std::uint16_t>(p << 1);
        if (probe != 0 && rem >= probe) {
            p = static_cast<std::uint16_t>(p | 1u);
            rem = static_cast<Unsigned>(rem - probe);
        }
        probe = static_cast<Unsigned>(probe >> 1);
    }
    // probe is now half a unit in the last place (0 when nothing was discarded).
    if (rem != 0 && (rem > probe || (rem == probe && (p & 1u) != 0))) {
        if ((p & kFractionMask) == kFractionMask)  // carry into the exponent, sign kept
            p = static_cast<std::uint16_t>(((e + kExponentBias + 1) | (sign << 8)) << kFractionBits);
        else
            p = static_cast<std::uint16_t>(p + 1u);
    }
    __quix_bfloat16_raw raw;
    raw.bits = p;
    return __quix_bfloat16(raw);
}

}  // namespace

__quix_bfloat16 qx_math_func_host___ushort2bfloat16_rn(unsigned short a)
{
    return build_bfloat16_bit_by_bit<std::uint16_t>(a, 0);
}

__quix_bfloat16 qx_math_func_host___ll2bfloat16_rn(long long a)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(a);
    return a < 0 ? build_bfloat16_bit_by_bit<std::uint64_t>(0 - bits, 1)
                 : build_bfloat16_bit_by_bit<std::uint64_t>(bits, 0);
}

__quix_bfloat16 qx_math_func_host___ull2bfloat16_rn(unsigned long long a)
{
    return build_bfloat16_bit_by_bit<std::uint64_t>(a, 0);
}

// short: the bits below the leading one are left-aligned in a 16-bit word; the
// low 9 of them are discarded (0x100 is half a unit), so adding 0xff plus the
// lowest kept bit carries into bit 9 exactly when the result rounds up.  A kept
// fraction of all ones that wraps to zero moves the exponent up by one.
__quix_bfloat16 qx_math_func_host___short2bfloat16_rn(short a)
{
    if (a == 0) return __quix_bfloat16::round_to_bfloat16(0.0f);
    const std::uint16_t sign = a < 0 ? 1 : 0;
    std::uint16_t m = static_cast<std::uint16_t>(a);
    if (a < 0) m = static_cast<std::uint16_t>(0u - m);
    unsigned int lz = 0;
    for (std::uint16_t mask = 0x8000; (m & mask) == 0; mask = static_cast<std::uint16_t>(mask >> 1)) ++lz;
    std::uint16_t x = static_cast<std::uint16_t>(15 - lz + kExponentBias);
    const std::uint16_t f = static_cast<std::uint16_t>(std::uint32_t{m} << (lz + 1));
    const std::uint16_t r = static_cast<std::uint16_t>(f + 0xffu + ((f >> 9) & 1u));
    constexpr std::uint16_t kKept = 0xfe00;
    if ((f & kKept) == kKept && (r & kKept) == 0) x = static_cast<std::uint16_t>(x + 1);
    return __quix_bfloat16_raw{static_cast<std::uint16_t>((sign << 15) | (x << kFractionBits) | (r >> 9))};
}

// int: the magnitude times 2^32 (2^63 for the most negative value) is
// normalised into a 64-bit word laid out like the bfloat16 pattern followed by
// 48 discarded bits, and rounded there with the same carry trick as the
// float conversion (2^47 is half a unit).
__quix_bfloat16 qx_math_func_host___int2bfloat16_rn(int a)
{
    if (a == 0) return __quix_bfloat16::round_to_bfloat16(0.0f);
    const std::uint32_t a_bits = static_cast<std::uint32_t>(a);
    const std::uint64_t sign = a_bits >> 31;
    const std::uint32_t magnitude = a < 0 ? 0u - a_bits : a_bits;
    std::uint64_t widened = magnitude;  // sign-extended: only 2^31 has bit 31 set
    if ((magnitude & 0x80000000u) != 0) widened |= 0xffffffff00000000ull;
    const std::uint64_t m = widened << 32;

    int lz = 0;
    std::uint64_t probe = 1ull << 62;
    while ((m & probe) == 0 && lz <= 32) {
        ++lz;
        probe >>= 1;
    }
    if (lz >= 32) lz = -1;  // the leading one is bit 63: the most negative value
    const std::uint64_t x = static_cast<std::uint64_t>(30 - lz) + kExponentBias;
    const std::uint64_t f = (m << (lz + 2)) >> 9;  // below the leading one, from bit 54 down
    std::uint64_t d = (sign << 63) | (x << 55) | f;
    d = d + 0x7fffffffffffull + ((d >> 48) & 1u);
    return __quix_bfloat16_raw{static_cast<std::uint16_t>(d >> 48)};
}

// unsigned int: the number is aligned like a float significand (leading one on
// bit 23) under its exponent field; the discarded bits, shifted so that the
// half-unit bit sits on bit 30, decide a carry of one bfloat16 unit.
__quix_bfloat16 qx_math_func_host___uint2bfloat16_rn(unsigned int a)
{
    if (a == 0) return __quix_bfloat16::round_to_bfloat16(0.0f);
    unsigned int lz = 0;
    for (std::uint32_t mask = 0x80000000u; (a & mask) == 0; mask >>= 1) ++lz;
    const unsigned int e = 31 - lz;
    const std::uint32_t x = e + kExponentBias;
    std::uint32_t low = 0;
    if (e > kFractionBits) {
        low = a & ((1u << (e - kFractionBits)) - 1u);
        low <<= 38 - e;
    }
    const std::uint32_t v = e > 23 ? a >> (e - 23) : a << (23 - e);
    const std::uint32_t carry = (low + 0x3fffffffu + ((v >> 16) & 1u)) >> 31;
    std::uint32_t w = (v & 0x7fffffu) | (x << 23);
    if (carry == 1) w += 0x10000u;
    return __quix_bfloat16_raw{static_cast<std::uint16_t>(w >> 16)};
}

// ---------------------------------------------------------------------------
// bfloat16 to float (exact) and to integers (toward zero).
//
// Each integer conversion truncates the pattern as a float's upper half with
// integer arithmetic (truncate_float_bits), saturating at the type's range.  A
// NaN gives 0, except 0x8000000000000000 for unsigned long long.
// ---------------------------------------------------------------------------

namespace {

constexpr unsigned long long kUllNan = 0x8000000000000000ull;

template <typename Int>
Int bfloat16_to_integer_rz(__quix_bfloat16 a, Int nan_result = 0)
{
    return hostmath::detail::truncate_float_bits<Int>(static_cast<std::uint32_t>(a.bits) << 16, nan_result);
}

}  // namespace

float qx_math_func_host___bfloat162float(__quix_bfloat16 a) { return static_cast<float>(a); }

float qx_math_func_host___low2float(__quix_bfloat162 a) { return static_cast<float>(a.low); }

float qx_math_func_host___high2float(__quix_bfloat162 a)
{
    const std::uint32_t u = static_cast<std::uint32_t>(as_ushort(a.high)) << 16;
    return as_float(u);
}

float2 qx_math_func_host___bfloat1622float2(__quix_bfloat162 a)
{
    const float low = static_cast<float>(a.low);
    const float high = static_cast<float>(a.high);
    return make_float2(low, high);
}

unsigned short qx_math_func_host___bfloat162ushort_rz(__quix_bfloat16 a)
{
    return bfloat16_to_integer_rz<unsigned short>(a);
}

short qx_math_func_host___bfloat162short_rz(__quix_bfloat16 a) { return bfloat16_to_integer_rz<short>(a); }

int qx_math_func_host___bfloat162int_rz(__quix_bfloat16 a) { return bfloat16_to_integer_rz<int>(a); }

unsigned int qx_math_func_host___bfloat162uint_rz(__quix_bfloat16 a) { return bfloat16_to_integer_rz<unsigned int>(a); }

long long qx_math_func_host___bfloat162ll_rz(__quix_bfloat16 a) { return bfloat16_to_integer_rz<long long>(a); }

unsigned long long qx_math_func_host___bfloat162ull_rz(__quix_bfloat16 a)
{
    return bfloat16_to_integer_rz<unsigned long long>(a, kUllNan);
}
