// Private helpers of the pi-scaled sine and cosine: the rounded constant pi of
// each precision and the integer test that decides when the result is exact.
#ifndef HOSTMATH_PI_SCALED_H
#define HOSTMATH_PI_SCALED_H

#include "internal.h"

namespace hostmath {
namespace detail {

constexpr double kPi = 0x1.921fb54442d18p+1;  // 3.141592653589793, the double nearest pi
constexpr float kPiF = 0x1.921fb6p+1f;        // 3.1415927f, the float nearest pi

// x counts as an integer when it is finite and its floor equals its ceiling.
// Zeros of either sign and every value at or above 2^52 (2^23 in single
// precision) pass; a NaN fails the comparison, an infinity the bit test.
template <typename Real>
inline bool counts_as_integer(Real x)
{
    return !isinf(x) && std::floor(x) == std::ceil(x);
}

// The nearest pi of each precision, for the generic bodies below.
inline double pi_of(double) { return kPi; }
inline float pi_of(float) { return kPiF; }

// The bodies of sinpi and cospi, shared by sincospi (one guard of the
// floating-point state for both values); the method is in sinpiD.cpp and
// cospiD.cpp.
template <typename Real>
inline Real sinpi_of(Real x)
{
    if (counts_as_integer(x)) return Real(0);
    return std::sin(x * pi_of(x));
}

template <typename Real>
inline Real cospi_of(Real x)
{
    if (counts_as_integer(x)) return std::fmod(x, Real(2)) == Real(0) ? Real(1) : Real(-1);
    return std::cos(x * pi_of(x));
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_PI_SCALED_H
