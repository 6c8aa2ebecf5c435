// sinf: y[i] = sin(x[i]) correctly rounded to nearest even, every float.  The
// method, its error bounds and its hardest cases: sincosf.h.
#ifndef HOSTMATH_MATH_SINF_H
#define HOSTMATH_MATH_SINF_H

#include "math/sincosf.h"

namespace hostmath {
namespace core {

template <class L>
HOSTMATH_ALWAYS_INLINE void sinf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    float_detail::sincosf<L, false>(x, y);
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_SINF_H
