// The maths core over lanes: y[i] = f(x[i]) for each lane of the policy L
// (base/lanes.h; x and y are distinct arrays): log, exp, sin, cos and cbrt in
// both precisions, which the special functions, the pi-scaled sine and cosine
// and the reciprocal roots are built on.  Each is hostmath's own, correctly rounded to nearest for every argument
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
#include "math/sinf.h"


namespace hostmath {
namespace core {

// The function of each precision by one name, for the kernels written once
// for both.
template <class L>
HOSTMATH_ALWAYS_INLINE void log_of(const double (&x)[L::kCount], double (&y)[L::kCount]) { log<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void log_of(const float (&x)[L::kCount], float (&y)[L::kCount]) { logf<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void exp_of(const double (&x)[L::kCount], double (&y)[L::kCount]) { exp<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void exp_of(const float (&x)[L::kCount], float (&y)[L::kCount]) { expf<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void sin_of(const double (&x)[L::kCount], double (&y)[L::kCount]) { sin<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void sin_of(const float (&x)[L::kCount], float (&y)[L::kCount]) { sinf<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void cos_of(const double (&x)[L::kCount], double (&y)[L::kCount]) { cos<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void cos_of(const float (&x)[L::kCount], float (&y)[L::kCount]) { cosf<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void cbrt_of(const double (&x)[L::kCount], double (&y)[L::kCount]) { cbrt<L>(x, y); }
template <class L>
HOSTMATH_ALWAYS_INLINE void cbrt_of(const float (&x)[L::kCount], float (&y)[L::kCount]) { cbrtf<L>(x, y); }

}  // namespace core
}  // namespace hostmath

#endif  // HOSTMATH_MATH_CORE_H
