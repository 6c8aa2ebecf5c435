// The maths core over lanes: y[i] = f(x[i]) for each lane of the policy L
// (base/lanes.h; x and y are distinct arrays): log, exp, sin, cos and cbrt in
// both precisions, and sin and cos together (sincos_of), which the special
// functions, the pi-scaled sine and cosine and the reciprocal roots are built
// on.  Each is hostmath's own, correctly rounded to nearest for every argument
// (sin and cos of every finite double too), so that every result is the same
// on every host and every processor path.
#ifndef HOSTMATH_MATH_CORE_H
#define HOSTMATH_MATH_CORE_H

#include "base/lanes.h"
#include "math/cbrt.h"
#include "math/cbrtf.h"
#include "math/cos.h"
#include "math/cosf.h"
#include "math/exp.h"
#include "math/expf.h"
#include "math/log.h"
#include "math/logf.h"
#include "math/sin.h"
#include "math/sincos.h"
#include "math/sinf.h"


namespace hostmath {
namespace core {

// The function of each precision by one name (log_of, exp_of, sin_of, cos_of,
// cbrt_of), for the kernels written once for both.
#define HOSTMATH_CORE_OF_PRECISION(name)                                                                    \
    template <class L>                                                                                     \
    HOSTMATH_ALWAYS_INLINE void name##_of(const double (&x)[L::kCount], double (&y)[L::kCount])            \
    {                                                                                                      \
        name<L>(x, y);                                                                                     \
    }                                                                                                      \
    template <class L>                                                                                     \
    HOSTMATH_ALWAYS_INLINE void name##_of(const float (&x)[L::kCount], float (&y)[L::kCount])              \
    {                                                                                                      \
        name##f<L>(x, y);                                                                                  \
    }
HOSTMATH_CORE_OF_PRECISION(log)
HOSTMATH_CORE_OF_PRECISION(exp)
HOSTMATH_CORE_OF_PRECISION(sin)
HOSTMATH_CORE_OF_PRECISION(cos)
HOSTMATH_CORE_OF_PRECISION(cbrt)
#undef HOSTMATH_CORE_OF_PRECISION

// s[i] = sin(x[i]) and c[i] = cos(x[i]) together, each exactly what sin_of and
// cos_of give: one argument reduction for the two.
template <class L>
HOSTMATH_ALWAYS_INLINE void sincos_of(const double (&x)[L::kCount], double (&s)[L::kCount], double (&c)[L::kCount])
{
    sincos<L>(x, s, c);
}
template <class L>
HOSTMATH_ALWAYS_INLINE void sincos_of(const float (&x)[L::kCount], float (&s)[L::kCount], float (&c)[L::kCount])
{
    sincosf<L>(x, s, c);
}

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_CORE_H
