// The pi-scaled sine and cosine for one value, used by the exported functions
// (sinpiD.cpp ... cospiF.cpp, which state the method) and the array forms: the
// rounded constant pi of each precision, the integer test that decides when
// the result is exact, and the two kernels.
#ifndef HOSTMATH_PI_SCALED_H
#define HOSTMATH_PI_SCALED_H

#include "base/bits.h"

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

// The rounded pi of a precision: the double nearest pi rounds to the float nearest pi.
template <typename Real>
constexpr Real pi_of()
{
    return static_cast<Real>(kPi);
}
static_assert(pi_of<float>() == kPiF, "one rounded pi per precision");

// Integers give +0; the rest the system sine of x times the rounded pi.
template <typename Real>
inline Real sinpi_of(Real x)
{
    if (counts_as_integer(x)) return Real(0);
    return std::sin(x * pi_of<Real>());
}

// Integers give +1 when even and -1 when odd (the remainder of division by 2
// is exact); the rest the system cosine of x times the rounded pi.
template <typename Real>
inline Real cospi_of(Real x)
{
    if (counts_as_integer(x)) return std::fmod(x, Real(2)) == Real(0) ? Real(1) : Real(-1);
    return std::cos(x * pi_of<Real>());
}

}  // namespace detail
}  // namespace hostmath

#endif  // HOSTMATH_PI_SCALED_H
