// The floating selection shared by the max and min families: IEEE 754-2008
// maxNum/minNum on bit tests, and the exact widening of a float for the forms
// that mix float and double.  Nothing here is exported.
//
// The rules, in order:
//   - a signalling NaN operand gives a quiet NaN: that operand's pattern with
//     the quiet bit set (sign and payload kept), the first one if both are
//     signalling.  This holds also when the other operand is a number;
//   - a quiet NaN loses against a number; of two quiet NaNs the first is kept;
//   - of two numbers the larger (smaller) is selected, and -0 orders below +0.
// Everything is decided on the bit patterns as integers, with no
// floating-point operation at all: never left to the C library's fmax/fmin,
// whose handling of signed zeros and signalling NaNs differs between
// implementations, nor to a floating-point comparison, which flushes
// subnormals under denormals-are-zero and raises flags on NaNs.  So these
// functions need no guard of the floating-point state.
#ifndef HOSTMATH_MIN_MAX_H
#define HOSTMATH_MIN_MAX_H

#include "base/bits.h"

#include <cstdint>

namespace hostmath {
namespace detail {

template <typename Real>
inline bool is_signalling_nan(Real x)
{
    return isnan(x) && (bits_of(x) & Format<Real>::kQuietBit) == 0;
}

template <typename Real>
inline Real quietened(Real x)
{
    return real_from_bits(bits_of(x) | Format<Real>::kQuietBit);
}

// The pattern of a number mapped to an unsigned integer of its width that
// orders as the number does, with -0 just below +0: a negative pattern is
// inverted (larger magnitudes then come first), a positive one gets its sign
// bit set (above every negative).  Without branches: the sign selects the
// mask.
template <typename Bits>
inline Bits order_key(Bits u)
{
    constexpr int kSignShift = sizeof(Bits) * 8 - 1;
    constexpr Bits kSign = Bits{1} << kSignShift;
    const Bits negative = static_cast<Bits>(Bits{0} - (u >> kSignShift));  // all ones for a negative pattern
    return static_cast<Bits>(u ^ (negative | kSign));
}

// maxNum (select_larger true) or minNum (false) of a and b.  Equal keys are
// equal patterns.
template <bool select_larger, typename Real>
inline Real select_num(Real a, Real b)
{
    if (is_signalling_nan(a)) return quietened(a);
    if (is_signalling_nan(b)) return quietened(b);
    if (isnan(b)) return a;  // a number, or the first of two quiet NaNs
    if (isnan(a)) return b;
    const auto ua = bits_of(a);
    const auto ub = bits_of(b);
    const bool take_b = select_larger ? order_key(ua) < order_key(ub) : order_key(ub) < order_key(ua);
    return real_from_bits(take_b ? ub : ua);
}

template <typename Real>
inline Real max_num(Real a, Real b)
{
    return select_num<true>(a, b);
}

template <typename Real>
inline Real min_num(Real a, Real b)
{
    return select_num<false>(a, b);
}

// A float as a double, exactly, on the bits: the sign stays, a normal or
// infinite exponent is rebiased, the fraction moves to the top of the double's
// fraction, and a subnormal is normalised.  A NaN keeps its payload (the
// processor's conversion would quieten a signalling NaN, which would then lose
// against a number instead of giving a quiet NaN).
inline double widened(float x)
{
    constexpr int kFractionShift = 52 - 23;
    constexpr std::uint64_t kFloatFraction = 0x007fffffu;
    constexpr std::uint64_t kDoubleFraction = 0x000fffffffffffffull;
    constexpr std::uint64_t kFloatMaxExponent = 0xff, kDoubleMaxExponent = 0x7ff;
    constexpr std::uint64_t kRebias = 1023 - 127;
    constexpr std::uint64_t kSubnormalRebias = 1023 - 149;  // a fraction's bit k weighs 2^(k - 149)
    const std::uint64_t u = bits_of(x);
    const std::uint64_t sign = (u >> 31) << 63;
    const std::uint64_t exponent = (u >> 23) & kFloatMaxExponent;
    const std::uint64_t fraction = u & kFloatFraction;
    std::uint64_t e = exponent == kFloatMaxExponent ? kDoubleMaxExponent : exponent + kRebias;
    std::uint64_t f = fraction << kFractionShift;
    if (exponent == 0) {
        if (fraction == 0) return double_from_bits(sign);
        const int lead = 63 - __builtin_clzll(fraction);  // the leading one, below bit 23
        e = static_cast<std::uint64_t>(lead) + kSubnormalRebias;
        f = (fraction << (52 - lead)) & kDoubleFraction;
    }
    return double_from_bits(sign | e << 52 | f);
}

}  // namespace detail
}  // namespace hostmath

// The integer forms of max and min: (function, result, first, second).  A
// mixed pair compares as unsigned of the common width.  The comparison type is
// the result type; each argument is converted to it.
#define HOSTMATH_MIN_MAX_INTEGER_FORMS(X, name, uname, llname, ullname)                                              \
    X(name, int, int, int)                                                                                         \
    X(uname, unsigned int, unsigned int, unsigned int)                                                             \
    X(llname, long long, long long, long long)                                                                     \
    X(ullname, unsigned long long, unsigned long long, unsigned long long)                                         \
    X(name, unsigned int, unsigned int, unsigned int)                                                              \
    X(name, unsigned int, int, unsigned int)                                                                       \
    X(name, unsigned int, unsigned int, int)                                                                       \
    X(name, long, long, long)                                                                                      \
    X(name, unsigned long, unsigned long, unsigned long)                                                           \
    X(name, unsigned long, long, unsigned long)                                                                    \
    X(name, unsigned long, unsigned long, long)                                                                    \
    X(name, long long, long long, long long)                                                                       \
    X(name, unsigned long long, unsigned long long, unsigned long long)                                            \
    X(name, unsigned long long, long long, unsigned long long)                                                     \
    X(name, unsigned long long, unsigned long long, long long)

#endif  // HOSTMATH_MIN_MAX_H
