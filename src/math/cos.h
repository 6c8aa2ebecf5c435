// The binary64 cosine of the maths core, correctly rounded (to nearest, ties
// to even) for every double.
//
// Method: that of the sine (sin.h; details and error analysis in
// trig_reduce.h), with cos x = sin(x + pi/2): the table index of the reduced
// argument moves by a quarter turn, the rest is shared.  Fast path error below
// 2^-66 |cos x| + 2^-99, rounding test, accurate path in 192-bit fixed point
// (sincos.cpp, 2^-169) for the failing lanes, |x| >= 2^54, infinities and
// NaN.  Hardest cases: tests/data/hard-cases/cos.txt, 39,845 arguments of
// every magnitude (1,339 beyond 2^54), within 2^-89 half-ulps of a double or a
// midpoint.  cos(+-0) = 1, cos(+-inf) = +qNaN, a NaN comes back quieted; cos
// is even exactly (computed on |x|).
#ifndef HOSTMATH_MATH_COS_H
#define HOSTMATH_MATH_COS_H

#include "base/lanes.h"
#include "math/trig_reduce.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {

// y[i] = cos(x[i]), correctly rounded, for each of the L::kCount lanes.
template <class L>
HOSTMATH_ALWAYS_INLINE void cos(const double (&x)[L::kCount], double (&y)[L::kCount])
{
    std::uint64_t flag[L::kCount];
    trig::sin_cos_fast<L, true>(x, y, flag);
    detail::for_flagged_lanes<L>(flag, [&](std::size_t i) { y[i] = trig::cos_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_COS_H
