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
// NaN-ness is decided on the bit pattern and the zero ordering on the sign
// bits, never left to the C library's fmax/fmin, whose handling of signed
// zeros and signalling NaNs differs between implementations.
#ifndef HOSTMATH_MIN_MAX_H
#define HOSTMATH_MIN_MAX_H

#include "internal.h"

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

// maxNum (select_larger true) or minNum (false) of a and b.
template <bool select_larger, typename Real>
inline Real select_num(Real a, Real b)
{
    if (is_signalling_nan(a)) return quietened(a);
    if (is_signalling_nan(b)) return quietened(b);
    if (isnan(b)) return a;  // a number, or the first of two quiet NaNs
    if (isnan(a)) return b;
    if (a == b) {
        // Equal numbers have one encoding, except +0 and -0: AND of the
        // patterns keeps a sign bit only if both are negative (max), OR keeps
        // it if either is (min).
        const auto ua = bits_of(a);
        const auto ub = bits_of(b);
        return real_from_bits(select_larger ? (ua & ub) : (ua | ub));
    }
    if (select_larger) return a < b ? b : a;
    return b < a ? b : a;
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

// A float as a double, exactly.  Numbers, infinities and zeros convert exactly
// by the cast.  A NaN is widened on its bits (sign kept, fraction moved to the
// top of the double's fraction) because the processor's conversion quietens a
// signalling NaN, which would then lose against a number instead of giving a
// quiet NaN.
inline double widened(float x)
{
    constexpr int kFractionShift = Format<double>::kFractionBits - Format<float>::kFractionBits;
    constexpr int kSignShift = 32;
    constexpr std::uint64_t kFloatFraction = Format<float>::kQuietBit * 2 - 1;
    if (!isnan(x)) return static_cast<double>(x);
    const std::uint64_t u = bits_of(x);
    return double_from_bits((u & Format<float>::kSign) << kSignShift | Format<double>::kInfinity |
                            (u & kFloatFraction) << kFractionShift);
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
