// The binary64 sine and cosine of the maths core together: each result
// exactly what sin (sin.h) and cos (cos.h) give, from one argument reduction
// (trig_reduce.h) for the two.
#ifndef HOSTMATH_MATH_SINCOS_H
#define HOSTMATH_MATH_SINCOS_H

#include "base/lanes.h"
#include "math/trig_reduce.h"

#include <cstddef>
#include <cstdint>

namespace hostmath {
namespace core {

// s[i] = sin(x[i]) and c[i] = cos(x[i]), correctly rounded, for each of the
// L::kCount lanes (x, s and c distinct arrays).
template <class L>
HOSTMATH_ALWAYS_INLINE void sincos(const double (&x)[L::kCount], double (&s)[L::kCount], double (&c)[L::kCount])
{
    std::uint64_t s_flag[L::kCount], c_flag[L::kCount];
    trig::sin_cos_parts<L, true, true>(x, s, s_flag, c, c_flag);
    detail::for_flagged_lanes<L>(s_flag, [&](std::size_t i) { s[i] = trig::sin_accurate(x[i]); });
    detail::for_flagged_lanes<L>(c_flag, [&](std::size_t i) { c[i] = trig::cos_accurate(x[i]); });
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_SINCOS_H
