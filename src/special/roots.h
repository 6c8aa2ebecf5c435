// The reciprocal square and cube roots for one value, used by the exported
// functions (rsqrtD.cpp ... rcbrtF.cpp, which state the special cases) and the
// array forms: 1 divided by the system root, two roundings.  The double forms
// settle zeros (and, for rsqrt, infinities) on the pattern first, without
// dividing; the float forms leave every argument to the division.
#ifndef HOSTMATH_ROOTS_H
#define HOSTMATH_ROOTS_H

#include "base/bits.h"

namespace hostmath {
namespace detail {

inline double rsqrt_of(double x)
{
    if (x == 0.0) return infinity_of<double>();
    if (isinf(x)) return 0.0;
    return 1.0 / std::sqrt(x);
}

inline float rsqrt_of(float x) { return 1.0f / std::sqrt(x); }

// A zero gives the infinity of its own sign: the exponent field set in its pattern.
inline double rcbrt_of(double x)
{
    if (x == 0.0) return double_from_bits(bits_of(x) | Format<double>::kInfinity);
    return 1.0 / std::cbrt(x);
}

inline float rcbrt_of(float x) { return 1.0f / std::cbrt(x); }

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_ROOTS_H
