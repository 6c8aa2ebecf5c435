// What the binary32 functions of the maths core (logf.h, expf.h, sinf.h,
// cosf.h, cbrtf.h) share: the rounding test of their fast paths and their
// accurate paths (float_accurate.cpp).
//
// Each fast path computes f(x) in double, y, with a proven bound on its error,
// |y - f(x)| <= err.  The float nearest f(x) is the float nearest y whenever
// y - err and y + err round to the same float: no rounding boundary (a
// midpoint between two floats, or the overflow threshold) lies between them.
// Otherwise the lane is flagged and its accurate path decides.
#ifndef HOSTMATH_MATH_FLOAT_CORE_H
#define HOSTMATH_MATH_FLOAT_CORE_H

#include "base/bits.h"
#include "base/lanes.h"

#include <cstdint>

namespace hostmath {
namespace core {
namespace float_detail {

using detail::bits_of;
using detail::double_from_bits;
using detail::float_from_bits;

// The flag of a lane: 1 when its accurate path must decide.
using Flag = std::uint32_t;

// 1.5 * 2^52: t + kShifter - kShifter is t rounded to an integer (|t| < 2^51),
// and the low bits of t + kShifter hold that integer in two's complement.
inline constexpr double kShifter = 0x1.8p52;

inline double abs_of(double y) { return double_from_bits(bits_of(y) & 0x7fffffffffffffffull); }

// y rounded to float, and in flag whether [y - err, y + err] (err >= 0) holds
// a rounding boundary.  y - err and y + err are rounded to double first, so err
// must be a little above the bound it stands for (the callers' bounds have a
// margin of a factor two).  Two conversions and a compare, on every path.
HOSTMATH_ALWAYS_INLINE float round_checked(double y, double err, Flag& flag)
{
    const float below = static_cast<float>(y - err);
    const float above = static_cast<float>(y + err);
    flag = static_cast<Flag>(bits_of(below) != bits_of(above));
    return below;
}

// The accurate paths: correctly rounded for every float, special arguments
// included; scalar, out of line and cold, compiled once for the baseline.
[[gnu::cold, gnu::noinline]] float logf_accurate(float x);
[[gnu::cold, gnu::noinline]] float expf_accurate(float x);
[[gnu::cold, gnu::noinline]] float sinf_accurate(float x);
[[gnu::cold, gnu::noinline]] float cosf_accurate(float x);
[[gnu::cold, gnu::noinline]] float cbrtf_accurate(float x);

// For the tests: the accurate path's own rounding test.  certain is false when
// its result could not be proven (never, over every float: the full sweep
// counts these).  cbrtf's accurate path decides exactly and is always certain.
float logf_accurate_checked(float x, bool& certain);
float expf_accurate_checked(float x, bool& certain);
float sinf_accurate_checked(float x, bool& certain);
float cosf_accurate_checked(float x, bool& certain);

}  // namespace float_detail
}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_FLOAT_CORE_H
