// 1/cbrt(x) in double precision.
//
// A zero gives the infinity of its own sign, built by setting the exponent
// bits of the argument, without dividing (so no division-by-zero flag is
// raised).  Everything else is 1 divided by the system cube root, two
// roundings: the reciprocal of the rounded root, not a correctly rounded
// reciprocal root.  Negative arguments give the negative reciprocal root, the
// infinities the zero of their sign.
#include "cpu/export.h"
#include "special/roots.h"

HOSTMATH_EXPORT(double, qx_math_func_host_rcbrt, (double x))
{
    return hostmath::detail::rcbrt_of(x);
}
