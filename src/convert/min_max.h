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

#include "base/array_loops.h"
#include "base/bits.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

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

namespace hostmath {
namespace detail {

// An argument as a value of the result type: integers converted (a signed
// argument of a mixed pair reinterpreted in two's complement), a float meeting
// a double widened exactly.
template <typename R, typename A>
inline R as_result(A a)
{
    if constexpr (std::is_same_v<R, double> && std::is_same_v<A, float>) return widened(a);
    else return static_cast<R>(a);
}

// max (kMax) or min of a and b in the result type R: std::max or std::min of
// the converted integers, which select the second only if the first is less
// (greater); maxNum or minNum of floating values.
template <bool kMax, typename R, typename A, typename B>
inline R selected(A a, B b)
{
    const R x = as_result<R>(a), y = as_result<R>(b);
    if constexpr (std::is_floating_point_v<R>) return select_num<kMax>(x, y);
    else return kMax ? std::max(x, y) : std::min(x, y);
}

}  // namespace detail
}  // namespace hostmath

// The exports of one row of the maximum (kMax true) or minimum family of the
// registry (HOSTMATH_REGISTRY_MIN_MAX): the scalar function, and for the rows
// of array kind pairs the array form, out[i] = f(a[i], b[i]), where out may
// equal a or b.
#define HOSTMATH_FIRST_OF(a, b) a
#define HOSTMATH_SECOND_OF(a, b) b
#define HOSTMATH_MIN_MAX_ROW(kMax, name, R, P, family, code, widest, array, bound, c_name)                    \
    HOSTMATH_EXPORT(R, qx_math_func_host_##name, (HOSTMATH_FIRST_OF P a, HOSTMATH_SECOND_OF P b))           \
    {                                                                                                      \
        return hostmath::detail::selected<kMax, R>(a, b);                                                  \
    }                                                                                                      \
    HOSTMATH_MIN_MAX_ARRAY_##array(kMax, name, R, P)
#define HOSTMATH_MIN_MAX_ARRAY_none(kMax, name, R, P)
#define HOSTMATH_MIN_MAX_ARRAY_pairs(kMax, name, R, P)                                                    \
    HOSTMATH_EXPORT(void, qx_math_func_host_batch_##name,                                                  \
                    (const HOSTMATH_FIRST_OF P* a, const HOSTMATH_SECOND_OF P* b, R* out, std::size_t n))   \
    {                                                                                                      \
        hostmath::detail::combine_each(a, b, out, n, hostmath::detail::selected<kMax, R, HOSTMATH_FIRST_OF P, \
                                                                                 HOSTMATH_SECOND_OF P>);   \
    }

#endif  // HOSTMATH_MIN_MAX_H
