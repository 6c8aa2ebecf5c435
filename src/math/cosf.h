// cosf: y[i] = cos(x[i]) correctly rounded to nearest even, every float.  The
// method, its error bounds and its hardest cases: sincosf.h.
#ifndef HOSTMATH_MATH_COSF_H
#define HOSTMATH_MATH_COSF_H

#include "math/sincosf.h"

namespace hostmath {
namespace core {

template <class L>
HOSTMATH_ALWAYS_INLINE void cosf(const float (&x)[L::kCount], float (&y)[L::kCount])
{
    float_detail::sincosf<L, true>(x, y);
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_COSF_H
