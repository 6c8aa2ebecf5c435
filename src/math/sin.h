// The binary64 sine of the maths core, correctly rounded (to nearest, ties to
// even) for every double.
//
// Method (trig_reduce.h has the details and the error analysis):
//   fast path, every lane: x = k pi/(2N) + r with N = 256 and |r| <= pi/(4N),
//     r in double-double from an exact three-part product |x| * 2N/pi
//     (|x| < 2^54), or below 2^10 by Cody and Waite's subtraction of a
//     three-part k pi/(2N); sin x = A cos r + B sin r with A = sin(k pi/(2N)),
//     B = cos(k pi/(2N)) from a double-double table, Taylor polynomials for
//     cos r - 1 and sin r - r.  Error below 2^-66 |sin x| + 2^-99.
//   rounding test: if both ends of that interval round to one double, it is
//     the result; about one lane in 5000 fails.
//   accurate path (sincos.cpp), for the failing lanes, |x| >= 2^54,
//     infinities and NaN: an exact reduction by the bits of 2/pi in integer
//     arithmetic for every finite double (so large arguments are correctly
//     rounded too), then the same table and Taylor series in 192-bit fixed
//     point; error below 2^-169 relative, far below what the hardest cases
//     need (tests/data/hard-cases/sin.txt, 41,678 arguments of every
//     magnitude, 3,949 of them beyond 2^54, come within 2^-73 half-ulps of a
//     double or a midpoint).
// sin(+-0) = +-0, sin(+-inf) = +qNaN, a NaN comes back quieted; sin is odd
// exactly (computed on |x|, the sign put back).
#ifndef HOSTMATH_MATH_SIN_H
#define HOSTMATH_MATH_SIN_H

#include "base/lanes.h"
#include "math/trig_reduce.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {

// y[i] = sin(x[i]), correctly rounded, for each of the L::kCount lanes.
template <class L>
HOSTMATH_ALWAYS_INLINE void sin(const double (&x)[L::kCount], double (&y)[L::kCount])
{
    std::uint64_t flag[L::kCount];
    trig::sin_cos_fast<L, false>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = trig::sin_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_SIN_H
